// Shows a window with every standard view and control of the interface kit
// on a real X display (run under xvfb-run), takes a picture of it and
// checks that something was drawn. ONDELLE_SCREENSHOT names where to keep
// the picture; by default it goes to the test's temporary folder.
#include <Bitmap.h>
#include <Box.h>
#include <Button.h>
#include <CheckBox.h>
#include <ListView.h>
#include <ScrollBar.h>
#include <ScrollView.h>
#include <StringItem.h>
#include <TextView.h>
#include <View.h>
#include <Window.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QSet>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

void Settle(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// A view that uses the drawing calls: lines, rectangles, rounded
// rectangles, text (turned too) and a bitmap drawn over and blended.
class DrawingView : public BView {
public:
    explicit DrawingView(BRect frame)
        : BView(frame, "drawing", B_FOLLOW_NONE, B_WILL_DRAW),
          fIcon(BRect(0, 0, 15, 15), B_RGBA32)
    {
        SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
        for (int32 y = 0; y < 16; y++) {
            for (int32 x = 0; x < 16; x++) {
                const bool ring = (x - 8) * (x - 8) + (y - 8) * (y - 8) < 50;
                fIcon.SetColorAt(x, y, ring ? make_color(uint8(40 + x * 12), 90, uint8(220 - y * 8), uint8(255 - x * 8))
                    : B_TRANSPARENT_COLOR);
            }
        }
    }

    void Draw(BRect) override
    {
        const BRect bounds = Bounds();
        SetHighColor(tint_color(ViewColor(), B_DARKEN_2_TINT));
        StrokeRect(bounds);
        SetHighColor(0, 0, 229);
        StrokeLine(BPoint(4, 4), BPoint(60, 30));
        SetHighColor(255, 203, 0);
        FillRoundRect(BRect(70, 4, 130, 30), 5, 5);
        SetHighColor(0, 0, 0);
        StrokeRoundRect(BRect(70, 4, 130, 30), 5, 5);
        DrawString("Drawn text", BPoint(6, 48));
        BFont turned(be_plain_font);
        turned.SetRotation(90);
        SetFont(&turned);
        DrawString("Up", BPoint(bounds.right - 6, 50));
        SetFont(be_plain_font);
        SetDrawingMode(B_OP_OVER);
        DrawBitmap(&fIcon, BPoint(140, 8));
        SetDrawingMode(B_OP_ALPHA);
        DrawBitmap(&fIcon, BPoint(160, 8));
        SetDrawingMode(B_OP_COPY);
    }

private:
    BBitmap fIcon;
};

} // namespace

TEST(DisplayTest, DemoWindowShowsEveryControl)
{
    ASSERT_NE(QGuiApplication::platformName(), QString("offscreen")) << "run this test on a display";

    auto* window = new BWindow(BRect(80, 80, 539, 399), "Interface Kit", B_TITLED_WINDOW,
        B_NOT_ZOOMABLE | B_NOT_RESIZABLE);
    auto* box = new BBox(BRect(10, 10, 449, 139), "choices_box");
    box->SetLabel("Install Options");
    window->AddChild(box);
    box->AddChild(new BCheckBox(BRect(12, 22, 220, 40), "future_collisions", "Apply to all future collisions",
        new BMessage(1000)));
    auto* ticked = new BCheckBox(BRect(12, 42, 220, 60), "log", "Write an install log", new BMessage(1001));
    ticked->SetValue(B_CONTROL_ON);
    box->AddChild(ticked);
    auto* disabled = new BCheckBox(BRect(12, 62, 220, 80), "disabled", "Not available", new BMessage(1002));
    disabled->SetEnabled(false);
    box->AddChild(disabled);
    box->AddChild(new DrawingView(BRect(232, 20, 428, 118)));

    auto* list = new BListView(BRect(12, 152, 170, 266), "install_list", B_MULTIPLE_SELECTION_LIST);
    std::vector<std::unique_ptr<BStringItem>> items;
    for (const char* name : {"Application", "Documentation", "Examples", "Fonts", "Sounds", "Translators",
             "Add-ons", "Read Me"}) {
        items.push_back(std::make_unique<BStringItem>(name));
        list->AddItem(items.back().get());
    }
    list->Select(1, 2);
    window->AddChild(new BScrollView("install_scroll", list, B_FOLLOW_NONE, 0, false, true));

    auto* text = new BTextView(BRect(200, 152, 430, 266), "license_text", BRect(3, 3, 226, 110), B_FOLLOW_NONE,
        B_WILL_DRAW);
    text->SetText("Read the license before you install.\n\nThe software is provided as it is, without any "
        "warranty. You may copy it for your own use.");
    text->MakeEditable(false);
    window->AddChild(new BScrollView("license_scroll", text, B_FOLLOW_NONE, 0, false, true));

    window->AddChild(new BButton(BRect(260, 284, 339, 307), "stop", "Stop", new BMessage(2001)));
    auto* install = new BButton(BRect(360, 284, 439, 307), "install", "Install", new BMessage(2002));
    window->AddChild(install);
    window->SetDefaultButton(install);
    window->Show();
    Settle(600);

    QWidget* widget = window->_Widget();
    ASSERT_TRUE(widget->isVisible());
    const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(460, 320));

    // Not blank: many colours, the panel grey among them, and the labels'
    // black text.
    QSet<QRgb> colours;
    int black = 0;
    int panel = 0;
    for (int y = 0; y < image.height(); y++) {
        for (int x = 0; x < image.width(); x++) {
            const QRgb pixel = image.pixel(x, y);
            colours.insert(pixel);
            if (qRed(pixel) < 40 && qGreen(pixel) < 40 && qBlue(pixel) < 40)
                black++;
            if (pixel == qRgb(216, 216, 216))
                panel++;
        }
    }
    EXPECT_GT(colours.size(), 20);
    EXPECT_GT(black, 300);
    EXPECT_GT(panel, image.width() * image.height() / 4);
    // The list's white background and a selected item's darker grey, right
    // of the item texts, at least 3:1 from the white.
    EXPECT_EQ(image.pixel(150, 245), qRgb(255, 255, 255));
    const rgb_color mark = list_selection_color(make_color(255, 255, 255));
    EXPECT_EQ(image.pixel(150, 175), qRgb(mark.red, mark.green, mark.blue));

    const char* keep = std::getenv("ONDELLE_SCREENSHOT");
    const std::string path = keep != nullptr ? keep : std::string(std::getenv("TMPDIR")) + "/demo.png";
    EXPECT_TRUE(image.save(QString::fromStdString(path), "PNG"));

    ASSERT_TRUE(window->Lock());
    window->Quit();
}
