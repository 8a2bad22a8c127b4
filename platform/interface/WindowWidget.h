// The top-level Qt widget of a BWindow: it passes the window system's
// close, move, resize and activation events, and keys no view took, to
// the window as messages. Only the platform layer includes it.
#pragma once

#include <QWidget>

class BWindow;

namespace BPrivate {

class WindowWidget : public QWidget {
public:
    explicit WindowWidget(BWindow* window);

    void Forget() { fWindow = nullptr; }
    // The window this widget shows; null once the window is gone.
    BWindow* Window() const { return fWindow; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    BWindow* fWindow;
};

} // namespace BPrivate
