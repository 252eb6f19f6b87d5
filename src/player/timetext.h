// Milliseconds as the console shows them ("mm:ss:hh", minutes widening past 99) and the
// saturating step of the millisecond counters.
#pragma once

#include <QString>

#include <cstdint>

namespace player {

// Minutes, seconds and hundredths, each at least two digits; the last millisecond digit is
// dropped, not rounded (1234 ms shows as "00:01:23").
QString timeText(int32_t ms);

// The position and recording-time counters stop at the largest Long instead of wrapping after
// about 24 days of counting.
int32_t addSaturated(int32_t value, int32_t step);

} // namespace player
