// Shows the help window with the installer's own help file on a real X
// display (run under xvfb-run), as Shift+F1 over the installer window's item
// list opens it, takes a picture of it and checks what was drawn.
// ONDELLE_SCREENSHOT names where to keep the picture; by default it goes to
// the test's temporary folder.
#include <Application.h>
#include <HelpContentItem.h>
#include <HelpContentList.h>
#include <HelpManager.h>
#include <HelpWindow.h>
#include <LibTextView.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

void Settle(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

} // namespace

TEST(HelpWindowShotTest, HelpOnTheItemListShowsItsEntryAndPage)
{
    // A program file carrying the installer's help: the window reads only
    // its program's own help.
    const fs::path work = fs::path(std::getenv("TMPDIR")) / "help-shot";
    fs::create_directories(work);
    const fs::path program = work / "program";
    { std::ofstream(program, std::ios::trunc); }

    BApplication app("application/x-vnd.Quorvane.Vondl");
    HelpManager help;
    help.SetSignature("application/x-vnd.Quorvane.Vondl");
    help.SetProgramPath(program.c_str());
    ASSERT_TRUE(help.AddHelpFile((fs::path(ONDELLE_SOURCE_DIR) / "app/help/x-vnd.Quorvane.Vondl.help").c_str()));
    BMessage request(HelpManager::kHelpRequest);
    request.AddString("window", "InstallerWin");
    for (const char* view : {"custom_list", "custom_scroll_view", "install_box", "bgview"})
        request.AddString("view", view);
    help.MessageReceived(&request);
    HelpWindow* window = help.Window();
    ASSERT_NE(window, nullptr);
    Settle(800);

    ASSERT_TRUE(window->Lock());
    const int32 selected = window->ContentList()->CurrentSelection();
    auto* item = dynamic_cast<HelpContentItem*>(window->ContentList()->ItemAt(selected));
    ASSERT_NE(item, nullptr);
    EXPECT_STREQ(item->Text(), "Files");
    const std::string page = window->HelpPane()->Text();
    QWidget* widget = window->_Widget();
    window->Unlock();
    EXPECT_GT(page.size(), 40u) << page;

    ASSERT_TRUE(widget->isVisible());
    const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(451, 201));
    // Text in both panes: dark pixels left and right of the divide, on the
    // white of the list and of the page.
    int leftInk = 0;
    int rightInk = 0;
    int white = 0;
    for (int y = 0; y < image.height(); y++) {
        for (int x = 0; x < image.width(); x++) {
            const QRgb pixel = image.pixel(x, y);
            if (qRed(pixel) < 60 && qGreen(pixel) < 60 && qBlue(pixel) < 60)
                (x < 170 ? leftInk : rightInk)++;
            if (pixel == qRgb(255, 255, 255))
                white++;
        }
    }
    EXPECT_GT(leftInk, 100);
    EXPECT_GT(rightInk, 200);
    EXPECT_GT(white, image.width() * image.height() / 3);

    const char* keep = std::getenv("ONDELLE_SCREENSHOT");
    const std::string path = keep != nullptr ? keep : std::string(std::getenv("TMPDIR")) + "/help-window.png";
    EXPECT_TRUE(image.save(QString::fromStdString(path), "PNG"));

    help.CloseWindow();
}
