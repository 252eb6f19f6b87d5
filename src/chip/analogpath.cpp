// The analog-path frame builder.
#include "chip/analogpath.h"

namespace chip {

std::array<uint8_t, 3> analogPathFrame(const QString& source, bool monitorOn, bool speakerOn,
                                       uint8_t volStep) {
    std::array<uint8_t, 3> frame{WR_APC2, 0x0C, 0x00};
    if (volStep <= 4)
        frame[2] = uint8_t(4 - volStep);
    if (!speakerOn)
        frame[1] = uint8_t(frame[1] + 0x01);
    if (monitorOn)
        frame[2] = uint8_t(frame[2] + 0x08);
    if (source == QLatin1String("Mic"))
        frame[2] = uint8_t(frame[2] + 0x40);
    else if (source == QLatin1String("LM"))
        frame[2] = uint8_t(frame[2] + 0x10);
    return frame;
}

} // namespace chip
