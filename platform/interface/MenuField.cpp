#include <MenuField.h>

#include <InterfaceDefs.h>
#include <PopUpMenu.h>

#include <QAccessible>

#include <cmath>

namespace {

float FontLineHeight(const BView& view)
{
    font_height height;
    view.GetFontHeight(&height);
    return height.ascent + height.descent + height.leading;
}

} // namespace

BMenuField::BMenuField(BRect frame, const char* name, const char* label, BMenu* menu,
    uint32 resizingMode, uint32 flags)
    : BView(frame, name, resizingMode, flags),
      fMenu(menu),
      fLabel(label != nullptr ? label : ""),
      fDivider(label != nullptr && label[0] != '\0' ? std::floor(frame.Width() / 2) : 0),
      fAlignment(B_ALIGN_LEFT),
      fEnabled(true)
{
    SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
    if (fMenu != nullptr)
        fMenu->SetOwner(this);
    _SetAccessibleRole(QAccessible::ComboBox);
    _SetAccessibleDefaultName(fLabel.c_str());
}

BMenuField::~BMenuField()
{
    // The items go without asking this half-destroyed field to redraw.
    if (fMenu != nullptr)
        fMenu->SetOwner(nullptr);
    delete fMenu;
}

BRect BMenuField::MenuBarFrame() const
{
    const BRect bounds = Bounds();
    const float height = std::floor(FontLineHeight(*this)) + 7;
    return BRect(fDivider + 1, 2, bounds.right - 2, std::min(bounds.bottom, 2 + height));
}

std::string BMenuField::MenuText() const
{
    if (fMenu == nullptr)
        return std::string();
    if (!fMenu->IsLabelFromMarked())
        return fMenu->Name() != nullptr ? fMenu->Name() : "";
    const BMenuItem* marked = fMenu->FindMarked();
    return marked != nullptr ? marked->Label() : "";
}

void BMenuField::Draw(BRect)
{
    const rgb_color panel = ViewColor();
    const bool active = fEnabled && fMenu != nullptr && fMenu->IsEnabled();
    const rgb_color text = active ? make_color(0, 0, 0) : tint_color(panel, B_DISABLED_LABEL_TINT);
    font_height height;
    GetFontHeight(&height);

    if (!fLabel.empty()) {
        SetHighColor(fEnabled ? make_color(0, 0, 0) : tint_color(panel, B_DISABLED_LABEL_TINT));
        const float width = StringWidth(fLabel.c_str());
        float x = 3;
        if (fAlignment == B_ALIGN_RIGHT)
            x = fDivider - width - 3;
        else if (fAlignment == B_ALIGN_CENTER)
            x = (fDivider - width) / 2;
        DrawString(fLabel.c_str(), BPoint(x, std::ceil(height.ascent + height.descent + height.leading) + 2));
    }

    // The bar: a raised box holding the marked item's label and a small
    // arrow that says a menu opens here.
    const BRect bar = MenuBarFrame();
    SetHighColor(tint_color(panel, active ? B_LIGHTEN_1_TINT : B_NO_TINT));
    FillRect(bar);
    SetHighColor(tint_color(panel, B_LIGHTEN_MAX_TINT));
    StrokeLine(bar.LeftBottom(), bar.LeftTop());
    StrokeLine(bar.LeftTop(), bar.RightTop());
    SetHighColor(tint_color(panel, B_DARKEN_3_TINT));
    StrokeLine(bar.RightTop(), bar.RightBottom());
    StrokeLine(bar.RightBottom(), bar.LeftBottom());

    const float arrowWidth = 7;
    const float arrowRight = bar.right - 5;
    const float middle = std::floor((bar.top + bar.bottom) / 2);
    SetHighColor(text);
    for (float row = 0; row < 4; ++row) {
        StrokeLine(BPoint(arrowRight - arrowWidth + 1 + row, middle - 1 + row),
            BPoint(arrowRight - row, middle - 1 + row));
    }

    const std::string shown = MenuText();
    // The entry shown is the field's value for a screen reader.
    _SetAccessibleValue(shown.c_str());
    if (!shown.empty()) {
        SetHighColor(text);
        DrawString(shown.c_str(), BPoint(bar.left + 5, bar.bottom - std::ceil(height.descent) - 3));
    }

    // The keyboard-navigation mark: the bar framed in the navigation colour
    // and its label underlined.
    if (IsFocus() && fEnabled) {
        SetHighColor(ui_color(B_KEYBOARD_NAVIGATION_COLOR));
        StrokeRect(bar);
        StrokeLine(BPoint(bar.left + 4, bar.bottom - 2), BPoint(arrowRight - arrowWidth - 3, bar.bottom - 2));
    }
}

void BMenuField::MouseDown(BPoint where)
{
    if (!MenuBarFrame().Contains(where))
        return BView::MouseDown(where);
    OpenMenu();
}

void BMenuField::KeyDown(const char* bytes, int32 numBytes)
{
    if (numBytes == 1 && (bytes[0] == B_SPACE || bytes[0] == B_ENTER)) {
        OpenMenu();
        return;
    }
    BView::KeyDown(bytes, numBytes);
}

void BMenuField::MakeFocus(bool focus)
{
    BView::MakeFocus(focus);
    Invalidate();
}

void BMenuField::OpenMenu()
{
    if (!fEnabled || fMenu == nullptr || !fMenu->IsEnabled() || fMenu->CountItems() == 0)
        return;
    const BRect bar = MenuBarFrame();
    BMenuItem* picked = fMenu->Track(ConvertToScreen(bar.LeftBottom()));
    if (picked == nullptr)
        return;
    if (fMenu->IsRadioMode())
        picked->SetMarked(true);
    picked->Invoke();
}

void BMenuField::SetLabel(const char* label)
{
    fLabel = label != nullptr ? label : "";
    _SetAccessibleDefaultName(fLabel.c_str());
    Invalidate();
}

void BMenuField::SetEnabled(bool enabled)
{
    if (fEnabled == enabled)
        return;
    fEnabled = enabled;
    _SetFocusable(enabled);
    Invalidate();
}

void BMenuField::SetDivider(float divider)
{
    fDivider = std::round(divider);
    Invalidate();
}

void BMenuField::SetAlignment(alignment label)
{
    fAlignment = label;
    Invalidate();
}
