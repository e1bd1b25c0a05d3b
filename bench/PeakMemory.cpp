#include "PeakMemory.h"

#include <cstdio>
#include <cstring>

namespace trellum::bench {

namespace {

// A "Name:   1234 kB" line of /proc/self/status, in bytes; -1 when it is not there.
long long statusField(const char* name)
{
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    long long bytes = -1;
    const std::size_t length = std::strlen(name);
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, name, length) == 0 && line[length] == ':') {
            long long kb = 0;
            if (std::sscanf(line + length + 1, "%lld", &kb) == 1)
                bytes = kb * 1024;
            break;
        }
    }
    std::fclose(f);
    return bytes;
}

} // namespace

bool PeakMemory::reset()
{
    std::FILE* f = std::fopen("/proc/self/clear_refs", "w");
    if (!f)
        return false;
    const bool written = std::fputs("5", f) >= 0;
    return std::fclose(f) == 0 && written;
}

long long PeakMemory::peakBytes()
{
    return statusField("VmHWM");
}

long long PeakMemory::currentBytes()
{
    return statusField("VmRSS");
}

} // namespace trellum::bench
