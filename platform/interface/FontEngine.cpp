#include "FontEngine.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QString>

#include <atomic>
#include <cmath>
#include <cstring>
#include <strings.h>

namespace {

enum class FamilyKind { Sans, Serif, Mono };

struct ClassicFamily {
    const char* name;
    FamilyKind kind;
};

// The platform's own font families; they are not installed here and are
// drawn with the matching generic family.
const ClassicFamily kClassicFamilies[] = {
    {"Swis721 BT", FamilyKind::Sans},
    {"Humanst521 BT", FamilyKind::Sans},
    {"Swiss911 XCm BT", FamilyKind::Sans},
    {"Bitstream Vera Sans", FamilyKind::Sans},
    {"Dutch801 Rm BT", FamilyKind::Serif},
    {"Baskerville", FamilyKind::Serif},
    {"Bitstream Vera Serif", FamilyKind::Serif},
    {"Courier10 BT", FamilyKind::Mono},
    {"Monospac821 BT", FamilyKind::Mono},
    {"Bitstream Vera Sans Mono", FamilyKind::Mono},
};

const ClassicFamily* FindClassic(const char* family)
{
    for (const ClassicFamily& classic : kClassicFamilies) {
        if (strcasecmp(classic.name, family) == 0)
            return &classic;
    }
    return nullptr;
}

} // namespace

FontEngine::FontEngine(const BFont& font)
    : fFamily(font.fFamily), fSize(font.fSize), fFace(font.fFace), fFixedDefault(font.fFixedDefault)
{
}

bool FontEngine::HasGuiApplication()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

std::string FontEngine::DefaultFamily(bool fixed)
{
    if (!HasGuiApplication())
        return std::string();
    const QFont font = QFontDatabase::systemFont(fixed ? QFontDatabase::FixedFont : QFontDatabase::GeneralFont);
    return font.family().toStdString();
}

std::string FontEngine::SansFamily()
{
    if (!HasGuiApplication())
        return std::string();
    // The platform's plain and bold faces have Helvetica's widths, and the
    // windows are laid out for them: a wider face (DejaVu Sans is about 12%
    // wider) cuts the labels. These free faces keep those widths.
    static const char* const kNarrowSans[] = {
        "Liberation Sans", "Nimbus Sans", "Nimbus Sans L", "Arimo",
    };
    for (const char* family : kNarrowSans) {
        if (QFontDatabase::hasFamily(QString::fromUtf8(family)))
            return family;
    }
    return DefaultFamily(false);
}

bool FontEngine::IsKnownFamily(const char* family)
{
    if (family == nullptr || family[0] == '\0')
        return false;
    if (FindClassic(family) != nullptr || !HasGuiApplication())
        return true;
    return QFontDatabase::hasFamily(QString::fromUtf8(family));
}

namespace {

std::atomic<float> sDesktopScale{1.0f};

} // namespace

void FontEngine::SetDesktopScale(float scale)
{
    sDesktopScale.store(std::isfinite(scale) && scale > 1.0f ? scale : 1.0f);
}

float FontEngine::DesktopScale()
{
    return sDesktopScale.load();
}

bool FontEngine::Prepare()
{
    const float scale = DesktopScale();
    if (fMetrics != nullptr && fPreparedScale == scale)
        return true;
    if (!HasGuiApplication())
        return false;

    auto font = std::make_unique<QFont>();
    const ClassicFamily* classic = fFamily.empty() ? nullptr : FindClassic(fFamily.c_str());
    if (fFamily.empty() || (classic != nullptr && !QFontDatabase::hasFamily(QString::fromUtf8(fFamily.c_str())))) {
        const bool fixed = classic != nullptr ? classic->kind == FamilyKind::Mono : fFixedDefault;
        if (classic != nullptr && classic->kind == FamilyKind::Serif) {
            font->setFamilies({QStringLiteral("serif")});
            font->setStyleHint(QFont::Serif);
        } else if (fixed) {
            const QFont system = QFontDatabase::systemFont(QFontDatabase::FixedFont);
            font->setFamilies(system.families());
            font->setStyleHint(QFont::Monospace);
        } else {
            font->setFamilies({QString::fromStdString(SansFamily())});
            font->setStyleHint(QFont::SansSerif);
        }
    } else {
        font->setFamilies({QString::fromUtf8(fFamily.c_str())});
    }

    // One point of the platform is one pixel, times the desktop's scale.
    font->setPixelSize(std::max(1, static_cast<int>(std::lround(fSize * scale))));
    font->setWeight((fFace & B_BOLD_FACE) != 0 ? QFont::Bold : QFont::Normal);
    font->setItalic((fFace & B_ITALIC_FACE) != 0);
    font->setUnderline((fFace & B_UNDERSCORE_FACE) != 0);
    font->setStrikeOut((fFace & B_STRIKEOUT_FACE) != 0);

    fMetrics = std::make_unique<QFontMetricsF>(*font);
    fFont = std::move(font);
    fPreparedScale = scale;
    return true;
}

float FontEngine::StringWidth(const char* text, int32 length)
{
    if (text == nullptr || length <= 0)
        return 0.0f;
    const QString string = QString::fromUtf8(text, static_cast<qsizetype>(strnlen(text, length)));
    std::lock_guard<std::mutex> guard(fLock);
    if (!Prepare())
        return 0.0f;
    return static_cast<float>(fMetrics->horizontalAdvance(string));
}

void FontEngine::GetHeight(font_height* height)
{
    if (height == nullptr)
        return;
    std::lock_guard<std::mutex> guard(fLock);
    if (!Prepare()) {
        *height = font_height{0.0f, 0.0f, 0.0f};
        return;
    }
    height->ascent = static_cast<float>(fMetrics->ascent());
    height->descent = static_cast<float>(fMetrics->descent());
    height->leading = static_cast<float>(fMetrics->leading());
}

std::string FontEngine::Truncated(const std::string& text, uint32 mode, float width)
{
    Qt::TextElideMode elide = Qt::ElideRight;
    if (mode == B_TRUNCATE_BEGINNING)
        elide = Qt::ElideLeft;
    else if (mode == B_TRUNCATE_MIDDLE || mode == B_TRUNCATE_SMART)
        elide = Qt::ElideMiddle;
    const QString string = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    std::lock_guard<std::mutex> guard(fLock);
    if (!Prepare())
        return text;
    if (fMetrics->horizontalAdvance(string) <= width)
        return text;
    return fMetrics->elidedText(string, elide, std::max<qreal>(width, 0)).toStdString();
}

QFont FontEngine::Font()
{
    std::lock_guard<std::mutex> guard(fLock);
    if (!Prepare())
        return QFont();
    return *fFont;
}

QFont FontEngine::QtFontOf(const BFont& font)
{
    return font.fEngine->Font();
}
