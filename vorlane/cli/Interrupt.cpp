#include "cli/Interrupt.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace vorlane::host {

namespace {

// Lock-free, so the handler may touch it.
std::atomic<int> interrupts{0};
static_assert(std::atomic<int>::is_always_lock_free);

using Handler = void (*)(int);
Handler previous = SIG_DFL;

// What the second interrupt removes, in buffers the handler can read without allocating; `removals` is how many
// are complete.
constexpr std::size_t kPathSize = 4096;
char removal_paths[3][kPathSize];
std::atomic<int> removals{0};
static_assert(std::atomic<int>::is_always_lock_free);

// unlink(), which a signal handler may call.
void unlink_file(const char* path) {
#ifdef _WIN32
    _unlink(path);
#else
    unlink(path);
#endif
}

extern "C" void on_interrupt(int) {
    if (interrupts.fetch_add(1) >= 1) {
        const int count = removals.load();
        for (int i = 0; i < count; ++i) {
            unlink_file(removal_paths[i]);
        }
        std::_Exit(kInterruptedStatus);
    }
    // Windows' runtime puts the default handler back before calling this one, so there a second Ctrl+C ends the
    // process by itself; elsewhere the handler stays.
}

}  // namespace

InterruptWatch::InterruptWatch() {
    interrupts = 0;
    previous = std::signal(SIGINT, on_interrupt);
}

InterruptWatch::~InterruptWatch() {
    removals = 0;
    // After a first Ctrl+C the process is on its way out with status 130: the handler stays, so that a second one
    // arriving after the work ended (while the process cleans up) still ends it with 130, not killed by the signal.
    if (interrupts.load() == 0) {
        std::signal(SIGINT, previous == SIG_ERR ? SIG_DFL : previous);
    }
}

void InterruptWatch::remove_at_hard_exit(const std::string& first, const std::string& second,
                                         const std::string& third) const {
    removals = 0;
    int count = 0;
    for (const std::string* path : {&first, &second, &third}) {
        if (!path->empty() && path->size() < kPathSize) {
            std::memcpy(removal_paths[count], path->c_str(), path->size() + 1);
            ++count;
        }
    }
    removals = count;
}

bool InterruptWatch::requested() const {
    return interrupts.load() > 0;
}

}  // namespace vorlane::host
