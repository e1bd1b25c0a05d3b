#include "PartFileRegistry.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <pthread.h>
#include <unistd.h>

namespace trellum {

namespace {

// The signals that end the process by default and may come from outside while an output is
// written; SIGPIPE too, for standard output read by a pipe that is closed early.
constexpr int kEndingSignals[] = { SIGTERM, SIGINT, SIGHUP, SIGPIPE };

constexpr int kSlots = 32;
constexpr std::size_t kPathBytes = 4096;

static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler reads the table without locks");

// A slot is claimed first, then its path is written, then it is armed; the handler only looks at
// armed slots, so it never sees half a path.
struct Slot {
    std::atomic<bool> claimed { false };
    std::atomic<bool> armed { false };
    char path[kPathBytes] {};
};

Slot g_slots[kSlots];

void onTerminationSignal(int signal)
{
    const int savedErrno = errno;
    PartFileRegistry::removeAll();
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    ::sigaction(signal, &standard, nullptr);
    errno = savedErrno;
    // The signal is blocked while its handler runs: it is delivered again, now with its default
    // action, as soon as the handler returns.
    ::raise(signal);
}

} // namespace

int PartFileRegistry::add(const QByteArray& path)
{
    if (path.isEmpty() || std::size_t(path.size()) >= kPathBytes)
        return -1;
    for (int i = 0; i < kSlots; ++i) {
        bool expected = false;
        if (!g_slots[i].claimed.compare_exchange_strong(expected, true))
            continue;
        std::memcpy(g_slots[i].path, path.constData(), std::size_t(path.size()));
        g_slots[i].path[path.size()] = '\0';
        g_slots[i].armed.store(true);
        return i;
    }
    return -1;
}

void PartFileRegistry::remove(int slot)
{
    if (slot < 0 || slot >= kSlots)
        return;
    g_slots[slot].armed.store(false);
    g_slots[slot].claimed.store(false);
}

void PartFileRegistry::removeAll()
{
    for (Slot& s : g_slots)
        if (s.armed.load())
            ::unlink(s.path); // nothing more can be done if this fails
}

void PartFileRegistry::holdSignals(sigset_t* before)
{
    sigset_t held;
    sigemptyset(&held);
    for (const int signal : kEndingSignals)
        sigaddset(&held, signal);
    ::pthread_sigmask(SIG_BLOCK, &held, before);
}

int PartFileRegistry::count()
{
    int n = 0;
    for (const Slot& s : g_slots)
        n += s.armed.load() ? 1 : 0;
    return n;
}

void PartFileRegistry::installSignalCleanup()
{
    for (const int signal : kEndingSignals) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN)
            continue;
        struct sigaction cleanup {};
        cleanup.sa_handler = onTerminationSignal;
        sigemptyset(&cleanup.sa_mask);
        for (const int other : kEndingSignals)
            sigaddset(&cleanup.sa_mask, other);
        ::sigaction(signal, &cleanup, nullptr);
    }
}

} // namespace trellum
