#include <LibLabelControl.h>

#include <InterfaceDefs.h>
#include <LibBitmap.h>
#include <StringView.h>

namespace {

BStringView* MakeLabel(BRect frame, const char* name, const char* text)
{
    auto* view = new BStringView(frame, name, text, B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW);
    BFont font(be_bold_font);
    font.SetSize(12);
    view->SetFont(&font, B_FONT_ALL);
    view->SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
    return view;
}

} // namespace

LibLabelControl::LibLabelControl(BRect frame, const float& labelWidth, const char* name,
    const char* label, const float& bottomInset, const char* colon, uint32 resizingMode)
    : BView(frame, name, resizingMode, B_WILL_DRAW),
      fLabel(nullptr),
      fColon(nullptr)
{
    SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
    const float height = frame.bottom - frame.top;
    if (label != nullptr) {
        const float room = colon != nullptr ? 12 : 2;
        fLabel = MakeLabel(BRect(0, 0, labelWidth - room, height - bottomInset), "label", label);
        AddChild(fLabel);
    }
    if (colon != nullptr) {
        fColon = MakeLabel(BRect(labelWidth - 11, 0, labelWidth - 2, height - bottomInset), "colon", colon);
        AddChild(fColon);
    }
}

LibLabelControl::~LibLabelControl() = default;

void LibLabelControl::SetEnabled(bool enabled)
{
    const rgb_color color = enabled ? lib_nearest_system_color(0, 0, 0)
                                    : lib_nearest_system_color(128, 128, 128);
    for (BStringView* view : {fLabel, fColon}) {
        if (view == nullptr)
            continue;
        view->SetHighColor(color);
        view->Invalidate();
    }
}

const char* LibLabelControl::LabelText() const
{
    return fLabel != nullptr ? fLabel->Text() : "";
}
