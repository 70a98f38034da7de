#pragma once

#include <QTemporaryDir>

namespace testsupport {

// Points XDG_STATE_HOME at a temporary folder of this test program's own while alive, so that
// no run a test makes (nor a program it starts) writes into the user's undo history.
class PrivateState {
public:
    PrivateState();

private:
    QTemporaryDir dir_;
};

} // namespace testsupport
