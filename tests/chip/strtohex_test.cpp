// The address parser: its rules, the rewritten text, and safety for any text a paste can give.
#include "chip/strtohex.h"

#include <gtest/gtest.h>

namespace {

struct Parsed {
    uint8_t count;
    std::vector<uint8_t> bytes;
    QString rewritten;
};

Parsed parse(const QString& text) {
    Parsed p;
    p.rewritten = text;
    p.count = chip::StrToHex(p.rewritten, p.bytes);
    return p;
}

} // namespace

TEST(StrToHex, GroupsBlanksAndLoneDigits) {
    struct Case {
        const char* text;
        uint8_t count;
        std::vector<uint8_t> first; // leading elements of HexBuf
    };
    const Case cases[] = {
        {"01 23", 2, {0x01, 0x23}},       {"0a ff", 2, {0x0A, 0xFF}},
        {"1 2 3", 2, {0x01, 0x02, 0x30}}, {" 1 23", 2, {0x01, 0x23}},
        {"12 3 ", 2, {0x12, 0x03}},       {"1 234", 2, {0x01, 0x23}}, // a third digit is skipped
        {"G1 23", 2, {0x01, 0x23}},                                   // so is a non-digit before the group
        {"01234", 1, {0x01, 0x00}},       {"Text1", 1, {0xE1, 0x00}},
        {"12 3", 1, {0x12, 0x30}}, // a lone digit at the end is not counted
        {"5", 0, {0x50, 0x00}},           {"", 0, {0x00, 0x00}},
        {"   ", 0, {0x00, 0x00}},         {"  ab    cd  ", 2, {0xAB, 0xCD}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Parsed p = parse(QString::fromUtf8(c.text));
        EXPECT_EQ(p.count, c.count);
        ASSERT_EQ(p.bytes.size(), size_t(qstrlen(c.text)) + 2);
        EXPECT_EQ(std::vector<uint8_t>(p.bytes.begin(), p.bytes.begin() + qsizetype(c.first.size())),
                  c.first);
    }
}

TEST(StrToHex, RewritesTheTextWithALeadingBlankInUpperCase) {
    const Parsed p = parse(QStringLiteral("0a ff"));
    EXPECT_EQ(p.rewritten, QStringLiteral(" 0A FF"));
}

TEST(StrToHex, CharactersWithoutASingleByteCodeAreSkipped) {
    // Chinese, an emoji (two halves), full-width digits, control characters, Latin-1 letters and
    // the no-break space are no digits and no blanks.
    const QString text = QStringLiteral("中1\u00e42 \U0001F600\uff13\t4\u00a0\u00005\u007f ");
    const Parsed p = parse(text);
    EXPECT_EQ(p.count, 2);
    EXPECT_EQ(p.bytes[0], 0x12);
    EXPECT_EQ(p.bytes[1], 0x45);
    EXPECT_EQ(p.bytes.size(), size_t(text.size()) + 2);
}

TEST(StrToHex, UpperCasingNeverTurnsOneCharacterIntoDigits) {
    // Whole-text upper-casing maps the ligature U+FB00 to "FF" and "ß" to "SS", which would make
    // a digit out of nothing and grow the text past the buffer sized for it.
    const Parsed lig = parse(QStringLiteral(" \ufb00 12"));
    EXPECT_EQ(lig.count, 1);
    EXPECT_EQ(lig.bytes[0], 0x12);
    EXPECT_EQ(lig.rewritten.size(), 6);

    const Parsed sharp = parse(QStringLiteral("ßßßß 1"));
    EXPECT_EQ(sharp.rewritten.size(), 7);
    EXPECT_EQ(sharp.bytes.size(), 8u);
    EXPECT_EQ(sharp.count, 0);
    EXPECT_EQ(sharp.bytes[0], 0x10);
}

TEST(StrToHex, LongTextsAreParsedWholeAndTheCountStopsAt255) {
    // 254 characters is the longest text whose blank-prefixed length fits in a byte.
    QString at254;
    for (int i = 0; i < 84; ++i)
        at254 += QStringLiteral("%1 ").arg(i % 256, 2, 16, QLatin1Char('0'));
    at254 += QStringLiteral("ab");
    ASSERT_EQ(at254.size(), 254);
    const Parsed p254 = parse(at254);
    EXPECT_EQ(p254.count, 85);
    EXPECT_EQ(p254.bytes.size(), 256u);
    EXPECT_EQ(p254.bytes[83], 83);
    EXPECT_EQ(p254.bytes[84], 0xAB);

    // 400 groups: every byte is kept, the count saturates instead of wrapping to 144.
    QString many;
    for (int i = 0; i < 400; ++i)
        many += QStringLiteral("%1 ").arg(i % 256, 2, 16, QLatin1Char('0'));
    const Parsed p = parse(many);
    EXPECT_EQ(p.count, 255);
    ASSERT_EQ(p.bytes.size(), size_t(many.size()) + 2);
    for (int i = 0; i < 400; ++i)
        ASSERT_EQ(p.bytes[size_t(i)], uint8_t(i % 256)) << i;

    // The densest text: a digit pair after every blank, 32767 characters as a line edit holds.
    QString dense;
    while (dense.size() + 3 <= 32767)
        dense += QStringLiteral("7f ");
    const Parsed d = parse(dense);
    EXPECT_EQ(d.count, 255);
    EXPECT_EQ(d.bytes[size_t(dense.size() / 3 - 1)], 0x7F);
}
