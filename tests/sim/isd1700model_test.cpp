// The simulated chip on its own, with the time handed in: reply bytes, real-time recording,
// refusals while powered down or busy, a full memory and the address commands.
#include "isd1700model.h"

#include <QList>

#include <gtest/gtest.h>

#include <initializer_list>
#include <limits>
#include <random>

using M = Isd1700Model;

static M poweredUp(M::ChipType type = M::defaultChipType(), bool answerAll = false) {
    M chip(type, answerAll);
    chip.receive(M::PU, 0);
    return chip;
}

const auto hex = [](const QByteArray& text) { return QByteArray::fromHex(text); };

TEST(Isd1700Model, ReplyOfEveryFrame) {
    // "frames=reply" for a chip just powered up, everything at t = 10; SR0 goes low byte first.
    const auto check = [](bool answerAll, std::initializer_list<const char*> cases) {
        for (const char* c : cases) {
            SCOPED_TRACE(c);
            const QList<QByteArray> io = QByteArray(c).split('=');
            M chip = poweredUp(M::defaultChipType(), answerAll);
            EXPECT_EQ(chip.receive(hex(io[0]), 10).toHex(), hex(io[1]).toHex());
        }
    };
    check(false, {"09=0400a0", "05=040001", "06=04000010", "08=04000010", "44=04000000", "650c4b 44=04000c4b",
                  "60=000001", "02=04", "41=04", "81 0040 0041=04", "80 0010 002c=04 0010 002c",
                  "82 0100 0120=14 0100 0120", "80 000f 0020=05 0000 0000", "03 44=00000000",
                  "01 04 40 42 43 48 450000 77 07="});
    check(true, {"01=04", "77=05", "650102=04"});
}

TEST(Isd1700Model, AStopKeepsTheRowUnderWay) {
    // Two seconds are 16 rows; a stop anywhere in the 16th row keeps it, one in the 17th keeps that too.
    for (auto [ms, pointer, last] :
         {std::tuple{1880, "0020", 0x01F}, {1999, "0020", 0x01F}, {2001, "0021", 0x020}}) {
        M chip = poweredUp();
        chip.receive(M::REC, 100);
        EXPECT_EQ(chip.receive(M::BoardCurrentRow, 100 + 5 * 125 + 10).toHex(), "001508");
        chip.receive(M::STOP, 100 + ms);
        EXPECT_EQ(chip.receive(M::RD_REC_PTR, 3000).mid(2).toHex(), pointer) << ms;
        EXPECT_EQ(chip.messages(), (std::vector<std::pair<uint16_t, uint16_t>>{{0x010, last}})) << ms;
    }
}

TEST(Isd1700Model, PoweredDownOrBusyChipRefusesWithCmdErr) {
    M chip;
    for (auto [busy, activity] : {std::pair{false, M::Activity::Idle}, {true, M::Activity::Recording}}) {
        if (busy) {
            EXPECT_EQ(chip.receive(hex("01 41"), 40).toHex(), "04");
        }
        for (const char* frame : {"41", "40", "48", "42", "43", "81 0080 0090", "80 0080 0090"}) {
            chip.receive(hex(frame), 100);
            EXPECT_TRUE(chip.commandError() && chip.activity() == activity) << frame << busy;
        }
    }
    chip.receive(hex("650c03"), 300); // the analog path is taken while busy and clears the refusal
    EXPECT_FALSE(chip.commandError());
    EXPECT_EQ(chip.apc(), 0xC03);
    chip.receive(M::PD, 1040); // ends the recording, then refuses again
    EXPECT_EQ(chip.recordPointer(), 0x018);
    chip.receive(M::PLAY, 1100);
    EXPECT_TRUE(chip.commandError());
}

TEST(Isd1700Model, RecordingStopsByItselfWhenTheMemoryIsFull) {
    M chip = poweredUp(*M::chipTypeNamed(QStringLiteral("ISD1720")));
    chip.receive(M::REC, 0);
    chip.advance(160 * 125 - 1);
    EXPECT_EQ(chip.activity(), M::Activity::Recording);
    chip.advance(160 * 125);
    EXPECT_EQ(chip.activity(), M::Activity::Idle);
    EXPECT_EQ(chip.recordPointer(), 0x0B0);
    EXPECT_EQ(chip.status0() & (M::FULL | M::INT), M::FULL | M::INT);
    EXPECT_EQ(uint8_t(chip.receive(M::REC, 30000).at(0)) & (M::CMD_ERR | M::FULL), M::CMD_ERR | M::FULL);
    chip.receive(M::G_ERASE, 31000);
    EXPECT_EQ(chip.recordPointer(), 0x010);
    EXPECT_EQ(chip.status0() & M::FULL, 0);
}

TEST(Isd1700Model, EveryModelHoldsEightRowsASecond) {
    const std::pair<const char*, uint16_t> last[] = {
        {"ISD1720", 0x0AF},  {"ISD1730", 0x0FF},  {"ISD1740", 0x14F},  {"ISD1750", 0x19F},
        {"ISD1760", 0x1EF},  {"ISD1790", 0x2DF},  {"ISD17120", 0x3CF}, {"ISD17150", 0x4BF},
        {"ISD17180", 0x5AF}, {"ISD17210", 0x69F}, {"ISD17240", 0x78F},
    };
    ASSERT_EQ(M::chipTypes().size(), std::size(last));
    for (const auto& [name, row] : last)
        EXPECT_EQ(M::chipTypeNamed(QString::fromLatin1(name))->lastRow, row) << name;
}

TEST(Isd1700Model, AddressCommandsActOnTheGivenRows) {
    M chip = poweredUp();
    chip.receive(hex("81 0040 0047"), 0);
    chip.advance(8 * 125 - 1);
    EXPECT_EQ(chip.activity(), M::Activity::Recording);
    chip.advance(8 * 125);
    EXPECT_EQ(chip.messages(), (std::vector<std::pair<uint16_t, uint16_t>>{{0x040, 0x047}}));
    EXPECT_EQ(chip.recordPointer(), 0x048);
    chip.receive(hex("80 0042 0045"), 2000);
    EXPECT_EQ(chip.playPointer(), 0x042);
    EXPECT_EQ(chip.operationEndsAtMs(), 2000 + 4 * 125);
    chip.receive(hex("82 0040 0043"), 3000);
    EXPECT_FALSE(chip.rowRecorded(0x043));
    EXPECT_TRUE(chip.rowRecorded(0x044));
    // Into the chip's own rows, past the last row, backwards: refused, the last range echoed.
    for (const char* frame : {"80 000f 0020", "80 01f0 01f0", "80 0030 0020", "80 ffff ffff"}) {
        EXPECT_EQ(chip.receive(hex(frame), 4000).mid(1).toHex(), "00400043") << frame;
        EXPECT_TRUE(chip.commandError() && chip.activity() == M::Activity::Idle) << frame;
    }
    chip.receive(hex("81 01ef 01ef"), 5000);
    EXPECT_FALSE(chip.commandError());
    // A frame cut off is dropped after a second of silence; the next byte starts a new one.
    chip.receive(hex("8000"), 6000);
    EXPECT_EQ(chip.receive(M::DEVID, 6001 + M::frameTimeoutMs).right(1).toHex(), "a0");
}

TEST(Isd1700Model, SurvivesAnyBytesAtAnyTimes) {
    std::mt19937 rng(1700);
    for (const M::ChipType& type : M::chipTypes()) {
        M chip(type, true);
        for (int64_t i = 0, t = 0; i < 5000; ++i) {
            t += rng() % 400;
            const qsizetype replySize = chip.receive(uint8_t(rng()), t).size();
            ASSERT_TRUE(replySize <= 5 && chip.recordPointer() <= type.lastRow + 1 &&
                        chip.playPointer() >= M::firstMessageRow)
                << type.name << " byte " << i;
        }
    }
    // Clock readings at the ends of the range, and a clock that runs backwards.
    M chip = poweredUp();
    constexpr int64_t lo = std::numeric_limits<int64_t>::min(), hi = std::numeric_limits<int64_t>::max();
    for (int64_t t : {lo, int64_t(0), hi, int64_t(-5), lo}) {
        chip.receive(hex("41 60 02"), t);
        chip.advance(t);
    }
    EXPECT_LE(chip.recordPointer(), 0x1F0);
}
