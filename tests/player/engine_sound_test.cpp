// Real playback into the sound server's null sink, captured from its monitor: the sound starts at the
// cue, falls silent on "Pause", resumes where it was held, and the window's open and rewind sequences
// make no sound. Skipped, with the reason, when no server is reachable.
#include "enginefiles.h"
#include "soundcapture.h"

#include "player/audioplayer.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <functional>

namespace {

// A 1 kHz tone, quiet for the first 2 s and loud for the next 4 s: the level tells where in the file
// the sound came from.
constexpr int kQuiet = 3000; // above noise, below the quiet tone's peak (~8200)
constexpr int kLoud = 16000; // below the loud tone's peak (~24500)
constexpr int kCueMs = 1500; // 500 ms before the step
constexpr int kStepMs = 2000;

bool pumpUntil(SoundCapture& cap, const std::function<bool()>& done, int deadlineMs = 8000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > deadlineMs)
            return false;
        cap.pump();
    }
    return true;
}

void pumpFor(SoundCapture& cap, int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        cap.pump();
}

} // namespace

TEST(EngineSound, PlaysFromTheCueAndFallsSilentOnPause) {
    const QString reason = SoundCapture::unavailableReason();
    if (!reason.isEmpty())
        GTEST_SKIP() << qPrintable(reason);

    EngineFiles files;
    const QString quiet =
        files.sox(QStringLiteral("quiet.wav"), {"-r", "44100", "-c", "2", "-n", "-b", "16", "%OUT", "synth",
                                                "2", "sine", "1000", "vol", "0.25"});
    const QString loud =
        files.sox(QStringLiteral("loud.wav"), {"-r", "44100", "-c", "2", "-n", "-b", "16", "%OUT", "synth",
                                               "4", "sine", "1000", "vol", "0.75"});
    const QString both = files.sox(QStringLiteral("step.wav"), {quiet, loud, "%OUT"});
    const QString mp3 = files.lame(both, QStringLiteral("step.mp3"), {"-V", "2"});
    ASSERT_FALSE(mp3.isEmpty());

    SoundCapture cap;
    ASSERT_TRUE(cap.start()) << "parec did not deliver";
    AudioPlayer player;
    QSignalSpy notices(&player, &MediaPlayer::notice);

    // The window's open sequence, then its rewind sequence: both end held, and nothing is heard.
    const int64_t quietFrom = cap.frames();
    player.setFileName(mp3);
    for (const char* word : {"Stop", "Open", "Play", "Pause"})
        player.setCommand(QString::fromLatin1(word));
    ASSERT_TRUE(player.openError().isEmpty()) << qPrintable(player.openError());
    player.setCommand(QStringLiteral("close"));
    for (const char* word : {"Stop", "Open", "Play", "Stop"})
        player.setCommand(QString::fromLatin1(word));
    pumpFor(cap, 400);
    EXPECT_EQ(cap.firstAbove(kQuiet / 3, quietFrom), -1) << "the open or rewind sequence was heard";

    // Play from the cue: the quiet tone first, for the 500 ms up to the step, then the loud one.
    player.setFrom(kCueMs);
    player.setCommand(QStringLiteral("Play"));
    const int64_t playFrom = cap.frames();
    ASSERT_TRUE(pumpUntil(cap, [&] { return cap.firstAbove(kLoud, playFrom) >= 0; })) << "no sound arrived";
    const int64_t start = cap.firstAbove(kQuiet, playFrom);
    const int64_t step = cap.firstAbove(kLoud, playFrom);
    ASSERT_GE(start, 0);
    // Counted in 1 ms blocks of quiet tone rather than as a span, so that an underrun on a loaded
    // machine (a gap of silence) cannot pass for a wrong cue.
    constexpr int kBlock = SoundCapture::kRate / 1000;
    int quietBlocks = 0;
    for (const int peak : cap.blockPeaks(kBlock, start)) {
        if (peak >= kLoud)
            break;
        if (peak >= kQuiet)
            ++quietBlocks;
    }
    EXPECT_LE(step - start, SoundCapture::kRate) << "sound began far before the loud part";
    const double quietMs = double(quietBlocks) * kBlock * 1000.0 / SoundCapture::kRate;
    EXPECT_NEAR(quietMs, kStepMs - kCueMs, 15.0) << "the sound did not start at the cue";

    // Pause: the sound stops and stays stopped, although 3.5 s of the file remain.
    pumpFor(cap, 300);
    player.setCommand(QStringLiteral("Pause"));
    EXPECT_EQ(player.mode(), MediaPlayer::mciModePause);
    const int64_t held = player.positionMs();
    EXPECT_GT(held, kStepMs);
    pumpFor(cap, 1200);
    const int64_t last = cap.lastAbove(kQuiet);
    EXPECT_LT(last, cap.frames() - SoundCapture::kRate * 8 / 10) << "still sounding after Pause";
    EXPECT_EQ(player.positionMs(), held);

    // Play without a cue resumes where it was held: loud at once, not the quiet part before the step.
    const int64_t resumeFrom = cap.frames();
    player.setCommand(QStringLiteral("Play"));
    ASSERT_TRUE(pumpUntil(cap, [&] { return cap.firstAbove(kQuiet, resumeFrom) >= 0; }));
    pumpFor(cap, 100);
    const int64_t resumed = cap.firstAbove(kQuiet, resumeFrom);
    EXPECT_LE(cap.firstAbove(kLoud, resumed) - resumed, SoundCapture::kRate / 500)
        << "resumed in the quiet part, not where it was held";
    player.setCommand(QStringLiteral("Stop"));
    EXPECT_EQ(player.mode(), MediaPlayer::mciModeStop);
    EXPECT_EQ(notices.count(), 0) << "an output was there, yet the operator was told there is none";
}
