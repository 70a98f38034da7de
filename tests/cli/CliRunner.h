#pragma once

// Runs vantuke-cli (the binary named by VANTUKE_CLI) as a program and collects what it
// printed and how it ended.
#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>

namespace clitest {

struct CliResult {
    int exitCode = -1; // -1: the program did not end normally (a signal killed it)
    QStringList out;   // standard output, one entry per line
    QByteArray outBytes;
    QString err;
    QByteArray errBytes;
};

// How to start the program beyond its arguments and working folder.
struct CliSetup {
    QByteArray input;                 // written to standard input, which is then closed
    QString inputFile;                // or standard input read from this file
    QProcessEnvironment environment = // the program's environment
        QProcessEnvironment::systemEnvironment();
    std::function<void()> inChild; // run in the child just before the program
};

// A row of a table of command lines: its name in the test list, and the arguments.
struct ArgsCase {
    const char* name;
    QStringList args;
};

// Names the case in test lists, which gtest would otherwise fill with the case's raw bytes.
inline void PrintTo(const ArgsCase& c, std::ostream* os) {
    *os << c.name;
}

inline QString CliProgram() {
    return QString::fromLocal8Bit(qgetenv("VANTUKE_CLI"));
}

inline void StartCli(QProcess& process, const QStringList& args, const QString& workDir,
                     const CliSetup& setup = {}) {
    process.setWorkingDirectory(workDir);
    process.setProcessEnvironment(setup.environment);
    if (!setup.inputFile.isEmpty())
        process.setStandardInputFile(setup.inputFile);
    if (setup.inChild)
        process.setChildProcessModifier(setup.inChild);
    process.start(CliProgram(), args);
    EXPECT_TRUE(process.waitForStarted()) << "set VANTUKE_CLI to the vantuke-cli binary";
}

inline CliResult Collect(QProcess& process) {
    EXPECT_TRUE(process.waitForFinished(120000));
    CliResult result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.outBytes = process.readAllStandardOutput();
    result.out = QString::fromUtf8(result.outBytes).split('\n');
    EXPECT_EQ(result.out.takeLast(), QString()) << "output must end with a line end";
    result.errBytes = process.readAllStandardError();
    result.err = QString::fromUtf8(result.errBytes);
    return result;
}

inline CliResult RunCli(const QStringList& args, const QString& workDir,
                        const QByteArray& input = QByteArray()) {
    QProcess process;
    StartCli(process, args, workDir);
    process.write(input);
    process.closeWriteChannel();
    return Collect(process);
}

inline CliResult RunCliWith(const QStringList& args, const QString& workDir,
                            const CliSetup& setup) {
    QProcess process;
    StartCli(process, args, workDir, setup);
    if (setup.inputFile.isEmpty()) {
        process.write(setup.input);
        process.closeWriteChannel();
    }
    return Collect(process);
}

} // namespace clitest
