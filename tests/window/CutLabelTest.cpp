// No label is cut: every text of the installer window and the replace
// alert is drawn whole inside its frame, in the font the program chose.
#include "WindowTestSupport.h"

#include <Button.h>
#include <LibStringView.h>
#include <StringView.h>

#include <TestSupport.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace windowtest;

namespace {

namespace fs = std::filesystem;

// What a view tree draws cut: "name: shown text (drawn width > room)".
void FindCutTexts(BView* view, std::vector<std::string>* cut)
{
    // Paths are cut at their beginning on purpose; the other texts never.
    if (auto* text = dynamic_cast<BStringView*>(view); text != nullptr && dynamic_cast<LibStringView*>(view) == nullptr
        && !view->IsHidden()) {
        std::string shown;
        BFont font;
        text->GetDrawnText(&shown, &font);
        BFont own;
        text->GetFont(&own);
        const float width = font.StringWidth(shown.c_str());
        // The string view keeps 2 pixels free on either side.
        const float room = text->Bounds().Width() + 1 - 4;
        if (shown != text->Text() || width > room || font.Size() != own.Size()) {
            cut->push_back(std::string(view->Name()) + ": \"" + shown + "\" of \"" + text->Text() + "\", "
                + std::to_string(width) + " in " + std::to_string(room));
        }
    }
    if (auto* button = dynamic_cast<BButton*>(view); button != nullptr && !view->IsHidden()) {
        const float width = button->StringWidth(button->Label());
        // The platform's button keeps 10 pixels either side of its label.
        if (width > button->Bounds().Width() + 1 - 20)
            cut->push_back(std::string(view->Name()) + ": button \"" + button->Label() + "\"");
    }
    for (int32 i = 0; i < view->CountChildren(); i++)
        FindCutTexts(view->ChildAt(i), cut);
}

std::vector<std::string> CutTexts(BWindow* window)
{
    std::vector<std::string> cut;
    Locked lock(window);
    for (int32 i = 0; i < window->CountChildren(); i++)
        FindCutTexts(window->ChildAt(i), &cut);
    return cut;
}

} // namespace

TEST(CutLabelTest, NoTextOfTheInstallerWindowIsCutInAnyState)
{
    WindowFixture fixture;
    InstallerWin* window = fixture.Open();
    EXPECT_EQ(CutTexts(window), std::vector<std::string>{});
    Press(window);
    ASSERT_TRUE(WaitFor([&] { return window->CurrentState() == InstallerWin::kChoosing; }));
    EXPECT_EQ(CutTexts(window), std::vector<std::string>{});
}

TEST(CutLabelTest, NoLabelOfTheReplaceAlertIsCut)
{
    ondelle::test::TempDir root;
    fs::create_directories(root / "dest");
    fs::create_directories(root / "unpacked");
    std::ofstream(root / "dest" / "readme.txt") << "old";
    std::ofstream(root / "unpacked" / "readme.txt") << "the new text";
    BAlert question("", "", "OK");
    BuildReplaceQuestion((root / "unpacked" / "readme.txt").c_str(), (root / "dest" / "readme.txt").c_str(),
        question);
    auto* alert = new ReplaceAlert(question.Request(), true);
    // Every label of the facts: Created, Modified, Size, Kind, Path, Version.
    std::vector<std::string> cut;
    int labels = 0;
    for (int32 i = 0; i < alert->CountChildren(); i++)
        FindCutTexts(alert->ChildAt(i), &cut);
    for (const char* prefix : {"to_", "from_"}) {
        for (const char* row : {"creation", "modified", "size", "kind", "path", "version"}) {
            if (alert->FindView((std::string(prefix) + row + "_label").c_str()) != nullptr)
                labels++;
        }
    }
    EXPECT_EQ(labels, 12);
    EXPECT_EQ(cut, std::vector<std::string>{});
    alert->Quit();
}
