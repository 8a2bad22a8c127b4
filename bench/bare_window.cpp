// The yardstick of the start-up benchmark: a plain Qt program that shows an
// empty window of the installer window's size. With ONDELLE_REPORT_SHOWN set
// it writes "shown" and ends once its window has been painted, exactly as
// the installer does, so that both are timed the same way.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

class EmptyWindow : public QWidget {
protected:
    void paintEvent(QPaintEvent* event) override
    {
        QWidget::paintEvent(event);
        if (fReported || std::getenv("ONDELLE_REPORT_SHOWN") == nullptr)
            return;
        fReported = true;
        QTimer::singleShot(0, [] {
            std::fputs("shown\n", stdout);
            std::fflush(stdout);
            std::_Exit(0);
        });
    }

private:
    bool fReported = false;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    EmptyWindow window;
    window.resize(456, 258);
    window.show();
    return application.exec();
}
