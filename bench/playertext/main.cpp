// Measures the player's codecs per call: the time text written every 200 ms (twice while
// recording), the cue text read at each press of the cue button, and the slider mappings.
#include "player/cuetext.h"
#include "player/pointscale.h"
#include "player/timetext.h"

#include "../common/nspercall.h"

#include <QString>
#include <QStringList>

#include <cstdio>

namespace {

// Printed at the end, so that the compiler cannot drop the work.
int64_t sink = 0;

} // namespace

int main() {
    constexpr int calls = 1'000'000;
    const double timeNs = nsPerCall(calls, [](int i) { sink += player::timeText(i * 200).size(); });

    const QStringList cues = {QStringLiteral("01:05:43"), QStringLiteral(" 1 : 05 : 43.5"),
                              QStringLiteral("&H2937"), QStringLiteral("99999:99:99"), QStringLiteral("abc")};
    const double cueNs = nsPerCall(calls, [&](int i) {
        sink += player::cueMilliseconds(player::cuePackedNumber(cues[i % cues.size()]));
    });
    const QString longCue(100000, u'7');
    const double longCueNs = nsPerCall(100, [&](int) { sink += player::cuePackedNumber(longCue); });

    const player::PointScaleSetup s = player::pointScaleFor(210000, 30000, 0);
    const double mapNs = nsPerCall(calls * 10, [&](int i) {
        const auto v =
            player::sliderValueFor(i % 300000, s.scale, s.mode, 30000, player::SliderRounding::HalfToEven);
        sink += player::msForSliderValue(v.value_or(0), s.scale, s.mode);
    });

    std::printf("timeText:                 %8.1f ns/call\n", timeNs);
    std::printf("cue text to ms (5 kinds): %8.1f ns/call\n", cueNs);
    std::printf("cue text of 100000 chars: %8.1f us/call\n", longCueNs / 1000.0);
    std::printf("slider map there and back:%8.1f ns/call\n", mapNs);
    std::printf("(checksum %lld)\n", static_cast<long long>(sink));
    return 0;
}
