// The monitor's send line: a frame typed in hexadecimal and the length of the answer to wait for,
// read strictly (unlike the address boxes, whose parser skips what it does not understand).
#pragma once

#include <QString>

#include <cstdint>
#include <vector>

struct TypedFrame {
    static constexpr size_t maxBytes = 8;
    static constexpr int maxReplyLength = 16;
    // The send line holds at most this many characters: eight bytes with room for blanks.
    static constexpr int maxLineLength = 64;
    // A refused text is quoted up to this many characters, so that the message stays one line.
    static constexpr int quotedLength = 24;

    enum class Error { None, Empty, NotHex, TooLong, BadReplyLength };
    Error error = Error::None;
    std::vector<uint8_t> frame;
    uint8_t replyLength = 0;
    // What was refused: the group that is no hexadecimal byte, or the length as typed.
    QString refused;

    bool ok() const { return error == Error::None; }
};

// Bytes are two hexadecimal digits (either case) or one; groups are separated by blanks, and a
// group of an even number of digits holds that many bytes ("800123" is 80 01 23). The answer
// length is a whole number from 0 to 16.
TypedFrame readTypedFrame(const QString& frameText, const QString& replyLengthText);

// What the operator is told about a refused line; empty for a good one.
QString typedFrameMessage(const TypedFrame& typed);
