#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace vantuke {

// SIGTERM, SIGINT and SIGHUP (a logout, "kill", Ctrl+C or a closed terminal) as a request to
// close, delivered on the event loop's thread: the desktop program then closes as if its
// window were closed, saving its settings. Each signal is caught once; a second one of the
// same kind ends the program at once, as it would have without this. One object at a time;
// the signals' default actions come back when it is destroyed.
class StopSignals : public QObject {
public:
    explicit StopSignals(std::function<void()> onStop, QObject* parent = nullptr);
    ~StopSignals() override;
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    std::function<void()> onStop_;
    QSocketNotifier* notifier_ = nullptr;
};

// While one lives, SIGTERM, SIGINT and SIGHUP whose action is to end the program (no
// StopSignals, or a second signal after the first asked to close) wait until it is gone, so
// that a short piece of work that must not be cut in the middle (replacing a file through a
// temporary one) ends first. One at a time, on one thread.
class HeldStopSignals {
public:
    HeldStopSignals();
    ~HeldStopSignals();
    HeldStopSignals(const HeldStopSignals&) = delete;
    HeldStopSignals& operator=(const HeldStopSignals&) = delete;

private:
    unsigned held_ = 0; // bit k: kSignals[k] was held
};

} // namespace vantuke
