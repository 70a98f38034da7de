// vantuke-cli: runs one process over files given on the command line and prints the lines
// the status box would show.
#include "CliRequest.h"
#include "CliRun.h"
#include "TerminalHost.h"
#include "batch/ExecuteBatch.h"
#include "platform/IoError.h"
#include "platform/NameBytes.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

using namespace vantuke;
using namespace vantuke::cli;

namespace {

enum ExitCode { kDone = 0, kDoneWithErrors = 1, kIoError = 2, kUsage = 64 };

void PrintError(const QString& text) {
    std::fputs((text + QLatin1Char('\n')).toUtf8().constData(), stderr);
}

// Lines still buffered for standard output that cannot be written make the run a failure.
bool FlushOutput() {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return true;
    PrintError(QStringLiteral("vantuke-cli: cannot write standard output: ") +
               QString::fromLocal8Bit(std::strerror(errno)));
    return false;
}

// The version, then the settings file: the one --settings names, or else the window's.
void PrintVersion(const CliRequest& request) {
    const QString settings = request.settingsFile.isEmpty()
                                 ? FindSettingsFile().path
                                 : AbsolutePath(QDir::currentPath(), request.settingsFile);
    const QByteArray line =
        "vantuke-cli " VANTUKE_VERSION "\nSettings file: " + NameToBytes(settings) + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
}

int Run(const CliRequest& request) {
    const BatchOptions options = BuildOptions(request);
    QStringList entries = BuildSelection(request.sources, QDir::currentPath());
    TerminalHost host(stdout, stderr, stdin);
    const BatchResult result = ExecuteBatch(entries, options, host);
    if (!FlushOutput())
        return kIoError;
    return result.errorCount == 0 ? kDone : kDoneWithErrors;
}

} // namespace

int main(int argc, char* argv[]) {
    // One big buffer: a listing of many files is written in few system calls.
    static char outputBuffer[1 << 20];
    std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);

    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QFile::decodeName(argv[i]);

    try {
        const CliRequest request = ParseArguments(args);
        if (request.action == CliRequest::Action::Help) {
            std::fputs(UsageText().toUtf8().constData(), stdout);
            return FlushOutput() ? kDone : kIoError;
        }
        if (request.action == CliRequest::Action::Version) {
            PrintVersion(request);
            return FlushOutput() ? kDone : kIoError;
        }
        return Run(request);
    } catch (const UsageError& error) {
        PrintError(QStringLiteral("vantuke-cli: ") + error.Message() + QLatin1String("\n"));
        std::fputs(UsageText().toUtf8().constData(), stderr);
        return kUsage;
    } catch (const IoError& error) {
        FlushOutput();
        PrintError(ErrorBoxText(error.Text()));
        return kIoError;
    }
}
