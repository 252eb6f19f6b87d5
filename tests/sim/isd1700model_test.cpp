// The simulated chip on its own, with the time handed in: reply bytes, real-time recording and
// playing, refusals while powered down or busy, a full memory and the address commands.
#include "isd1700model.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <limits>
#include <random>

namespace {

using M = Isd1700Model;

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

uint8_t at(const QByteArray& reply, int i) {
    return uint8_t(reply.at(i));
}

uint16_t rowOf(const QByteArray& reply, int i) {
    return uint16_t(at(reply, i) << 8 | at(reply, i + 1));
}

// A chip powered up at t = 0.
M poweredUp(M::ChipType type = M::defaultChipType(), bool answerAll = false) {
    M chip(type, answerAll);
    chip.receive(M::PU, 0);
    return chip;
}

// Records from t for ms milliseconds; returns the time of the stop.
int64_t record(M& chip, int64_t t, int64_t ms) {
    chip.receive(M::REC, t);
    chip.receive(M::STOP, t + ms);
    return t + ms;
}

} // namespace

TEST(Isd1700Model, DeviceIdOfEveryModelInTheThirdByte) {
    for (const M::ChipType& type : M::chipTypes()) {
        M chip(type);
        const QByteArray reply = chip.receive(M::DEVID, 0);
        ASSERT_EQ(reply.size(), 3) << type.name;
        EXPECT_EQ(at(reply, 2), type.deviceId) << type.name;
    }
    EXPECT_EQ(M::chipTypeNamed(QStringLiteral("ISD1760"))->deviceId, 0xA0);
    EXPECT_EQ(M::chipTypeNamed(QStringLiteral("17240"))->deviceId, 0xE0);
    EXPECT_EQ(M::chipTypeNamed(QStringLiteral(" isd1720 "))->lastRow, 0x0AF);
    EXPECT_FALSE(M::chipTypeNamed(QStringLiteral("ISD1700")));
    EXPECT_EQ(M::defaultChipType().lastRow, 0x1EF);
}

TEST(Isd1700Model, ReplyLengthsAndLayouts) {
    M chip = poweredUp();
    // Status bytes: SR0 low byte first, PU set, the row address in bits 5 and up.
    const QByteArray ptr = chip.receive(M::RD_PLAY_PTR, 10);
    ASSERT_EQ(ptr.size(), 4);
    EXPECT_EQ(at(ptr, 0) & M::PU_BIT, M::PU_BIT);
    EXPECT_EQ(rowOf(ptr, 2), 0x010);
    EXPECT_EQ(chip.receive(M::RD_REC_PTR, 20).size(), 4);
    EXPECT_EQ(chip.receive(M::STOP, 30).size(), 1);

    const QByteArray row = chip.receive(M::BoardCurrentRow, 40);
    ASSERT_EQ(row.size(), 3);
    EXPECT_EQ(at(row, 2), M::RDY);

    EXPECT_EQ(chip.receive(M::REC, 100).size(), 1);
    EXPECT_EQ(chip.receive(M::STOP, 600).size(), 1);
    EXPECT_EQ(chip.receive(bytes({M::SET_REC, 0x00, 0x40, 0x00, 0x41}), 700).size(), 1);
    EXPECT_EQ(chip.receive(M::STOP, 710).size(), 1);
    // Silent operations, each in a state where the chip accepts it.
    for (int op : {M::PU, M::FWD, M::PLAY}) {
        EXPECT_TRUE(chip.receive(uint8_t(op), 800).isEmpty()) << op;
        chip.receive(M::STOP, 800);
    }
    EXPECT_TRUE(chip.receive(bytes({M::WR_APC2, 0x0D, 0x00}), 900).isEmpty());
    EXPECT_TRUE(chip.receive(M::ERASE, 900).isEmpty());
    EXPECT_TRUE(chip.receive(M::G_ERASE, 900).isEmpty());
    EXPECT_TRUE(chip.receive(M::RESET, 900).isEmpty());
}

TEST(Isd1700Model, FiveByteRepliesEchoTheRangeTheChipTook) {
    M chip = poweredUp();
    // Partial frames answer nothing until the last byte, 50 ms apart as the console paces them.
    EXPECT_TRUE(chip.receive(M::SET_PLAY, 50).isEmpty());
    EXPECT_TRUE(chip.receive(0x00, 100).isEmpty());
    EXPECT_TRUE(chip.receive(0x10, 150).isEmpty());
    EXPECT_TRUE(chip.receive(0x00, 200).isEmpty());
    const QByteArray reply = chip.receive(0x2C, 250);
    ASSERT_EQ(reply.size(), 5);
    EXPECT_EQ(at(reply, 0) & M::CMD_ERR, 0);
    EXPECT_EQ(reply.mid(1), bytes({0x00, 0x10, 0x00, 0x2C}));
    EXPECT_EQ(chip.activity(), M::Activity::Playing);
    EXPECT_EQ(chip.playPointer(), 0x010);
    chip.receive(M::STOP, 300);

    const QByteArray erase = chip.receive(bytes({M::SET_ERASE, 0x01, 0x00, 0x01, 0x20}), 400);
    ASSERT_EQ(erase.size(), 5);
    EXPECT_EQ(erase.mid(1), bytes({0x01, 0x00, 0x01, 0x20}));
}

TEST(Isd1700Model, TwoSecondsOfRecordingAdvanceTheRecordPointerBy16Rows) {
    M chip = poweredUp();
    record(chip, 100, 2000);
    EXPECT_EQ(chip.recordPointer(), 0x010 + 16);
    EXPECT_EQ(chip.playPointer(), 0x010);
    ASSERT_EQ(chip.messages().size(), 1u);
    EXPECT_EQ(chip.messages()[0], std::make_pair(uint16_t(0x010), uint16_t(0x01F)));
    const QByteArray ptr = chip.receive(M::RD_REC_PTR, 2200);
    EXPECT_EQ(ptr.mid(2), bytes({0x00, 0x20}));

    // A stop closes the message on the nearest row boundary, whichever side the jitter falls.
    for (int64_t ms : {1940, 2060}) {
        M c = poweredUp();
        record(c, 0, ms);
        EXPECT_EQ(c.recordPointer(), 0x020) << ms;
    }
    // Even an instant stop leaves a one-row message behind.
    M brief = poweredUp();
    record(brief, 0, 0);
    EXPECT_EQ(brief.recordPointer(), 0x011);
}

TEST(Isd1700Model, CurrentRowFollowsTheRecordingInRealTime) {
    M chip = poweredUp();
    chip.receive(M::REC, 1000);
    const QByteArray row = chip.receive(M::BoardCurrentRow, 1000 + 5 * 125 + 10);
    EXPECT_EQ(rowOf(row, 0), 0x015);
    EXPECT_EQ(at(row, 2), M::REC_BIT);
    chip.advance(1000 + 8 * 125);
    EXPECT_EQ(chip.currentRow(), 0x018);
    EXPECT_EQ(chip.status0() >> 5, 0x018);
}

TEST(Isd1700Model, PoweredDownChipRefusesAllButReadsUntilPu) {
    M chip;
    EXPECT_FALSE(chip.poweredUp());
    const QByteArray rec = chip.receive(M::REC, 0);
    ASSERT_EQ(rec.size(), 1);
    EXPECT_EQ(at(rec, 0) & M::CMD_ERR, M::CMD_ERR);
    EXPECT_EQ(at(rec, 0) & M::PU_BIT, 0);
    EXPECT_EQ(chip.activity(), M::Activity::Idle);
    for (int op : {M::PLAY, M::FWD, M::ERASE, M::G_ERASE}) {
        chip.receive(uint8_t(op), 10);
        EXPECT_TRUE(chip.commandError()) << op;
    }
    chip.receive(bytes({M::WR_APC2, 0x0D, 0x00}), 20);
    EXPECT_EQ(chip.apc(), 0);
    // The device ID and the pointers can be read before power-up.
    EXPECT_EQ(at(chip.receive(M::DEVID, 30), 2), 0xA0);

    chip.receive(M::PU, 40);
    const QByteArray again = chip.receive(M::REC, 50);
    EXPECT_EQ(at(again, 0) & (M::CMD_ERR | M::PU_BIT), M::PU_BIT);
    EXPECT_EQ(chip.activity(), M::Activity::Recording);

    // Power-down ends the recording and refuses again.
    chip.receive(M::PD, 1050);
    EXPECT_EQ(chip.activity(), M::Activity::Idle);
    EXPECT_EQ(chip.recordPointer(), 0x018);
    chip.receive(M::PLAY, 1100);
    EXPECT_TRUE(chip.commandError());
}

TEST(Isd1700Model, BusyChipRefusesOperationsWithCmdErrAndCarriesOn) {
    M chip = poweredUp();
    chip.receive(M::REC, 0);
    for (int op : {M::REC, M::PLAY, M::FWD, M::ERASE, M::G_ERASE}) {
        chip.receive(uint8_t(op), 100);
        EXPECT_TRUE(chip.commandError()) << op;
        EXPECT_EQ(chip.activity(), M::Activity::Recording) << op;
    }
    const QByteArray setRec = chip.receive(bytes({M::SET_REC, 0x00, 0x80, 0x00, 0x90}), 200);
    EXPECT_EQ(at(setRec, 0) & M::CMD_ERR, M::CMD_ERR);
    const QByteArray setPlay = chip.receive(bytes({M::SET_PLAY, 0x00, 0x80, 0x00, 0x90}), 200);
    EXPECT_EQ(at(setPlay, 0) & M::CMD_ERR, M::CMD_ERR);
    EXPECT_EQ(setPlay.mid(1), bytes({0, 0, 0, 0}));
    // Reads and the analog path are taken while busy; the refusal stays visible until the next
    // accepted operation.
    EXPECT_EQ(at(chip.receive(M::RD_STATUS, 300), 2), M::REC_BIT);
    EXPECT_TRUE(chip.commandError());
    chip.receive(bytes({M::WR_APC2, 0x0C, 0x03}), 300);
    EXPECT_FALSE(chip.commandError());
    EXPECT_EQ(chip.apc(), 0xC03);

    const QByteArray stop = chip.receive(M::STOP, 1000);
    EXPECT_EQ(at(stop, 0) & (M::CMD_ERR | M::INT), M::INT);
    EXPECT_EQ(chip.recordPointer(), 0x018);
}

TEST(Isd1700Model, RecordingStopsByItselfWhenTheMemoryIsFull) {
    const M::ChipType isd1720 = *M::chipTypeNamed(QStringLiteral("ISD1720"));
    M chip = poweredUp(isd1720);
    chip.receive(M::REC, 0);
    EXPECT_EQ(chip.operationEndsAtMs(), 160 * 125);
    chip.advance(160 * 125 - 1);
    EXPECT_EQ(chip.activity(), M::Activity::Recording);
    chip.advance(160 * 125);
    EXPECT_EQ(chip.activity(), M::Activity::Idle);
    EXPECT_EQ(chip.recordPointer(), 0x0B0);
    EXPECT_EQ(chip.status0() & (M::FULL | M::INT), M::FULL | M::INT);

    const QByteArray rec = chip.receive(M::REC, 30000);
    EXPECT_EQ(at(rec, 0) & (M::CMD_ERR | M::FULL), M::CMD_ERR | M::FULL);
    EXPECT_EQ(chip.activity(), M::Activity::Idle);

    chip.receive(M::G_ERASE, 31000);
    EXPECT_EQ(chip.recordPointer(), 0x010);
    EXPECT_EQ(chip.status0() & M::FULL, 0);
    EXPECT_TRUE(chip.messages().empty());
}

TEST(Isd1700Model, MessagesPlayForwardAndErase) {
    M chip = poweredUp();
    int64_t t = record(chip, 0, 1000); // rows 010..017
    t = record(chip, t + 100, 500);    // rows 018..01B
    t = record(chip, t + 100, 250);    // rows 01C..01D
    ASSERT_EQ(chip.messages().size(), 3u);
    EXPECT_EQ(chip.playPointer(), 0x01C);

    // FWD walks the messages and starts over after the last.
    chip.receive(M::FWD, t += 100);
    EXPECT_EQ(chip.playPointer(), 0x010);
    chip.receive(M::FWD, t += 100);
    EXPECT_EQ(chip.playPointer(), 0x018);

    // PLAY lasts as long as the message and ends at its EOM.
    chip.receive(M::PLAY, t += 100);
    EXPECT_EQ(chip.activity(), M::Activity::Playing);
    EXPECT_EQ(chip.operationEndsAtMs(), t + 4 * 125);
    chip.advance(t += 4 * 125);
    EXPECT_EQ(chip.activity(), M::Activity::Idle);
    EXPECT_EQ(chip.status0() & (M::EOM | M::INT), M::EOM | M::INT);
    EXPECT_EQ(chip.playPointer(), 0x018);

    // Only the first or the last message can be erased.
    chip.receive(M::ERASE, t += 100);
    EXPECT_TRUE(chip.commandError());
    EXPECT_EQ(chip.messages().size(), 3u);
    chip.receive(M::FWD, t += 100);
    chip.receive(M::ERASE, t += 100);
    EXPECT_FALSE(chip.commandError());
    ASSERT_EQ(chip.messages().size(), 2u);
    EXPECT_EQ(chip.recordPointer(), 0x01C);
    EXPECT_EQ(chip.playPointer(), 0x018);

    // An empty memory has nothing to play.
    chip.receive(M::G_ERASE, t += 100);
    chip.receive(M::PLAY, t += 100);
    EXPECT_TRUE(chip.commandError());
    chip.receive(M::FWD, t += 100);
    EXPECT_TRUE(chip.commandError());
}

TEST(Isd1700Model, AddressCommandsActOnTheGivenRows) {
    M chip = poweredUp();
    // SET_REC records the range in real time and stops at its end.
    chip.receive(bytes({M::SET_REC, 0x00, 0x40, 0x00, 0x47}), 0);
    EXPECT_EQ(chip.activity(), M::Activity::Recording);
    chip.advance(8 * 125);
    EXPECT_EQ(chip.activity(), M::Activity::Idle);
    ASSERT_EQ(chip.messages().size(), 1u);
    EXPECT_EQ(chip.messages()[0], std::make_pair(uint16_t(0x040), uint16_t(0x047)));
    EXPECT_EQ(chip.recordPointer(), 0x048);
    EXPECT_EQ(chip.playPointer(), 0x040);

    // SET_PLAY plays exactly the range.
    chip.receive(bytes({M::SET_PLAY, 0x00, 0x42, 0x00, 0x45}), 2000);
    EXPECT_EQ(chip.playPointer(), 0x042);
    EXPECT_EQ(chip.operationEndsAtMs(), 2000 + 4 * 125);

    // SET_ERASE clears the rows.
    chip.receive(bytes({M::SET_ERASE, 0x00, 0x40, 0x00, 0x43}), 3000);
    EXPECT_FALSE(chip.rowRecorded(0x043));
    EXPECT_TRUE(chip.rowRecorded(0x044));

    // Ranges outside the message memory or backwards are refused; the echo keeps the last range taken.
    const std::initializer_list<int> bad[] = {
        {M::SET_PLAY, 0x00, 0x0F, 0x00, 0x20}, // into the chip's own rows
        {M::SET_PLAY, 0x01, 0xF0, 0x01, 0xF0}, // past the ISD1760's last row
        {M::SET_PLAY, 0x00, 0x30, 0x00, 0x20}, // end before start
        {M::SET_PLAY, 0xFF, 0xFF, 0xFF, 0xFF},
    };
    for (const auto& frame : bad) {
        const QByteArray reply = chip.receive(bytes(frame), 4000);
        EXPECT_EQ(at(reply, 0) & M::CMD_ERR, M::CMD_ERR);
        EXPECT_EQ(reply.mid(1), bytes({0x00, 0x40, 0x00, 0x43}));
        EXPECT_EQ(chip.activity(), M::Activity::Idle);
    }
    chip.receive(bytes({M::SET_REC, 0x01, 0xEF, 0x01, 0xEF}), 5000);
    EXPECT_FALSE(chip.commandError());
}

TEST(Isd1700Model, AnalogPathFrameSetsTheApc) {
    M chip = poweredUp();
    chip.receive(bytes({M::WR_APC2, 0x0D, 0x00}), 0);
    EXPECT_EQ(chip.apc(), 0xD00);
    chip.receive(bytes({M::WR_APC2, 0x0C, 0x4B}), 200);
    EXPECT_EQ(chip.apc(), 0xC4B);
    const QByteArray read = chip.receive(M::RD_APC, 300);
    EXPECT_EQ(read.mid(2), bytes({0x0C, 0x4B}));
    chip.receive(M::RESET, 400);
    EXPECT_EQ(chip.apc(), 0);
    EXPECT_FALSE(chip.poweredUp());
}

TEST(Isd1700Model, CutOffFrameIsDroppedAfterASecondOfSilence) {
    M chip = poweredUp();
    chip.receive(M::SET_PLAY, 0);
    chip.receive(0x00, 50);
    // The rest never came; a second later the next byte starts a new frame.
    const QByteArray reply = chip.receive(M::DEVID, 50 + M::frameTimeoutMs + 1);
    ASSERT_EQ(reply.size(), 3);
    EXPECT_EQ(at(reply, 2), 0xA0);
    EXPECT_EQ(chip.activity(), M::Activity::Idle);
}

TEST(Isd1700Model, AnswerAllAnswersEveryFrameAndUnknownBytesSetCmdErr) {
    M chip = poweredUp(M::defaultChipType(), true);
    for (int op :
         std::initializer_list<int>{M::PU, M::PLAY, M::ERASE, M::G_ERASE, M::FWD, M::RESET, 0x00, 0x77, 0xFF})
        EXPECT_EQ(chip.receive(uint8_t(op), 100).size(), 1) << op;
    EXPECT_EQ(chip.receive(bytes({M::WR_APC2, 1, 2}), 200).size(), 1);

    M quiet = poweredUp();
    EXPECT_TRUE(quiet.receive(0x77, 0).isEmpty());
    EXPECT_TRUE(quiet.commandError());
}

TEST(Isd1700Model, SurvivesAnyBytesAtAnyTimes) {
    std::mt19937 rng(1700);
    std::uniform_int_distribution<int> byte(0, 255);
    for (const M::ChipType& type : M::chipTypes()) {
        M chip(type, true);
        int64_t t = 0;
        for (int i = 0; i < 5000; ++i) {
            t += std::uniform_int_distribution<int>(0, 400)(rng);
            const QByteArray reply = chip.receive(uint8_t(byte(rng)), t);
            EXPECT_LE(reply.size(), 5);
            EXPECT_LE(chip.recordPointer(), type.lastRow + 1);
            EXPECT_GE(chip.playPointer(), M::firstMessageRow);
        }
    }
    // Clock readings at the ends of the range, and a clock that runs backwards.
    M chip = poweredUp();
    for (int64_t t : {std::numeric_limits<int64_t>::min(), int64_t(0), std::numeric_limits<int64_t>::max(),
                      int64_t(-5), std::numeric_limits<int64_t>::min()}) {
        chip.receive(M::REC, t);
        chip.receive(M::BoardCurrentRow, t);
        chip.receive(M::STOP, t);
        chip.advance(t);
    }
    EXPECT_LE(chip.recordPointer(), 0x1F0);
}
