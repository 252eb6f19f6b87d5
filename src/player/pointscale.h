// The position slider's scale: set up from the file's length when a file is opened, and the
// mappings between milliseconds and slider units that follow from it.
#pragma once

#include <cstdint>
#include <optional>

namespace player {

// How PointScale applies.
enum PointModeValue : uint8_t {
    pointModeDivide = 0,   // file longer than the slider: ms / scale
    pointModeMultiply = 1, // file shorter: ms * scale
    pointModeUnit = 2,     // exactly as long: one unit is one millisecond
};

struct PointScaleSetup {
    uint8_t scale;
    uint8_t mode;
};

// Scale for a file of lengthMs on a slider running 0..sliderMax. The scale is held to 1..255 so
// that it fits its Byte and never divides by zero: a file above 7679999 ms (at Max 30000) keeps
// scale 255 and the slider covers its first 7650000 ms; a file shorter than 118 ms, or one whose
// length is 0 or unknown, gets the finest scale 255 of the multiplying mode. At exactly
// sliderMax the mode is the unit mode and previousScale is kept, as it is then unused.
PointScaleSetup pointScaleFor(int32_t lengthMs, int32_t sliderMax, uint8_t previousScale);

enum class SliderRounding {
    Truncate,   // the status event's step
    HalfToEven, // the cue button's
};

// Slider value for ms, or nothing when it falls outside 0..sliderMax (the slider then stays
// where it is). With no scale yet (scale 0 in the dividing mode, before any file) every
// position is at the slider's start.
std::optional<int32_t> sliderValueFor(int32_t ms, uint8_t scale, uint8_t mode, int32_t sliderMax,
                                      SliderRounding rounding);

// Milliseconds for a slider value. A scale of 0 maps everything to 0 ms.
int32_t msForSliderValue(int32_t value, uint8_t scale, uint8_t mode);

} // namespace player
