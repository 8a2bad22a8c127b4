#include <LibToolMain.h>

#include <gtest/gtest.h>

#include <stdexcept>

TEST(LibToolMain, ExceptionsBecomeAnErrorAndTheFailureStatus)
{
    EXPECT_EQ(LibRunToolMain("tool", 1, [] { return 7; }), 7);

    testing::internal::CaptureStderr();
    EXPECT_EQ(LibRunToolMain("tool", 1, []() -> int { throw std::runtime_error("disk on fire"); }), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "tool: error: disk on fire\n");

    testing::internal::CaptureStderr();
    EXPECT_EQ(LibRunToolMain("tool", 3, []() -> int { throw 42; }), 3);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("tool: error: "), std::string::npos);
}
