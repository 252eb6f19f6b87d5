// The analog-path frame for every source, switch and volume step.
#include "chip/analogpath.h"

#include <gtest/gtest.h>

TEST(AnalogPathFrame, TheTwelveRowsHoldForEveryVolumeStep) {
    struct Row {
        const char* source;
        bool monitor;
        bool speaker;
        uint8_t speakerByte;
        uint8_t pathByte; // at step 4
    };
    const Row rows[] = {
        {"Lin", false, false, 0x0D, 0x00}, {"Lin", false, true, 0x0C, 0x00},
        {"Lin", true, false, 0x0D, 0x08},  {"Lin", true, true, 0x0C, 0x08},
        {"Mic", false, false, 0x0D, 0x40}, {"Mic", false, true, 0x0C, 0x40},
        {"Mic", true, false, 0x0D, 0x48},  {"Mic", true, true, 0x0C, 0x48},
        {"LM", false, false, 0x0D, 0x10},  {"LM", false, true, 0x0C, 0x10},
        {"LM", true, false, 0x0D, 0x18},   {"LM", true, true, 0x0C, 0x18},
    };
    for (uint8_t step = 0; step <= 4; ++step) {
        for (const Row& r : rows) {
            SCOPED_TRACE(testing::Message() << r.source << " mon=" << r.monitor << " spk=" << r.speaker
                                            << " step=" << int(step));
            const auto frame =
                chip::analogPathFrame(QString::fromLatin1(r.source), r.monitor, r.speaker, step);
            EXPECT_EQ(frame[0], 0x65);
            EXPECT_EQ(frame[1], r.speakerByte);
            EXPECT_EQ(frame[2], r.pathByte + (4 - step));
        }
    }
}

TEST(AnalogPathFrame, OnlyTheExactListTextsSelectASource) {
    using F = std::array<uint8_t, 3>;
    for (const char* other : {"mic", "lm", "MIC", "Mic ", " LM", "", "Line", "麦克风"})
        EXPECT_EQ(chip::analogPathFrame(QString::fromUtf8(other), false, true, 4), (F{0x65, 0x0C, 0x00}))
            << other;
}

TEST(AnalogPathFrame, AStepOutsideZeroToFourGivesVolumeZero) {
    using F = std::array<uint8_t, 3>;
    for (int step : {5, 7, 128, 255})
        EXPECT_EQ(chip::analogPathFrame("Mic", true, false, uint8_t(step)), (F{0x65, 0x0D, 0x48})) << step;
}
