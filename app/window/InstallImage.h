// InstallImage: the framed 150 x 200 picture at the installer window's top
// left. It shows the product's about image or, without one or after a
// click, the product's name, version, release date, company and support
// e-mail written upwards. An editable view also takes a dropped image file
// (checked for size) and removes its image from a pop-up menu.
#pragma once

#include <Box.h>
#include <LibString.h>

#include <memory>

class BBitmap;
class BMessage;
struct entry_ref;

class InstallImage : public BBox {
public:
    static constexpr float kWidth = 150;
    static constexpr float kHeight = 200;

    InstallImage(BPoint topLeft, bool editable);
    virtual ~InstallImage();

    void SetAppName(const char* text);
    void SetVersion(const char* text);
    void SetDate(const char* text);
    void SetCompany(const char* text);
    void SetEmail(const char* text);

    // Where a text running upwards starts so that it is centred along the
    // frame's height, in the view's current font.
    float GetStringLocation(const char* text) const;

    void SetImage(BMessage& archive);
    void GetImage(BMessage& archive) const;
    void ClearImage();
    // Reads an image file; reports an unreadable file or an image of
    // another size than 150 x 200 to the user.
    void ProcessImage(const entry_ref& file);
    void ProcessImage(const char* path);

    void Draw(BRect updateRect) override;
    void MouseDown(BPoint where) override;
    void MessageReceived(BMessage* message) override;

    bool HasImage() const { return fImage != nullptr; }
    bool ShowsImage() const { return fShowImage && fImage != nullptr; }
    float TextPosition(int index) const { return fPositions[index]; }
    // The size text index (name, version, date, company, e-mail) was last
    // drawn at: its own, or smaller when a larger desktop font would have
    // pushed it into its neighbour or past the frame; 0 before it was drawn.
    float DrawnTextSize(int index) const { return fDrawnSizes[index]; }
    // Where text index runs upwards from (its baseline's x).
    static float TextColumn(int index);

private:
    enum { kName, kVersion, kDate, kCompany, kEmail, kTexts };

    void _SetText(int index, const char* text, float size);
    // The largest size up to the text's own at which text index stays in
    // its column right of the previous text and within the frame's length.
    float _FittedSize(int index, float previousX, float previousDescent);

    bool fEditable;
    std::unique_ptr<BBitmap> fImage;
    bool fShowImage = true;
    LibString fTexts[kTexts];
    float fPositions[kTexts] = {};
    float fDrawnSizes[kTexts] = {};
};
