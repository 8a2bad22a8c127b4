#include <LibHelpRequest.h>

namespace {

// The Shift bit of "modifiers" and the raw key code of F1 in key messages.
constexpr int32 kShiftModifier = 0x1;
constexpr int32 kF1KeyCode = 0x02;

} // namespace

bool LibIsHelpKey(const BMessage& message)
{
    if (message.what != B_KEY_DOWN)
        return false;
    int32 modifiers = 0;
    int32 key = 0;
    if (message.FindInt32("modifiers", &modifiers) != B_OK || message.FindInt32("key", &key) != B_OK)
        return false;
    return (modifiers & kShiftModifier) != 0 && key == kF1KeyCode;
}

BMessage LibMakeHelpRequest(const char* window, const std::vector<std::string>& views,
    const BMessage* inserts)
{
    BMessage request(kLibHelpRequest);
    request.AddString("window", window != nullptr ? window : "");
    for (size_t i = 0; i < views.size(); ++i) {
        request.AddString("view", views[i]);
        if (i == 0 && inserts != nullptr)
            request.AddMessage("inserts", inserts);
    }
    return request;
}
