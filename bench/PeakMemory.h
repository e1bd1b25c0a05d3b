#pragma once

namespace trellum::bench {

// The resident memory of this process as the kernel counts it (/proc/self/status).
class PeakMemory {
public:
    // Starts a new peak from the present resident size (writes "5" to /proc/self/clear_refs);
    // false where the kernel does not allow it, and the peak then runs on from process start.
    static bool reset();
    // The highest resident size since process start or the last reset (VmHWM), in bytes.
    static long long peakBytes();
    // The resident size now (VmRSS), in bytes.
    static long long currentBytes();
};

} // namespace trellum::bench
