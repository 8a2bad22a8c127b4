#include "InterfaceTestSupport.h"

#include <Button.h>
#include <Control.h>

#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

#include <atomic>

TEST(ViewTreeTest, NamesParentsAndFindView)
{
    TestWindow window;
    auto* box = new BView(BRect(10, 10, 109, 59), "outer", B_FOLLOW_NONE, 0);
    auto* inner = new BView(BRect(5, 5, 24, 14), "inner", B_FOLLOW_NONE, 0);
    auto* sibling = new BView(BRect(30, 5, 44, 14), "sibling", B_FOLLOW_NONE, 0);
    box->AddChild(inner);
    box->AddChild(sibling);
    window->AddChild(box);

    EXPECT_EQ(window->FindView("inner"), inner);
    EXPECT_EQ(window->FindView("outer"), box);
    EXPECT_EQ(window->FindView("missing"), nullptr);
    EXPECT_EQ(inner->Parent(), box);
    EXPECT_EQ(box->Parent(), nullptr);
    EXPECT_EQ(inner->Window(), window.Get());
    EXPECT_EQ(window->CountChildren(), 1);
    EXPECT_EQ(box->CountChildren(), 2);
    EXPECT_EQ(inner->NextSibling(), sibling);
    EXPECT_EQ(sibling->PreviousSibling(), inner);
    // Views are handlers of their window.
    EXPECT_EQ(inner->Looper(), window.Get());
    EXPECT_EQ(QString::fromUtf8("inner"), inner->_Widget()->objectName());

    EXPECT_TRUE(box->RemoveChild(inner));
    EXPECT_EQ(inner->Window(), nullptr);
    EXPECT_EQ(inner->Looper(), nullptr);
    EXPECT_EQ(window->FindView("inner"), nullptr);
    delete inner;
}

TEST(ViewTreeTest, FramesAreInclusiveAndMirroredOnWidgets)
{
    TestWindow window(BRect(50, 60, 249, 159));
    EXPECT_EQ(window->Frame(), BRect(50, 60, 249, 159));
    EXPECT_EQ(window->Bounds(), BRect(0, 0, 199, 99));
    auto* view = new BView(BRect(10, 20, 19, 29), "view", B_FOLLOW_NONE, 0);
    window->AddChild(view);
    EXPECT_EQ(view->Frame(), BRect(10, 20, 19, 29));
    EXPECT_EQ(view->Bounds(), BRect(0, 0, 9, 9));
    // Ten coordinates wide is ten pixels.
    EXPECT_EQ(view->_Widget()->geometry(), QRect(10, 20, 10, 10));
    EXPECT_EQ(window->_Widget()->geometry().size(), QSize(200, 100));

    EXPECT_EQ(view->ConvertToScreen(BPoint(1, 2)), BPoint(61, 82));
    EXPECT_EQ(view->ConvertFromScreen(BPoint(61, 82)), BPoint(1, 2));
    EXPECT_EQ(window->ConvertToScreen(BPoint(0, 0)), BPoint(50, 60));
    EXPECT_EQ(window->FindView(BPoint(15, 25)), view);
    EXPECT_EQ(window->FindView(BPoint(5, 5)), nullptr);

    view->ScrollTo(BPoint(5, 5));
    EXPECT_EQ(view->Bounds(), BRect(5, 5, 14, 14));
    EXPECT_EQ(view->Frame(), BRect(10, 20, 19, 29));
}

TEST(ViewTreeTest, ResizingModesFollowTheParent)
{
    TestWindow window(BRect(0, 0, 199, 99));
    auto* parent = new BView(BRect(0, 0, 199, 99), "parent", B_FOLLOW_ALL, 0);
    auto* leftTop = new BView(BRect(10, 10, 29, 19), "left_top", B_FOLLOW_LEFT | B_FOLLOW_TOP, 0);
    auto* rightBottom = new BView(BRect(170, 70, 189, 89), "right_bottom", B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM, 0);
    auto* all = new BView(BRect(10, 30, 189, 59), "all", B_FOLLOW_ALL, 0);
    auto* leftRight = new BView(BRect(10, 60, 189, 69), "left_right", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, 0);
    auto* centred = new BView(BRect(90, 40, 109, 49), "centred", B_FOLLOW_H_CENTER | B_FOLLOW_V_CENTER, 0);
    auto* none = new BView(BRect(5, 5, 9, 9), "none", B_FOLLOW_NONE, 0);
    for (BView* child : {leftTop, rightBottom, all, leftRight, centred, none})
        parent->AddChild(child);
    window->AddChild(parent);

    window->ResizeTo(299, 149);  // 100 wider, 50 taller
    EXPECT_EQ(parent->Frame(), BRect(0, 0, 299, 149));
    EXPECT_EQ(leftTop->Frame(), BRect(10, 10, 29, 19));
    EXPECT_EQ(rightBottom->Frame(), BRect(270, 120, 289, 139));
    EXPECT_EQ(all->Frame(), BRect(10, 30, 289, 109));
    EXPECT_EQ(leftRight->Frame(), BRect(10, 60, 289, 69));
    EXPECT_EQ(centred->Frame(), BRect(140, 65, 159, 74));
    EXPECT_EQ(none->Frame(), BRect(5, 5, 9, 9));
    EXPECT_EQ(all->_Widget()->geometry(), QRect(10, 30, 280, 80));

    // Shrinking back restores every frame.
    window->ResizeTo(199, 99);
    EXPECT_EQ(rightBottom->Frame(), BRect(170, 70, 189, 89));
    EXPECT_EQ(centred->Frame(), BRect(90, 40, 109, 49));
}

TEST(ViewTreeTest, ButtonSendsItsMessageToItsTarget)
{
    TestWindow window;
    auto* recorder = new RecordingView();
    window->AddChild(recorder);
    auto* button = new BButton(BRect(10, 10, 89, 29), "ok_button", "OK", new BMessage('okay'));
    window->AddChild(button);
    button->SetTarget(recorder);
    window.Show();

    auto* native = button->_Widget()->findChild<QPushButton*>();
    ASSERT_NE(native, nullptr);
    EXPECT_EQ(native->text(), QString("OK"));
    native->click();
    ASSERT_TRUE(WaitFor([&] { return recorder->Count() == 1; }));
    const BMessage message = recorder->Messages().front();
    EXPECT_EQ(message.what, uint32('okay'));
    void* source = nullptr;
    EXPECT_EQ(message.FindPointer("source", &source), B_OK);
    EXPECT_EQ(source, static_cast<BControl*>(button));
    int64 when = 0;
    EXPECT_EQ(message.FindInt64("when", &when), B_OK);
}

TEST(ViewTreeTest, ControlWithoutTargetTalksToItsWindow)
{
    struct CountingWindow : BWindow {
        CountingWindow() : BWindow(BRect(0, 0, 99, 99), "Counting", B_TITLED_WINDOW, 0) {}
        void MessageReceived(BMessage* message) override
        {
            if (message->what == 'hit!')
                hits++;
            else
                BWindow::MessageReceived(message);
        }
        std::atomic<int> hits{0};
    };
    auto* window = new CountingWindow();
    auto* button = new BButton(BRect(0, 0, 79, 19), "hit", "Hit", new BMessage('hit!'));
    window->AddChild(button);
    window->Show();
    button->_Widget()->findChild<QPushButton*>()->click();
    EXPECT_TRUE(WaitFor([&] { return window->hits == 1; }));
    ASSERT_TRUE(window->Lock());
    window->Quit();
}
