// The hexadecimal address parser: a small state machine over the characters of the text.
#include "chip/strtohex.h"

#include "link/hextext.h"

#include <algorithm>
#include <limits>

namespace chip {

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
        // The text is upper-cased already, so only '0'..'9' and 'A'..'F' remain digits.
        const int digit = hexDigitValue(code);
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
