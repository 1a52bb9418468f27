#include "cli/Interrupt.h"

#include <atomic>
#include <csignal>
#include <cstdlib>

namespace vorlane::host {

namespace {

// Lock-free, so the handler may touch it.
std::atomic<int> interrupts{0};
static_assert(std::atomic<int>::is_always_lock_free);

using Handler = void (*)(int);
Handler previous = SIG_DFL;

extern "C" void on_interrupt(int) {
    if (interrupts.fetch_add(1) >= 1) {
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
    std::signal(SIGINT, previous == SIG_ERR ? SIG_DFL : previous);
}

bool InterruptWatch::requested() const {
    return interrupts.load() > 0;
}

}  // namespace vorlane::host
