#include "platform/runtime/Clock.h"
#include "platform/runtime/ProgramPath.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

namespace {

class TestClocks : public testing::Test {
protected:
    void TearDown() override { rt::UseSystemClocks(); }
};

TEST_F(TestClocks, AnswerWhatTheTestSetAndAdvanced) {
    rt::SetTestMonotonicClock(5000);
    rt::SetTestWallClock(1710007507000000);
    EXPECT_EQ(rt::MonotonicMicroseconds(), 5000);
    EXPECT_EQ(rt::MonotonicMicroseconds(), 5000);
    rt::AdvanceTestMonotonicClock(250);
    EXPECT_EQ(rt::MonotonicMicroseconds(), 5250);
    EXPECT_EQ(rt::WallClockMicroseconds(), 1710007507000000);
    rt::AdvanceTestWallClock(-1000000);
    EXPECT_EQ(rt::WallClockMicroseconds(), 1710007506000000);
    rt::AdvanceTestClocks(10);
    EXPECT_EQ(rt::MonotonicMicroseconds(), 5260);
    EXPECT_EQ(rt::WallClockMicroseconds(), 1710007506000010);
}

TEST_F(TestClocks, MoveApartSoAWallClockJumpLeavesTheMonotonicClock) {
    rt::SetTestMonotonicClock(0);
    rt::SetTestWallClock(0);
    rt::AdvanceTestWallClock(3600LL * 1000000);
    EXPECT_EQ(rt::MonotonicMicroseconds(), 0);
}

TEST_F(TestClocks, AdvancingAnUnsetClockStartsFromTheSystemReading) {
    const int64_t before = rt::MonotonicMicroseconds();
    rt::AdvanceTestMonotonicClock(10 * 1000000);
    const int64_t frozen = rt::MonotonicMicroseconds();
    EXPECT_GE(frozen, before + 10 * 1000000);
    EXPECT_LT(frozen, before + 70 * 1000000);
    EXPECT_EQ(rt::MonotonicMicroseconds(), frozen);
}

TEST_F(TestClocks, GiveWayToTheSystemClocksAgain) {
    rt::SetTestMonotonicClock(1);
    rt::SetTestWallClock(1);
    rt::UseSystemClocks();
    EXPECT_GT(rt::MonotonicMicroseconds(), 1);
    const int64_t wallSeconds = rt::WallClockMicroseconds() / 1000000;
    EXPECT_NEAR(static_cast<double>(wallSeconds), static_cast<double>(std::time(nullptr)), 2.0);
}

TEST(ProgramPath, IsTheExecutablesFolderUnlessATestMovesIt) {
    const std::string folder = std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/";
    EXPECT_EQ(rt::ProgramDirectory(), folder);
    rt::SetProgramDirectoryForTests("/tmp/program");
    EXPECT_EQ(rt::ProgramDirectory(), "/tmp/program/");
    rt::SetProgramDirectoryForTests("/tmp/other/");
    EXPECT_EQ(rt::ProgramDirectory(), "/tmp/other/");
    rt::SetProgramDirectoryForTests("");
    EXPECT_EQ(rt::ProgramDirectory(), folder);
}

} // namespace
