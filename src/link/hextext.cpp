// Hexadecimal text of received bytes.
#include "link/hextext.h"

uint8_t hexDigitCode(uint8_t value) {
    if (value <= 9)
        return uint8_t(0x30 + value);
    if (value <= 15)
        return uint8_t(0x37 + value);
    return value;
}

QString hexText(std::span<const uint8_t> bytes) {
    QString text;
    text.reserve(qsizetype(bytes.size() * 3));
    for (const uint8_t b : bytes) {
        text += QChar(hexDigitCode(uint8_t(b >> 4)));
        text += QChar(hexDigitCode(uint8_t(b & 0x0F)));
        text += QLatin1Char(' ');
    }
    return text;
}
