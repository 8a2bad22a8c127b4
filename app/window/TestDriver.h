// TestDriver: the installer's test hook. When the environment variable
// ONDELLE_TEST_DRIVER names a script file, the installer window program
// carries out the script's user actions (clicks, list items, alert buttons,
// Shift+F1, pictures of windows; see ScriptRunner.h) while it runs, and
// reports every line on standard output. Pictures go to the folder named by
// ONDELLE_SCREENSHOT_DIR. Without the variable there is no driver and the
// program behaves exactly as for a user.
//
// Besides the runner's commands the installer knows
//   state license|choosing|installing   until the installer window is in
//                                       that state
// and names the items of its lists by their shown text. When a line fails,
// the program is asked to quit.
#pragma once

#include <ScriptRunner.h>

#include <memory>
#include <string>

class InstallApp;

class TestDriver {
public:
    static constexpr const char* kScriptVariable = "ONDELLE_TEST_DRIVER";
    static constexpr const char* kPictureVariable = "ONDELLE_SCREENSHOT_DIR";

    // A started driver when the variable names a script, else null.
    static std::unique_ptr<TestDriver> FromEnvironment(InstallApp& app);

    TestDriver(InstallApp& app, FILE* report);
    TestDriver(const TestDriver&) = delete;
    TestDriver& operator=(const TestDriver&) = delete;

    ScriptRunner& Runner() { return fRunner; }

    // The state named in a script ("license", "choosing", "installing"), or
    // 0 for any other word.
    static int32 StateNamed(const std::string& word);

private:
    ScriptRunner fRunner;
};
