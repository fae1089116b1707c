#include "host/posix/stop_signals.h"

#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace {

// What the handler may touch. A handler may run between any two instructions of the main thread, inside
// Xlib, Mesa or malloc: it only reads and writes this record (the flag as a volatile sig_atomic_t) and
// calls async-signal-safe system calls (gettid, tgkill, getpid, sigaction), keeping errno as it was. No
// Xlib, no allocation, no stdio.
struct StopSignalState {
    volatile std::sig_atomic_t requested;
    volatile std::sig_atomic_t continued;
    pid_t mainThread;  // set before the handler is installed, read-only after
};

StopSignalState stopState{0, 0, 0};

void OnContinue(int) {
    stopState.continued = 1;
}

void StopSignals(sigset_t& stops) {
    sigemptyset(&stops);
    sigaddset(&stops, SIGTERM);
    sigaddset(&stops, SIGINT);
}

void OnStopSignal(int signal) {
    const int savedErrno = errno;
    if (pid_t(syscall(SYS_gettid)) != stopState.mainThread) {
        // Taken by another thread (Mesa's workers) while the main thread held it back: the main
        // thread's wait is the one to end.
        syscall(SYS_tgkill, getpid(), stopState.mainThread, signal);
    } else {
        stopState.requested = 1;
        struct sigaction byDefault {};
        byDefault.sa_handler = SIG_DFL;
        sigemptyset(&byDefault.sa_mask);
        sigaction(SIGTERM, &byDefault, nullptr);
        sigaction(SIGINT, &byDefault, nullptr);
    }
    errno = savedErrno;
}

}  // namespace

void CatchStopSignals() {
    stopState.mainThread = pid_t(syscall(SYS_gettid));
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    // One stop signal's handler is not cut into by the other's: the first of them is the only first.
    StopSignals(action.sa_mask);
    // System calls a signal interrupts inside Xlib and Mesa resume; ppoll never does, and ends early.
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigset_t stops;
    StopSignals(stops);
    pthread_sigmask(SIG_UNBLOCK, &stops, nullptr);
    struct sigaction onContinue {};
    onContinue.sa_handler = OnContinue;
    sigemptyset(&onContinue.sa_mask);
    onContinue.sa_flags = SA_RESTART;
    sigaction(SIGCONT, &onContinue, nullptr);
}

bool TakeContinued() {
    if (stopState.continued == 0) return false;
    stopState.continued = 0;
    return true;
}

bool StopRequested() {
    return stopState.requested != 0;
}

void PollUnlessStopped(pollfd* fds, nfds_t count, const timespec& timeout) {
    // The stop signals are held back from the last look at the request until ppoll lets them in, so one
    // that comes just before the wait still cuts it short. ppoll lets them in whatever the mask held.
    sigset_t stops;
    StopSignals(stops);
    sigset_t outside;
    pthread_sigmask(SIG_BLOCK, &stops, &outside);
    sigset_t during = outside;
    sigdelset(&during, SIGTERM);
    sigdelset(&during, SIGINT);
    if (stopState.requested == 0) ppoll(fds, count, &timeout, &during);
    pthread_sigmask(SIG_SETMASK, &outside, nullptr);
}
