// The end of the program: Run returns with nothing of Qt left, since Qt cannot be torn down once
// main has returned. The test runs again in a child process that ends as the program does.
#include <cstdlib>

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include "forms/support/ChildProcess.h"
#include "platform/forms/Application.h"
#include "platform/forms/Form.h"

using namespace testsupport;

TEST(ApplicationRun, a_program_that_returns_from_main_after_run_ends_without_a_crash) {
    if (!InChildRun()) {
        const ChildResult child = RunThisTestInChild({}, 60000);
        EXPECT_TRUE(ChildRan(child)) << child.output;
        EXPECT_EQ(child.signal, 0) << child.output;
        EXPECT_EQ(child.exitCode, 0) << child.output;
        return;
    }
    MarkChildRan();
    TForm* main = nullptr;
    TForm* other = nullptr;
    Application.CreateForm(main);
    Application.CreateForm(other);
    QTimer::singleShot(0, [&] { main->Close(); });
    Application.Run();
    EXPECT_EQ(QCoreApplication::instance(), nullptr);
    EXPECT_EQ(Application.MainForm(), nullptr);
    // Ends the process as returning from main does: the static objects are destroyed now.
    std::exit(::testing::Test::HasFailure() ? 1 : 0);
}
