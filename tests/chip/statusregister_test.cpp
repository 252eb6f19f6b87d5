// SR0 as it leads the answers of the read operations: its bits, its row, its words.
#include "chip/operations.h"
#include "chip/statusregister.h"

#include <gtest/gtest.h>

#include <vector>

TEST(StatusRegister, FlagsAndRowOfBothBytesInTheTracesWords) {
    const std::tuple<uint8_t, uint8_t, const char*> cases[] = {
        {0x00, 0x00, "SR0 no flag, row 0x000"},
        {0x04, 0x02, "SR0 PU, row 0x010"},
        {0x05, 0x02, "SR0 CMD_ERR PU, row 0x010"},
        {0x12, 0x34, "SR0 FULL INT, row 0x1A0"},
        {0xEC, 0x3D, "SR0 PU EOM, row 0x1EF"}, // A0..A2 from the low byte: ISD1760's last row
        {0x1F, 0x00, "SR0 CMD_ERR FULL PU EOM INT, row 0x000"},
        {0xE0, 0xFF, "SR0 no flag, row 0x7FF"},
    };
    for (const auto& [b0, b1, text] : cases)
        EXPECT_EQ(chip::statusText(chip::decodeStatus(b0, b1)).toStdString(), text)
            << int(b0) << " " << int(b1);
    EXPECT_EQ(chip::statusText(chip::decodeStatus(0xFD)).toStdString(), "SR0 CMD_ERR PU EOM INT")
        << "the low byte alone has no row";
}

TEST(StatusRegister, OnlyTheReadOperationsAnswersCarryItAndOnlyActingCommandsAreRefused) {
    const std::vector<uint8_t> four{0x05, 0x02, 0x00, 0x10};
    for (const uint8_t command : {chip::DEVID, chip::RD_PLAY_PTR, chip::RD_REC_PTR})
        EXPECT_EQ(chip::replyStatus(command, four), chip::decodeStatus(0x05, 0x02)) << int(command);
    for (const uint8_t command :
         {chip::STOP, chip::REC, chip::SET_REC, chip::SET_PLAY, chip::CurrentRowQuery})
        EXPECT_FALSE(chip::replyStatus(command, four)) << int(command);
    EXPECT_FALSE(chip::replyStatus(chip::RD_PLAY_PTR, std::vector<uint8_t>{0x05}));

    for (const uint8_t command :
         {uint8_t(chip::SET_REC), uint8_t(chip::STOP), uint8_t(chip::PU), uint8_t(0x33)})
        EXPECT_TRUE(chip::actsOnChip(command)) << int(command);
    for (const uint8_t command : {chip::RD_REC_PTR, chip::DEVID, chip::CurrentRowQuery})
        EXPECT_FALSE(chip::actsOnChip(command)) << int(command);
    EXPECT_EQ(chip::refusalText(chip::SET_REC).toStdString(), "the chip refused SET_REC: CMD_ERR");
    EXPECT_EQ(chip::refusalText(std::nullopt).toStdString(), "the chip refused an earlier command: CMD_ERR");
}
