#include <FileIcon.h>

#include <Bitmap.h>
#include <BitmapImage.h>
#include <Node.h>
#include <NodeInfo.h>

#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QMimeDatabase>
#include <QPainter>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Icon themes tried, in this order, when the desktop names none (as under
// the offscreen platform or a bare X server): Qt then only looks in
// "hicolor", which holds application icons but no file type icons.
const char* const kFallbackThemes[] = {"Adwaita", "breeze", "gnome", "oxygen", "Tango"};

void ChooseFallbackTheme()
{
    const QString theme = QIcon::themeName();
    if ((!theme.isEmpty() && theme != QLatin1String("hicolor")) || !QIcon::fallbackThemeName().isEmpty())
        return;
    for (const char* candidate : kFallbackThemes) {
        for (const QString& folder : QIcon::themeSearchPaths()) {
            if (QFile::exists(folder + QLatin1Char('/') + QLatin1String(candidate) + QLatin1String("/index.theme"))) {
                QIcon::setFallbackThemeName(QLatin1String(candidate));
                return;
            }
        }
    }
}

bool IsBlank(const QImage& image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); y++) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); x++) {
            if (qAlpha(line[x]) != 0)
                return false;
        }
    }
    return true;
}

// The theme's icon for one of the MIME types, drawn at exactly size x size
// pixels (centred when the theme offers only another aspect); a null image
// when no type has a visible icon.
QImage ThemeIcon(const std::vector<QMimeType>& types, int32 size)
{
    ChooseFallbackTheme();
    for (const QMimeType& type : types) {
        for (const QString& name : {type.iconName(), type.genericIconName()}) {
            if (name.isEmpty() || !QIcon::hasThemeIcon(name))
                continue;
            const QPixmap pixmap = QIcon::fromTheme(name).pixmap(QSize(size, size), 1.0);
            if (pixmap.isNull())
                continue;
            QImage drawn = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
            if (drawn.width() != size || drawn.height() != size) {
                const QImage scaled = drawn.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
                drawn = QImage(size, size, QImage::Format_ARGB32);
                drawn.fill(Qt::transparent);
                QPainter painter(&drawn);
                painter.drawImage((size - scaled.width()) / 2, (size - scaled.height()) / 2, scaled);
            }
            if (!IsBlank(drawn))
                return drawn;
        }
    }
    return {};
}

bool OnGuiThread()
{
    return qGuiApp != nullptr && QThread::currentThread() == qGuiApp->thread();
}

// The MIME types to ask the theme about: the stored type first (when the
// type database knows it), then the type found from the file's name and
// contents.
std::vector<QMimeType> TypesOf(const BNode& node, const BNodeInfo& info)
{
    std::vector<QMimeType> types;
    const QMimeDatabase database;
    char stored[B_MIME_TYPE_LENGTH];
    if (info.GetType(stored) == B_OK) {
        const QMimeType type = database.mimeTypeForName(QString::fromUtf8(stored));
        if (type.isValid())
            types.push_back(type);
    }
    if (const char* path = node.PathName(); path != nullptr && *path != '\0') {
        const QMimeType type = database.mimeTypeForFile(QString::fromLocal8Bit(path));
        if (type.isValid() && !type.isDefault())
            types.push_back(type);
    }
    return types;
}

bool FitsSize(const BBitmap* icon, int32 size)
{
    if (icon == nullptr || !icon->IsValid())
        return false;
    const BRect b = icon->Bounds();
    return int32(std::floor(b.right) - std::floor(b.left)) + 1 == size
        && int32(std::floor(b.bottom) - std::floor(b.top)) + 1 == size;
}

} // namespace

status_t get_file_icon(const BNode& node, icon_size size, BBitmap* icon)
{
    const int32 pixels = int32(size);
    if ((size != B_MINI_ICON && size != B_LARGE_ICON) || !FitsSize(icon, pixels))
        return B_BAD_VALUE;
    if (node.InitCheck() != B_OK)
        return node.InitCheck();
    BNodeInfo info(const_cast<BNode*>(&node));
    std::vector<uint8> indices(size_t(pixels) * size_t(pixels));
    // An icon attribute that is transparent throughout counts as none.
    if (info.GetIcon(indices.data(), pixels) == B_OK
        && std::any_of(indices.begin(), indices.end(), [](uint8 index) { return index != B_TRANSPARENT_MAGIC_CMAP8; }))
        return icon->ImportBits(indices.data(), int32(indices.size()), pixels, 0, B_CMAP8);
    if (OnGuiThread()) {
        const QImage themed = ThemeIcon(TypesOf(node, info), pixels);
        if (!themed.isNull())
            return image_to_bitmap(themed, icon);
    }
    const status_t status = info.GetTrackerIcon(indices.data(), pixels);
    if (status != B_OK)
        return status;
    return icon->ImportBits(indices.data(), int32(indices.size()), pixels, 0, B_CMAP8);
}

status_t get_file_icon(const char* path, icon_size size, BBitmap* icon)
{
    if (path == nullptr)
        return B_BAD_VALUE;
    const BNode node(path);
    return get_file_icon(node, size, icon);
}
