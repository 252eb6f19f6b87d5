// The parser of typed hexadecimal addresses: blank-separated two-digit groups ("01 23") become
// bytes. The address commands send the first two bytes of each box.
#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace chip {

// Rewrites StringTemp to a blank followed by the text in upper case (one character for one, so
// that the length is kept), recreates HexBuf zero-filled with indices 0 to n, n being the length
// of the rewritten text (the typed length + 2 elements), and parses it: a blank arms a new byte, the first
// digit after it gives the high half, the second completes the byte; a lone digit followed by a blank is the
// low half; every other character is skipped. Returns the number of complete bytes.
//
// Each character counts by its single-byte code: one above 0xFF (Chinese, emoji halves) has
// none and is skipped; Latin-1 letters such as 'ä' are no hex digits and are skipped too.
// Texts of any length are safe: HexBuf always grows with the text, every byte parsed is kept,
// and the returned count stops at 255 (a text above 254 characters can hold more groups than
// a byte counts).
uint8_t StrToHex(QString& StringTemp, std::vector<uint8_t>& HexBuf);

} // namespace chip
