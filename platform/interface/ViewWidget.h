// The Qt widget of a BView: it paints by calling the view's Draw() with the
// window locked, and sends mouse, key and focus input to the view as
// messages through the window's queue. Only the platform layer includes it.
#pragma once

#include <SupportDefs.h>

#include <QColor>
#include <QRect>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class BMessage;
class QMimeData;
class BView;

namespace BPrivate {

class ViewWidget : public QWidget {
public:
    explicit ViewWidget(BView* view);

    // The view is going away: no more calls into it.
    void Forget() { fView = nullptr; }
    // The native widget that fills this one (see BView::_SetNativeWidget).
    void SetNative(QWidget* native);

    // What a screen reader learns of the view (QAccessible::Role, value).
    int AccessibleRole() const { return fRole; }
    void SetAccessibleRole(int role) { fRole = role; }
    const QString& AccessibleValue() const { return fValue; }
    void SetAccessibleValue(const QString& value) { fValue = value; }
    // A list's entries as a screen reader reads them: text, selected, and
    // the entry's frame in the widget. GUI thread only.
    struct AccessibleItem {
        QString text;
        bool selected = false;
        QRect frame;
    };
    const std::vector<AccessibleItem>& AccessibleItems() const { return fItems; }
    int AccessibleItemFocus() const { return fItemFocus; }
    bool AccessibleMultiSelect() const { return fMultiSelect; }
    // Replaces the entries; tells a screen reader what changed.
    void SetAccessibleItems(std::vector<AccessibleItem> items, int focus, bool multiSelect);
    // A quantity in a range (a progress bar); hasRange false: none.
    bool HasAccessibleRange() const { return fHasRange; }
    void SetAccessibleRange(double minimum, double maximum, double current);
    double AccessibleMinimum() const { return fMinimum; }
    double AccessibleMaximum() const { return fMaximum; }
    double AccessibleCurrent() const { return fCurrent; }
    // The view colour: painting fills the widget with it first (unless
    // fill is false: a transparent view). GUI thread only.
    void SetBackground(const QColor& colour, bool fill)
    {
        fBackground = colour;
        fFill = fill;
    }
    // Lets Qt's accessibility ask these widgets for their role and value;
    // done once, on the GUI thread.
    static void InstallAccessibility();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Files dragged from the desktop: the view sees the drag as mouse
    // moves carrying a B_SIMPLE_DATA message with "refs", and receives
    // that message when the files are dropped on it.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void _Post(const BMessage& message);
    // Tells the view that Qt gave it the focus, unless the window merely
    // became active again (its focus view is still the same).
    void _FocusIn(const QFocusEvent* event);
    void _Moved(QPointF position, Qt::MouseButtons buttons, Qt::KeyboardModifiers held);
    void _Transit(bool inside, QPointF position);
    // Each returns whether the drag was one of files (and so handled here).
    bool _DragEnter(const QMimeData* data, QPointF position);
    bool _DragMove(QPointF position);
    bool _DragLeave();
    bool _Drop(QPointF position);
    void _PostDragMoved(QPointF position, uint32 transit);

    BView* fView;
    QWidget* fNative = nullptr;
    int fRole;
    QString fValue;
    std::vector<AccessibleItem> fItems;
    int fItemFocus = -1;
    bool fMultiSelect = false;
    bool fHasRange = false;
    double fMinimum = 0;
    double fMaximum = 0;
    double fCurrent = 0;
    bool fInside = false;
    QColor fBackground = QColor(255, 255, 255);
    bool fFill = true;
    // Painting found the window held by another thread; an update comes
    // when it is free. GUI thread only.
    bool fUpdateOwed = false;
    std::unique_ptr<BMessage> fDrag;
};

} // namespace BPrivate
