#include <LibLayout.h>

BRect LibRect(const float& x, const float& y, const float& width, const float& height)
{
    return BRect(x, y, x + width, y + height);
}

BRect LibLayoutRect(const BRect& reference, const Edge& edge, const Edge& align, const float& gap,
    const float& width, const float& height)
{
    BRect result(0, 0, width, height);
    const bool vertical = edge == kEdgeTop || edge == kEdgeBottom;
    const bool horizontal = edge == kEdgeLeft || edge == kEdgeRight;
    if (vertical && (align == kEdgeTop || align == kEdgeBottom)) {
        const float base = (edge == kEdgeTop ? reference.top : reference.bottom) + gap;
        result.OffsetTo(reference.left, align == kEdgeTop ? base : base - height);
    } else if (horizontal && (align == kEdgeLeft || align == kEdgeRight)) {
        const float base = (edge == kEdgeLeft ? reference.left : reference.right) + gap;
        result.OffsetTo(align == kEdgeLeft ? base : base - width, reference.top);
    }
    return result;
}
