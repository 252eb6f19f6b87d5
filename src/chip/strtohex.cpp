// The hexadecimal address parser: a small state machine over the characters of the text.
#include "chip/strtohex.h"

#include <algorithm>
#include <limits>

namespace chip {

namespace {

// Value of a hexadecimal digit after upper-casing, or -1.
int digitValue(char16_t code) {
    if (code >= u'0' && code <= u'9')
        return code - 0x30;
    if (code >= u'A' && code <= u'F')
        return code - 0x37;
    return -1;
}

} // namespace

uint8_t StrToHex(QString& StringTemp, std::vector<uint8_t>& HexBuf) {
    // Upper-casing one character at a time keeps the length that sized HexBuf: a whole-string
    // mapping would expand "ß" to "SS" and the ligature "ﬀ" to the digits "FF".
    QString text(StringTemp.size() + 1, u' ');
    QChar* upper = text.data() + 1;
    for (QChar c : std::as_const(StringTemp))
        *upper++ = c.toUpper();
    StringTemp = text;

    HexBuf.assign(size_t(text.size()) + 1, 0);

    // k never passes the number of characters seen, so HexBuf(k) stays inside the buffer.
    size_t k = 0;
    bool armed = false;
    bool half = false;
    for (QChar c : std::as_const(text)) {
        const char16_t code = c.unicode();
        if (code == u' ') {
            if (half) {
                HexBuf[k] = uint8_t(HexBuf[k] >> 4);
                half = false;
                ++k;
            }
            armed = true;
            HexBuf[k] = 0;
            continue;
        }
        const int digit = digitValue(code);
        if (digit < 0)
            continue;
        if (armed) {
            armed = false;
            half = true;
            HexBuf[k] = uint8_t(digit * 16);
        } else if (half) {
            half = false;
            HexBuf[k] = uint8_t(HexBuf[k] + digit);
            ++k;
        }
    }
    return uint8_t(std::min<size_t>(k, std::numeric_limits<uint8_t>::max()));
}

} // namespace chip
