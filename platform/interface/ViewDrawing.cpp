// The drawing calls of BView, on the QPainter that is active while Draw()
// runs. Geometry follows the platform: integer coordinates are pixel
// centres and rectangles include their right and bottom edges.
#include <View.h>

#include "BitmapImage.h"
#include "FontEngine.h"
#include "ViewState.h"

#include <Bitmap.h>

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>
#include <cstring>
#include <vector>

using BPrivate::ViewState;

namespace {

QColor ColorFor(const rgb_color& color, drawing_mode mode)
{
    // Only the alpha mode uses the colour's alpha.
    return QColor(color.red, color.green, color.blue, mode == B_OP_ALPHA ? color.alpha : 255);
}

QPainter::CompositionMode CompositionFor(drawing_mode mode)
{
    switch (mode) {
        case B_OP_INVERT:
            return QPainter::RasterOp_NotDestination;
        case B_OP_ADD:
            return QPainter::CompositionMode_Plus;
        case B_OP_SUBTRACT:
            return QPainter::CompositionMode_Difference;
        case B_OP_MIN:
            return QPainter::CompositionMode_Darken;
        case B_OP_MAX:
            return QPainter::CompositionMode_Lighten;
        default:
            return QPainter::CompositionMode_SourceOver;
    }
}

// The brush of a pattern: set bits in the high colour, clear bits in the
// low colour (left undrawn in B_OP_OVER; B_OP_ERASE draws everything in the
// low colour).
QBrush BrushFor(const ViewState& state, const pattern& fill)
{
    const drawing_mode mode = state.mode;
    if (mode == B_OP_ERASE)
        return QBrush(ColorFor(state.lowColor, mode));
    QColor high = ColorFor(state.highColor, mode);
    if (mode == B_OP_BLEND)
        high.setAlpha(128);
    if (fill == B_SOLID_HIGH)
        return QBrush(high);
    const bool lowShows = mode == B_OP_COPY || mode == B_OP_ALPHA;
    if (fill == B_SOLID_LOW)
        return lowShows ? QBrush(ColorFor(state.lowColor, mode)) : QBrush(Qt::transparent);
    QImage tile(8, 8, QImage::Format_ARGB32);
    const QRgb low = lowShows ? ColorFor(state.lowColor, mode).rgba() : qRgba(0, 0, 0, 0);
    for (int y = 0; y < 8; y++) {
        for (int x = 0; x < 8; x++)
            tile.setPixel(x, y, (fill.data[y] & (0x80 >> x)) ? high.rgba() : low);
    }
    return QBrush(tile);
}

QRectF PixelRect(BRect rect)
{
    const double left = std::floor(double(rect.left));
    const double top = std::floor(double(rect.top));
    return QRectF(left, top, std::floor(double(rect.right)) - left + 1, std::floor(double(rect.bottom)) - top + 1);
}

QPointF Centre(BPoint point)
{
    return QPointF(std::floor(double(point.x)) + 0.5, std::floor(double(point.y)) + 0.5);
}

} // namespace

bool BView::_CanDraw()
{
    if (fPainter != nullptr)
        return true;
    // Outside Draw() the view is redrawn as a whole soon.
    Invalidate();
    return false;
}

void BView::_PrepareDraw(bool fill)
{
    fPainter->setRenderHint(QPainter::Antialiasing, false);
    fPainter->setCompositionMode(CompositionFor(fState->mode));
    if (fill) {
        fPainter->setPen(Qt::NoPen);
    } else {
        QPen pen(BrushFor(*fState, B_SOLID_HIGH), std::max(1.0, double(fState->penSize)));
        pen.setCapStyle(Qt::SquareCap);
        pen.setJoinStyle(Qt::MiterJoin);
        fPainter->setPen(pen);
    }
    fPainter->setBrush(Qt::NoBrush);
}

void BView::StrokeLine(BPoint to, pattern fill)
{
    StrokeLine(fState->penLocation, to, fill);
}

void BView::StrokeLine(BPoint from, BPoint to, pattern fill)
{
    fState->penLocation = to;
    if (!_CanDraw())
        return;
    fPainter->save();
    _PrepareDraw(false);
    QPen pen = fPainter->pen();
    pen.setBrush(BrushFor(*fState, fill));
    fPainter->setPen(pen);
    if (from == to)
        fPainter->drawPoint(Centre(from));
    else
        fPainter->drawLine(Centre(from), Centre(to));
    fPainter->restore();
}

void BView::StrokeRect(BRect rect, pattern fill)
{
    if (!rect.IsValid() || !_CanDraw())
        return;
    fPainter->save();
    _PrepareDraw(true);
    const QBrush brush = BrushFor(*fState, fill);
    const QRectF area = PixelRect(rect);
    const double pen = std::max(1.0, std::floor(double(fState->penSize)));
    if (area.width() <= 2 * pen || area.height() <= 2 * pen) {
        fPainter->fillRect(area, brush);
    } else {
        // Four bands inside the rectangle, so its outer pixels are exactly
        // the rectangle's edges.
        fPainter->fillRect(QRectF(area.left(), area.top(), area.width(), pen), brush);
        fPainter->fillRect(QRectF(area.left(), area.bottom() - pen, area.width(), pen), brush);
        fPainter->fillRect(QRectF(area.left(), area.top() + pen, pen, area.height() - 2 * pen), brush);
        fPainter->fillRect(QRectF(area.right() - pen, area.top() + pen, pen, area.height() - 2 * pen), brush);
    }
    fPainter->restore();
}

void BView::FillRect(BRect rect, pattern fill)
{
    if (!rect.IsValid() || !_CanDraw())
        return;
    fPainter->save();
    _PrepareDraw(true);
    fPainter->fillRect(PixelRect(rect), BrushFor(*fState, fill));
    fPainter->restore();
}

void BView::StrokeRoundRect(BRect rect, float xRadius, float yRadius, pattern fill)
{
    if (!rect.IsValid() || !_CanDraw())
        return;
    fPainter->save();
    _PrepareDraw(false);
    QPen pen = fPainter->pen();
    pen.setBrush(BrushFor(*fState, fill));
    fPainter->setPen(pen);
    const QRectF area = PixelRect(rect).adjusted(0.5, 0.5, -0.5, -0.5);
    fPainter->drawRoundedRect(area, double(xRadius), double(yRadius));
    fPainter->restore();
}

void BView::FillRoundRect(BRect rect, float xRadius, float yRadius, pattern fill)
{
    if (!rect.IsValid() || !_CanDraw())
        return;
    fPainter->save();
    _PrepareDraw(true);
    fPainter->setBrush(BrushFor(*fState, fill));
    fPainter->drawRoundedRect(PixelRect(rect), double(xRadius), double(yRadius));
    fPainter->restore();
}

void BView::StrokeEllipse(BRect rect, pattern fill)
{
    if (!rect.IsValid() || !_CanDraw())
        return;
    fPainter->save();
    _PrepareDraw(false);
    QPen pen = fPainter->pen();
    pen.setBrush(BrushFor(*fState, fill));
    fPainter->setPen(pen);
    fPainter->drawEllipse(PixelRect(rect).adjusted(0.5, 0.5, -0.5, -0.5));
    fPainter->restore();
}

void BView::FillEllipse(BRect rect, pattern fill)
{
    if (!rect.IsValid() || !_CanDraw())
        return;
    fPainter->save();
    _PrepareDraw(true);
    fPainter->setBrush(BrushFor(*fState, fill));
    fPainter->drawEllipse(PixelRect(rect));
    fPainter->restore();
}

void BView::StrokeTriangle(BPoint a, BPoint b, BPoint c, pattern fill)
{
    const BPoint points[3] = {a, b, c};
    StrokePolygon(points, 3, true, fill);
}

void BView::FillTriangle(BPoint a, BPoint b, BPoint c, pattern fill)
{
    const BPoint points[3] = {a, b, c};
    FillPolygon(points, 3, fill);
}

void BView::StrokePolygon(const BPoint* points, int32 count, bool closed, pattern fill)
{
    if (points == nullptr || count <= 0 || !_CanDraw())
        return;
    QPolygonF polygon;
    for (int32 i = 0; i < count; i++)
        polygon << Centre(points[i]);
    fPainter->save();
    _PrepareDraw(false);
    QPen pen = fPainter->pen();
    pen.setBrush(BrushFor(*fState, fill));
    fPainter->setPen(pen);
    if (closed)
        fPainter->drawPolygon(polygon);
    else
        fPainter->drawPolyline(polygon);
    fPainter->restore();
}

void BView::FillPolygon(const BPoint* points, int32 count, pattern fill)
{
    if (points == nullptr || count <= 0 || !_CanDraw())
        return;
    QPolygonF polygon;
    for (int32 i = 0; i < count; i++)
        polygon << Centre(points[i]);
    fPainter->save();
    _PrepareDraw(false);
    // The outline belongs to the filled area, as on the platform.
    QPen pen = fPainter->pen();
    pen.setBrush(BrushFor(*fState, fill));
    fPainter->setPen(pen);
    fPainter->setBrush(BrushFor(*fState, fill));
    fPainter->drawPolygon(polygon);
    fPainter->restore();
}

void BView::DrawString(const char* string, escapement_delta* delta)
{
    DrawString(string, fState->penLocation, delta);
}

void BView::DrawString(const char* string, BPoint where, escapement_delta* delta)
{
    if (string == nullptr)
        return;
    DrawString(string, int32(std::strlen(string)), where, delta);
}

void BView::DrawString(const char* string, int32 length, escapement_delta* delta)
{
    DrawString(string, length, fState->penLocation, delta);
}

void BView::DrawString(const char* string, int32 length, BPoint where, escapement_delta*)
{
    if (string == nullptr || length <= 0)
        return;
    length = int32(strnlen(string, size_t(length)));
    const float width = fState->font.StringWidth(string, length);
    const double angle = double(fState->font.Rotation()) * M_PI / 180.0;
    fState->penLocation = BPoint(where.x + float(double(width) * std::cos(angle)),
        where.y - float(double(width) * std::sin(angle)));
    if (!_CanDraw())
        return;
    fPainter->save();
    fPainter->setCompositionMode(CompositionFor(fState->mode));
    fPainter->setRenderHint(QPainter::TextAntialiasing, true);
    fPainter->setFont(FontEngine::QtFontOf(fState->font));
    const rgb_color textColor = fState->mode == B_OP_ERASE ? fState->lowColor : fState->highColor;
    fPainter->setPen(ColorFor(textColor, fState->mode));
    fPainter->translate(double(where.x), double(where.y) + 1.0);
    if (fState->font.Rotation() != 0.0f)
        fPainter->rotate(-double(fState->font.Rotation()));
    fPainter->drawText(QPointF(0, 0), QString::fromUtf8(string, length));
    fPainter->restore();
}

void BView::DrawBitmap(const BBitmap* bitmap)
{
    DrawBitmap(bitmap, fState->penLocation);
}

void BView::DrawBitmap(const BBitmap* bitmap, BPoint where)
{
    if (bitmap == nullptr)
        return;
    DrawBitmap(bitmap, bitmap->Bounds(), bitmap->Bounds().OffsetToCopy(where.x, where.y));
}

void BView::DrawBitmap(const BBitmap* bitmap, BRect destination)
{
    if (bitmap == nullptr)
        return;
    DrawBitmap(bitmap, bitmap->Bounds(), destination);
}

void BView::DrawBitmap(const BBitmap* bitmap, BRect source, BRect destination)
{
    if (bitmap == nullptr || !bitmap->IsValid() || !source.IsValid() || !destination.IsValid() || !_CanDraw())
        return;
    QImage image = bitmap_to_image(*bitmap);
    if (image.isNull())
        return;
    const drawing_mode mode = fState->mode;
    if (mode == B_OP_COPY) {
        // Every pixel as it is, transparent ones included.
        image = image.convertToFormat(QImage::Format_RGB32);
    } else if (mode == B_OP_OVER) {
        // Drawn or not, nothing in between.
        for (int y = 0; y < image.height(); y++) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); x++) {
                const QRgb pixel = line[x];
                const bool transparent = qAlpha(pixel) == 0
                    || (qRed(pixel) == B_TRANSPARENT_COLOR.red && qGreen(pixel) == B_TRANSPARENT_COLOR.green
                        && qBlue(pixel) == B_TRANSPARENT_COLOR.blue);
                line[x] = transparent ? qRgba(0, 0, 0, 0) : (pixel | 0xff000000u);
            }
        }
    }
    const BRect bounds = bitmap->Bounds();
    const QRectF from = PixelRect(source.OffsetByCopy(-bounds.left, -bounds.top));
    fPainter->save();
    fPainter->setCompositionMode(mode == B_OP_COPY || mode == B_OP_OVER || mode == B_OP_ALPHA
            ? QPainter::CompositionMode_SourceOver : CompositionFor(mode));
    // Pixels are copied as they are, except on a high-density screen, where
    // each would otherwise become a block of device pixels.
    const QPaintDevice* device = fPainter->device();
    fPainter->setRenderHint(QPainter::SmoothPixmapTransform,
        device != nullptr && device->devicePixelRatioF() > 1.0);
    fPainter->drawImage(PixelRect(destination), image, from);
    fPainter->restore();
}
