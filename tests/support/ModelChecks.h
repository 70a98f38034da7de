#pragma once

#include <QAbstractItemModelTester>
#include <QtMessageHandler>

class QAbstractItemModel;

namespace testsupport {

// Runs Qt's model checker over a model while it lives, and fails the test for every rule of
// QAbstractItemModel the model breaks (rows announced after they changed, a count that does
// not match the signals, and so on).
class ModelChecks {
public:
    explicit ModelChecks(QAbstractItemModel& model);
    ~ModelChecks();
    ModelChecks(const ModelChecks&) = delete;
    ModelChecks& operator=(const ModelChecks&) = delete;

private:
    QAbstractItemModelTester tester_;
    QtMessageHandler previous_;
};

} // namespace testsupport
