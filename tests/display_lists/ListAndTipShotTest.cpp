// A list of file entries with their icons and a tool tip beside it on a
// real X display (run under xvfb-run): takes a picture of the screen and
// checks what was drawn. ONDELLE_SCREENSHOT names where to keep the
// picture; by default it goes to the test's temporary folder.
#include <FileListItem.h>
#include <LibAppTipHost.h>
#include <LibListView.h>
#include <LibTipManager.h>
#include <LibTipWin.h>
#include <LibWindow.h>
#include <InterfaceDefs.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

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

TEST(ListAndTipShotTest, EntriesShowIconsAndTheTipStaysBeside)
{
    const fs::path work = fs::path(std::getenv("TMPDIR")) / "list-shot" / "Some Product";
    fs::create_directories(work / "Documentation");
    std::ofstream(work / "ReadMe.txt") << "Read me first\n";
    std::ofstream(work / "License.html") << "<html><body>License</body></html>\n";
    std::ofstream(work / "someproduct") << "#!/bin/sh\n";
    fs::permissions(work / "someproduct", fs::perms::owner_all);

    auto* window = new LibWindow(BRect(60, 60, 339, 179), "Items", B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, 0);
    auto* list = new LibListView(BRect(0, 0, 279, 119), "custom_list");
    window->AddChild(list);
    for (const char* leaf : {"Documentation", "ReadMe.txt", "License.html", "someproduct"})
        list->AddItem(new FileListItem((work / leaf).c_str(), true, false));
    list->Select(1);
    window->Show();

    LibAppTipHost host(nullptr);
    LibTipManager tips(host);
    BMessage request(kLibTipRequest);
    request.AddBool("show", true);
    request.AddString("tip", "Installs the product's documentation");
    request.AddPoint("loc", BPoint(350, 80));
    request.AddInt16("sdelay", 0);
    request.AddInt16("edelay", 0);
    tips.MessageReceived(&request);
    Settle(800);

    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const QImage image = screen->grabWindow(0, 40, 40, 560, 180).toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(image.isNull());
    // The pale yellow of the tip, the grey of the selected entry and the
    // ink of the names and icons.
    // The selected entry's colour stands out from the list's white.
    const rgb_color mark = list_selection_color(make_color(255, 255, 255));
    int yellow = 0;
    int selected = 0;
    int ink = 0;
    for (int y = 0; y < image.height(); y++) {
        for (int x = 0; x < image.width(); x++) {
            const QRgb pixel = image.pixel(x, y);
            if (pixel == qRgb(255, 255, 203))
                yellow++;
            else if (pixel == qRgb(mark.red, mark.green, mark.blue))
                selected++;
            else if (qRed(pixel) < 60 && qGreen(pixel) < 60 && qBlue(pixel) < 60)
                ink++;
        }
    }
    EXPECT_GT(yellow, 500);
    EXPECT_GT(selected, 1000);
    EXPECT_GT(ink, 200);

    const char* keep = std::getenv("ONDELLE_SCREENSHOT");
    const std::string path = keep != nullptr ? keep : std::string(std::getenv("TMPDIR")) + "/list-and-tip.png";
    EXPECT_TRUE(image.save(QString::fromStdString(path), "PNG"));

    BMessage hide(kLibTipRequest);
    tips.MessageReceived(&hide);
    if (host.TipWindow()->Lock())
        host.TipWindow()->Quit();
    if (window->Lock()) {
        for (int32 i = list->CountItems() - 1; i >= 0; i--)
            delete list->RemoveItem(i);
        window->Quit();
    }
}
