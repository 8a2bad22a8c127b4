#include "ViewWidget.h"

#include "GuiThread.h"
#include "InputMessages.h"
#include "ShownReport.h"

#include <Entry.h>
#include <Message.h>
#include <View.h>
#include <Window.h>

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QMimeData>
#include <QUrl>
#include <QWheelEvent>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>

#include <cmath>

namespace BPrivate {

namespace {

// How long painting waits for a window that another thread has locked
// before it shows the background and leaves the drawing for later.
const bigtime_t kPaintLockWait = 20000;

// The local files of a drag as a B_SIMPLE_DATA message with one "refs"
// entry each; false when it holds none.
bool FilesMessage(const QMimeData* data, BMessage* message)
{
    if (data == nullptr || !data->hasUrls())
        return false;
    message->MakeEmpty();
    message->what = B_SIMPLE_DATA;
    bool any = false;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        entry_ref ref;
        if (get_ref_for_path(url.toLocalFile().toStdString().c_str(), &ref) == B_OK) {
            message->AddRef("refs", &ref);
            any = true;
        }
    }
    return any;
}

} // namespace

void ViewWidget::SetAccessibleItems(std::vector<AccessibleItem> items, int focus, bool multiSelect)
{
    bool same = items.size() == fItems.size() && focus == fItemFocus && multiSelect == fMultiSelect;
    for (size_t i = 0; same && i < items.size(); i++) {
        same = items[i].text == fItems[i].text && items[i].selected == fItems[i].selected
            && items[i].frame == fItems[i].frame;
    }
    if (same)
        return;
    const bool countChanged = items.size() != fItems.size();
    const bool focusChanged = focus != fItemFocus;
    fItems = std::move(items);
    fItemFocus = focus;
    fMultiSelect = multiSelect;
    if (!QAccessible::isActive())
        return;
    if (countChanged) {
        QAccessibleEvent reorder(this, QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&reorder);
    }
    QAccessibleEvent selection(this, QAccessible::SelectionWithin);
    QAccessible::updateAccessibility(&selection);
    if (focusChanged && hasFocus() && focus >= 0 && size_t(focus) < fItems.size()) {
        QAccessibleEvent moved(this, QAccessible::Focus);
        moved.setChild(focus);
        QAccessible::updateAccessibility(&moved);
    }
}

void ViewWidget::SetAccessibleRange(double minimum, double maximum, double current)
{
    if (fHasRange && minimum == fMinimum && maximum == fMaximum && current == fCurrent)
        return;
    fHasRange = true;
    fMinimum = minimum;
    fMaximum = maximum;
    fCurrent = current;
    QAccessibleValueChangeEvent changed(this, current);
    QAccessible::updateAccessibility(&changed);
}

ViewWidget::ViewWidget(BView* view)
    :
    fView(view),
    fRole(QAccessible::Client)
{
    InstallAccessibility();
    setMouseTracking(true);
    setAcceptDrops(true);
    setAttribute(Qt::WA_NoMousePropagation);
    setFocusPolicy(Qt::NoFocus);
}

void ViewWidget::SetNative(QWidget* native)
{
    if (fNative != nullptr)
        fNative->removeEventFilter(this);
    fNative = native;
    if (fNative != nullptr) {
        fNative->setParent(this);
        fNative->setGeometry(rect());
        fNative->setMouseTracking(true);
        fNative->installEventFilter(this);
        // A scrolling editor takes drags in its viewport: file drags are
        // taken from there, others stay the editor's.
        if (auto* area = qobject_cast<QAbstractScrollArea*>(fNative))
            area->viewport()->installEventFilter(this);
        fNative->show();
        setFocusProxy(fNative);
    } else {
        setFocusProxy(nullptr);
    }
}

void ViewWidget::_Post(const BMessage& message)
{
    if (fView == nullptr || fView->Window() == nullptr)
        return;
    BMessage copy(message);
    fView->Window()->PostMessage(&copy, fView);
}

void ViewWidget::paintEvent(QPaintEvent* event)
{
    if (fView == nullptr)
        return;
    if (fFill) {
        QPainter background(this);
        background.fillRect(event->rect(), fBackground);
    }
    BWindow* window = fView->Window();
    if (window != nullptr) {
        // An update is promised already: the background stands until then.
        if (fUpdateOwed)
            return;
        // Another thread that holds the window past the wait gets to end
        // its work: the background shows now, and the thread that lets
        // the window go asks for this update then (once; nothing polls).
        QPointer<ViewWidget> self(this);
        const status_t locked = window->_LockWithTimeoutOrCallWhenFree(kPaintLockWait, [self] {
            GuiThread::Post([self] {
                if (self == nullptr)
                    return;
                self->fUpdateOwed = false;
                self->update();
            });
        });
        if (locked == B_TIMED_OUT)
            fUpdateOwed = true;
        if (locked != B_OK)
            return;
    }
    const QRect area = event->rect();
    const BRect bounds = fView->Bounds();
    const BRect update(bounds.left + float(area.left()), bounds.top + float(area.top()),
        bounds.left + float(area.right()), bounds.top + float(area.bottom()));
    {
        QPainter painter(this);
        fView->_Paint(&painter, update);
    }
    if (window != nullptr)
        window->Unlock();
    ReportFirstPaint();
}

void ViewWidget::mousePressEvent(QMouseEvent* event)
{
    if (fView == nullptr)
        return;
    const BRect bounds = fView->Bounds();
    const QPointF position = event->position();
    _Post(MouseMessage(B_MOUSE_DOWN, BPoint(bounds.left + std::floor(float(position.x())),
        bounds.top + std::floor(float(position.y()))), event->buttons(), event->modifiers(), 1));
}

void ViewWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (fView == nullptr)
        return;
    const BRect bounds = fView->Bounds();
    const QPointF position = event->position();
    _Post(MouseMessage(B_MOUSE_DOWN, BPoint(bounds.left + std::floor(float(position.x())),
        bounds.top + std::floor(float(position.y()))), event->buttons(), event->modifiers(), 2));
}

void ViewWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (fView == nullptr)
        return;
    const BRect bounds = fView->Bounds();
    const QPointF position = event->position();
    _Post(MouseMessage(B_MOUSE_UP, BPoint(bounds.left + std::floor(float(position.x())),
        bounds.top + std::floor(float(position.y()))), event->buttons(), event->modifiers(), 0));
}

void ViewWidget::_Moved(QPointF position, Qt::MouseButtons buttons, Qt::KeyboardModifiers held)
{
    if (fView == nullptr)
        return;
    const bool inside = rect().contains(position.toPoint());
    uint32 transit;
    if (inside)
        transit = fInside ? B_INSIDE_VIEW : B_ENTERED_VIEW;
    else
        transit = fInside ? B_EXITED_VIEW : B_OUTSIDE_VIEW;
    fInside = inside;
    const BRect bounds = fView->Bounds();
    _Post(MouseMovedMessage(BPoint(bounds.left + std::floor(float(position.x())),
        bounds.top + std::floor(float(position.y()))), transit, buttons, held));
}

void ViewWidget::mouseMoveEvent(QMouseEvent* event)
{
    _Moved(event->position(), event->buttons(), event->modifiers());
}

void ViewWidget::_Transit(bool inside, QPointF position)
{
    if (fView == nullptr || inside == fInside)
        return;
    fInside = inside;
    const BRect bounds = fView->Bounds();
    _Post(MouseMovedMessage(BPoint(bounds.left + std::floor(float(position.x())),
        bounds.top + std::floor(float(position.y()))), inside ? B_ENTERED_VIEW : B_EXITED_VIEW,
        QGuiApplication::mouseButtons(), QGuiApplication::keyboardModifiers()));
}

void ViewWidget::enterEvent(QEnterEvent* event)
{
    _Transit(true, event->position());
}

void ViewWidget::leaveEvent(QEvent*)
{
    _Transit(false, mapFromGlobal(QCursor::pos()));
}

void ViewWidget::wheelEvent(QWheelEvent* event)
{
    // The view under the pointer gets the turn; the view passes it to the
    // nearest view up its tree that has scroll bars.
    if (fView == nullptr || event->angleDelta().isNull()) {
        event->ignore();
        return;
    }
    _Post(WheelMessage(event->angleDelta(), event->modifiers()));
    event->accept();
}

void ViewWidget::keyPressEvent(QKeyEvent* event)
{
    BMessage message;
    if (fView == nullptr || !KeyMessage(B_KEY_DOWN, event, &message)) {
        event->ignore();
        return;
    }
    _Post(message);
}

void ViewWidget::keyReleaseEvent(QKeyEvent* event)
{
    BMessage message;
    if (fView == nullptr || !KeyMessage(B_KEY_UP, event, &message)) {
        event->ignore();
        return;
    }
    _Post(message);
}

void ViewWidget::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    _FocusIn(event);
}

void ViewWidget::_FocusIn(const QFocusEvent* event)
{
    if (fView == nullptr || event->reason() == Qt::ActiveWindowFocusReason
        || event->reason() == Qt::PopupFocusReason)
        return;
    _Post(BMessage(kWidgetFocusMessage));
}

void ViewWidget::resizeEvent(QResizeEvent*)
{
    if (fNative != nullptr)
        fNative->setGeometry(rect());
}

bool ViewWidget::eventFilter(QObject* watched, QEvent* event)
{
    auto* source = qobject_cast<QWidget*>(watched);
    if (source != nullptr && fNative != nullptr && (source == fNative || source->parentWidget() == fNative)) {
        switch (event->type()) {
            case QEvent::DragEnter: {
                auto* drag = static_cast<QDragEnterEvent*>(event);
                if (_DragEnter(drag->mimeData(), source->mapTo(this, drag->position()))) {
                    drag->acceptProposedAction();
                    return true;
                }
                break;
            }
            case QEvent::DragMove: {
                auto* drag = static_cast<QDragMoveEvent*>(event);
                if (_DragMove(source->mapTo(this, drag->position()))) {
                    drag->acceptProposedAction();
                    return true;
                }
                break;
            }
            case QEvent::DragLeave:
                if (_DragLeave())
                    return true;
                break;
            case QEvent::Drop: {
                auto* drop = static_cast<QDropEvent*>(event);
                if (_Drop(source->mapTo(this, drop->position()))) {
                    drop->acceptProposedAction();
                    return true;
                }
                break;
            }
            default:
                break;
        }
    }
    if (watched == fNative) {
        switch (event->type()) {
            case QEvent::FocusIn:
                _FocusIn(static_cast<QFocusEvent*>(event));
                break;
            case QEvent::MouseMove: {
                auto* mouse = static_cast<QMouseEvent*>(event);
                _Moved(fNative->mapTo(this, mouse->position()), mouse->buttons(), mouse->modifiers());
                break;
            }
            case QEvent::Enter:
                _Transit(true, mapFromGlobal(QCursor::pos()));
                break;
            case QEvent::Leave:
                _Transit(false, mapFromGlobal(QCursor::pos()));
                break;
            default:
                break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ViewWidget::_PostDragMoved(QPointF position, uint32 transit)
{
    if (fView == nullptr || fDrag == nullptr)
        return;
    const BRect bounds = fView->Bounds();
    BMessage moved = MouseMovedMessage(BPoint(bounds.left + std::floor(float(position.x())),
        bounds.top + std::floor(float(position.y()))), transit, QGuiApplication::mouseButtons(),
        QGuiApplication::keyboardModifiers());
    moved.AddMessage("be:drag_message", fDrag.get());
    _Post(moved);
}

bool ViewWidget::_DragEnter(const QMimeData* data, QPointF position)
{
    auto files = std::make_unique<BMessage>();
    if (fView == nullptr || !FilesMessage(data, files.get()))
        return false;
    fDrag = std::move(files);
    _PostDragMoved(position, B_ENTERED_VIEW);
    return true;
}

bool ViewWidget::_DragMove(QPointF position)
{
    if (fDrag == nullptr)
        return false;
    _PostDragMoved(position, B_INSIDE_VIEW);
    return true;
}

bool ViewWidget::_DragLeave()
{
    if (fDrag == nullptr)
        return false;
    _PostDragMoved(mapFromGlobal(QCursor::pos()), B_EXITED_VIEW);
    fDrag.reset();
    return true;
}

bool ViewWidget::_Drop(QPointF position)
{
    if (fDrag == nullptr || fView == nullptr)
        return false;
    BMessage drop(*fDrag);
    fDrag.reset();
    drop.AddPoint("_drop_point_", fView->ConvertToScreen(BPoint(float(position.x()), float(position.y()))));
    _Post(drop);
    return true;
}

void ViewWidget::dragEnterEvent(QDragEnterEvent* event)
{
    if (_DragEnter(event->mimeData(), event->position()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void ViewWidget::dragMoveEvent(QDragMoveEvent* event)
{
    if (_DragMove(event->position()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void ViewWidget::dragLeaveEvent(QDragLeaveEvent*)
{
    _DragLeave();
}

void ViewWidget::dropEvent(QDropEvent* event)
{
    if (_Drop(event->position()))
        event->acceptProposedAction();
    else
        event->ignore();
}

} // namespace BPrivate
