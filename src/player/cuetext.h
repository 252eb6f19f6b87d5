// The cue text typed into SetAddrText: its reading as a packed number (minutes, two digits of
// seconds, two of hundredths: "01:05:43" is 10543) and that number in milliseconds.
#pragma once

#include <QStringView>

#include <cstdint>

namespace player {

// Colons dropped; blanks, tabs and line feeds anywhere ignored; then a sign, digits with a
// fraction and an exponent (E or D), or an &H / &O whole number; reading stops at the first
// character that cannot continue the number, and no number at all reads as 0. The value is
// rounded half to even and held to 0..2147483647: a cue cannot lie before the file's start.
int32_t cuePackedNumber(QStringView text);

// minutes * 60000 + seconds * 1000 + hundredths * 10, truncating; seconds may exceed 59.
// Held to the Long range where the product would not fit.
int32_t cueMilliseconds(int32_t packed);

} // namespace player
