// The slider scale and its two mappings.
#include "player/pointscale.h"

#include <algorithm>
#include <limits>

namespace player {

namespace {

constexpr int64_t finestScale = 255;

uint8_t heldScale(int64_t scale) {
    return uint8_t(std::clamp<int64_t>(scale, 1, finestScale));
}

// a / b rounded to the nearest whole number, halves to the even one; b > 0.
int64_t divideHalfToEven(int64_t a, int64_t b) {
    const int64_t magnitude = a < 0 ? -a : a;
    int64_t q = magnitude / b;
    const int64_t twiceRest = 2 * (magnitude % b);
    if (twiceRest > b || (twiceRest == b && q % 2 != 0))
        ++q;
    return a < 0 ? -q : q;
}

} // namespace

PointScaleSetup pointScaleFor(int32_t lengthMs, int32_t sliderMax, uint8_t previousScale) {
    if (sliderMax <= 0)
        return {previousScale, pointModeUnit};
    if (lengthMs == sliderMax)
        return {previousScale, pointModeUnit};
    if (lengthMs > sliderMax)
        return {heldScale(int64_t(lengthMs) / sliderMax), pointModeDivide};
    if (lengthMs <= 0)
        return {uint8_t(finestScale), pointModeMultiply};
    return {heldScale(int64_t(sliderMax) / lengthMs), pointModeMultiply};
}

std::optional<int32_t> sliderValueFor(int32_t ms, uint8_t scale, uint8_t mode, int32_t sliderMax,
                                      SliderRounding rounding) {
    int64_t value = ms;
    if (mode == pointModeDivide) {
        if (scale == 0)
            value = 0;
        else if (rounding == SliderRounding::HalfToEven)
            value = divideHalfToEven(ms, scale);
        else
            value = int64_t(ms) / scale;
    } else if (mode == pointModeMultiply) {
        value = int64_t(ms) * scale;
    }
    if (value < 0 || value > sliderMax)
        return std::nullopt;
    return int32_t(value);
}

int32_t msForSliderValue(int32_t value, uint8_t scale, uint8_t mode) {
    int64_t ms = value;
    if (mode == pointModeDivide)
        ms = int64_t(value) * scale;
    else if (mode == pointModeMultiply)
        ms = scale == 0 ? 0 : int64_t(value) / scale;
    return int32_t(
        std::clamp<int64_t>(ms, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

} // namespace player
