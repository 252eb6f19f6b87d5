// Real playback into the sound server's null sink, captured from its monitor: sound starts at the cue
// and falls silent on "Pause".
#include "enginefiles.h"
#include "soundcapture.h"

#include "player/audioplayer.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <functional>

namespace {
// A 1 kHz tone, quiet (peak ~8200) for 2 s then loud (~24500) for 4 s: the level tells where it came from.
constexpr int kQuiet = 3000, kLoud = 16000, kCueMs = 1500, kStepMs = 2000;

bool pump(SoundCapture& cap, int ms, const std::function<bool()>& done = {}) {
    QElapsedTimer t;
    t.start();
    while (!(done && done()) && t.elapsed() < ms)
        cap.pump();
    return !done || done();
}
} // namespace

TEST(EngineSound, PlaysFromTheCueAndFallsSilentOnPause) {
    if (const QString reason = SoundCapture::unavailableReason(); !reason.isEmpty())
        GTEST_SKIP() << qPrintable(reason);
    EngineFiles files;
    const QStringList tone{"-r", "44100", "-c", "2", "-n", "-b", "16", "%OUT", "synth"};
    const QString quiet = files.sox("quiet.wav", tone + QStringList{"2", "sine", "1000", "vol", "0.25"});
    const QString loud = files.sox("loud.wav", tone + QStringList{"4", "sine", "1000", "vol", "0.75"});
    const QString mp3 = files.lame(files.sox("step.wav", {quiet, loud, "%OUT"}), "step.mp3", {"-V", "2"});
    ASSERT_FALSE(mp3.isEmpty());
    SoundCapture cap;
    ASSERT_TRUE(cap.start()) << "parec did not deliver";
    AudioPlayer player;
    QSignalSpy notices(&player, &MediaPlayer::notice);

    player.setFileName(mp3);
    player.setCommand("Open");
    player.setFrom(kCueMs);
    player.setCommand("Play");
    const int64_t playFrom = cap.frames();
    ASSERT_TRUE(pump(cap, 8000, [&] { return cap.firstAbove(kLoud, playFrom) >= 0; })) << "no sound arrived";
    // The quiet tone's length up to the step tells where the sound started.
    const int quietBlocks =
        cap.msAtLevel(kQuiet, kLoud, cap.firstAbove(kQuiet, playFrom), cap.firstAbove(kLoud, playFrom));
    EXPECT_NEAR(quietBlocks, kStepMs - kCueMs, 15) << "the sound did not start at the cue";

    pump(cap, 300);
    player.setCommand("Pause");
    const int64_t held = player.positionMs();
    EXPECT_GT(held, kStepMs);
    pump(cap, 1200);
    EXPECT_LT(cap.lastAbove(kQuiet), cap.frames() - SoundCapture::kRate * 8 / 10)
        << "still sounding after Pause";
    EXPECT_EQ(player.positionMs(), held);

    EXPECT_EQ(notices.count(), 0) << "an output was there, yet the operator was told there is none";
}
