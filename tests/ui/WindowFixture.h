#pragma once

#include "support/TestFiles.h"
#include "ui/MainWindow.h"
#include "ui/ProgramWindows.h"

#include <QByteArray>
#include <QSize>
#include <QStringList>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

namespace windowtest {

// The program's windows on a temporary folder: the settings file lives there, the directory
// tree shows it as its only top-level node, and error boxes are recorded instead of shown.
class WindowTest : public ::testing::Test {
protected:
    WindowTest();
    ~WindowTest() override;

    // Starts the windows (again), as a program start would, on the same settings file.
    void Start();
    // Closes the main window as the user would; true when it closed.
    bool Close();

    vantuke::TForm1& Form1() const;
    QString SettingsFile() const { return settingsFile_; }
    QString FilesDir() const { return files_.Dir(); }

    // The control of the main window with this object name (dialogs excluded).
    template <typename T> T* Find(const QString& name) const {
        const auto found = windows_->Main().findChildren<T*>(name);
        for (T* each : found) {
            if (each->window() == &windows_->Main())
                return each;
        }
        ADD_FAILURE() << "no control " << name.toStdString();
        return nullptr;
    }

    testsupport::TempDir folder_;
    testsupport::TempDir files_;
    QString settingsFile_;
    QByteArray savedStateHome_;
    std::unique_ptr<vantuke::ProgramWindows> windows_;
    QStringList errors_;
};

} // namespace windowtest
