#include "toolkit/dpi_scale.h"

namespace {
int32_t DpiOrBase(int32_t dpi) {
    return dpi > 0 ? dpi : BaseDpi;
}

// numerator * factor / divisor rounded to the nearest, halves away from zero;
// in 64 bits, so no product of two 32-bit values overflows.
int32_t MultiplyDivide(int32_t numerator, int32_t factor, int32_t divisor) {
    const int64_t product = static_cast<int64_t>(numerator) * factor;
    const int64_t half = divisor / 2;
    const int64_t rounded = product >= 0 ? (product + half) / divisor : (product - half) / divisor;
    return static_cast<int32_t>(rounded);
}
} // namespace

int32_t ScaleToDpi(int32_t value, int32_t dpi) {
    return MultiplyDivide(value, DpiOrBase(dpi), BaseDpi);
}

int32_t ScaleFromDpi(int32_t value, int32_t dpi) {
    return MultiplyDivide(value, BaseDpi, DpiOrBase(dpi));
}

ControlRect ScaleRect(const ControlRect& rect, int32_t dpi) {
    const int32_t left = ScaleToDpi(rect.x, dpi);
    const int32_t top = ScaleToDpi(rect.y, dpi);
    const int32_t right = ScaleToDpi(rect.x + rect.width, dpi);
    const int32_t bottom = ScaleToDpi(rect.y + rect.height, dpi);
    return {left, top, right - left, bottom - top};
}

int32_t RescaleFontHeight(int32_t height, int32_t fromDpi, int32_t toDpi) {
    return MultiplyDivide(height, DpiOrBase(toDpi), DpiOrBase(fromDpi));
}
