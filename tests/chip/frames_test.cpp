// The address parser without a window: its rules, and safety for any text a paste can give.
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
