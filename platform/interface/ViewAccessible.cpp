#include "ViewAccessible.h"

#include "AlertDialog.h"
#include "ViewWidget.h"
#include "WindowWidget.h"

#include <QPointer>
#include <QWindow>

#include <algorithm>

namespace BPrivate {

namespace {

// One entry of a list: its text, and whether it is selected.
class ListItemAccessible : public QAccessibleInterface {
public:
    ListItemAccessible(ViewWidget* list, int index) : fList(list), fIndex(index) {}

    bool isValid() const override
    {
        return fList != nullptr && fIndex >= 0 && size_t(fIndex) < fList->AccessibleItems().size();
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return fList != nullptr ? fList->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override
    {
        return fList != nullptr ? QAccessible::queryAccessibleInterface(fList.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QString text(QAccessible::Text kind) const override
    {
        if (!isValid() || kind != QAccessible::Name)
            return QString();
        return fList->AccessibleItems()[size_t(fIndex)].text;
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        if (!isValid())
            return QRect();
        const QRect frame = fList->AccessibleItems()[size_t(fIndex)].frame;
        return QRect(fList->mapToGlobal(frame.topLeft()), frame.size());
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.selectable = true;
        state.focusable = true;
        state.selected = fList->AccessibleItems()[size_t(fIndex)].selected;
        state.focused = fList->hasFocus() && fList->AccessibleItemFocus() == fIndex;
        state.invisible = !fList->rect().intersects(fList->AccessibleItems()[size_t(fIndex)].frame);
        state.offscreen = state.invisible;
        if (fList->AccessibleMultiSelect())
            state.multiSelectable = true;
        return state;
    }

private:
    QPointer<ViewWidget> fList;
    int fIndex;
};

// A window of the kit, or an alert: its role and the name a screen reader
// says when it opens. An alert without a title is named by its text.
class TopAccessible : public QAccessibleWidget {
public:
    TopAccessible(QWidget* widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

    QString text(QAccessible::Text kind) const override
    {
        QString text = QAccessibleWidget::text(kind);
        if (kind == QAccessible::Name && text.isEmpty()) {
            if (auto* alert = dynamic_cast<AlertDialog*>(widget()))
                text = QString::fromStdString(alert->Request().text).section(QLatin1Char('\n'), 0, 0);
            else
                text = widget()->objectName();
        }
        return text;
    }
};

QAccessibleInterface* KitAccessibleFactory(const QString&, QObject* object)
{
    if (auto* view = dynamic_cast<ViewWidget*>(object))
        return new ViewAccessible(view);
    if (auto* window = dynamic_cast<WindowWidget*>(object))
        return new TopAccessible(window, window->isModal() ? QAccessible::Dialog : QAccessible::Window);
    if (auto* alert = dynamic_cast<AlertDialog*>(object))
        return new TopAccessible(alert, QAccessible::AlertMessage);
    return nullptr;
}

} // namespace

void ViewAccessible::Install()
{
    static bool installed = false;
    if (!installed) {
        installed = true;
        QAccessible::installFactory(KitAccessibleFactory);
    }
}

void ViewWidget::InstallAccessibility()
{
    ViewAccessible::Install();
}

ViewAccessible::ViewAccessible(ViewWidget* widget) : QAccessibleWidget(widget, QAccessible::Client) {}

ViewAccessible::~ViewAccessible()
{
    for (QAccessible::Id id : fItems) {
        if (id != 0)
            QAccessible::deleteAccessibleInterface(id);
    }
}

const ViewWidget* ViewAccessible::View() const
{
    return static_cast<const ViewWidget*>(widget());
}

bool ViewAccessible::IsList() const
{
    return View()->AccessibleRole() == QAccessible::List;
}

QAccessible::Role ViewAccessible::role() const
{
    return QAccessible::Role(View()->AccessibleRole());
}

QAccessible::State ViewAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    if (IsList() && View()->AccessibleMultiSelect())
        state.multiSelectable = true;
    if (IsList())
        state.focusable = true;
    return state;
}

QString ViewAccessible::text(QAccessible::Text kind) const
{
    if (kind == QAccessible::Value) {
        if (View()->HasAccessibleRange() && View()->AccessibleValue().isEmpty())
            return QString::number(View()->AccessibleCurrent());
        return View()->AccessibleValue();
    }
    return QAccessibleWidget::text(kind);
}

void* ViewAccessible::interface_cast(QAccessible::InterfaceType type)
{
    // A label's text, and the entry a menu field shows: the bridge to the
    // screen readers' bus passes neither on without the text interface.
    if (type == QAccessible::TextInterface
        && (role() == QAccessible::StaticText
            || (role() == QAccessible::ComboBox && !View()->AccessibleValue().isEmpty())))
        return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::ValueInterface && View()->HasAccessibleRange())
        return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

int ViewAccessible::childCount() const
{
    if (IsList())
        return int(View()->AccessibleItems().size());
    return QAccessibleWidget::childCount();
}

QAccessibleInterface* ViewAccessible::child(int index) const
{
    if (!IsList())
        return QAccessibleWidget::child(index);
    if (index < 0 || index >= childCount())
        return nullptr;
    if (fItems.size() <= size_t(index))
        fItems.resize(size_t(index) + 1, 0);
    QAccessible::Id& id = fItems[size_t(index)];
    if (id == 0) {
        auto* item = new ListItemAccessible(const_cast<ViewWidget*>(View()), index);
        id = QAccessible::registerAccessibleInterface(item);
    }
    return QAccessible::accessibleInterface(id);
}

int ViewAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    if (!IsList())
        return QAccessibleWidget::indexOfChild(child);
    for (size_t i = 0; i < fItems.size(); i++) {
        if (fItems[i] != 0 && QAccessible::accessibleInterface(fItems[i]) == child)
            return int(i);
    }
    return -1;
}

QAccessibleInterface* ViewAccessible::childAt(int x, int y) const
{
    if (!IsList())
        return QAccessibleWidget::childAt(x, y);
    const QPoint local = View()->mapFromGlobal(QPoint(x, y));
    const auto& items = View()->AccessibleItems();
    for (size_t i = 0; i < items.size(); i++) {
        if (items[i].frame.contains(local))
            return child(int(i));
    }
    return nullptr;
}

QAccessibleInterface* ViewAccessible::focusChild() const
{
    if (IsList() && View()->hasFocus()) {
        const int focus = View()->AccessibleItemFocus();
        if (focus >= 0 && focus < childCount())
            return child(focus);
    }
    return QAccessibleWidget::focusChild();
}

QString ViewAccessible::ShownText() const
{
    const QString value = View()->AccessibleValue();
    return value.isEmpty() ? QAccessibleWidget::text(QAccessible::Name) : value;
}

void ViewAccessible::selection(int, int* startOffset, int* endOffset) const
{
    *startOffset = 0;
    *endOffset = 0;
}

QString ViewAccessible::text(int startOffset, int endOffset) const
{
    const QString shown = ShownText();
    startOffset = std::clamp(startOffset, 0, int(shown.size()));
    endOffset = endOffset < 0 ? int(shown.size()) : std::clamp(endOffset, startOffset, int(shown.size()));
    return shown.mid(startOffset, endOffset - startOffset);
}

int ViewAccessible::characterCount() const
{
    return int(ShownText().size());
}

QRect ViewAccessible::characterRect(int) const
{
    return rect();
}

int ViewAccessible::offsetAtPoint(const QPoint&) const
{
    return -1;
}

QString ViewAccessible::attributes(int offset, int* startOffset, int* endOffset) const
{
    *startOffset = offset;
    *endOffset = offset;
    return QString();
}

QVariant ViewAccessible::currentValue() const
{
    return View()->AccessibleCurrent();
}

QVariant ViewAccessible::maximumValue() const
{
    return View()->AccessibleMaximum();
}

QVariant ViewAccessible::minimumValue() const
{
    return View()->AccessibleMinimum();
}

} // namespace BPrivate
