// Hexadecimal text of received bytes.
#include "link/hextext.h"

uint8_t hexDigitCode(uint8_t value) {
    if (value <= 9)
        return uint8_t(0x30 + value);
    if (value <= 15)
        return uint8_t(0x37 + value);
    return value;
}

int hexDigitValue(char16_t code) {
    if (code >= u'0' && code <= u'9')
        return code - u'0';
    if (code >= u'A' && code <= u'F')
        return code - u'A' + 10;
    if (code >= u'a' && code <= u'f')
        return code - u'a' + 10;
    return -1;
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
