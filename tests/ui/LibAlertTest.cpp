#include <LibAlert.h>
#include <ScriptedAlertPresenter.h>

#include <gtest/gtest.h>

#include <string>

TEST(LibAlertTest, AlertFunctionsShowOneOkButtonOfTheirKind)
{
    ScriptedAlertPresenter script;
    set_alert_presenter(&script);
    EXPECT_EQ(LibError("Could not create %s", "folder"), 0);
    EXPECT_EQ(LibInfo("%d items", 3), 0);
    EXPECT_EQ(LibWarning("careful"), 0);
    EXPECT_EQ(LibInfoNoWait("done"), B_OK);
    set_alert_presenter(nullptr);

    const auto questions = script.Questions();
    ASSERT_EQ(questions.size(), 3u);
    EXPECT_EQ(questions[0].type, B_STOP_ALERT);
    EXPECT_EQ(questions[0].text, "Could not create folder");
    EXPECT_EQ(questions[1].type, B_INFO_ALERT);
    EXPECT_EQ(questions[1].text, "3 items");
    EXPECT_EQ(questions[2].type, B_WARNING_ALERT);
    for (const auto& question : questions) {
        ASSERT_EQ(question.buttons.size(), 1u);
        EXPECT_EQ(question.buttons[0], "OK");
        EXPECT_EQ(question.shortcuts[0], 'O');
        EXPECT_TRUE(question.title.empty());
    }
    ASSERT_EQ(script.Notices().size(), 1u);
    EXPECT_EQ(script.Notices()[0].text, "done");
}

TEST(LibAlertTest, LongTextsAreCutAt511Bytes)
{
    ScriptedAlertPresenter script;
    set_alert_presenter(&script);
    const std::string longText(2000, 'x');
    LibInfo("%s", longText.c_str());
    set_alert_presenter(nullptr);
    ASSERT_EQ(script.Questions().size(), 1u);
    EXPECT_EQ(script.Questions()[0].text.size(), 511u);
}
