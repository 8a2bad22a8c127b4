#include "LibPictureButton.h"

#include "LibLayout.h"

#include <Application.h>
#include <LibBitmapToPicture.h>
#include <Message.h>
#include <Picture.h>
#include <Window.h>

#include <memory>

namespace {

std::unique_ptr<BPicture> Picture(const int8& width, const int8& height, const void* bits)
{
    return std::unique_ptr<BPicture>(LibBitmapToPicture(BRect(0, 0, width - 1, height - 1), bits, B_CMAP8));
}

} // namespace

LibPictureButton::LibPictureButton(BPoint where, const int8& width, const int8& height, const char* name,
    const void* offBits, const void* onBits, const uint32& command, const void* disabledBits, uint32 behavior,
    uint32 resizingMode)
    :
    BPictureButton(LibRect(where.x, where.y, width - 1, height - 1), name, Picture(width, height, offBits).get(),
        Picture(width, height, onBits).get(), new BMessage(command), behavior, resizingMode,
        B_WILL_DRAW | B_NAVIGABLE),
    fTipCommand(0)
{
    SetLabel(name);
    if (disabledBits != nullptr) {
        std::unique_ptr<BPicture> disabled = Picture(width, height, disabledBits);
        if (disabled != nullptr)
            SetDisabledOff(disabled.get());
    }
}

LibPictureButton::~LibPictureButton()
{
}

void LibPictureButton::AddTip(const uint32& command, const char* text)
{
    fTipCommand = command;
    fTipText = text != nullptr ? text : "";
    // What the tip shows, a screen reader reads.
    SetAccessibleDescription(static_cast<const char*>(fTipText));
}

bool LibPictureButton::WindowIsActive() const
{
    return Window() != nullptr && Window()->IsActive();
}

bool LibPictureButton::TipsWanted() const
{
    return fTipText.Length() > 0 && WindowIsActive();
}

void LibPictureButton::PostTipRequest(BMessage& request)
{
    if (be_app != nullptr)
        be_app->PostMessage(&request);
}

void LibPictureButton::MouseMoved(BPoint where, uint32 transit, const BMessage* drag)
{
    // The platform button follows the pointer while it is pressed, so it
    // sees every move.
    BPictureButton::MouseMoved(where, transit, drag);
    if (!TipsWanted())
        return;
    if (transit == B_ENTERED_VIEW) {
        const BRect bounds = Bounds();
        BMessage request(fTipCommand);
        request.AddBool("show", true);
        request.AddString("tip", fTipText);
        request.AddPoint("loc", ConvertToScreen(BPoint(bounds.right + 5, bounds.top + 1)));
        PostTipRequest(request);
    } else if (transit == B_EXITED_VIEW) {
        BMessage request(fTipCommand);
        request.AddBool("show", false);
        PostTipRequest(request);
    }
}

void LibPictureButton::MouseDown(BPoint where)
{
    if (TipsWanted()) {
        BMessage request(fTipCommand);
        request.AddBool("show", false);
        PostTipRequest(request);
    }
    BPictureButton::MouseDown(where);
}

void LibPictureButton::MakeFocus(bool focus)
{
    BPictureButton::MakeFocus(focus);
}
