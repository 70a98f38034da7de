// A stop signal asks the program to close instead of killing it, once per kind of signal.
#include "platform/StopSignals.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <csignal>
#include <gtest/gtest.h>

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

INSTANTIATE_TEST_SUITE_P(Signals, StopSignalsTest, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& info) {
                             return std::string(info.param == SIGTERM  ? "SIGTERM"
                                                : info.param == SIGINT ? "SIGINT"
                                                                       : "SIGHUP");
                         });

} // namespace
