// The address parser without a window: its rules, and safety for any text a paste can give.
#include "chip/operations.h"
#include "chip/strtohex.h"

#include <gtest/gtest.h>

namespace {

// The count and the first n bytes of HexBuf in hex; the text is rewritten in place.
std::pair<int, QByteArray> parse(QString& text, qsizetype n = 2) {
    std::vector<uint8_t> buf;
    const size_t size = size_t(text.size());
    const int count = chip::StrToHex(text, buf);
    EXPECT_EQ(buf.size(), size + 2); // sized by the text it was given
    EXPECT_EQ(size_t(text.size()), size + 1);
    return {count,
            QByteArray(reinterpret_cast<const char*>(buf.data()), qMin(n, qsizetype(buf.size()))).toHex()};
}

} // namespace

TEST(StrToHex, GroupsBlanksAndLoneDigits) {
    const std::tuple<QString, int, QByteArray> cases[] = {
        {"0a ff", 2, "0aff"}, {"1 2 3", 2, "010230"}, {" 1 23", 2, "0123"}, {"12 3 ", 2, "1203"},
        {"1 234", 2, "0123"}, {"G1 23", 2, "0123"},   {"01234", 1, "0100"}, {"Text1", 1, "e100"},
        {"12 3", 1, "1230"},  {"5", 0, "5000"},       {"", 0, "0000"},      {"  ab    cd  ", 2, "abcd"},
    };
    for (auto [text, count, hex] : cases) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(parse(text, hex.size() / 2), std::pair(count, hex));
    }
}

TEST(StrToHex, NoCharacterOutsideAsciiBecomesADigitOrGrowsTheText) {
    // Chinese, an emoji, full-width digits, control characters, Latin-1, the no-break space; then the
    // ligature U+FB00 and "ß", which whole-text upper-casing would turn into the digits "FF" and "SS".
    const std::tuple<QString, int, QByteArray> cases[] = {
        {QStringLiteral("中1\u00e42 \U0001F600\uff13\t4\u00a0\u00005\u007f "), 2, "1245"},
        {" \ufb00 12", 1, "1200"},
        {"ßßßß 1", 0, "1000"},
    };
    for (auto [text, count, hex] : cases)
        EXPECT_EQ(parse(text), std::pair(count, hex));
}

TEST(StrToHex, LongTextsAreParsedWholeAndTheCountStopsAt255) {
    QString text;
    for (int i = 0; text.size() + 3 <= 32767; ++i) // as long as a line edit holds
        text += QStringLiteral("%1 ").arg(i % 256, 2, 16, QLatin1Char('0'));
    const QByteArray all = QString(text).remove(u' ').toLatin1();
    // 254 characters: the longest text whose blank-prefixed length fits in a byte.
    QString at254 = text.left(252) + "ab";
    EXPECT_EQ(parse(at254, 85), std::pair(85, all.left(168) + "ab"));
    EXPECT_EQ(parse(text, all.size() / 2), std::pair(255, all));
}

TEST(OperationTable, EveryFrameTheConsoleSendsWithItsLengthsAndLamps) {
    using A = chip::Lamp::Array;
    const chip::Lamp none;
    // reply: RinNeedCnt declared at the hand-over, -1 where the length in force stays; reset: RinCnt
    // restarts (a read); read: answer bytes the receiver reads from RinBuf(0).
    const struct {
        uint8_t command;
        const char* name;
        int frame, reply;
        bool reset;
        int read;
        chip::Lamp button, answer;
    } rows[] = {
        {0x01, "PU", 1, -1, false, 0, {A::Bottmp, 3}, none},
        {0x02, "STOP", 1, 1, false, 0, none, {A::Lift, 1}},
        {0x03, "RESET", 1, -1, false, 0, {A::Bottmp, 4}, none},
        {0x06, "RD_PLAY_PTR", 1, 4, true, 4, {A::Right, 0}, none},
        {0x08, "RD_REC_PTR", 1, 4, true, 4, {A::Right, 1}, none},
        {0x09, "DEVID", 1, 3, true, 3, {A::Bottmp, 1}, none},
        {0x40, "PLAY", 1, -1, false, 0, {A::Lift, 0}, none},
        {0x41, "REC", 1, 1, false, 0, none, {A::Lift, 2}},
        {0x42, "ERASE", 1, -1, false, 0, {A::Lift, 4}, none},
        {0x43, "G_ERASE", 1, -1, false, 0, {A::Lift, 5}, none},
        {0x48, "FWD", 1, -1, false, 0, {A::Lift, 3}, none},
        {0x60, nullptr, 1, 3, true, 2, {A::Lift, 6}, none},
        {0x65, "WR_APC2", 3, -1, false, 0, {A::Bottmp, 0}, none},
        {0x80, "SET_PLAY", 5, 5, false, 5, {A::Right, 2}, none},
        {0x81, "SET_REC", 5, 1, false, 0, none, {A::Right, 3}},
        {0x82, "SET_ERASE", 5, 5, false, 5, {A::Right, 4}, none},
    };
    ASSERT_EQ(chip::operations().size(), std::size(rows));
    for (const auto& row : rows) {
        SCOPED_TRACE(int(row.command));
        const chip::Operation* op = chip::operation(row.command);
        ASSERT_NE(op, nullptr);
        EXPECT_EQ(QString::fromLatin1(op->name), QString::fromLatin1(row.name));
        EXPECT_EQ(op->frameLength, row.frame);
        EXPECT_EQ(op->replyLength, row.reply < 0 ? chip::keepsReplyLength : row.reply);
        EXPECT_EQ(op->resetsCount, row.reset);
        EXPECT_EQ(op->bytesDecoded, row.read);
        EXPECT_TRUE(op->buttonLamp == row.button);
        EXPECT_TRUE(op->replyLamp == row.answer);
    }
    for (uint8_t other : {0x00, 0x04, 0x05, 0x07, 0x44, 0x45, 0x61, 0x83, 0xFF})
        EXPECT_EQ(chip::operation(other), nullptr) << int(other);
}
