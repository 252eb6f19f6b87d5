// The player's pure codecs: time text, cue text, slider scale and mappings, dialog filter.
#include "player/cuetext.h"
#include "player/pointscale.h"
#include "player/qtfiledialog.h"
#include "player/timetext.h"

#include <gtest/gtest.h>

using namespace player;

namespace {
constexpr int32_t longMax = INT32_MAX, longMin = INT32_MIN, sliderMax = 30000;
constexpr auto even = SliderRounding::HalfToEven, cut = SliderRounding::Truncate;
constexpr int divide = pointModeDivide, multiply = pointModeMultiply, unit = pointModeUnit;
} // namespace

TEST(TimeText, TableAndSaturatingCounters) {
    const std::pair<int32_t, const char*> table[] = {{0, "00:00:00"},        {1234, "00:01:23"},
                                                     {59999, "00:59:99"},    {65430, "01:05:43"},
                                                     {6000000, "100:00:00"}, {longMax, "35791:23:64"}};
    for (const auto& [ms, text] : table)
        EXPECT_EQ(timeText(ms), QString::fromLatin1(text)) << ms;
    EXPECT_TRUE(addSaturated(longMax - 100, 200) == longMax && addSaturated(longMin + 5, -200) == longMin);
}

// Blanks, tabs and line feeds are skipped, a carriage return ends a number; out of range holds to 0..Long.
TEST(CueText, PackedNumberAndMillisecondsTables) {
    // clang-format off
    const std::pair<const char*, int32_t> table[] = {
        {"01:05:43", 10543}, {"1:05:43", 10543}, {"2:3:4", 234}, {"abc", 0}, {"", 0}, {"01:05:43.5", 10544},
        {" 0 1 : 0 5 : 4 3 ", 10543}, {"\t01:05\n:43", 10543}, {"1\r2", 1}, {"12abc34", 12}, {"&H1F", 31},
        {"&h1f", 31}, {"& H 1 F", 31}, {"&O17", 15}, {"&O19", 1}, {"&H", 0}, {"&X12", 0}, {"1D3", 1000},
        {"1e3", 1000}, {"15E-1", 2}, {"25E-1", 2}, {"35E-1", 4}, {"1e", 1}, {"1e+", 1}, {"+7", 7}, {".5", 0},
        {"0.51", 1}, {".", 0}, {"-", 0}, {"10542.5", 10542}, {"-00:10:00", 0}, {"-1e999", 0},
        {"99999:99:99", 999999999}, {"999999:99:99", longMax}, {"1e999", longMax}, {"2147483647.4", longMax},
        {"2147483646.4", 2147483646}, {"&HFFFFFFFF", longMax}, {"00:00:05", 5}, {"10543.5", 10544},
        {"00:90:00", 9000}};
    const std::pair<int32_t, int32_t> ms[] = {
        {10543, 65430}, {9000, 90000}, {5, 50}, {357912359, 2147483590}, {357913941, longMax},
        {longMax, longMax}};
    // clang-format on
    for (const auto& [text, packed] : table)
        EXPECT_EQ(cuePackedNumber(QString::fromUtf8(text)), packed) << text;
    EXPECT_EQ(cuePackedNumber("&H" + QString(300, u'F')), longMax);
    EXPECT_EQ(cuePackedNumber(QString(5000, u'9')), longMax);
    for (const auto& [packed, millis] : ms)
        EXPECT_EQ(cueMilliseconds(packed), millis) << packed;
}

TEST(PointScale, SetUpTable) {
    const std::tuple<int32_t, int, int> table[] = {
        {180000, 6, divide},  {45000, 1, divide},     {10000, 3, multiply},   {30000, 9, unit},
        {118, 254, multiply}, {7679999, 255, divide}, {117, 255, multiply},   {1, 255, multiply},
        {0, 255, multiply},   {-40, 255, multiply},   {7680000, 255, divide}, {longMax, 255, divide}};
    for (const auto& [length, scale, mode] : table) {
        const PointScaleSetup s = pointScaleFor(length, sliderMax, 9);
        EXPECT_EQ((std::pair<int, int>(s.scale, s.mode)), std::pair(scale, mode)) << length;
    }
}

TEST(PointScale, MappingsBothWays) {
    // 210 s example; beyond the slider (or a Long, for ms * scale) it stays put; no scale: at the start.
    const std::tuple<int32_t, int32_t, int, SliderRounding, std::optional<int32_t>> table[] = {
        {65440, 7, divide, even, 9349}, {65440, 7, divide, cut, 9348}, {3, 2, divide, even, 2},
        {5, 2, divide, even, 2},        {30001, 0, unit, cut, {}},     {longMax, 255, multiply, cut, {}},
        {-1, 1, multiply, cut, {}},     {65440, 0, divide, even, 0},   {65440, 0, divide, cut, 0}};
    for (const auto& [ms, scale, mode, rounding, value] : table)
        EXPECT_EQ(sliderValueFor(ms, scale, mode, sliderMax, rounding), value) << ms << " " << scale;
    const std::tuple<int32_t, int32_t, int, int32_t> back[] = {
        {9349, 7, divide, 65443}, {15000, 3, multiply, 5000}, {20000, 0, divide, 0}, {20000, 0, multiply, 0}};
    for (const auto& [value, scale, mode, ms] : back)
        EXPECT_EQ(msForSliderValue(value, scale, mode), ms) << value << " " << scale;
}

TEST(PointScale, EveryLengthGivesAMonotonicSliderThatMapsBackBelowThePosition) {
    for (int32_t length : {0, 1, 117, 118, 10000, 29999, 30000, 30001, 45000, 180000, 7679999, 9000000}) {
        const PointScaleSetup s = pointScaleFor(length, sliderMax, 0);
        int32_t last = 0;
        for (int32_t ms = 0; ms <= std::max(length, 1000); ms += std::max(1, length / 3000)) {
            const auto r = sliderValueFor(ms, s.scale, s.mode, sliderMax, even),
                       v = sliderValueFor(ms, s.scale, s.mode, sliderMax, cut);
            ASSERT_GE(std::min(r.value_or(last), v.value_or(last)), last) << length << " " << ms;
            ASSERT_LE(msForSliderValue(v.value_or(0), s.scale, s.mode), v ? ms : 0) << length << " " << ms;
            last = v.value_or(last);
        }
    }
}

TEST(DialogFilter, PairsBecomeQtNameFilters) {
    const std::pair<QString, QString> table[] = {
        {"音频文件|*.mp3|动画文件|*.wav|所有文件|*.*", "音频文件 (*.mp3);;动画文件 (*.wav);;所有文件 (*)"},
        {"Sound|*.mp3;*.wav", "Sound (*.mp3 *.wav)"},
        {"Lonely", "Lonely (*)"},
        {"", ""}};
    for (const auto& [filter, qt] : table)
        EXPECT_EQ(qtNameFilters(filter), qt);
}
