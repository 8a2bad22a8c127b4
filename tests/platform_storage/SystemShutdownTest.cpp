// Restart and power-off requests: only fake services are used here, so no
// test can ever reach the real login manager or systemctl.
#include <SystemShutdown.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

// Records every call and answers with the given results.
struct FakeServices {
    status_t busResult = B_OK;
    status_t programResult = B_OK;
    std::vector<std::string> busCalls;
    std::vector<std::vector<std::string>> programs;

    shutdown_services Services()
    {
        return shutdown_services{
            [this](const std::string& method) {
                busCalls.push_back(method);
                return busResult;
            },
            [this](const std::vector<std::string>& args) {
                programs.push_back(args);
                return programResult;
            }};
    }
};

} // namespace

TEST(SystemShutdownTest, TheLoginManagerIsAskedFirstAndNothingElseRunsWhenItAccepts)
{
    FakeServices fake;
    EXPECT_EQ(request_system_shutdown(true, fake.Services()), B_OK);
    EXPECT_EQ(request_system_shutdown(false, fake.Services()), B_OK);
    EXPECT_EQ(fake.busCalls, (std::vector<std::string>{"Reboot", "PowerOff"}));
    EXPECT_TRUE(fake.programs.empty());
}

TEST(SystemShutdownTest, SystemctlRunsWithoutAShellWhenTheLoginManagerRefuses)
{
    FakeServices fake;
    fake.busResult = B_NOT_ALLOWED;
    EXPECT_EQ(request_system_shutdown(true, fake.Services()), B_OK);
    EXPECT_EQ(request_system_shutdown(false, fake.Services()), B_OK);
    ASSERT_EQ(fake.programs.size(), 2u);
    EXPECT_EQ(fake.programs[0], (std::vector<std::string>{"systemctl", "reboot"}));
    EXPECT_EQ(fake.programs[1], (std::vector<std::string>{"systemctl", "poweroff"}));

    // Both refuse: the failure is reported, not taken for success.
    fake.programResult = B_ERROR;
    EXPECT_NE(request_system_shutdown(true, fake.Services()), B_OK);
    // Without a bus service the program is still tried.
    shutdown_services programOnly = fake.Services();
    programOnly.callLoginManager = nullptr;
    fake.programResult = B_OK;
    EXPECT_EQ(request_system_shutdown(true, programOnly), B_OK);
    EXPECT_EQ(fake.programs.size(), 4u);
}

TEST(SystemShutdownTest, InTheSandboxTheRequestIsOnlyRecorded)
{
    const std::filesystem::path record = ondelle::test::SandboxRoot() / "shutdown-requests";
    std::filesystem::remove(record);
    EXPECT_EQ(system_shutdown(true), B_OK);
    EXPECT_EQ(system_shutdown(false), B_OK);
    EXPECT_EQ(ondelle::test::ReadFileBytes(record), "restart\nshutdown\n");
    std::filesystem::remove(record);
}
