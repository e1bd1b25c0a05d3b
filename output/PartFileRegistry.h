#pragma once

#include <QByteArray>

#include <csignal>

namespace trellum {

// The part files being written at this moment (temporary files beside an output that are moved
// over it once complete). A termination signal removes them before the process ends, so a
// killed export leaves nothing behind; the earlier file was never touched.
//
// The table is fixed in size and the signal handler only reads it and calls unlink(), so it is
// safe to run at any moment.
class PartFileRegistry {
public:
    // Notes a part file; returns its slot, or -1 when the table is full or the path too long
    // (the file is then simply not removed on a signal).
    static int add(const QByteArray& path);
    // Forgets the part file of a slot from add() (after it was moved or removed); -1 is ignored.
    static void remove(int slot);
    // Removes every noted part file; async-signal-safe.
    static void removeAll();
    // How many part files are noted now.
    static int count();
    // Installs the handler for SIGTERM, SIGINT, SIGHUP and SIGPIPE (a signal that is ignored stays
    // ignored): it removes the part files, then ends the process by the signal's default action.
    static void installSignalCleanup();
    // Blocks those signals in the calling thread; the mask before goes to `before`.
    static void holdSignals(sigset_t* before);
};

} // namespace trellum
