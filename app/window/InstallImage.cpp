#include "InstallImage.h"

#include <Bitmap.h>
#include <Entry.h>
#include <Font.h>
#include <LibAlert.h>
#include <LibEntryUtils.h>
#include <MenuItem.h>
#include <Message.h>
#include <PopUpMenu.h>
#include <TranslationUtils.h>
#include <Window.h>

#include <cmath>

namespace {

const uint32 kImageChanged = 'vdia';

// Size, colour and x of each text, in drawing order.
struct TextStyle {
    float size;
    rgb_color colour;
    float x;
};
const TextStyle kStyles[] = {
    {18, {0, 0, 255, 255}, 20},
    {14, {0, 0, 0, 255}, 50},
    {14, {0, 0, 0, 255}, 70},
    {14, {0, 0, 0, 255}, 90},
    {14, {0, 0, 0, 255}, 110},
};

bool IsEmpty(const LibString& text)
{
    const char* value = text;
    return value == nullptr || value[0] == '\0';
}

} // namespace


InstallImage::InstallImage(BPoint topLeft, bool editable)
    : BBox(BRect(topLeft.x, topLeft.y, topLeft.x + kWidth, topLeft.y + kHeight), "InstallImage",
        B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE_JUMP, B_FANCY_BORDER),
      fEditable(editable)
{
    // Texts run upwards: only the rotation of the default font changes.
    BFont font;
    GetFont(&font);
    font.SetRotation(90);
    SetFont(&font);
}


InstallImage::~InstallImage() = default;


float InstallImage::GetStringLocation(const char* text) const
{
    const float width = StringWidth(text);
    const float height = Frame().bottom - Frame().top;
    return (height - width) * 0.5f + width;
}


void InstallImage::_SetText(int index, const char* text, float size)
{
    if (text == nullptr)
        return;
    fTexts[index] = text;
    SetFontSize(size);
    fPositions[index] = GetStringLocation(text);
}


void InstallImage::SetAppName(const char* text) { _SetText(kName, text, 18); }
void InstallImage::SetVersion(const char* text) { _SetText(kVersion, text, 14); }
void InstallImage::SetDate(const char* text) { _SetText(kDate, text, 14); }
void InstallImage::SetCompany(const char* text) { _SetText(kCompany, text, 14); }
void InstallImage::SetEmail(const char* text) { _SetText(kEmail, text, 14); }


void InstallImage::SetImage(BMessage& archive)
{
    ClearImage();
    if (!archive.IsEmpty()) {
        auto image = std::make_unique<BBitmap>(&archive);
        // An archive that does not give a usable bitmap leaves the texts.
        if (image->IsValid())
            fImage = std::move(image);
    }
    Invalidate();
}


void InstallImage::GetImage(BMessage& archive) const
{
    if (fImage != nullptr)
        fImage->Archive(&archive, true);
}


void InstallImage::ClearImage()
{
    fImage.reset();
}


void InstallImage::ProcessImage(const entry_ref& file)
{
    LibString path;
    LibGetFullPath(file, path);
    ProcessImage(static_cast<const char*>(path));
}


void InstallImage::ProcessImage(const char* path)
{
    ClearImage();
    fImage.reset(BTranslationUtils::GetBitmap(path));
    if (fImage == nullptr) {
        LibError("Image file not current supported");
    } else {
        const BRect bounds = fImage->Bounds();
        if (std::ceil(bounds.Width()) != kWidth - 1 || std::ceil(bounds.Height()) != kHeight - 1)
            LibWarning("Image is not the correct size of %dx%d. You may use this image, but it will appear in "
                "the installer as shown here.", int(kWidth), int(kHeight));
        fShowImage = true;
    }
    if (Window() != nullptr)
        Window()->PostMessage(kImageChanged);
    Invalidate();
}


float InstallImage::TextColumn(int index)
{
    return index >= 0 && index < kTexts ? kStyles[index].x : 0;
}


float InstallImage::_FittedSize(int index, float previousX, float previousDescent)
{
    // The texts run upwards in columns: each glyph lies left of its
    // baseline by the font's ascent, the previous text's descenders right
    // of its own. A larger desktop font makes a text smaller rather than
    // letting it reach into its neighbour or past the frame's ends.
    const float room = kStyles[index].x - previousX - previousDescent;
    const float length = Bounds().Height() - 4;
    float size = kStyles[index].size;
    for (; size > 1; size -= 0.5f) {
        SetFontSize(size);
        font_height height;
        GetFontHeight(&height);
        if (height.ascent <= room && StringWidth(fTexts[index]) <= length)
            break;
    }
    return size;
}


void InstallImage::Draw(BRect updateRect)
{
    if (fShowImage && fImage != nullptr) {
        DrawBitmap(fImage.get(), BPoint(0, 0));
    } else {
        float previousDescent = 0;
        float previousX = 2;
        for (int index = 0; index < kTexts; index++) {
            if (IsEmpty(fTexts[index]))
                continue;
            const float size = _FittedSize(index, previousX, previousDescent);
            fDrawnSizes[index] = size;
            SetFontSize(size);
            SetHighColor(kStyles[index].colour);
            // Centred again when the text had to be drawn smaller.
            const float y = size == kStyles[index].size ? fPositions[index] : GetStringLocation(fTexts[index]);
            DrawString(fTexts[index], BPoint(kStyles[index].x, y));
            font_height height;
            GetFontHeight(&height);
            previousDescent = height.descent;
            previousX = kStyles[index].x;
        }
    }
    BBox::Draw(updateRect);
}


void InstallImage::MouseDown(BPoint where)
{
    int32 buttons = 0;
    if (Window() != nullptr && Window()->CurrentMessage() != nullptr)
        Window()->CurrentMessage()->FindInt32("buttons", &buttons);
    if (fEditable && buttons == B_TERTIARY_MOUSE_BUTTON) {
        BPopUpMenu menu("img_menu", false, false);
        menu.AddItem(new BMenuItem("Remove", nullptr));
        if (menu.Go(ConvertToScreen(where)) != nullptr) {
            ClearImage();
            fShowImage = false;
        }
    } else {
        fShowImage = !fShowImage;
    }
    Invalidate();
}


void InstallImage::MessageReceived(BMessage* message)
{
    entry_ref ref;
    // A dropped file (from the desktop or a file panel) arrives with its
    // reference in "refs".
    if (message->what == B_SIMPLE_DATA && message->FindRef("refs", &ref) == B_OK)
        ProcessImage(ref);
    BBox::MessageReceived(message);
}
