// The simulated ISD1700 chip and the board's framing around it: frames in, replies out, messages in
// rows of 125 ms, recording and playing in real time against the time the caller passes in.
#include "isd1700model.h"

#include <algorithm>
#include <limits>

namespace {

// Time from one clock reading to a later one, without signed overflow whatever the readings.
uint64_t elapsedMs(int64_t from, int64_t to) {
    return to > from ? uint64_t(to) - uint64_t(from) : 0;
}

int frameLength(uint8_t opcode) {
    switch (opcode) {
    case Isd1700Model::SET_PLAY:
    case Isd1700Model::SET_REC:
    case Isd1700Model::SET_ERASE:
        return 5;
    case Isd1700Model::WR_APC1:
    case Isd1700Model::WR_APC2:
        return 3;
    default:
        return 1;
    }
}

bool isRead(uint8_t opcode) {
    switch (opcode) {
    case Isd1700Model::RD_STATUS:
    case Isd1700Model::RD_PLAY_PTR:
    case Isd1700Model::RD_REC_PTR:
    case Isd1700Model::DEVID:
    case Isd1700Model::RD_APC:
    case Isd1700Model::BoardCurrentRow:
        return true;
    default:
        return false;
    }
}

bool isKnown(uint8_t opcode) {
    switch (opcode) {
    case Isd1700Model::PU:
    case Isd1700Model::STOP:
    case Isd1700Model::RESET:
    case Isd1700Model::CLR_INT:
    case Isd1700Model::PD:
    case Isd1700Model::PLAY:
    case Isd1700Model::REC:
    case Isd1700Model::ERASE:
    case Isd1700Model::G_ERASE:
    case Isd1700Model::WR_APC1:
    case Isd1700Model::WR_APC2:
    case Isd1700Model::FWD:
    case Isd1700Model::SET_PLAY:
    case Isd1700Model::SET_REC:
    case Isd1700Model::SET_ERASE:
        return true;
    default:
        return isRead(opcode);
    }
}

void appendRow(QByteArray& out, uint16_t row) {
    out.append(char(row >> 8));
    out.append(char(row & 0xFF));
}

} // namespace

const std::vector<Isd1700Model::ChipType>& Isd1700Model::chipTypes() {
    // Eight rows a second: a chip of N seconds ends at row 0x010 + 8N - 1.
    static const std::vector<ChipType> types = {
        {"ISD1720", 0x90, 0x0AF},  {"ISD1730", 0x80, 0x0FF},  {"ISD1740", 0xB0, 0x14F},
        {"ISD1750", 0xA8, 0x19F},  {"ISD1760", 0xA0, 0x1EF},  {"ISD1790", 0xD0, 0x2DF},
        {"ISD17120", 0xC8, 0x3CF}, {"ISD17150", 0xC0, 0x4BF}, {"ISD17180", 0xF0, 0x5AF},
        {"ISD17210", 0xE8, 0x69F}, {"ISD17240", 0xE0, 0x78F},
    };
    return types;
}

Isd1700Model::ChipType Isd1700Model::defaultChipType() {
    return chipTypes()[4];
}

std::optional<Isd1700Model::ChipType> Isd1700Model::chipTypeNamed(const QString& name) {
    const QString wanted = name.trimmed().toUpper();
    for (const ChipType& t : chipTypes()) {
        const QString full = QString::fromLatin1(t.name);
        if (wanted == full || QStringLiteral("ISD") + wanted == full)
            return t;
    }
    return std::nullopt;
}

Isd1700Model::Isd1700Model(ChipType type, bool answerAll)
    : m_type(type), m_answerAll(answerAll), m_rows(size_t(type.lastRow) + 1) {}

int64_t Isd1700Model::clamp(int64_t nowMs) {
    if (!m_clockSet || nowMs > m_clockMs) {
        m_clockMs = nowMs;
        m_clockSet = true;
    }
    return m_clockMs;
}

QByteArray Isd1700Model::receive(const QByteArray& bytes, int64_t nowMs) {
    QByteArray reply;
    for (char c : bytes)
        reply += receive(uint8_t(c), nowMs);
    return reply;
}

QByteArray Isd1700Model::receive(uint8_t byte, int64_t nowMs) {
    nowMs = clamp(nowMs);
    advance(nowMs);
    if (!m_frame.empty() && elapsedMs(m_lastByteMs, nowMs) > uint64_t(frameTimeoutMs))
        m_frame.clear();
    m_lastByteMs = nowMs;
    m_frame.push_back(byte);
    if (int(m_frame.size()) < frameLength(m_frame[0]))
        return {};
    QByteArray reply = execute(nowMs);
    m_frame.clear();
    return reply;
}

std::optional<int64_t> Isd1700Model::operationEndsAtMs() const {
    if (m_activity == Activity::Idle)
        return std::nullopt;
    const int64_t span = (int64_t(m_opLastRow) - m_opFirstRow + 1) * rowMs;
    if (m_opStartMs > std::numeric_limits<int64_t>::max() - span)
        return std::numeric_limits<int64_t>::max();
    return m_opStartMs + span;
}

void Isd1700Model::advance(int64_t nowMs) {
    nowMs = clamp(nowMs);
    if (m_activity == Activity::Idle)
        return;
    const int64_t end = *operationEndsAtMs();
    if (nowMs >= end) {
        finishOperation(end, false);
        return;
    }
    const uint64_t rows = elapsedMs(m_opStartMs, nowMs) / uint64_t(rowMs);
    m_currentRow = uint16_t(m_opFirstRow + std::min<uint64_t>(rows, m_opLastRow - m_opFirstRow));
}

QByteArray Isd1700Model::execute(int64_t nowMs) {
    const uint8_t op = m_frame[0];
    if (!isKnown(op)) {
        m_cmdErr = true;
        return m_answerAll ? statusBytes().left(1) : QByteArray();
    }
    const bool ok = applyCommand(op, nowMs);
    if (!isRead(op))
        m_cmdErr = !ok;

    QByteArray reply;
    switch (op) {
    case STOP:
    case REC:
    case SET_REC:
        reply = statusBytes().left(1);
        break;
    case DEVID:
        reply = statusBytes();
        reply.append(char(m_type.deviceId));
        break;
    case RD_STATUS:
        reply = statusBytes();
        reply.append(char(status1()));
        break;
    case RD_PLAY_PTR:
        reply = statusBytes();
        appendRow(reply, m_playPtr);
        break;
    case RD_REC_PTR:
        reply = statusBytes();
        appendRow(reply, m_recPtr);
        break;
    case RD_APC:
        reply = statusBytes();
        appendRow(reply, m_apc);
        break;
    case BoardCurrentRow:
        appendRow(reply, m_currentRow);
        reply.append(char(status1()));
        break;
    case SET_PLAY:
    case SET_ERASE:
        reply = statusBytes().left(1);
        appendRow(reply, m_setStart);
        appendRow(reply, m_setEnd);
        break;
    default:
        if (m_answerAll)
            reply = statusBytes().left(1);
        break;
    }
    return reply;
}

bool Isd1700Model::applyCommand(uint8_t op, int64_t nowMs) {
    // Commands the chip takes in any state.
    switch (op) {
    case PU:
        m_poweredUp = true;
        return true;
    case STOP:
        if (m_activity != Activity::Idle)
            finishOperation(nowMs, true);
        return true;
    case RESET:
        powerDown();
        // Reset points the chip at its first message and behind its last one.
        {
            const auto msgs = messages();
            m_playPtr = msgs.empty() ? firstMessageRow : msgs.front().first;
            m_recPtr = msgs.empty() ? firstMessageRow : uint16_t(msgs.back().second + 1);
        }
        m_apc = 0;
        m_int = m_eom = false;
        return true;
    case PD:
        powerDown();
        return true;
    case CLR_INT:
        m_int = false;
        return true;
    default:
        break;
    }
    if (isRead(op))
        return true;
    if (!m_poweredUp)
        return false;
    if (op == WR_APC1 || op == WR_APC2) {
        // The board sends the APC's top four bits (speaker and output) first, then its low byte
        // (volume, monitor, input source).
        m_apc = uint16_t(((m_frame[1] & 0x0F) << 8) | m_frame[2]);
        return true;
    }
    if (m_activity != Activity::Idle)
        return false;

    const uint16_t start = uint16_t((m_frame.size() >= 3) ? (m_frame[1] << 8 | m_frame[2]) : 0);
    const uint16_t end = uint16_t((m_frame.size() >= 5) ? (m_frame[3] << 8 | m_frame[4]) : 0);
    const auto msgs = messages();
    switch (op) {
    case REC:
        if (m_recPtr > m_type.lastRow)
            return false;
        startOperation(Activity::Recording, m_recPtr, m_type.lastRow, nowMs);
        return true;
    case PLAY: {
        const auto msg = messageAt(m_playPtr);
        if (!msg)
            return false;
        m_playPtr = msg->first;
        startOperation(Activity::Playing, msg->first, msg->second, nowMs);
        return true;
    }
    case FWD: {
        if (msgs.empty())
            return false;
        const auto cur = messageAt(m_playPtr);
        const uint16_t after = cur ? cur->second : m_playPtr;
        auto next =
            std::find_if(msgs.begin(), msgs.end(), [after](const auto& m) { return m.first > after; });
        // Past the last message the chip starts over at the first.
        m_playPtr = next == msgs.end() ? msgs.front().first : next->first;
        m_currentRow = m_playPtr;
        m_int = true;
        return true;
    }
    case ERASE: {
        // The chip erases only its first or its last message.
        const auto cur = messageAt(m_playPtr);
        if (!cur || (*cur != msgs.front() && *cur != msgs.back()))
            return false;
        const bool wasLast = *cur == msgs.back();
        eraseRows(cur->first, cur->second);
        const auto left = messages();
        if (wasLast)
            m_recPtr = left.empty() ? firstMessageRow : uint16_t(left.back().second + 1);
        if (left.empty())
            m_playPtr = firstMessageRow;
        else
            m_playPtr = wasLast ? left.back().first : left.front().first;
        m_currentRow = m_playPtr;
        m_int = true;
        return true;
    }
    case G_ERASE:
        eraseRows(firstMessageRow, m_type.lastRow);
        m_playPtr = m_recPtr = firstMessageRow;
        m_currentRow = firstMessageRow;
        m_int = true;
        return true;
    case SET_PLAY:
        if (!rangeValid(start, end))
            return false;
        m_setStart = start;
        m_setEnd = end;
        m_playPtr = start;
        startOperation(Activity::Playing, start, end, nowMs);
        return true;
    case SET_REC:
        if (!rangeValid(start, end))
            return false;
        startOperation(Activity::Recording, start, end, nowMs);
        return true;
    case SET_ERASE:
        if (!rangeValid(start, end))
            return false;
        m_setStart = start;
        m_setEnd = end;
        eraseRows(start, end);
        m_currentRow = end;
        m_int = true;
        return true;
    default:
        return false;
    }
}

void Isd1700Model::startOperation(Activity activity, uint16_t from, uint16_t limit, int64_t nowMs) {
    m_activity = activity;
    m_opStartMs = nowMs;
    m_opFirstRow = from;
    m_opLastRow = limit;
    m_currentRow = from;
    m_int = m_eom = false;
}

void Isd1700Model::finishOperation(int64_t nowMs, bool stopped) {
    const uint64_t span = uint64_t(m_opLastRow - m_opFirstRow) + 1;
    const uint64_t elapsed = elapsedMs(m_opStartMs, nowMs);
    if (m_activity == Activity::Recording) {
        // A stopped recording keeps the row under way: the message ends with the row the stop came in.
        uint64_t rows = stopped ? elapsed / uint64_t(rowMs) + 1 : span;
        rows = std::clamp<uint64_t>(rows, 1, span);
        const uint16_t last = uint16_t(m_opFirstRow + rows - 1);
        for (uint16_t r = m_opFirstRow; r <= last; ++r)
            m_rows[r] = Row{true, r == last};
        m_recPtr = uint16_t(last + 1);
        m_playPtr = m_opFirstRow;
        m_currentRow = last;
    } else {
        const uint64_t rows = stopped ? elapsed / uint64_t(rowMs) : span - 1;
        m_currentRow = uint16_t(m_opFirstRow + std::min(rows, span - 1));
        m_eom = !stopped && m_rows[m_opLastRow].eom;
    }
    m_int = true;
    m_activity = Activity::Idle;
}

void Isd1700Model::eraseRows(uint16_t from, uint16_t to) {
    for (uint32_t r = from; r <= to && r < m_rows.size(); ++r)
        m_rows[r] = Row{};
}

void Isd1700Model::powerDown() {
    if (m_activity != Activity::Idle)
        finishOperation(m_clockMs, true);
    m_poweredUp = false;
}

bool Isd1700Model::rangeValid(uint16_t start, uint16_t end) const {
    return start >= firstMessageRow && end <= m_type.lastRow && start <= end;
}

std::vector<std::pair<uint16_t, uint16_t>> Isd1700Model::messages() const {
    std::vector<std::pair<uint16_t, uint16_t>> out;
    int start = -1; // first row of the message being walked, -1 between messages
    for (uint16_t r = firstMessageRow; r <= m_type.lastRow; ++r) {
        if (!m_rows[r].recorded)
            continue;
        if (start < 0)
            start = r;
        const bool endsHere = m_rows[r].eom || r == m_type.lastRow || !m_rows[r + 1].recorded;
        if (endsHere) {
            out.emplace_back(uint16_t(start), r);
            start = -1;
        }
    }
    return out;
}

std::optional<std::pair<uint16_t, uint16_t>> Isd1700Model::messageAt(uint16_t row) const {
    for (const auto& m : messages()) {
        if (row >= m.first && row <= m.second)
            return m;
    }
    return std::nullopt;
}

bool Isd1700Model::rowRecorded(uint16_t row) const {
    return row < m_rows.size() && m_rows[row].recorded;
}

uint16_t Isd1700Model::status0() const {
    uint16_t sr0 = uint16_t((m_currentRow & 0x7FF) << 5);
    if (m_cmdErr)
        sr0 |= CMD_ERR;
    if (m_recPtr > m_type.lastRow)
        sr0 |= FULL;
    if (m_poweredUp)
        sr0 |= PU_BIT;
    if (m_eom)
        sr0 |= EOM;
    if (m_int)
        sr0 |= INT;
    return sr0;
}

uint8_t Isd1700Model::status1() const {
    switch (m_activity) {
    case Activity::Playing:
        return PLAY_BIT;
    case Activity::Recording:
        return REC_BIT;
    case Activity::Idle:
        break;
    }
    return RDY;
}

QByteArray Isd1700Model::statusBytes() const {
    // SR0 leaves the chip low byte first.
    const uint16_t sr0 = status0();
    QByteArray out;
    out.append(char(sr0 & 0xFF));
    out.append(char(sr0 >> 8));
    return out;
}
