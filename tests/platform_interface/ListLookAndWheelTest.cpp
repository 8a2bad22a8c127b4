// Lists as the user sees and moves them: a selected row stands out from
// the list's background, and the mouse wheel scrolls lists and the views
// in scroll views.
#include "InterfaceTestSupport.h"

#include <ListView.h>
#include <ScrollBar.h>
#include <ScrollView.h>
#include <StringItem.h>
#include <TextView.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QScrollBar>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

rgb_color ColourAt(const QImage& image, QPoint where)
{
    const QRgb pixel = image.pixel(where);
    return make_color(uint8(qRed(pixel)), uint8(qGreen(pixel)), uint8(qBlue(pixel)));
}

void Turn(QWidget* widget, int notches, Qt::KeyboardModifiers held = Qt::NoModifier)
{
    const QPointF inside(widget->width() / 2.0, widget->height() / 2.0);
    QWheelEvent wheel(inside, widget->mapToGlobal(inside), QPoint(), QPoint(0, -120 * notches), Qt::NoButton,
        held, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &wheel);
}

} // namespace

TEST(ListLookAndWheelTest, ContrastRatioOfKnownPairs)
{
    EXPECT_NEAR(contrast_ratio(make_color(0, 0, 0), make_color(255, 255, 255)), 21.0f, 0.01f);
    EXPECT_NEAR(contrast_ratio(make_color(255, 255, 255), make_color(0, 0, 0)), 21.0f, 0.01f);
    EXPECT_NEAR(contrast_ratio(make_color(216, 216, 216), make_color(255, 255, 255)), 1.43f, 0.01f);
    // The classic highlight tint of white, and the platform's list colour,
    // are both too faint on white; the selection colour is not.
    EXPECT_LT(contrast_ratio(tint_color(make_color(255, 255, 255), B_HIGHLIGHT_BACKGROUND_TINT),
        make_color(255, 255, 255)), 3.0f);
    for (const rgb_color background : {make_color(255, 255, 255), make_color(216, 216, 216),
             make_color(190, 190, 190), make_color(20, 20, 40)}) {
        const rgb_color selection = list_selection_color(background);
        EXPECT_GE(contrast_ratio(selection, background), 3.0f)
            << int(background.red) << "," << int(background.green) << "," << int(background.blue);
    }
}

TEST(ListLookAndWheelTest, SelectedRowStandsOutThreeToOneAndItsTextIsReadable)
{
    TestWindow window;
    auto* list = new BListView(BRect(10, 10, 150, 150), "list", B_SINGLE_SELECTION_LIST, B_FOLLOW_NONE);
    BStringItem first("first");
    BStringItem second("second");
    list->AddItem(&first);
    list->AddItem(&second);
    window->AddChild(list);
    list->Select(1);
    window.Show();

    ASSERT_TRUE(window->Lock());
    const BRect unselected = list->ItemFrame(0);
    const BRect selected = list->ItemFrame(1);
    window->Unlock();
    QWidget* widget = list->_Widget();
    const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    // The pixels drawn: the right end of each row is background only.
    const rgb_color plain = ColourAt(image, QPoint(int(unselected.right) - 2, int(unselected.top) + 2));
    const rgb_color marked = ColourAt(image, QPoint(int(selected.right) - 2, int(selected.top) + 2));
    EXPECT_GE(contrast_ratio(marked, plain), 3.0f);
    // The darkest pixel of the selected row is its text; it stays readable.
    rgb_color text = marked;
    for (int y = int(selected.top); y <= int(selected.bottom); y++) {
        for (int x = int(selected.left); x < int(selected.left) + 40; x++) {
            const rgb_color pixel = ColourAt(image, QPoint(x, y));
            if (pixel.red + pixel.green + pixel.blue < text.red + text.green + text.blue)
                text = pixel;
        }
    }
    EXPECT_GE(contrast_ratio(text, marked), 4.5f);
    ASSERT_TRUE(window->Lock());
    list->MakeEmpty();
    window->Unlock();
}

TEST(ListLookAndWheelTest, WheelScrollsTheListUnderThePointerAndStopsAtItsEnds)
{
    TestWindow window;
    auto* list = new BListView(BRect(10, 10, 150, 90), "list");
    std::vector<std::unique_ptr<BStringItem>> items;
    for (int i = 0; i < 40; i++) {
        items.push_back(std::make_unique<BStringItem>("entry"));
        list->AddItem(items.back().get());
    }
    window->AddChild(new BScrollView("scroll", list, B_FOLLOW_NONE, 0, false, true));
    window.Show();
    BScrollBar* bar = list->ScrollBar(B_VERTICAL);
    ASSERT_NE(bar, nullptr);
    const auto top = [&] {
        window->Lock();
        const float value = list->Bounds().top;
        window->Unlock();
        return value;
    };
    EXPECT_EQ(top(), 0.0f);

    // Down by two notches: the list and its bar move together.
    Turn(list->_Widget(), 2);
    ASSERT_TRUE(WaitFor([&] { return top() > 0; }));
    ASSERT_TRUE(window->Lock());
    const float twoNotches = list->Bounds().top;
    EXPECT_EQ(bar->Value(), twoNotches);
    window->Unlock();
    // Up again by one: half of it back.
    Turn(list->_Widget(), -1);
    ASSERT_TRUE(WaitFor([&] { return top() < twoNotches; }));
    EXPECT_NEAR(top(), twoNotches / 2, 1.0f);

    // Far up stops at the top; far down at the end of the range.
    Turn(list->_Widget(), -50);
    ASSERT_TRUE(WaitFor([&] { return top() == 0; }));
    Turn(list->_Widget(), 500);
    float minimum = 0;
    float maximum = 0;
    window->Lock();
    bar->GetRange(&minimum, &maximum);
    window->Unlock();
    ASSERT_GT(maximum, 0.0f);
    EXPECT_TRUE(WaitFor([&] { return top() == maximum; }));

    ASSERT_TRUE(window->Lock());
    list->MakeEmpty();
    window->Unlock();
}

TEST(ListLookAndWheelTest, WheelOverAViewWithoutBarsScrollsTheNearestParentThatHasOne)
{
    TestWindow window;
    auto* list = new BListView(BRect(10, 10, 150, 90), "list");
    std::vector<std::unique_ptr<BStringItem>> items;
    for (int i = 0; i < 40; i++) {
        items.push_back(std::make_unique<BStringItem>("entry"));
        list->AddItem(items.back().get());
    }
    // A small view drawn inside the list, as an item's button would be.
    auto* inner = new BView(BRect(0, 0, 20, 10), "inner", B_FOLLOW_NONE, B_WILL_DRAW);
    list->AddChild(inner);
    auto* scroll = new BScrollView("scroll", list, B_FOLLOW_NONE, 0, false, true);
    window->AddChild(scroll);
    window.Show();
    const auto top = [&] {
        window->Lock();
        const float value = list->Bounds().top;
        window->Unlock();
        return value;
    };
    Turn(inner->_Widget(), 1);
    ASSERT_TRUE(WaitFor([&] { return top() > 0; }));
    // Over the scroll view's own border, the wheel scrolls its target.
    const float before = top();
    Turn(scroll->_Widget(), 1);
    EXPECT_TRUE(WaitFor([&] { return top() > before; }));
    ASSERT_TRUE(window->Lock());
    list->MakeEmpty();
    window->Unlock();
}

TEST(ListLookAndWheelTest, TextInAScrollViewMovesItsBarByTheWheelAndTheBarMovesTheText)
{
    TestWindow window;
    auto* text = new BTextView(BRect(10, 10, 150, 70), "text", BRect(0, 0, 140, 60), B_FOLLOW_NONE, B_WILL_DRAW);
    std::string lines;
    for (int i = 0; i < 60; i++)
        lines += "A line of the license to read\n";
    text->SetText(lines.c_str());
    text->MakeEditable(false);
    window->AddChild(new BScrollView("scroll", text, B_FOLLOW_NONE, 0, false, true, B_FANCY_BORDER));
    window.Show();
    BScrollBar* bar = text->ScrollBar(B_VERTICAL);
    ASSERT_NE(bar, nullptr);
    const auto range = [&] {
        float minimum = 0;
        float maximum = 0;
        window->Lock();
        bar->GetRange(&minimum, &maximum);
        window->Unlock();
        return maximum;
    };
    const auto value = [&] {
        window->Lock();
        const float at = bar->Value();
        window->Unlock();
        return at;
    };
    // The bar knows how far the text reaches.
    ASSERT_TRUE(WaitFor([&] { return range() > 0; }));
    auto* editor = text->_Widget()->findChild<QAbstractScrollArea*>();
    ASSERT_NE(editor, nullptr);

    // The wheel over the text scrolls it, and the bar shows where it is.
    Turn(editor->viewport(), 2);
    ASSERT_TRUE(WaitFor([&] { return value() > 0; }));
    EXPECT_EQ(int(value()), editor->verticalScrollBar()->value());

    // Moving the bar moves the text.
    ASSERT_TRUE(window->Lock());
    bar->SetValue(0);
    window->Unlock();
    EXPECT_TRUE(WaitFor([&] { return editor->verticalScrollBar()->value() == 0; }));
}
