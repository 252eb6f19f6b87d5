// The audio engine as the window drives it, with no sound server: command words, Mode, From, the
// status event, bad files, and playback on the silent real-time clock.
#include "enginefiles.h"

#include "player/audioplayer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// Every test here runs as if no sound server existed, even on a machine where one runs: the server
// connection is made once per process, after this has pointed it nowhere.
const bool kNoSoundServer = [] {
    qputenv("PULSE_SERVER", "unix:/nonexistent/quillory-no-sound-server");
    return true;
}();

// Runs the event loop until done() or the deadline (a generous bound against hangs, not a measure).
bool waitFor(const std::function<bool()>& done, int deadlineMs = 20000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > deadlineMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void spin(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

class EnginePlayer : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(kNoSoundServer);
        files = std::make_unique<EngineFiles>();
        // 1.5 s stereo wav and the same as VBR mp3.
        wav = files->sox(QStringLiteral("tone.wav"),
                         {"-r", "44100", "-c", "2", "-n", "-b", "16", "%OUT", "synth", "1.5", "sine", "440"});
        ASSERT_FALSE(wav.isEmpty()) << "sox is needed";
        mp3 = files->lame(wav, QStringLiteral("tone.mp3"), {"-V", "4"});
        ASSERT_FALSE(mp3.isEmpty()) << "lame is needed";
    }
    static void TearDownTestSuite() { files.reset(); }

    void openFile(const QString& path) {
        player.setFileName(path);
        player.setCommand(QStringLiteral("Open"));
    }

    AudioPlayer player;
    static inline std::unique_ptr<EngineFiles> files;
    static inline QString wav, mp3;
};

} // namespace

TEST_F(EnginePlayer, CommandWordsDriveMode) {
    EXPECT_EQ(player.mode(), MediaPlayer::mciModeNotOpen);
    EXPECT_EQ(player.length(), 0);
    openFile(mp3);
    EXPECT_TRUE(player.openError().isEmpty());
    EXPECT_EQ(player.mode(), MediaPlayer::mciModeStop);
    EXPECT_EQ(player.length(), 1500);
    EXPECT_EQ(player.command(), QStringLiteral("Open"));

    player.setCommand(QStringLiteral("Play"));
    EXPECT_EQ(player.mode(), MediaPlayer::mciModePlay);
    player.setCommand(QStringLiteral("Pause"));
    EXPECT_EQ(player.mode(), MediaPlayer::mciModePause);
    player.setCommand(QStringLiteral("Play"));
    EXPECT_EQ(player.mode(), MediaPlayer::mciModePlay);
    player.setCommand(QStringLiteral("Stop"));
    EXPECT_EQ(player.mode(), MediaPlayer::mciModeStop);

    // Unknown words are kept as the last word and change nothing.
    player.setCommand(QStringLiteral("Eject"));
    EXPECT_EQ(player.command(), QStringLiteral("Eject"));
    EXPECT_EQ(player.mode(), MediaPlayer::mciModeStop);

    player.setCommand(QStringLiteral("close"));
    EXPECT_EQ(player.command(), QStringLiteral("close"));
    EXPECT_EQ(player.mode(), MediaPlayer::mciModeNotOpen);
    EXPECT_EQ(player.length(), 0);
    openFile(wav);
    player.setCommand(QStringLiteral("Close"));
    EXPECT_EQ(player.mode(), MediaPlayer::mciModeNotOpen);
}

TEST_F(EnginePlayer, OpenSequenceAndRewindMakeNoRun) {
    // The window opens a file with Stop, Open, Play, Pause and rewinds a finished one with Stop, Open,
    // Play, Stop, all in one handler: neither may start the output.
    QSignalSpy notices(&player, &MediaPlayer::notice);
    player.setFileName(wav);
    for (const char* word : {"Stop", "Open", "Play", "Pause"})
        player.setCommand(QString::fromLatin1(word));
    EXPECT_EQ(player.mode(), MediaPlayer::mciModePause);
    spin(60);
    EXPECT_FALSE(player.isSilent());
    EXPECT_EQ(player.positionMs(), 0);

    player.setCommand(QStringLiteral("close"));
    for (const char* word : {"Stop", "Open", "Play", "Stop"})
        player.setCommand(QString::fromLatin1(word));
    EXPECT_EQ(player.mode(), MediaPlayer::mciModeStop);
    spin(60);
    EXPECT_FALSE(player.isSilent());
    EXPECT_EQ(player.positionMs(), 0);
    // The output was never opened, so the operator was not told about it either.
    EXPECT_EQ(notices.count(), 0);
}

TEST_F(EnginePlayer, SilentPlaybackRunsInRealTimeToTheEnd) {
    QSignalSpy notices(&player, &MediaPlayer::notice);
    openFile(wav);
    QElapsedTimer wall;
    wall.start();
    player.setCommand(QStringLiteral("Play"));
    ASSERT_TRUE(waitFor([&] { return player.isSilent() && notices.count() > 0; }));
    ASSERT_EQ(notices.count(), 1);
    EXPECT_TRUE(notices.at(0).at(0).toString().contains(QStringLiteral("声音输出设备")));

    ASSERT_TRUE(waitFor([&] { return player.positionMs() >= 300; }));
    EXPECT_EQ(player.mode(), MediaPlayer::mciModePlay);
    ASSERT_TRUE(waitFor([&] { return player.mode() == MediaPlayer::mciModeStop; }));
    // Real time: the end cannot come before the file's length has passed.
    EXPECT_GE(wall.elapsed(), 1500 - 20);
    EXPECT_EQ(player.positionMs(), 0);

    // Playing again after the end starts from the beginning, and the operator is not told twice.
    player.setCommand(QStringLiteral("Play"));
    ASSERT_TRUE(waitFor([&] { return player.positionMs() >= 100; }));
    EXPECT_EQ(player.mode(), MediaPlayer::mciModePlay);
    EXPECT_EQ(notices.count(), 1);
}

TEST_F(EnginePlayer, FromPauseAndResume) {
    openFile(mp3);
    player.setFrom(1000);
    player.setCommand(QStringLiteral("Play"));
    EXPECT_EQ(player.positionMs(), 1000);
    ASSERT_TRUE(waitFor([&] { return player.positionMs() >= 1100; }));

    player.setCommand(QStringLiteral("Pause"));
    const int64_t held = player.positionMs();
    EXPECT_GE(held, 1100);
    spin(100);
    EXPECT_EQ(player.positionMs(), held);
    EXPECT_EQ(player.mode(), MediaPlayer::mciModePause);

    // Play without a new From resumes where it was held.
    player.setCommand(QStringLiteral("Play"));
    EXPECT_EQ(player.positionMs(), held);
    ASSERT_TRUE(waitFor([&] { return player.mode() == MediaPlayer::mciModeStop; }));

    // From is used once: after Stop the next Play starts at the beginning.
    player.setFrom(700);
    player.setCommand(QStringLiteral("Play"));
    EXPECT_EQ(player.positionMs(), 700);
    player.setCommand(QStringLiteral("Stop"));
    EXPECT_EQ(player.positionMs(), 0);
    player.setCommand(QStringLiteral("Play"));
    EXPECT_EQ(player.positionMs(), 0);

    // A new From while playing restarts there.
    player.setFrom(1200);
    player.setCommand(QStringLiteral("Play"));
    EXPECT_EQ(player.positionMs(), 1200);
    EXPECT_EQ(player.mode(), MediaPlayer::mciModePlay);
}

TEST_F(EnginePlayer, FromAtOrPastTheEndEndsAtOnce) {
    openFile(wav);
    for (const int32_t from : {1500, 99999, 2147483647}) {
        player.setFrom(from);
        player.setCommand(QStringLiteral("Play"));
        EXPECT_EQ(player.mode(), MediaPlayer::mciModeStop) << from;
    }
    // A negative From means the start.
    player.setFrom(-300);
    player.setCommand(QStringLiteral("Play"));
    EXPECT_EQ(player.mode(), MediaPlayer::mciModePlay);
    EXPECT_EQ(player.positionMs(), 0);
}

TEST_F(EnginePlayer, StatusUpdateFollowsTheIntervalInEveryMode) {
    QSignalSpy ticks(&player, &MediaPlayer::StatusUpdate);
    // Not open, stopped, playing: the events come as long as the interval is not 0.
    player.setUpdateInterval(20);
    EXPECT_EQ(player.updateInterval(), 20);
    ASSERT_TRUE(waitFor([&] { return ticks.count() >= 2; }));
    openFile(wav);
    const qsizetype before = ticks.count();
    ASSERT_TRUE(waitFor([&] { return ticks.count() >= before + 2; }));

    player.setUpdateInterval(0);
    const qsizetype stopped = ticks.count();
    spin(80);
    EXPECT_EQ(ticks.count(), stopped);
    player.setUpdateInterval(-5);
    EXPECT_EQ(player.updateInterval(), 0);
    spin(40);
    EXPECT_EQ(ticks.count(), stopped);
}

TEST_F(EnginePlayer, BadFileLeavesThePlayerClosedAndHarmless) {
    QSignalSpy notices(&player, &MediaPlayer::notice);
    const QString noise = files->write(QStringLiteral("noise.mp3"), QByteArray(5000, '\x5a'));
    for (const QString& path : {files->path(QStringLiteral("missing.wav")), files->path({}), noise}) {
        openFile(path);
        EXPECT_FALSE(player.openError().isEmpty()) << qPrintable(path);
        EXPECT_EQ(player.mode(), MediaPlayer::mciModeNotOpen);
        EXPECT_EQ(player.length(), 0);
        for (const char* word : {"Play", "Pause", "Stop", "Play"})
            player.setCommand(QString::fromLatin1(word));
        EXPECT_EQ(player.mode(), MediaPlayer::mciModeNotOpen);
    }
    spin(40);
    EXPECT_EQ(notices.count(), 0);

    // A good file afterwards opens and clears the reason; a bad one closes the good one.
    openFile(wav);
    EXPECT_TRUE(player.openError().isEmpty());
    EXPECT_EQ(player.mode(), MediaPlayer::mciModeStop);
    openFile(noise);
    EXPECT_EQ(player.mode(), MediaPlayer::mciModeNotOpen);
}

TEST_F(EnginePlayer, NoticeHandlerMayCloseThePlayer) {
    // The window answers the notice with a modal box; whatever its nested event loop runs (here a
    // "close" straight from the handler) must find the engine in one piece.
    QObject::connect(&player, &MediaPlayer::notice, &player,
                     [this](const QString&) { player.setCommand(QStringLiteral("close")); });
    openFile(mp3);
    player.setCommand(QStringLiteral("Play"));
    ASSERT_TRUE(waitFor([&] { return player.mode() == MediaPlayer::mciModeNotOpen; }));
    spin(40);
    EXPECT_FALSE(player.isSilent());
    EXPECT_EQ(player.length(), 0);
}
