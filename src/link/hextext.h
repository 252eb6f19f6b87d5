// Hexadecimal text of received bytes as the console shows it: two upper-case digits and one
// blank per byte, the last byte included ("01 AB ").
#pragma once

#include <QString>

#include <cstdint>
#include <span>

// The character code of one hexadecimal digit: 0..9 give '0'..'9', 10..15 give 'A'..'F'; any
// other value comes back unchanged.
uint8_t hexDigitCode(uint8_t value);

// The value of a hexadecimal digit character, '0'..'9', 'A'..'F' or 'a'..'f'; -1 for any other.
int hexDigitValue(char16_t code);

QString hexText(std::span<const uint8_t> bytes);
