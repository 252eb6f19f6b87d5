// The analog-path frame: input source, monitor, speaker and volume step in the three bytes of
// the chip's WR_APC2 command (0x65).
#pragma once

#include "chip/operations.h"

#include <QString>

#include <array>
#include <cstdint>

namespace chip {

// Byte 1 is 0x0C, plus 0x01 with the speaker off. Byte 2 is the volume value 4 - volStep (0
// for a step outside 0..4), plus 0x08 with the monitor on, plus 0x40 for the source "Mic" or
// 0x10 for "LM"; the source is compared exactly, so "Lin" and any other text add nothing.
std::array<uint8_t, 3> analogPathFrame(const QString& source, bool monitorOn, bool speakerOn,
                                       uint8_t volStep);

} // namespace chip
