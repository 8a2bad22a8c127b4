// FontEngine: the Qt side of BFont. It turns a font description into a
// QFont and measures text with QFontMetricsF. One engine is shared by the
// copies of a BFont and may be used from several threads: measuring is
// serialised by the engine's own lock. Only the platform layer includes
// this header.
#pragma once

#include <Font.h>

#include <QFont>
#include <QFontMetricsF>

#include <memory>
#include <mutex>
#include <string>

class FontEngine {
public:
    explicit FontEngine(const BFont& font);

    FontEngine(const FontEngine&) = delete;
    FontEngine& operator=(const FontEngine&) = delete;

    // Width of length bytes of UTF-8 text (0 without a GUI application).
    float StringWidth(const char* text, int32 length);
    void GetHeight(font_height* height);
    // text shortened with an ellipsis to at most width pixels (B_TRUNCATE_*
    // mode); unchanged without a GUI application.
    std::string Truncated(const std::string& text, uint32 mode, float width);
    // The QFont that draws this description.
    QFont Font();

    // The QFont for a BFont, for the interface kit's own drawing.
    static QFont QtFontOf(const BFont& font);
    // True when a QGuiApplication (or QApplication) exists.
    static bool HasGuiApplication();
    // The system's general or fixed family name; empty without a GUI
    // application.
    static std::string DefaultFamily(bool fixed);
    // The family that draws the platform's sans-serif faces (the plain and
    // bold fonts): the first installed of the free faces with Helvetica's
    // widths (Liberation Sans, Nimbus Sans, Arimo), else the system's
    // general family. Empty without a GUI application.
    static std::string SansFamily();
    // True for a family that can be drawn: installed on this system or one
    // of the platform's classic families. Without a GUI application every
    // family counts as drawable.
    static bool IsKnownFamily(const char* family);

    // The desktop's font size as a multiple of the platform's (12 pixels
    // for the plain font): every font is drawn and measured that much
    // larger, so that the program's texts follow the desktop's choice.
    // 1 until the application sets it; taken as 1 below 1 or when not a
    // number. Engines made before a change follow it on their next use.
    static void SetDesktopScale(float scale);
    static float DesktopScale();

private:
    // Builds the QFont and its metrics on first use; false without a GUI
    // application. Called with fLock held.
    bool Prepare();

    std::mutex fLock;
    std::string fFamily;
    float fSize;
    uint16 fFace;
    bool fFixedDefault;
    std::unique_ptr<QFont> fFont;
    std::unique_ptr<QFontMetricsF> fMetrics;
    float fPreparedScale = 1; // the desktop scale fFont was made for
};
