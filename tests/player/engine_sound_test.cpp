// Real playback into the sound server's null sink, captured from its monitor: sound starts at the cue
// and falls silent on "Pause"; a gain scales every sample exactly and counts those it clips.
#include "enginefiles.h"
#include "soundcapture.h"

#include "player/audioplayer.h"

#include <QDataStream>
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

TEST(EngineSound, AGainScalesEverySampleExactlyAndCountsThoseItClips) {
    if (const QString reason = SoundCapture::unavailableReason(); !reason.isEmpty())
        GTEST_SKIP() << qPrintable(reason);
    // 100 ms of silence, then six steps of 50 ms (2205 frames) at these codes, both channels alike.
    constexpr int64_t kStep = 2205, kLead = 4410;
    const int16_t steps[] = {1000, -1000, 10000, -20000, 32767, -32768};
    struct Case {
        double gainDb;
        int16_t heard[6];
        int64_t clipped;
    };
    const Case cases[] = {{-6.0, {501, -501, 5012, -10024, 16422, -16423}, 0},
                          {6.0, {1995, -1995, 19953, -32768, 32767, -32768}, 3 * kStep * 2}};
    QByteArray samples(kLead * 4, '\0');
    QDataStream out(&samples, QIODevice::Append);
    out.setByteOrder(QDataStream::LittleEndian);
    for (const int16_t code : steps)
        for (int64_t i = 0; i < kStep; ++i)
            out << code << code;
    QByteArray wav("RIFF");
    QDataStream head(&wav, QIODevice::Append);
    head.setByteOrder(QDataStream::LittleEndian);
    head << quint32(36 + samples.size());
    head.writeRawData("WAVEfmt ", 8);
    head << quint32(16) << quint16(1) << quint16(2) << quint32(44100) << quint32(44100 * 4) << quint16(4)
         << quint16(16);
    head.writeRawData("data", 4);
    head << quint32(samples.size());
    EngineFiles files;
    const QString path = files.write("steps.wav", wav + samples);
    ASSERT_FALSE(path.isEmpty());

    SoundCapture cap;
    ASSERT_TRUE(cap.start()) << "parec did not deliver";
    AudioPlayer player;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.gainDb);
        player.setFileName(path);
        player.setCommand("Open");
        player.setGain(c.gainDb);
        const int64_t from = cap.frames();
        player.setCommand("Play");
        ASSERT_TRUE(pump(cap, 5000, [&] { return player.mode() != MediaPlayer::mciModePlay; }));
        pump(cap, 400);
        const int64_t first = cap.firstAbove(400, from);
        ASSERT_GE(first, 0) << "no sound arrived";
        int64_t wrong = 0;
        QString firstWrong;
        for (int step = 0; step < 6; ++step) {
            for (int64_t i = 0; i < kStep; ++i) {
                const int64_t frame = first + step * kStep + i;
                for (int channel = 0; channel < 2; ++channel) {
                    if (cap.sample(frame, channel) == c.heard[step])
                        continue;
                    if (wrong++ == 0)
                        firstWrong = QStringLiteral("step %1 frame %2: %3")
                                         .arg(step)
                                         .arg(i)
                                         .arg(cap.sample(frame, channel));
                }
            }
        }
        EXPECT_EQ(wrong, 0) << qPrintable(firstWrong);
        EXPECT_EQ(player.clippedSamples(), c.clipped);
    }
}
