#include "platform/StopSignals.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace vantuke {

namespace {

constexpr std::array kSignals{SIGTERM, SIGINT, SIGHUP};

// The signal handler's only work: one byte into a pipe the event loop watches.
int writeEnd = -1;

void OnSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
    errno = savedErrno;
}

void SetHandler(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // Back to the default action once caught, so that a second signal still ends a program
    // that cannot close (a run that waits for an answer, a hung window).
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (const int signal : kSignals)
        ::sigaction(signal, &action, nullptr);
}

// The signal that arrived while held (0: none).
volatile sig_atomic_t heldSignal = 0;

void OnHeldSignal(int signal) {
    heldSignal = signal;
}

} // namespace

HeldStopSignals::HeldStopSignals() {
    heldSignal = 0;
    for (size_t k = 0; k < kSignals.size(); ++k) {
        struct sigaction now {};
        if (::sigaction(kSignals[k], nullptr, &now) != 0 || now.sa_handler != SIG_DFL)
            continue;
        struct sigaction hold {};
        hold.sa_handler = &OnHeldSignal;
        sigemptyset(&hold.sa_mask);
        hold.sa_flags = SA_RESTART;
        if (::sigaction(kSignals[k], &hold, nullptr) == 0)
            held_ |= 1u << k;
    }
}

HeldStopSignals::~HeldStopSignals() {
    for (size_t k = 0; k < kSignals.size(); ++k) {
        if ((held_ & (1u << k)) != 0)
            ::signal(kSignals[k], SIG_DFL);
    }
    // What would have ended the program ends it now.
    if (const int signal = heldSignal; signal != 0)
        ::raise(signal);
}

StopSignals::StopSignals(std::function<void()> onStop, QObject* parent)
    : QObject(parent), onStop_(std::move(onStop)) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // the signals keep their default actions
    writeEnd = fds[1];
    notifier_ = new QSocketNotifier(fds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(int(notifier_->socket()), bytes, sizeof bytes) > 0) {
        }
        onStop_();
    });
    SetHandler(&OnSignal);
}

StopSignals::~StopSignals() {
    if (notifier_ == nullptr)
        return;
    SetHandler(SIG_DFL);
    const int readEnd = int(notifier_->socket());
    delete notifier_;
    ::close(readEnd);
    ::close(writeEnd);
    writeEnd = -1;
}

} // namespace vantuke
