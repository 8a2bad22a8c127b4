// The list view: hover reports, Escape and Tab, and dragging an item to a
// new place with a scripted hand (releases over another item, over the
// same item and outside, and scrolling near the bottom edge).
#include "../platform_interface/InterfaceTestSupport.h"
#include "RecordingWindow.h"

#include <LibListView.h>

#include <ScrollBar.h>
#include <StringItem.h>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace {

enum { kHover = 'hovr', kReordered = 'reor' };

// A list whose hand is scripted: each look at the pointer takes the next
// step; the window counts as active unless told otherwise.
class ScriptedList : public LibListView {
public:
    ScriptedList() : LibListView(BRect(0, 0, 199, 99), "list") {}

    std::deque<std::pair<BPoint, uint32>> steps;
    // When set, the pointer stays this far above the visible bottom edge
    // for holdSteps looks, then lets go outside.
    int holdSteps = 0;
    float holdAbove = 0;
    std::vector<float> scrollValues;
    std::vector<std::pair<int32, int32>> reordered;
    bool active = true;

    void ItemReordered(const int32& from, const int32& to) override
    {
        reordered.emplace_back(from, to);
        MoveItem(from, to);
    }

protected:
    void ReadDragMouse(BPoint& where, uint32& buttons) override
    {
        if (holdSteps > 0) {
            const float scroll = ScrollBar(B_VERTICAL) != nullptr ? ScrollBar(B_VERTICAL)->Value() : 0;
            scrollValues.push_back(scroll);
            holdSteps--;
            where = BPoint(50, scroll + Frame().Height() - holdAbove);
            buttons = holdSteps > 0 ? B_PRIMARY_MOUSE_BUTTON : 0;
            return;
        }
        where = steps.front().first;
        buttons = steps.front().second;
        steps.pop_front();
    }
    void DragPause() override {}
    bool WindowIsActive() const override { return active; }
};

// List views do not own their entries: the test keeps them until its end.
std::vector<std::unique_ptr<BListItem>>& Entries()
{
    static std::vector<std::unique_ptr<BListItem>> entries;
    return entries;
}

void Fill(BListView* list, int count)
{
    for (int i = 0; i < count; i++) {
        Entries().push_back(std::make_unique<BStringItem>(std::to_string(i).c_str()));
        list->AddItem(Entries().back().get());
    }
}

BPoint Middle(LibListView* list, int32 index)
{
    const BRect frame = list->ItemFrame(index);
    return BPoint(50, (frame.top + frame.bottom) / 2);
}

std::string Order(BListView* list)
{
    std::string order;
    for (int32 i = 0; i < list->CountItems(); i++)
        order += static_cast<BStringItem*>(list->ItemAt(i))->Text();
    return order;
}

} // namespace

TEST(LibListViewTest, HoverReportsEnteringMovingAndLeaving)
{
    auto* window = new RecordingWindow({kHover, kReordered});
    auto* list = new ScriptedList();
    window->AddChild(list);
    Fill(list, 5);

    // Silent without a command and while the window is inactive.
    list->MouseMoved(Middle(list, 0), B_INSIDE_VIEW, nullptr);
    list->SetHoverCommand(kHover);
    list->active = false;
    list->MouseMoved(Middle(list, 1), B_INSIDE_VIEW, nullptr);
    list->active = true;

    list->MouseMoved(Middle(list, 0), B_ENTERED_VIEW, nullptr);
    list->MouseMoved(Middle(list, 0), B_INSIDE_VIEW, nullptr);
    list->MouseMoved(Middle(list, 0) + BPoint(3, 2), B_INSIDE_VIEW, nullptr);
    list->MouseMoved(Middle(list, 1), B_INSIDE_VIEW, nullptr);
    list->MouseMoved(Middle(list, 2), B_INSIDE_VIEW, nullptr);
    list->MouseMoved(Middle(list, 2), B_OUTSIDE_VIEW, nullptr);
    list->MouseMoved(Middle(list, 2), B_EXITED_VIEW, nullptr);
    // Entering again starts from "none": the same item is reported anew.
    list->MouseMoved(Middle(list, 2), B_ENTERED_VIEW, nullptr);
    list->MouseMoved(Middle(list, 2), B_INSIDE_VIEW, nullptr);
    // Below the last item there is no item.
    list->MouseMoved(BPoint(50, 95), B_INSIDE_VIEW, nullptr);
    window->Show();

    const std::vector<int32> expected = {0, 1, 2, -1, 2, -1};
    ASSERT_TRUE(WaitFor([&] { return window->Messages().size() >= expected.size(); }));
    std::vector<int32> items;
    for (const BMessage& message : window->Messages())
        items.push_back(message.GetInt32("item", -99));
    EXPECT_EQ(items, expected);
    if (window->Lock())
        window->Quit();
}

TEST(LibListViewTest, DragReordersOnlyWhenReleasedOverAnotherItem)
{
    auto* window = new RecordingWindow({kHover, kReordered});
    auto* list = new ScriptedList();
    window->AddChild(list);
    Fill(list, 6);
    list->SetReorderCommand(kReordered);
    list->Select(2);

    // Not allowed yet, and not on an item that was not selected first.
    EXPECT_FALSE(list->InitiateDrag(Middle(list, 2), 2, true));
    list->AllowReorder(true, nullptr);
    EXPECT_FALSE(list->InitiateDrag(Middle(list, 2), 2, false));
    // A missing item takes the drag and changes nothing.
    EXPECT_TRUE(list->InitiateDrag(BPoint(50, 90), 17, true));

    // Released over item 5 after passing items 3 and 4.
    list->steps = {{Middle(list, 3), B_PRIMARY_MOUSE_BUTTON}, {Middle(list, 4), B_PRIMARY_MOUSE_BUTTON},
        {Middle(list, 5), 0}};
    EXPECT_TRUE(list->InitiateDrag(Middle(list, 2), 2, true));
    EXPECT_EQ(list->reordered, (std::vector<std::pair<int32, int32>>{{2, 5}}));
    EXPECT_EQ(Order(list), "013452");

    // Released over the item itself; dragged out at the left edge; dragged
    // below the visible part: no change.
    list->steps = {{Middle(list, 4), B_PRIMARY_MOUSE_BUTTON}, {Middle(list, 2), 0}};
    EXPECT_TRUE(list->InitiateDrag(Middle(list, 2), 2, true));
    list->steps = {{Middle(list, 4), B_PRIMARY_MOUSE_BUTTON}, {BPoint(1, Middle(list, 4).y), B_PRIMARY_MOUSE_BUTTON}};
    EXPECT_TRUE(list->InitiateDrag(Middle(list, 1), 1, true));
    list->steps = {{BPoint(50, 250), B_PRIMARY_MOUSE_BUTTON}};
    EXPECT_TRUE(list->InitiateDrag(Middle(list, 1), 1, true));
    EXPECT_EQ(list->reordered.size(), 1u);
    EXPECT_EQ(Order(list), "013452");

    window->Show();
    ASSERT_TRUE(WaitFor([&] { return window->Messages().size() >= 1; }));
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(window->Messages().size(), 1u);
    EXPECT_EQ(window->Messages()[0].what, uint32(kReordered));
    if (window->Lock())
        window->Quit();
}

TEST(LibListViewTest, HoldingNearTheBottomScrollsByTheSmallStepToTheEnd)
{
    TestWindow window;
    auto* list = new ScriptedList();
    auto* bar = new BScrollBar(BRect(200, 0, 213, 99), "bar", list, 0, 0, B_VERTICAL);
    window->AddChild(list);
    window->AddChild(bar);
    Fill(list, 40);
    float minimum = 0;
    float maximum = 0;
    bar->GetRange(&minimum, &maximum);
    ASSERT_GT(maximum, 60);
    bar->SetSteps(7, 50);
    bar->SetValue(20);
    list->Select(1);
    list->AllowReorder(true, bar);

    // Hold 5 pixels above the bottom edge of the scrolled list.
    list->holdAbove = 5;
    list->holdSteps = int(maximum / 7) + 6;
    list->InitiateDrag(Middle(list, 1), 1, true);
    ASSERT_GE(list->scrollValues.size(), 3u);
    EXPECT_FLOAT_EQ(list->scrollValues[0], 20);
    EXPECT_FLOAT_EQ(list->scrollValues[1], 27);
    EXPECT_FLOAT_EQ(list->scrollValues[2], 34);
    EXPECT_FLOAT_EQ(list->scrollValues.back(), maximum);
    EXPECT_FLOAT_EQ(bar->Value(), maximum);

    // Near the top it scrolls back, and no further than the start.
    list->holdAbove = list->Frame().Height() - 3;
    list->holdSteps = int(maximum / 7) + 6;
    list->InitiateDrag(Middle(list, 1), 1, true);
    EXPECT_FLOAT_EQ(bar->Value(), 0);
}

TEST(LibListViewTest, EscapeAndTabHideAPopUpWindowOtherKeysMove)
{
    TestWindow window;
    window->SetLook(B_NO_BORDER_WINDOW_LOOK);
    auto* list = new ScriptedList();
    window->AddChild(list);
    Fill(list, 3);
    window.Show();
    ASSERT_TRUE(window->Lock());
    list->Select(0);
    const char down = B_DOWN_ARROW;
    list->KeyDown(&down, 1);
    EXPECT_EQ(list->CurrentSelection(), 1);
    const char escape = B_ESCAPE;
    list->KeyDown(&escape, 1);
    EXPECT_TRUE(window->IsHidden());
    window->Show();
    const char tab = B_TAB;
    list->KeyDown(&tab, 1);
    EXPECT_TRUE(window->IsHidden());
    window->Unlock();
}

TEST(LibListViewTest, EscapeAndTabLeaveAWindowWithATitleBarShown)
{
    TestWindow window;
    auto* list = new ScriptedList();
    window->AddChild(list);
    Fill(list, 3);
    window.Show();
    ASSERT_TRUE(window->Lock());
    list->Select(1);
    for (const char key : {char(B_ESCAPE), char(B_TAB)}) {
        list->KeyDown(&key, 1);
        EXPECT_FALSE(window->IsHidden()) << int(key);
    }
    EXPECT_EQ(list->CurrentSelection(), 1);
    window->Unlock();
}

TEST(LibListViewTest, WithoutAnOverrideTheListStaysAndSaysSo)
{
    TestWindow window;
    auto* list = new LibListView(BRect(0, 0, 199, 99), "plain");
    window->AddChild(list);
    Fill(list, 3);
    testing::internal::CaptureStderr();
    list->ItemReordered(0, 2);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "ItemReordered needs to be inherited\n");
    EXPECT_EQ(Order(list), "012");
    list->MakeEmpty();
}
