// The simulated board's chip: an ISD1700-series recorder as the board drives it, fed the bytes
// that arrive on the serial line with the time they arrived, answering with the board's reply bytes.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class Isd1700Model {
public:
    // The chip's command bytes, plus the board's own current-row query.
    enum Opcode : uint8_t {
        PU = 0x01,
        STOP = 0x02,
        RESET = 0x03,
        CLR_INT = 0x04,
        RD_STATUS = 0x05,
        RD_PLAY_PTR = 0x06,
        PD = 0x07,
        RD_REC_PTR = 0x08,
        DEVID = 0x09,
        PLAY = 0x40,
        REC = 0x41,
        ERASE = 0x42,
        G_ERASE = 0x43,
        RD_APC = 0x44,
        WR_APC1 = 0x45,
        FWD = 0x48,
        BoardCurrentRow = 0x60,
        WR_APC2 = 0x65,
        SET_PLAY = 0x80,
        SET_REC = 0x81,
        SET_ERASE = 0x82,
    };

    // SR0, low byte: the flags; bits 5..15 carry the current row (A0..A10).
    static constexpr uint16_t CMD_ERR = 0x0001;
    static constexpr uint16_t FULL = 0x0002;
    static constexpr uint16_t PU_BIT = 0x0004;
    static constexpr uint16_t EOM = 0x0008;
    static constexpr uint16_t INT = 0x0010;
    // SR1.
    static constexpr uint8_t RDY = 0x01;
    static constexpr uint8_t ERASE_BIT = 0x02;
    static constexpr uint8_t PLAY_BIT = 0x04;
    static constexpr uint8_t REC_BIT = 0x08;

    // Rows below this one hold the chip's own sound effects; messages start here.
    static constexpr uint16_t firstMessageRow = 0x010;
    // One row holds 125 ms of sound at 8 kHz sampling.
    static constexpr int64_t rowMs = 125;
    // A frame whose next byte is this late was cut off; the board starts over with a new command.
    static constexpr int64_t frameTimeoutMs = 1000;

    struct ChipType {
        const char* name;
        uint8_t deviceId;
        uint16_t lastRow;
    };
    // ISD1720 to ISD17240, in order of size.
    static const std::vector<ChipType>& chipTypes();
    // By name, case-insensitive ("ISD1760" or "1760").
    static std::optional<ChipType> chipTypeNamed(const QString& name);

    enum class Activity { Idle, Playing, Recording };

    // The model the board carries when none is named.
    static ChipType defaultChipType();

    explicit Isd1700Model(ChipType type = defaultChipType(), bool answerAll = false);

    // One byte from the line, received at nowMs (any monotonic clock). Returns the reply bytes
    // the board sends for it: nothing until a frame is complete.
    QByteArray receive(uint8_t byte, int64_t nowMs);
    QByteArray receive(const QByteArray& bytes, int64_t nowMs);
    // Brings recording and playing up to nowMs (receive() does this itself).
    void advance(int64_t nowMs);
    // When the running operation ends by itself (end of message, range or memory); nullopt while idle.
    std::optional<int64_t> operationEndsAtMs() const;

    ChipType type() const { return m_type; }
    bool poweredUp() const { return m_poweredUp; }
    Activity activity() const { return m_activity; }
    uint16_t status0() const;
    uint8_t status1() const;
    uint16_t playPointer() const { return m_playPtr; }
    uint16_t recordPointer() const { return m_recPtr; }
    uint16_t currentRow() const { return m_currentRow; }
    uint16_t apc() const { return m_apc; }
    bool commandError() const { return m_cmdErr; }
    // Messages as [first row, last row], in memory order.
    std::vector<std::pair<uint16_t, uint16_t>> messages() const;
    bool rowRecorded(uint16_t row) const;

private:
    struct Row {
        bool recorded = false;
        bool eom = false;
    };

    QByteArray execute(int64_t nowMs);
    // Carries out a complete frame; false when the chip refuses it (CMD_ERR).
    bool applyCommand(uint8_t opcode, int64_t nowMs);
    void finishOperation(int64_t nowMs, bool stopped);
    void startOperation(Activity activity, uint16_t from, uint16_t limit, int64_t nowMs);
    void eraseRows(uint16_t from, uint16_t to);
    std::optional<std::pair<uint16_t, uint16_t>> messageAt(uint16_t row) const;
    bool rangeValid(uint16_t start, uint16_t end) const;
    void powerDown();
    QByteArray statusBytes() const;
    int64_t clamp(int64_t nowMs);

    ChipType m_type;
    bool m_answerAll;
    std::vector<Row> m_rows;

    // The frame being assembled.
    std::vector<uint8_t> m_frame;
    int64_t m_lastByteMs = 0;
    // Time never runs backwards for the chip, whatever the caller's clock does.
    int64_t m_clockMs = 0;
    bool m_clockSet = false;

    bool m_poweredUp = false;
    bool m_cmdErr = false;
    bool m_eom = false;
    bool m_int = false;
    uint16_t m_playPtr = firstMessageRow;
    uint16_t m_recPtr = firstMessageRow;
    uint16_t m_currentRow = 0;
    uint16_t m_apc = 0;
    // The range latched by the last SET_PLAY or SET_ERASE, echoed in their replies.
    uint16_t m_setStart = 0;
    uint16_t m_setEnd = 0;

    Activity m_activity = Activity::Idle;
    int64_t m_opStartMs = 0;
    uint16_t m_opFirstRow = 0;
    uint16_t m_opLastRow = 0; // where the operation ends by itself
};
