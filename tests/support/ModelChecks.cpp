#include "support/ModelChecks.h"

#include <gtest/gtest.h>

namespace testsupport {

namespace {

void FailOnMessage(QtMsgType, const QMessageLogContext&, const QString& message) {
    ADD_FAILURE() << message.toStdString();
}

} // namespace

ModelChecks::ModelChecks(QAbstractItemModel& model)
    : tester_(&model, QAbstractItemModelTester::FailureReportingMode::Warning),
      previous_(qInstallMessageHandler(&FailOnMessage)) {}

ModelChecks::~ModelChecks() {
    qInstallMessageHandler(previous_);
}

} // namespace testsupport
