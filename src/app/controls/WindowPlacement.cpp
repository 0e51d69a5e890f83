#include "app/controls/WindowPlacement.h"

#include <algorithm>

namespace {

constexpr int gap = 8;

int within(int start, int length, int areaStart, int areaLength) {
    return std::clamp(start, areaStart, std::max(areaStart, areaStart + areaLength - length));
}

} // namespace

QPoint WindowPlacement::besideWindow(const QRect& main, const QSize& size, const QRect& available) {
    const int roomRight = available.x() + available.width() - (main.x() + main.width());
    const int roomLeft = main.x() - available.x();
    const bool fitsRight = roomRight >= gap + size.width();
    const bool fitsLeft = roomLeft >= gap + size.width();
    const bool right = fitsRight || (!fitsLeft && roomRight >= roomLeft);
    const int x = right ? main.x() + main.width() + gap : main.x() - gap - size.width();
    return {within(x, size.width(), available.x(), available.width()),
            within(main.y(), size.height(), available.y(), available.height())};
}
