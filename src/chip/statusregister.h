// The chip's status register SR0 where it leads the board's answers: the low byte first, its bits 0..4
// the flags CMD_ERR, FULL, PU, EOM and INT, its bits 5..15 the current row (A0..A10).
#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <span>

namespace chip {

struct StatusRegister {
    bool cmdErr = false;    // the chip refused the last command that made it act
    bool full = false;      // the memory is full
    bool poweredUp = false; // PU
    bool eom = false;       // an end-of-message mark was reached
    bool interrupt = false; // INT: an operation has ended
    // Only when both bytes came: the low byte alone carries A0..A2 of it.
    std::optional<uint16_t> row;

    friend bool operator==(const StatusRegister&, const StatusRegister&) = default;
};

StatusRegister decodeStatus(uint8_t b0, uint8_t b1);
// The low byte alone (the simulated board answers STOP, REC and SET_REC with it).
StatusRegister decodeStatus(uint8_t b0);

// SR0 as it leads reply, the board's answer to command: the two bytes ahead of the answers of the read
// operations (DEVID, RD_PLAY_PTR, RD_REC_PTR). Nullopt for any other answer, or one too short to hold it.
std::optional<StatusRegister> replyStatus(uint8_t command, std::span<const uint8_t> reply);

// Whether command makes the chip act, and so sets or clears CMD_ERR; a read leaves it as the command
// before left it. A byte that is no operation of the table counts as acting: the chip refuses it.
bool actsOnChip(uint8_t command);

// In the trace's words: "SR0 PU EOM, row 0x010", "SR0 no flag".
QString statusText(const StatusRegister& status);
// "the chip refused SET_REC: CMD_ERR"; without the command, "the chip refused an earlier command: ...".
QString refusalText(std::optional<uint8_t> command);
// Both for the window, in the interface language, to follow what was made of an answer:
// "；SR0：CMD_ERR PU，行 0x010；芯片拒绝了 SET_REC：CMD_ERR". A refusal is told where CMD_ERR is set.
QString replyStatusShown(const StatusRegister& status, std::optional<uint8_t> refusedCommand);

} // namespace chip
