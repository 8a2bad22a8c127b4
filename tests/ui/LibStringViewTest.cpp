#include "../platform_interface/InterfaceTestSupport.h"

#include <Font.h>
#include <LibStringView.h>

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kEllipsis = "\xE2\x80\xA6";
const char* const kPath = "/boot/home/config/settings/SomeApplication/preferences";

} // namespace

TEST(LibStringViewTest, TruncationKeepsWhatEachModeKeeps)
{
    TestWindow window;
    auto* view = new LibStringView(BRect(0, 0, 120, 15), "path", "");
    window->AddChild(view);
    const float width = view->Frame().Width();
    ASSERT_GT(view->StringWidth(kPath), width);
    const std::string path = kPath;

    view->SetTruncatedText(kPath, B_TRUNCATE_BEGINNING);
    std::string text = view->Text();
    EXPECT_LE(view->StringWidth(text.c_str()), width);
    EXPECT_EQ(text.rfind(kEllipsis, 0), 0u) << text;
    EXPECT_EQ(text.substr(text.size() - 11), "preferences") << text;

    view->SetTruncatedText(kPath, B_TRUNCATE_END);
    text = view->Text();
    EXPECT_LE(view->StringWidth(text.c_str()), width);
    EXPECT_EQ(text.substr(0, 5), "/boot") << text;
    EXPECT_EQ(text.substr(text.size() - 3), kEllipsis) << text;

    for (uint32 mode : {uint32(B_TRUNCATE_MIDDLE), uint32(B_TRUNCATE_SMART)}) {
        view->SetTruncatedText(kPath, mode);
        text = view->Text();
        EXPECT_LE(view->StringWidth(text.c_str()), width);
        EXPECT_EQ(text.substr(0, 5), "/boot") << text;
        EXPECT_EQ(text.substr(text.size() - 5), "ences") << text;
        EXPECT_NE(text.find(kEllipsis), std::string::npos) << text;
    }

    // A text that fits, and short texts whose ellipsis would be longer in
    // bytes than what it replaces.
    view->SetTruncatedText("/boot", B_TRUNCATE_MIDDLE);
    EXPECT_STREQ(view->Text(), "/boot");
    view->SetTruncatedText(nullptr, B_TRUNCATE_END);
    EXPECT_STREQ(view->Text(), "");
    view->ResizeTo(8, 15);
    view->SetTruncatedText("WW", B_TRUNCATE_END);
    EXPECT_LE(view->StringWidth(view->Text()), 8.0f);
}

TEST(LibStringViewTest, WhatIsDrawnIsCutOnceAndKeepsTheEndItWasCutFor)
{
    TestWindow window;
    BFont bold(be_bold_font);
    for (float width : {120.f, 180.f, 240.f}) {
        const BFont* fonts[] = {be_plain_font, &bold};
        for (const BFont* font : fonts) {
            auto* view = new LibStringView(BRect(0, 0, width, 15), "path", "");
            view->SetFont(font);
            window->AddChild(view);
            view->SetTruncatedText(kPath, B_TRUNCATE_BEGINNING);
            std::string drawn;
            view->GetDrawnText(&drawn, nullptr);
            EXPECT_EQ(drawn, view->Text()) << width;
            EXPECT_EQ(drawn.rfind(kEllipsis, 0), 0u) << drawn;
            EXPECT_EQ(drawn.find(kEllipsis, 1), std::string::npos) << drawn;
            EXPECT_EQ(drawn.substr(drawn.size() - 11), "preferences") << drawn;
            view->RemoveSelf();
            delete view;
        }
    }
}

TEST(LibStringViewTest, TheWidthAtTheCallCounts)
{
    TestWindow window;
    auto* view = new LibStringView(BRect(0, 0, 80, 15), "path", "");
    window->AddChild(view);
    view->SetTruncatedText(kPath, B_TRUNCATE_MIDDLE);
    const std::string narrow = view->Text();
    view->ResizeTo(400, 15);
    EXPECT_EQ(view->Text(), narrow);
    view->SetTruncatedText(kPath, B_TRUNCATE_MIDDLE);
    EXPECT_STREQ(view->Text(), kPath);
}

TEST(LibStringViewTest, ShowAndHideDoNotNest)
{
    TestWindow window;
    auto* parent = new BView(BRect(0, 0, 199, 99), "parent", B_FOLLOW_NONE, 0);
    auto* view = new LibStringView(BRect(0, 0, 80, 15), "status", "ready");
    parent->AddChild(view);
    window->AddChild(parent);

    view->Hide();
    view->Hide();
    EXPECT_TRUE(view->IsHidden());
    view->Show();
    EXPECT_FALSE(view->IsHidden());

    // Shown inside a hidden parent: a Show() must not count, so one Hide()
    // hides it once the parent shows again.
    parent->Hide();
    view->Show();
    parent->Show();
    EXPECT_FALSE(view->IsHidden());
    view->Hide();
    EXPECT_TRUE(view->IsHidden());
}
