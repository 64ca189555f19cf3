// Dialog-unit conversion with integer arithmetic, so that the halves round the same way on
// every machine.
#include "app/dialog_units.h"

namespace pelx {

namespace {

// value * numerator / denominator rounded to nearest, halves away from zero.
int scaleRounded(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : -((-product + half) / denominator));
}

} // namespace

int dialogUnitsToPixelsX(int units) {
    return scaleRounded(units, DIALOG_BASE_UNIT_X, 4);
}

int dialogUnitsToPixelsY(int units) {
    return scaleRounded(units, DIALOG_BASE_UNIT_Y, 8);
}

PixelRect dialogRectToPixels(int x, int y, int width, int height) {
    return {dialogUnitsToPixelsX(x), dialogUnitsToPixelsY(y), dialogUnitsToPixelsX(width),
            dialogUnitsToPixelsY(height)};
}

} // namespace pelx
