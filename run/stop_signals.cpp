#include "run/stop_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>

#include "run/log.h"

namespace {

// The handler may only use async-signal-safe calls: it walks a fixed table
// (no allocation, no locks), unlinks, writes one line with write(2) and
// leaves with _exit. A slot's name is complete before its state says so
// (release), and the handler reads the state first (acquire). Slots are
// filled and emptied by the thread that writes files; should the signal be
// taken on another thread while a slot is being reused, the name read can
// only be one of this run's temporary names.
constexpr int kTempSlots = 16;
constexpr size_t kTempNameSize = 1024;
enum SlotState : int { kFree = 0, kFilling = 1, kInUse = 2 };

struct TempSlot {
    std::atomic<int> state{kFree};
    char name[kTempNameSize];
};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs lock-free slots");

TempSlot g_slots[kTempSlots];

struct sigaction g_previous[2];
bool g_installed = false;
constexpr int kSignals[2] = {SIGTERM, SIGINT};

// "Run stopped by signal N" without printf.
size_t StopLine(int sig, char* buf, size_t size) {
    static const char kHead[] = "Run stopped by signal ";
    static const char kTail[] = "; the files being written are removed, the files as they were are kept\n";
    size_t n = 0;
    for (const char* p = kHead; *p && n < size; ++p) buf[n++] = *p;
    char digits[12];
    int d = 0;
    unsigned v = sig > 0 ? static_cast<unsigned>(sig) : 0u;
    do {
        digits[d++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v > 0 && d < 11);
    while (d > 0 && n < size) buf[n++] = digits[--d];
    for (const char* p = kTail; *p && n < size; ++p) buf[n++] = *p;
    return n;
}

extern "C" void OnStopSignal(int sig) {
    for (TempSlot& slot : g_slots) {
        if (slot.state.load(std::memory_order_acquire) == kInUse) unlink(slot.name);
    }
    char line[160];
    const size_t len = StopLine(sig, line, sizeof line);
    const int fd = open(kLogFileName, O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ssize_t ignored = write(fd, line, len);
        (void)ignored;
        close(fd);
    }
    _exit(kStoppedBySignalStatus & 0xff);
}

}  // namespace

void InstallStopSignals() {
    if (g_installed) return;
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    for (int sig : kSignals) sigaddset(&sa.sa_mask, sig);
    for (int k = 0; k < 2; ++k) sigaction(kSignals[k], &sa, &g_previous[k]);
    g_installed = true;
}

void RestoreStopSignals() {
    if (!g_installed) return;
    for (int k = 0; k < 2; ++k) sigaction(kSignals[k], &g_previous[k], nullptr);
    g_installed = false;
}

int RegisterTempFile(const char* name) {
    const size_t len = std::strlen(name);
    if (len >= kTempNameSize) return -1;
    for (int k = 0; k < kTempSlots; ++k) {
        int expected = kFree;
        if (!g_slots[k].state.compare_exchange_strong(expected, kFilling, std::memory_order_acq_rel)) continue;
        std::memcpy(g_slots[k].name, name, len + 1);
        g_slots[k].state.store(kInUse, std::memory_order_release);
        return k;
    }
    return -1;
}

void UnregisterTempFile(int slot) {
    if (slot < 0 || slot >= kTempSlots) return;
    g_slots[slot].state.store(kFree, std::memory_order_release);
}
