// The installer window on a high-density screen (device pixel ratio 2) with
// a desktop font half again as large as usual: pictures are scaled smoothly,
// not pixel-doubled, and every string view's text fits its frame, shortened
// with an ellipsis and drawn smaller where the frame is too low, never cut
// through a glyph.
#include "../install/InstallTestSupport.h"
#include "../platform_interface/InterfaceTestSupport.h"

#include <Application.h>
#include <Box.h>
#include <Entry.h>
#include <Font.h>
#include <InstallImage.h>
#include <InstallerWin.h>
#include <InterfaceKit.h>
#include <StringView.h>

#include <QApplication>
#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <vector>

using namespace installtest;

namespace {

// Qt reads the scale factor when its application is made, which the test
// main does: the whole program runs at device pixel ratio 2.
const bool kScaled = ::setenv("QT_SCALE_FACTOR", "2", 1) == 0;

// The desktop's font is set before the interface kit first meets the
// application (when the application object is made), as a desktop with a
// larger font would have it: 18 pixels against the usual 12.
class ScaledEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        QFont desktop = QApplication::font();
        desktop.setPixelSize(18);
        QApplication::setFont(desktop);
        fApplication = std::make_unique<BApplication>("application/x-vnd.Ondelle-ScaledWindowTest");
        interface_init(true);
    }
    void TearDown() override { fApplication.reset(); }

private:
    std::unique_ptr<BApplication> fApplication;
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ScaledEnvironment);

// A product with an about image whose left half is black and right half
// white, so that scaling shows at the edge in its middle.
class ScaledFixture : public InstallFixture {
public:
    explicit ScaledFixture(bool withImage = true)
    {
        Description().appName = "Skylark Notes";
        Description().version = "1.2";
        Description().releaseDate = "30 November 2026";
        Description().company = "Marrowfield Software";
        Description().supportEmail = "support@marrowfield.example";
        if (withImage)
            WriteAbout();
        Description().groups = {{"Full", "Everything"}};
        Add("a-program-with-a-rather-long-name.bin", "program").groups = {"Full"};
        std::ofstream(Root() / "license.txt") << "Use it well.";
        Description().licenseFile = (Root() / "license.txt").string();
        Load();
    }

    void WriteAbout()
    {
        QImage about(150, 200, QImage::Format_RGB32);
        about.fill(Qt::white);
        QPainter painter(&about);
        painter.fillRect(0, 0, 75, 200, Qt::black);
        painter.end();
        const fs::path image = Root() / "about.png";
        about.save(QString::fromStdString(image.string()), "PNG");
        Description().aboutImage = image.string();
    }

    InstallerWin* Open()
    {
        fWindow = new InstallerWin();
        EXPECT_TRUE(fWindow->LoadResources(Build().c_str()));
        fs::create_directories(Destination());
        entry_ref ref;
        BEntry(Destination().c_str()).GetRef(&ref);
        fWindow->Configuration().SetDestination(ref);
        fWindow->Show();
        return fWindow;
    }

    ~ScaledFixture()
    {
        if (fWindow != nullptr && fWindow->Lock())
            fWindow->Quit();
    }

private:
    InstallerWin* fWindow = nullptr;
};

// A view's frame in its window's coordinates.
BRect WindowFrame(BView* view)
{
    BRect frame = view->Frame();
    for (BView* parent = view->Parent(); parent != nullptr; parent = parent->Parent())
        frame.OffsetBy(parent->Frame().LeftTop());
    return frame;
}

void CollectStringViews(BView* view, std::vector<BStringView*>& found)
{
    if (auto* stringView = dynamic_cast<BStringView*>(view))
        found.push_back(stringView);
    for (int32 i = 0; i < view->CountChildren(); i++)
        CollectStringViews(view->ChildAt(i), found);
}

// Checks every string view of the window; returns how many were shortened.
int CheckStringViewsFit(BWindow* window)
{
    std::vector<BStringView*> views;
    for (int32 i = 0; i < window->CountChildren(); i++)
        CollectStringViews(window->ChildAt(i), views);
    EXPECT_GE(views.size(), 6u);
    int shortened = 0;
    for (BStringView* view : views) {
        std::string text;
        BFont font;
        view->GetDrawnText(&text, &font);
        const BRect bounds = view->Bounds();
        font_height height;
        font.GetHeight(&height);
        EXPECT_LE(std::ceil(height.ascent) + std::ceil(height.descent), bounds.Height() + 1)
            << view->Name() << ": whole glyphs fit the height";
        EXPECT_LE(font.StringWidth(text.c_str()), bounds.Width() + 1) << view->Name() << ": \"" << text << "\"";
        if (text != view->Text()) {
            shortened++;
            EXPECT_NE(text.find("\xE2\x80\xA6"), std::string::npos) << view->Name() << ": ends in an ellipsis";
        }
    }
    return shortened;
}

} // namespace

TEST(ScaledWindowTest, TheDesktopFontSizeScalesTheProgramsFonts)
{
    ASSERT_TRUE(kScaled);
    EXPECT_DOUBLE_EQ(qApp->devicePixelRatio(), 2.0);
    // The plain font (10 pixels on the platform) is drawn at 15: the
    // desktop's 18 against the usual 12.
    // Native controls take it as the application's font.
    EXPECT_EQ(QFontInfo(QApplication::font()).pixelSize(), 15);
    // Measuring goes by the drawn size, while sizes keep the platform's
    // numbers.
    const BFont plain(be_plain_font);
    EXPECT_EQ(plain.Size(), 10);
    const QFontMetricsF metrics(QApplication::font());
    EXPECT_NEAR(plain.StringWidth("Installation"), metrics.horizontalAdvance("Installation"), 0.5);
    font_height height;
    plain.GetHeight(&height);
    EXPECT_NEAR(height.ascent, metrics.ascent(), 0.5);
}

TEST(ScaledWindowTest, StringViewsKeepTheirTextsInsideTheirFrames)
{
    ScaledFixture fixture;
    InstallerWin* window = fixture.Open();
    ASSERT_TRUE(window->Lock());
    CheckStringViewsFit(window);
    window->Unlock();

    window->PostMessage(InstallerWin::kMainButton);
    ASSERT_TRUE(WaitFor([&] { return window->CurrentState() == InstallerWin::kChoosing; }));
    // "Select destination folder and press Install" no longer fits its 230
    // pixels.
    ASSERT_TRUE(window->Lock());
    EXPECT_GE(CheckStringViewsFit(window), 1);
    window->Unlock();

    if (const char* folder = std::getenv("ONDELLE_SCREENSHOT_DIR")) {
        const QImage image = GrabShownWindow(window->Title());
        image.save(QString::fromUtf8((fs::path(folder) / "choices-scale2-large-font.png").c_str()), "PNG");
    }
}

TEST(ScaledWindowTest, PicturesAreScaledSmoothlyOnAHighDensityScreen)
{
    ScaledFixture fixture;
    InstallerWin* window = fixture.Open();
    window->PostMessage(InstallerWin::kMainButton);
    ASSERT_TRUE(WaitFor([&] { return window->CurrentState() == InstallerWin::kChoosing; }));
    ASSERT_TRUE(window->Lock());
    const BRect imageFrame = WindowFrame(window->FindView("InstallImage"));
    const BRect folderFrame = WindowFrame(window->FindView("folder"));
    const char* title = window->Title();
    window->Unlock();

    QImage image;
    ASSERT_TRUE(WaitFor([&] {
        image = GrabShownWindow(title);
        return !image.isNull();
    }));
    ASSERT_EQ(image.width(), 2 * 456);

    // The about image: along a row through its middle, the black-to-white
    // edge at image x 75 passes through greys rather than jumping.
    const int y = int(2 * (imageFrame.top + 100));
    const int edge = int(2 * (imageFrame.left + 75));
    std::set<int> greys;
    for (int x = edge - 4; x <= edge + 4; x++)
        greys.insert(qGray(image.pixel(x, y)));
    EXPECT_EQ(qGray(image.pixel(edge - 20, y)), 0);
    EXPECT_EQ(qGray(image.pixel(edge + 20, y)), 255);
    bool between = false;
    for (int grey : greys)
        between = between || (grey > 20 && grey < 235);
    EXPECT_TRUE(between) << "pixel-doubled edge: only black and white";

    // The folder button's picture (colours of the 8-bit palette only): on
    // a high-density screen its edges show colours between them.
    std::set<QRgb> palette;
    for (int i = 0; i < 256; i++) {
        const rgb_color colour = system_palette()[i];
        palette.insert(qRgb(colour.red, colour.green, colour.blue));
    }
    int blended = 0;
    for (int py = int(2 * folderFrame.top); py < int(2 * (folderFrame.bottom + 1)); py++) {
        for (int px = int(2 * folderFrame.left); px < int(2 * (folderFrame.right + 1)); px++) {
            if (palette.count(image.pixel(px, py) | 0xff000000u) == 0)
                blended++;
        }
    }
    EXPECT_GT(blended, 0) << "pixel-doubled picture: palette colours only";

    if (const char* folder = std::getenv("ONDELLE_SCREENSHOT_DIR"))
        image.save(QString::fromUtf8((fs::path(folder) / "choices-scale2.png").c_str()), "PNG");
}

TEST(ScaledWindowTest, ProductTextsStayInTheirColumnsWithALargerFont)
{
    ScaledFixture fixture(false);
    InstallerWin* window = fixture.Open();
    auto* image = dynamic_cast<InstallImage*>(window->FindView("InstallImage"));
    ASSERT_NE(image, nullptr);
    ASSERT_TRUE(WaitFor([&] {
        QCoreApplication::processEvents();
        window->Lock();
        const bool drawn = image->DrawnTextSize(4) > 0;
        window->Unlock();
        return drawn;
    }));
    ASSERT_TRUE(window->Lock());
    const float length = image->Bounds().Height() - 4;
    float previousRight = 2; // the frame line
    const char* texts[] = {"Skylark Notes", "1.2", "30 November 2026", "Marrowfield Software",
        "support@marrowfield.example"};
    for (int index = 0; index < 5; index++) {
        BFont font;
        image->GetFont(&font);
        font.SetSize(image->DrawnTextSize(index));
        font_height height;
        font.GetHeight(&height);
        const float column = InstallImage::TextColumn(index);
        EXPECT_GE(column - height.ascent, previousRight) << "text " << index << " reaches into the one before";
        EXPECT_LE(font.StringWidth(texts[index]), length) << "text " << index << " runs past the frame";
        previousRight = column + height.descent;
    }
    // The name (18 on the platform) had to become smaller at this font size.
    EXPECT_LT(image->DrawnTextSize(0), 18);
    const char* title = window->Title();
    window->Unlock();
    if (const char* folder = std::getenv("ONDELLE_SCREENSHOT_DIR"))
        GrabShownWindow(title).save(QString::fromUtf8((fs::path(folder) / "license-scale2-large-font.png").c_str()), "PNG");
}

TEST(ScaledWindowTest, BoxLabelsAreNotCutAtTheTop)
{
    // A label whose accent reaches the font's full ascent, in a box at the
    // top of its window.
    TestWindow window(BRect(100, 100, 299, 179));
    auto* box = new BBox(BRect(0, 0, 199, 79), "box");
    box->SetLabel("\xC3\x89rable");
    window->AddChild(box);
    window.Show();
    ASSERT_TRUE(window->Lock());
    BFont font;
    box->GetFont(&font);
    const float labelWidth = font.StringWidth("\xC3\x89rable");
    window->Unlock();

    QImage image;
    ASSERT_TRUE(WaitFor([&] {
        image = GrabShownWindow("Test");
        return !image.isNull();
    }));
    // The label's top rows (two device pixels) show only the panel, and the
    // text starts below them.
    const QRgb panel = image.pixel(4, 0);
    const int left = 2 * 10;
    const int right = int(2 * (10 + labelWidth));
    bool topClear = true;
    bool textBelow = false;
    for (int x = left; x < right; x++) {
        for (int row = 0; row < 2; row++)
            topClear = topClear && image.pixel(x, row) == panel;
        for (int row = 2; row < 30; row++)
            textBelow = textBelow || qGray(image.pixel(x, row)) < 80;
    }
    EXPECT_TRUE(topClear) << "the label is cut at the box's top edge";
    EXPECT_TRUE(textBelow);
}
