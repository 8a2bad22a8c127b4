#include "../platform_interface/InterfaceTestSupport.h"

#include <TestSupport.h>

#include <AlertPresenter.h>
#include <BackgroundView.h>
#include <Bitmap.h>
#include <InstallImage.h>
#include <ScriptedAlertPresenter.h>

#include <QImage>

#include <gtest/gtest.h>

#include <memory>

namespace {

using ondelle::test::TempDir;

// Installs a scripted presenter for one test.
class ScopedPresenter {
public:
    ScopedPresenter() { set_alert_presenter(&fPresenter); }
    ~ScopedPresenter() { set_alert_presenter(nullptr); }
    ScriptedAlertPresenter* operator->() { return &fPresenter; }

private:
    ScriptedAlertPresenter fPresenter;
};

// A window holding one image view, quit at the end of the test.
struct ImageWindow {
    BWindow* window;
    InstallImage* image;

    explicit ImageWindow(bool editable = false)
        : window(new BWindow(BRect(0, 0, 199, 249), "image", B_TITLED_WINDOW, 0)),
          image(new InstallImage(BPoint(10, 16), editable))
    {
        window->AddChild(image);
    }
    ~ImageWindow()
    {
        if (window->Lock())
            window->Quit();
    }
};

std::string WriteImage(const TempDir& dir, const char* leaf, int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::red);
    const std::string path = (dir / leaf).string();
    image.save(QString::fromStdString(path), "PNG");
    return path;
}

void Click(InstallImage* image, int32 buttons)
{
    BMessage down(B_MOUSE_DOWN);
    down.AddInt32("buttons", buttons);
    down.AddPoint("where", BPoint(5, 5));
    image->Window()->PostMessage(&down, image);
}

} // namespace

TEST(InstallImageTest, FrameAndTextsCentredAlongTheLongSide)
{
    ImageWindow w;
    EXPECT_EQ(w.image->Frame(), BRect(10, 16, 160, 216));
    EXPECT_STREQ(w.image->Name(), "InstallImage");

    w.image->SetCompany("Q");
    const float shortStart = w.image->TextPosition(3);
    w.image->SetCompany("Quorvane Software Corporation");
    const float longStart = w.image->TextPosition(3);
    // A longer text starts lower so that its middle stays at the centre.
    EXPECT_GT(longStart, shortStart);
    EXPECT_NEAR(shortStart, 100, 10);

    // A null text keeps the stored one.
    w.image->SetCompany(nullptr);
    EXPECT_FLOAT_EQ(w.image->TextPosition(3), longStart);
}

TEST(InstallImageTest, ImageRoundTripsThroughItsArchiveAndClicksToggleIt)
{
    ImageWindow w;
    BBitmap bitmap(BRect(0, 0, 149, 199), B_RGBA32);
    BMessage archive;
    ASSERT_EQ(bitmap.Archive(&archive), B_OK);
    w.image->SetImage(archive);
    EXPECT_TRUE(w.image->ShowsImage());

    BMessage copy;
    w.image->GetImage(copy);
    EXPECT_FALSE(copy.IsEmpty());

    w.window->Show();
    Click(w.image, B_PRIMARY_MOUSE_BUTTON);
    EXPECT_TRUE(WaitFor([&] { return !w.image->ShowsImage(); }));
    // Not editable: the tertiary button toggles too, it does not remove.
    Click(w.image, B_TERTIARY_MOUSE_BUTTON);
    EXPECT_TRUE(WaitFor([&] { return w.image->ShowsImage(); }));
    EXPECT_TRUE(w.image->HasImage());

    BMessage empty;
    w.image->SetImage(empty);
    EXPECT_FALSE(w.image->HasImage());
}

TEST(InstallImageTest, ProcessedFilesAreCheckedAndReported)
{
    TempDir dir;
    ScopedPresenter presenter;
    ImageWindow w;

    w.image->ProcessImage(WriteImage(dir, "right.png", 150, 200).c_str());
    EXPECT_TRUE(w.image->ShowsImage());
    EXPECT_TRUE(presenter->Questions().empty());

    presenter->Script(0);
    w.image->ProcessImage(WriteImage(dir, "small.png", 40, 30).c_str());
    EXPECT_TRUE(w.image->ShowsImage());
    ASSERT_EQ(presenter->Questions().size(), 1u);
    EXPECT_EQ(presenter->Questions()[0].text,
        "Image is not the correct size of 150x200. You may use this image, but it will appear in the installer as "
        "shown here.");

    presenter->Script(0);
    w.image->ProcessImage((dir / "missing.png").c_str());
    EXPECT_FALSE(w.image->HasImage());
    ASSERT_EQ(presenter->Questions().size(), 2u);
    EXPECT_EQ(presenter->Questions()[1].text, "Image file not current supported");
}

TEST(InstallImageTest, BackgroundFillsItsWindowAndFollowsIt)
{
    BWindow* window = new BWindow(BRect(0, 0, 455, 257), "bg", B_TITLED_WINDOW, 0);
    BackgroundView* background = new BackgroundView(window->Bounds());
    window->AddChild(background);
    EXPECT_STREQ(background->Name(), "bgview");
    window->ResizeBy(20, 10);
    EXPECT_EQ(background->Frame(), window->Bounds());
    window->Quit();
}
