// Reading the cue text: colons, blanks and the &H / &O prefixes are handled here, the decimal
// conversion itself is Qt's.
#include "player/cuetext.h"

#include <QString>

#include <cmath>
#include <limits>

namespace player {

namespace {

constexpr int32_t longMax = std::numeric_limits<int32_t>::max();

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// A whole number in base 16 or 8 from the start of text; it stops growing at longMax.
int64_t readWhole(QStringView text, int base) {
    int64_t value = 0;
    for (QChar c : text) {
        int digit = -1;
        if (isDigit(c))
            digit = c.unicode() - u'0';
        else if (base == 16 && c.toLower() >= u'a' && c.toLower() <= u'f')
            digit = c.toLower().unicode() - u'a' + 10;
        if (digit < 0 || digit >= base)
            break;
        value = value * base + digit;
        if (value > longMax)
            return int64_t(longMax) + 1;
    }
    return value;
}

// Length of the decimal number (sign, digits, point, fraction, exponent) at the start of text;
// 0 when there is none.
qsizetype decimalPrefix(QStringView text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    qsizetype digits = 0;
    while (i < n && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < n && text[i] == u'.') {
        ++i;
        while (i < n && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    // An exponent counts only when at least one digit follows its letter and sign.
    if (i < n && (text[i].toUpper() == u'E' || text[i].toUpper() == u'D')) {
        qsizetype j = i + 1;
        if (j < n && (text[j] == u'+' || text[j] == u'-'))
            ++j;
        if (j < n && isDigit(text[j])) {
            while (j < n && isDigit(text[j]))
                ++j;
            i = j;
        }
    }
    return i;
}

int32_t clampToCue(double value) {
    if (!(value > 0))
        return 0;
    if (value >= double(longMax))
        return longMax;
    return int32_t(value);
}

} // namespace

int32_t cuePackedNumber(QStringView text) {
    QString kept;
    kept.reserve(text.size());
    for (QChar c : text) {
        if (c != u':' && c != u' ' && c != u'\t' && c != u'\n')
            kept.append(c);
    }

    if (kept.size() >= 2 && kept[0] == u'&') {
        const QChar radix = kept[1].toUpper();
        if (radix == u'H' || radix == u'O') {
            const int64_t whole = readWhole(QStringView(kept).mid(2), radix == u'H' ? 16 : 8);
            return whole > longMax ? longMax : int32_t(whole);
        }
    }

    const qsizetype length = decimalPrefix(kept);
    if (length == 0)
        return 0;
    QString number = kept.left(length);
    number.replace(u'D', u'E').replace(u'd', u'e');
    // The prefix is well formed, so the only failure left is range: toDouble then gives
    // +-infinity or 0, which the clamp below handles.
    const double value = number.toDouble();
    // nearbyint rounds halves to the even neighbour in the default rounding mode.
    return clampToCue(std::nearbyint(value));
}

int32_t cueMilliseconds(int32_t packed) {
    const int64_t x = packed;
    const int64_t ms = (x / 10000) * 60000 + ((x % 10000) / 100) * 1000 + (x % 100) * 10;
    if (ms > longMax)
        return longMax;
    if (ms < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return int32_t(ms);
}

} // namespace player
