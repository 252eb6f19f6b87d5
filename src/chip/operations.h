// The table of the operations the console sends: for every command byte its name, the length of
// its frame and of the board's answer, whether the answer is counted from a fresh start, how many
// answer bytes the receiver reads, and the lamps that its button and its answer light. The
// buttons, the send path, the receiver and the traffic monitor all read this one table.
#pragma once

#include <cstdint>
#include <span>

namespace chip {

// A chip lamp by its control array and index, as the window names it (Lift(2)).
struct Lamp {
    enum class Array : uint8_t { None, Bottmp, Lift, Right };
    Array array = Array::None;
    int8_t index = -1;

    constexpr bool lit() const { return array != Array::None; }
    friend constexpr bool operator==(const Lamp&, const Lamp&) = default;
};

struct Operation {
    uint8_t command;
    // The ISD1700 mnemonic; null for the board's own current-address command 0x60.
    const char* name;
    uint8_t frameLength;
    // What the hand-over puts in RinNeedCnt; keepsReplyLength where the operation declares none,
    // so that the length in force stays (the board answers them with nothing the console reads).
    uint8_t replyLength;
    // Read operations count their answer from 0: RinCnt is reset at the hand-over.
    bool resetsCount;
    // How many answer bytes, from RinBuf(0) on, the decoding of the answer reads.
    uint8_t bytesDecoded;
    // Lit by the button (after CriDigClr) when the operation is handed over.
    Lamp buttonLamp;
    // Lit by the receiver (after CriDigClr) when the board's answer is decoded.
    Lamp replyLamp;
};

constexpr uint8_t keepsReplyLength = 0;

// The command bytes, by the chip's names; 0x60 asks the board for its current address.
enum Command : uint8_t {
    PU = 0x01,
    STOP = 0x02,
    RESET = 0x03,
    RD_PLAY_PTR = 0x06,
    RD_REC_PTR = 0x08,
    DEVID = 0x09,
    PLAY = 0x40,
    REC = 0x41,
    ERASE = 0x42,
    G_ERASE = 0x43,
    FWD = 0x48,
    CurrentRowQuery = 0x60,
    WR_APC2 = 0x65,
    SET_PLAY = 0x80,
    SET_REC = 0x81,
    SET_ERASE = 0x82,
};

// Every operation, in the order of their command bytes.
std::span<const Operation> operations();
// The operation of a command byte; null for a byte that is none of them.
const Operation* operation(uint8_t command);

} // namespace chip
