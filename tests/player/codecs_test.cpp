// The player's pure codecs: time text, cue text, slider scale and mappings, dialog filter.
#include "player/cuetext.h"
#include "player/pointscale.h"
#include "player/qtfiledialog.h"
#include "player/timetext.h"

#include <gtest/gtest.h>

#include <limits>

using namespace player;

namespace {
constexpr int32_t longMax = std::numeric_limits<int32_t>::max();
constexpr int32_t sliderMax = 30000;
} // namespace

TEST(TimeText, TableAndBounds) {
    const std::pair<int32_t, const char*> table[] = {{0, "00:00:00"},
                                                     {1234, "00:01:23"},
                                                     {59999, "00:59:99"},
                                                     {65430, "01:05:43"},
                                                     {600000, "10:00:00"},
                                                     {6000000, "100:00:00"},
                                                     {longMax, "35791:23:64"},
                                                     {-65430, "-01:05:43"},
                                                     {std::numeric_limits<int32_t>::min(), "-35791:23:64"}};
    for (const auto& [ms, text] : table)
        EXPECT_EQ(timeText(ms), QString::fromLatin1(text)) << ms;
}

TEST(TimeText, CountersSaturateInsteadOfWrapping) {
    EXPECT_EQ(addSaturated(400, 200), 600);
    EXPECT_EQ(addSaturated(longMax - 100, 200), longMax);
    EXPECT_EQ(addSaturated(longMax, 200), longMax);
    EXPECT_EQ(addSaturated(std::numeric_limits<int32_t>::min() + 5, -200),
              std::numeric_limits<int32_t>::min());
}

TEST(CueText, TableReadsPackedNumberAndMilliseconds) {
    struct Row {
        const char* text;
        int32_t packed;
        int32_t ms;
    };
    const Row table[] = {{"01:05:43", 10543, 65430},
                         {"1:05:43", 10543, 65430},
                         {"00:90:00", 9000, 90000},
                         {"00:00:05", 5, 50},
                         {"2:3:4", 234, 2340},
                         {"abc", 0, 0},
                         {"", 0, 0},
                         {"01:05:43.5", 10544, 65440}};
    for (const Row& row : table) {
        const int32_t packed = cuePackedNumber(QString::fromUtf8(row.text));
        EXPECT_EQ(packed, row.packed) << row.text;
        EXPECT_EQ(cueMilliseconds(packed), row.ms) << row.text;
    }
}

TEST(CueText, ReadingRules) {
    const std::pair<const char*, int32_t> table[] = {
        {" 0 1 : 0 5 : 4 3 ", 10543}, // blanks anywhere
        {"\t01:05\n:43", 10543},      // tabs and line feeds too
        {"1\r2", 1},                  // a carriage return is not a blank: the number ends
        {"12abc34", 12},              // stops at the first character that cannot continue
        {"&H1F", 31},
        {"&h1f", 31},
        {"& H 1 F", 31},
        {"&O17", 15},
        {"&O19", 1}, // 9 is no octal digit
        {"&H", 0},
        {"&X12", 0},
        {"1D3", 1000}, // exponent with D
        {"1e3", 1000},
        {"15E-1", 2}, // 1.5, half to even
        {"25E-1", 2}, // 2.5, half to even
        {"35E-1", 4},
        {"1e", 1}, // an exponent letter without digits is not part of the number
        {"1e+", 1},
        {"+7", 7},
        {".5", 0},
        {"0.51", 1},
        {".", 0},
        {"-", 0},
        {"10543.5", 10544},
        {"10542.5", 10542}};
    for (const auto& [text, packed] : table)
        EXPECT_EQ(cuePackedNumber(QString::fromUtf8(text)), packed) << text;
}

TEST(CueText, OutOfRangeAndNegativeAreHeldToTheLongRange) {
    EXPECT_EQ(cuePackedNumber(u"-00:10:00"), 0);
    EXPECT_EQ(cuePackedNumber(u"-1e999"), 0);
    EXPECT_EQ(cuePackedNumber(u"99999:99:99"), 999999999);
    EXPECT_EQ(cueMilliseconds(999999999), longMax);
    EXPECT_EQ(cuePackedNumber(u"999999:99:99"), longMax);
    EXPECT_EQ(cuePackedNumber(u"1e999"), longMax);
    EXPECT_EQ(cuePackedNumber(u"2147483647.4"), longMax);
    EXPECT_EQ(cuePackedNumber(u"2147483646.4"), longMax - 1);
    EXPECT_EQ(cuePackedNumber(u"&HFFFFFFFF"), longMax);
    EXPECT_EQ(cuePackedNumber(QStringLiteral("&H") + QString(300, QChar(u'F'))), longMax);
    EXPECT_EQ(cuePackedNumber(QString(5000, u'9')), longMax);
    EXPECT_EQ(cueMilliseconds(longMax), longMax);
    EXPECT_EQ(cueMilliseconds(357913941), longMax); // 35791 min 39 s 41 hundredths > Long
    EXPECT_EQ(cueMilliseconds(357912359), 2147483590);
}

TEST(PointScale, SetUpTable) {
    struct Row {
        int32_t length;
        int scale;
        int mode;
    };
    const Row table[] = {
        {180000, 6, pointModeDivide},  {45000, 1, pointModeDivide},     {10000, 3, pointModeMultiply},
        {30000, 9, pointModeUnit},     {118, 254, pointModeMultiply},   {7679999, 255, pointModeDivide},
        {117, 255, pointModeMultiply}, {1, 255, pointModeMultiply},     {0, 255, pointModeMultiply},
        {-40, 255, pointModeMultiply}, {7680000, 255, pointModeDivide}, {longMax, 255, pointModeDivide}};
    for (const Row& row : table) {
        const PointScaleSetup s = pointScaleFor(row.length, sliderMax, 9);
        EXPECT_EQ(s.scale, row.scale) << row.length;
        EXPECT_EQ(s.mode, row.mode) << row.length;
    }
}

TEST(PointScale, MappingsBothWays) {
    // The 210-second example: 65440 / 7 = 9348.57.
    EXPECT_EQ(sliderValueFor(65440, 7, pointModeDivide, sliderMax, SliderRounding::HalfToEven), 9349);
    EXPECT_EQ(sliderValueFor(65440, 7, pointModeDivide, sliderMax, SliderRounding::Truncate), 9348);
    EXPECT_EQ(msForSliderValue(9349, 7, pointModeDivide), 65443);
    // Halves go to the even neighbour.
    EXPECT_EQ(sliderValueFor(3, 2, pointModeDivide, sliderMax, SliderRounding::HalfToEven), 2);
    EXPECT_EQ(sliderValueFor(5, 2, pointModeDivide, sliderMax, SliderRounding::HalfToEven), 2);
    EXPECT_EQ(sliderValueFor(5000, 3, pointModeMultiply, sliderMax, SliderRounding::Truncate), 15000);
    EXPECT_EQ(msForSliderValue(15000, 3, pointModeMultiply), 5000);
    EXPECT_EQ(sliderValueFor(12345, 0, pointModeUnit, sliderMax, SliderRounding::Truncate), 12345);
    EXPECT_EQ(msForSliderValue(12345, 0, pointModeUnit), 12345);
    // Beyond the slider (also where ms * scale would not fit a Long) the slider stays put.
    EXPECT_EQ(sliderValueFor(30001, 0, pointModeUnit, sliderMax, SliderRounding::Truncate), std::nullopt);
    EXPECT_EQ(sliderValueFor(longMax, 255, pointModeMultiply, sliderMax, SliderRounding::Truncate),
              std::nullopt);
    EXPECT_EQ(sliderValueFor(-1, 1, pointModeMultiply, sliderMax, SliderRounding::Truncate), std::nullopt);
    // No scale yet: everything sits at the start, in both directions.
    EXPECT_EQ(sliderValueFor(65440, 0, pointModeDivide, sliderMax, SliderRounding::HalfToEven), 0);
    EXPECT_EQ(sliderValueFor(65440, 0, pointModeDivide, sliderMax, SliderRounding::Truncate), 0);
    EXPECT_EQ(msForSliderValue(20000, 0, pointModeDivide), 0);
    EXPECT_EQ(msForSliderValue(20000, 0, pointModeMultiply), 0);
}

TEST(PointScale, EveryLengthGivesAMonotonicSliderThatMapsBackBelowThePosition) {
    for (int32_t length : {0, 1, 50, 117, 118, 10000, 29999, 30000, 30001, 45000, 180000, 7679999, 9000000}) {
        const PointScaleSetup s = pointScaleFor(length, sliderMax, 0);
        int32_t last = 0;
        for (int32_t ms = 0; ms <= std::max(length, 1000); ms += std::max(1, length / 3000)) {
            for (SliderRounding r : {SliderRounding::Truncate, SliderRounding::HalfToEven}) {
                const auto v = sliderValueFor(ms, s.scale, s.mode, sliderMax, r);
                if (!v)
                    continue;
                ASSERT_GE(*v, last) << length << " " << ms;
                if (r == SliderRounding::Truncate) {
                    last = *v;
                    ASSERT_LE(msForSliderValue(*v, s.scale, s.mode), ms) << length << " " << ms;
                }
            }
        }
    }
}

TEST(DialogFilter, PairsBecomeQtNameFilters) {
    EXPECT_EQ(qtNameFilters(QStringLiteral("音频文件|*.mp3|动画文件|*.wav|所有文件|*.*")),
              QStringLiteral("音频文件 (*.mp3);;动画文件 (*.wav);;所有文件 (*)"));
    EXPECT_EQ(qtNameFilters(QStringLiteral("Sound|*.mp3;*.wav")), QStringLiteral("Sound (*.mp3 *.wav)"));
    EXPECT_EQ(qtNameFilters(QStringLiteral("Lonely")), QStringLiteral("Lonely (*)"));
    EXPECT_EQ(qtNameFilters(QString()), QString());
}
