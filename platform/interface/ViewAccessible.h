// What a screen reader learns of the kit's widgets, through Qt's
// accessibility (and so over AT-SPI): a view's role, name and value; the
// text of a value view; the number of a progress bar; a list's entries
// with their selection; a window's or an alert's role and name. Only the
// platform layer includes this header.
#pragma once

#include <QAccessibleWidget>

#include <vector>

namespace BPrivate {

class ViewWidget;

class ViewAccessible : public QAccessibleWidget, public QAccessibleTextInterface, public QAccessibleValueInterface {
public:
    explicit ViewAccessible(ViewWidget* widget);
    ~ViewAccessible() override;

    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text kind) const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    // A list's entries are its children.
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

    // The text a value view shows, read only.
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

    // The number of a progress bar, read only.
    QVariant currentValue() const override;
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override { return 1; }

    // Lets Qt ask these classes for the kit's widgets; once, on the GUI
    // thread.
    static void Install();

private:
    const ViewWidget* View() const;
    bool IsList() const;
    // The text of a value view: its value, else its name.
    QString ShownText() const;

    // The entries' interfaces, made on first use, owned by Qt's cache.
    mutable std::vector<QAccessible::Id> fItems;
};

} // namespace BPrivate
