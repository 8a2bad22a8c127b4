#include "InterfaceTestSupport.h"

#include <StringView.h>

#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// Leftmost and rightmost columns with a dark pixel, or -1.
std::pair<int, int> InkColumns(const QImage& image)
{
    int first = -1;
    int last = -1;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (qGray(image.pixel(x, y)) < 100) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
        }
    }
    return {first, last};
}

} // namespace

TEST(StringViewTest, TextAndAlignmentDecideWhereTheInkIs)
{
    TestWindow window(BRect(100, 100, 399, 199));
    auto* view = new BStringView(BRect(0, 0, 199, 19), "text", "Disk");
    view->SetViewColor(make_color(255, 255, 255));
    window->AddChild(view);
    window.Show();

    ASSERT_TRUE(window->Lock());
    EXPECT_STREQ(view->Text(), "Disk");
    EXPECT_EQ(view->Alignment(), B_ALIGN_LEFT);
    float width = 0, height = 0;
    view->GetPreferredSize(&width, &height);
    EXPECT_GT(width, view->StringWidth("Disk"));
    EXPECT_GT(height, 0.0f);
    window->Unlock();

    auto left = InkColumns(view->_Widget()->grab().toImage());
    ASSERT_GE(left.first, 0);
    EXPECT_LT(left.first, 10);

    ASSERT_TRUE(window->Lock());
    view->SetAlignment(B_ALIGN_RIGHT);
    window->Unlock();
    auto right = InkColumns(view->_Widget()->grab().toImage());
    EXPECT_GT(right.second, 190);

    ASSERT_TRUE(window->Lock());
    view->SetText("");
    view->SetText(nullptr);
    EXPECT_STREQ(view->Text(), "");
    window->Unlock();
    EXPECT_EQ(InkColumns(view->_Widget()->grab().toImage()).first, -1);
}
