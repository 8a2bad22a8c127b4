#include <DrivenInput.h>

#include "WindowWidget.h"

#include <Control.h>
#include <InterfaceDefs.h>
#include <ListView.h>
#include <MenuField.h>
#include <OS.h>
#include <StringView.h>
#include <TextView.h>
#include <View.h>
#include <Window.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QWidget>

#include <algorithm>

using BPrivate::WindowWidget;

namespace {

bool Names(QWidget* widget, const QString& name)
{
    if (auto* shown = dynamic_cast<WindowWidget*>(widget)) {
        BWindow* window = shown->Window();
        if (window == nullptr)
            return false;
        const char* looperName = window->Name();
        return (looperName != nullptr && name == QString::fromUtf8(looperName))
            || name == QString::fromUtf8(window->Title());
    }
    return widget->windowTitle() == name || widget->objectName() == name;
}

// The shown top-level widget that the name stands for, or null.
QWidget* FindTopLevel(const char* window)
{
    const QString name = QString::fromUtf8(window);
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal->isVisible() && Names(modal, name))
        return modal;
    QWidget* found = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && Names(widget, name))
            found = widget;
    }
    return found;
}

// Why input for top may not be given now, or an empty text.
std::string Blocked(QWidget* top)
{
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal != top)
        return "a modal window (" + modal->windowTitle().toStdString() + ") is in front";
    return std::string();
}

// Holds the lock of a BWindow for a scope, without waiting for it: the GUI
// thread must not wait for a lock that a worker thread holds.
class WindowLock {
public:
    explicit WindowLock(BWindow* window)
        : fWindow(window),
          fLocked(window != nullptr && window->LockWithTimeout(0) == B_OK)
    {
    }
    ~WindowLock()
    {
        if (fLocked)
            fWindow->Unlock();
    }
    WindowLock(const WindowLock&) = delete;
    WindowLock& operator=(const WindowLock&) = delete;

    bool IsLocked() const { return fLocked; }

private:
    BWindow* fWindow;
    bool fLocked;
};

BWindow* WindowOf(QWidget* top)
{
    auto* shown = dynamic_cast<WindowWidget*>(top);
    return shown != nullptr ? shown->Window() : nullptr;
}

// Finds the top-level widget, makes sure it takes input, and locks its
// BWindow (when it is one); the reason goes to why when any step fails.
class Target {
public:
    // With a view name, the target is that view of the window, which must
    // be shown.
    Target(const char* window, const char* view, bool forInput, std::string* why)
        : Target(window, forInput, why)
    {
        if (fReady) {
            fView = FindView(view, why);
            fReady = fView != nullptr;
        }
    }

    Target(const char* window, bool forInput, std::string* why)
        : fTop(FindTopLevel(window)),
          fLock(WindowOf(fTop))
    {
        if (fTop == nullptr) {
            *why = std::string("no window \"") + window + "\" is shown";
            return;
        }
        if (forInput) {
            const std::string blocked = Blocked(fTop);
            if (!blocked.empty()) {
                *why = blocked;
                return;
            }
        }
        if (WindowOf(fTop) != nullptr && !fLock.IsLocked()) {
            *why = std::string("the window \"") + window + "\" is busy";
            return;
        }
        fReady = true;
    }

    bool Ready() const { return fReady; }
    QWidget* Top() const { return fTop; }
    BWindow* Window() const { return WindowOf(fTop); }
    BView* View() const { return fView; }

    // The shown view of that name, or null with the reason in why.
    BView* FindView(const char* name, std::string* why) const
    {
        BWindow* window = Window();
        BView* view = window != nullptr ? window->FindView(name) : nullptr;
        if (view == nullptr || view->_Widget() == nullptr) {
            *why = std::string("no view \"") + name + "\" in the window";
            return nullptr;
        }
        if (!view->_Widget()->isVisible()) {
            *why = std::string("the view \"") + name + "\" is hidden";
            return nullptr;
        }
        return view;
    }

private:
    QWidget* fTop;
    WindowLock fLock;
    BView* fView = nullptr;
    bool fReady = false;
};

Qt::KeyboardModifiers QtModifiers(uint32 modifiers)
{
    Qt::KeyboardModifiers held;
    if (modifiers & B_SHIFT_KEY)
        held |= Qt::ShiftModifier;
    if (modifiers & B_COMMAND_KEY)
        held |= Qt::ControlModifier;
    if (modifiers & B_OPTION_KEY)
        held |= Qt::AltModifier;
    if (modifiers & B_CONTROL_KEY)
        held |= Qt::MetaModifier;
    return held;
}

void PostMouse(QWidget* target, QEvent::Type type, QPoint where, Qt::MouseButton button,
    Qt::MouseButtons held, Qt::KeyboardModifiers modifiers)
{
    const QPointF local(where);
    QCoreApplication::postEvent(target,
        new QMouseEvent(type, local, local, target->mapToGlobal(local), button, held, modifiers));
}

// Queues a move to where (in widget's coordinates), a press and a release
// of the left button, to the innermost widget there.
status_t ClickWidget(QWidget* widget, QPoint where, uint32 modifiers, std::string* why)
{
    if (!widget->rect().contains(where)) {
        *why = "the point lies outside the view";
        return B_BAD_VALUE;
    }
    QWidget* target = widget->childAt(where);
    if (target == nullptr)
        target = widget;
    QPoint local = target->mapFrom(widget, where);
    // A check box takes clicks on its box and label only, not on the
    // empty rest of its frame: the user clicks the box.
    if (qobject_cast<QCheckBox*>(target) != nullptr)
        local = QPoint(std::min(8, target->width() / 2), target->height() / 2);
    if (!target->isEnabled()) {
        *why = "the view is disabled";
        return B_NOT_ALLOWED;
    }
    const Qt::KeyboardModifiers held = QtModifiers(modifiers);
    PostMouse(target, QEvent::MouseMove, local, Qt::NoButton, Qt::NoButton, held);
    PostMouse(target, QEvent::MouseButtonPress, local, Qt::LeftButton, Qt::LeftButton, held);
    PostMouse(target, QEvent::MouseButtonRelease, local, Qt::LeftButton, Qt::NoButton, held);
    return B_OK;
}

QPoint WidgetPoint(BView* view, BPoint where)
{
    const BRect bounds = view->Bounds();
    return QPoint(int(where.x - bounds.left), int(where.y - bounds.top));
}

// Searches the views below parent for an enabled control labelled label.
BControl* FindControl(BView* parent, const char* label)
{
    for (int32 i = 0; parent != nullptr && i < parent->CountChildren(); i++) {
        BView* child = parent->ChildAt(i);
        auto* control = dynamic_cast<BControl*>(child);
        if (control != nullptr && control->Label() != nullptr && std::string(control->Label()) == label
            && !control->IsHidden())
            return control;
        if (BControl* found = FindControl(child, label))
            return found;
    }
    return nullptr;
}

} // namespace

bool DrivenInput::WindowShown(const char* window)
{
    return FindTopLevel(window) != nullptr;
}

status_t DrivenInput::Click(const char* window, const char* view, const BPoint* where, uint32 modifiers,
    std::string* why)
{
    Target target(window, view, true, why);
    if (!target.Ready())
        return B_NAME_NOT_FOUND;
    BView* found = target.View();
    QWidget* widget = found->_Widget();
    QPoint point = widget->rect().center();
    if (where != nullptr) {
        point = WidgetPoint(found, *where);
    } else if (auto* field = dynamic_cast<BMenuField*>(found)) {
        const BRect bar = field->MenuBarFrame();
        point = WidgetPoint(found, BPoint((bar.left + bar.right) / 2, (bar.top + bar.bottom) / 2));
    }
    return ClickWidget(widget, point, modifiers, why);
}

status_t DrivenInput::PickMenuItem(const char* label, std::string* why)
{
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) {
        *why = "no menu is open";
        return B_NAME_NOT_FOUND;
    }
    const QString wanted = QString::fromUtf8(label);
    for (QAction* action : menu->actions()) {
        QString text = action->text();
        text.replace("&&", "\x01").remove('&').replace("\x01", "&");
        if (action->isSeparator() || text != wanted)
            continue;
        if (!action->isEnabled()) {
            *why = std::string("the entry \"") + label + "\" is disabled";
            return B_NOT_ALLOWED;
        }
        return ClickWidget(menu, menu->actionGeometry(action).center(), 0, why);
    }
    *why = std::string("the open menu has no entry \"") + label + "\"";
    return B_NAME_NOT_FOUND;
}

status_t DrivenInput::ClickItem(const char* window, const char* list,
    const std::function<bool(int32, const BListItem*)>& match, uint32 modifiers, std::string* why)
{
    Target target(window, list, true, why);
    if (!target.Ready())
        return B_NAME_NOT_FOUND;
    BView* found = target.View();
    auto* listView = dynamic_cast<BListView*>(found);
    if (listView == nullptr) {
        *why = std::string("the view \"") + list + "\" is no list";
        return B_BAD_TYPE;
    }
    for (int32 i = 0; i < listView->CountItems(); i++) {
        if (match(i, listView->ItemAt(i))) {
            // An entry out of sight is scrolled to first, as a user does.
            listView->ScrollTo(i);
            const BRect frame = listView->ItemFrame(i);
            const BPoint middle((frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2);
            return ClickWidget(found->_Widget(), WidgetPoint(found, middle), modifiers, why);
        }
    }
    *why = "no such item in the list";
    return B_NAME_NOT_FOUND;
}

status_t DrivenInput::Press(const char* window, const char* label, std::string* why)
{
    Target target(window, true, why);
    if (!target.Ready())
        return B_NAME_NOT_FOUND;
    QWidget* button = nullptr;
    if (BWindow* shown = target.Window()) {
        BControl* control = FindControl(shown->_TopView(), label);
        if (control != nullptr && !control->IsEnabled()) {
            *why = std::string("\"") + label + "\" is disabled";
            return B_NOT_ALLOWED;
        }
        button = control != nullptr ? control->_Widget() : nullptr;
    } else {
        const QString text = QString::fromUtf8(label);
        for (QAbstractButton* candidate : target.Top()->findChildren<QAbstractButton*>()) {
            QString shown = candidate->text();
            shown.replace("&&", "\x01").remove('&').replace("\x01", "&");
            if (candidate->isVisible() && (candidate->accessibleName() == text || shown == text))
                button = candidate;
        }
    }
    if (button == nullptr) {
        *why = std::string("no button \"") + label + "\" in the window";
        return B_NAME_NOT_FOUND;
    }
    return ClickWidget(button, button->rect().center(), 0, why);
}

status_t DrivenInput::AskHelp(const char* window, const char* view, std::string* why)
{
    Target target(window, view, true, why);
    if (!target.Ready())
        return B_NAME_NOT_FOUND;
    QWidget* widget = target.View()->_Widget();
    const QPoint middle = widget->rect().center();
    PostMouse(widget, QEvent::MouseMove, middle, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyPress, Qt::Key_F1, Qt::ShiftModifier));
    QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyRelease, Qt::Key_F1, Qt::ShiftModifier));
    return B_OK;
}

status_t DrivenInput::ViewText(const char* window, const char* view, std::string* text, std::string* why)
{
    Target target(window, false, why);
    if (!target.Ready())
        return B_NAME_NOT_FOUND;
    if (target.Window() == nullptr) {
        auto* label = target.Top()->findChild<QLabel*>(QString::fromUtf8(view));
        if (label == nullptr) {
            *why = std::string("no text \"") + view + "\" in the window";
            return B_NAME_NOT_FOUND;
        }
        *text = label->text().toStdString();
        return B_OK;
    }
    BView* found = target.FindView(view, why);
    if (found == nullptr)
        return B_NAME_NOT_FOUND;
    const char* shown = nullptr;
    if (auto* string = dynamic_cast<BStringView*>(found))
        shown = string->Text();
    else if (auto* editor = dynamic_cast<BTextView*>(found))
        shown = editor->Text();
    else if (auto* control = dynamic_cast<BControl*>(found))
        shown = control->Label();
    else {
        *why = std::string("the view \"") + view + "\" shows no text";
        return B_BAD_TYPE;
    }
    *text = shown != nullptr ? shown : "";
    return B_OK;
}

status_t DrivenInput::SavePicture(const char* window, const char* path, std::string* why)
{
    Target target(window, false, why);
    if (!target.Ready())
        return B_NAME_NOT_FOUND;
    const QPixmap picture = target.Top()->grab();
    if (picture.isNull() || !picture.save(QString::fromUtf8(path), "PNG")) {
        *why = std::string("the picture could not be saved at ") + path;
        return B_IO_ERROR;
    }
    return B_OK;
}

status_t DrivenInput::ViewFrame(const char* window, const char* view, BRect* onScreen, BRect* inWindow,
    std::string* why)
{
    Target target(window, view, false, why);
    if (!target.Ready())
        return B_NAME_NOT_FOUND;
    QWidget* widget = target.View()->_Widget();
    const QPoint screen = widget->mapToGlobal(QPoint(0, 0));
    const QPoint contents = widget->mapTo(target.Top(), QPoint(0, 0));
    const float width = float(widget->width() - 1);
    const float height = float(widget->height() - 1);
    *onScreen = BRect(float(screen.x()), float(screen.y()), float(screen.x()) + width, float(screen.y()) + height);
    *inWindow = BRect(float(contents.x()), float(contents.y()), float(contents.x()) + width,
        float(contents.y()) + height);
    return B_OK;
}

status_t DrivenInput::ViewHasFocus(const char* window, const char* view, bool* focus, std::string* why)
{
    Target target(window, view, false, why);
    if (!target.Ready())
        return B_NAME_NOT_FOUND;
    *focus = target.View()->IsFocus();
    return B_OK;
}

std::string DrivenInput::ShownWindows()
{
    std::string shown;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!widget->isVisible())
            continue;
        shown += "  window \"" + widget->windowTitle().toStdString() + "\"";
        if (BWindow* window = WindowOf(widget))
            shown += std::string(" named \"") + (window->Name() != nullptr ? window->Name() : "") + "\"";
        else if (auto* label = widget->findChild<QLabel*>("alert_text"))
            shown += ": " + label->text().toStdString();
        shown += "\n";
    }
    return shown;
}
