#include "support/PrivateState.h"

#include <QtGlobal>

namespace testsupport {

PrivateState::PrivateState() {
    qputenv("XDG_STATE_HOME", dir_.path().toLocal8Bit());
}

} // namespace testsupport
