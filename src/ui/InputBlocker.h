#pragma once

#include <QObject>

class QWidget;

namespace vantuke {

// Swallows the keyboard and mouse input meant for one window while it lives. A run lets the
// window repaint without taking input; input that queued up meanwhile is drained into this
// blocker when the run ends, so a click made during a run is not replayed afterwards (a
// second "EXECUTE!" would run the process again). Other windows, such as the dialogs a run
// opens, get their input as usual.
class InputBlocker : public QObject {
public:
    explicit InputBlocker(QWidget& window);
    ~InputBlocker() override;

    // Delivers every pending event, so queued input reaches the blocker and is dropped.
    void Drain();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
};

} // namespace vantuke
