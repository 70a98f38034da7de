// A stop signal asks the program to close instead of killing it, once per kind of signal.
#include "platform/StopSignals.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using vantuke::HeldStopSignals;
using vantuke::StopSignals;

namespace {

void (*HandlerOf(int signal))(int) {
    struct sigaction action {};
    ::sigaction(signal, nullptr, &action);
    return action.sa_handler;
}

// Processes events until done() holds, for at most a few seconds.
bool ProcessUntil(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

class StopSignalsTest : public ::testing::TestWithParam<int> {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "platform_tests";
        static char* argv[] = {name, nullptr};
        if (QCoreApplication::instance() == nullptr)
            new QCoreApplication(argc, argv);
    }
};

TEST_P(StopSignalsTest, ASignalBecomesOneCallOnTheEventLoop) {
    const int signal = GetParam();
    int calls = 0;
    {
        StopSignals stop([&calls] { ++calls; });
        ASSERT_NE(HandlerOf(signal), SIG_DFL);
        ASSERT_EQ(::raise(signal), 0); // without the handler this would end the test program
        EXPECT_EQ(calls, 0);           // nothing runs inside the signal handler itself
        EXPECT_TRUE(ProcessUntil([&calls] { return calls > 0; }));
        EXPECT_EQ(calls, 1);
        // Caught once: a second signal of this kind would end the program at once.
        EXPECT_EQ(HandlerOf(signal), SIG_DFL);
    }
    {
        StopSignals stop([] {});
        EXPECT_NE(HandlerOf(signal), SIG_DFL);
    }
    EXPECT_EQ(HandlerOf(signal), SIG_DFL); // gone with the object
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 1);
}

// A signal that would end the program waits while held: the work under the hold ends, then the
// signal ends the program as it would have, also after a first signal asked to close.
TEST_P(StopSignalsTest, ASignalThatEndsTheProgramWaitsWhileHeld) {
    const int signal = GetParam();
    for (const bool caughtOnce : {false, true}) {
        int pipeEnds[2];
        ASSERT_EQ(::pipe(pipeEnds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipeEnds[0]);
            if (caughtOnce) {
                new StopSignals([] {}); // kept: its handler is reset by the first signal
                ::raise(signal);
            }
            {
                const HeldStopSignals held;
                ::raise(signal);
                [[maybe_unused]] const ssize_t n = ::write(pipeEnds[1], "done", 4);
            }
            [[maybe_unused]] const ssize_t n = ::write(pipeEnds[1], "after", 5);
            ::_exit(0);
        }
        ::close(pipeEnds[1]);
        char got[16] = {};
        ssize_t length = 0;
        for (ssize_t n;
             (n = ::read(pipeEnds[0], got + length, sizeof got - 1 - size_t(length))) > 0;)
            length += n;
        ::close(pipeEnds[0]);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_EQ(std::string(got), "done") << "caught once: " << caughtOnce;
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal)
            << "caught once: " << caughtOnce << ", status " << status;
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, StopSignalsTest, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& info) {
                             return std::string(info.param == SIGTERM  ? "SIGTERM"
                                                : info.param == SIGINT ? "SIGINT"
                                                                       : "SIGHUP");
                         });

} // namespace
