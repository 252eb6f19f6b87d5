// Milliseconds as time text, and the counters' saturating step.
#include "player/timetext.h"

#include <limits>

namespace player {

QString timeText(int32_t ms) {
    // Work on the magnitude in 64 bits so that the most negative Long has one too.
    const int64_t wide = ms;
    const int64_t magnitude = wide < 0 ? -wide : wide;
    const int64_t minutes = magnitude / 60000;
    const int64_t rest = magnitude % 60000;
    const int64_t seconds = rest / 1000;
    const int64_t hundredths = (rest % 1000) / 10;
    const QChar zero(u'0');
    return QStringLiteral("%1%2:%3:%4")
        .arg(wide < 0 ? QStringLiteral("-") : QString())
        .arg(minutes, 2, 10, zero)
        .arg(seconds, 2, 10, zero)
        .arg(hundredths, 2, 10, zero);
}

int32_t addSaturated(int32_t value, int32_t step) {
    const int64_t sum = int64_t(value) + int64_t(step);
    if (sum > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (sum < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return int32_t(sum);
}

} // namespace player
