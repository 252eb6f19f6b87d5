// The audio engine as the window drives it, with no sound server: command words, Mode, From, the
// status event, bad files, and playback on the silent real-time clock.
#include "enginefiles.h"

#include "player/audioplayer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <functional>

namespace {
// No sound server, even where one runs: the connection is made once per process, after this.
const bool kNoSoundServer = qputenv("PULSE_SERVER", "unix:/nonexistent/quillory-no-sound-server");

// Runs the event loop until done() (a bound against hangs, not a measure), or for ms when done is null.
bool spin(int ms, const std::function<bool()>& done = {}) {
    QElapsedTimer t;
    t.start();
    while (!(done && done()) && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return !done || done();
}

class EnginePlayer : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(kNoSoundServer);
        wav = files.sox("tone.wav",
                        {"-r", "44100", "-c", "2", "-n", "-b", "16", "%OUT", "synth", "1.5", "sine", "440"});
        mp3 = files.lame(wav, "tone.mp3", {"-V", "4"});
        ASSERT_FALSE(wav.isEmpty() || mp3.isEmpty()) << "sox and lame are needed";
    }
    void command(const QString& words) {
        for (const QString& word : words.split(u' '))
            player.setCommand(word);
    }
    void open(const QString& path) {
        player.setFileName(path);
        command("Open");
    }
    bool waitFor(const std::function<bool()>& done) { return spin(20000, done); }

    AudioPlayer player;
    QSignalSpy notices{&player, &MediaPlayer::notice};
    static inline EngineFiles files;
    static inline QString wav, mp3;
};
} // namespace

TEST_F(EnginePlayer, CommandWordsDriveMode) {
    EXPECT_EQ(player.mode(), MediaPlayer::mciModeNotOpen);
    open(mp3);
    EXPECT_TRUE(player.openError().isEmpty());
    EXPECT_EQ(player.length(), 1500);
    const std::pair<const char*, int> steps[] = {
        {"Open", MediaPlayer::mciModeStop},    {"Play", MediaPlayer::mciModePlay},
        {"Pause", MediaPlayer::mciModePause},  {"Play", MediaPlayer::mciModePlay},
        {"Stop", MediaPlayer::mciModeStop},    {"Eject", MediaPlayer::mciModeStop},
        {"close", MediaPlayer::mciModeNotOpen}};
    for (const auto& [word, mode] : steps) {
        command(word);
        EXPECT_EQ(player.command(), word);
        EXPECT_EQ(player.mode(), mode) << word;
    }
    EXPECT_EQ(player.length(), 0);
}

TEST_F(EnginePlayer, OpenAndRewindSequencesMakeNoRun) {
    // The window opens a file with Stop Open Play Pause, and rewinds with Stop Open Play Stop, each in
    // one handler: neither may start the output.
    player.setFileName(wav);
    for (const auto& [words, mode] : {std::pair{"Stop Open Play Pause", MediaPlayer::mciModePause},
                                      std::pair{"close Stop Open Play Stop", MediaPlayer::mciModeStop}}) {
        command(words);
        EXPECT_EQ(player.mode(), mode);
        spin(60);
        EXPECT_FALSE(player.isSilent());
        EXPECT_EQ(player.positionMs(), 0);
    }
    EXPECT_EQ(notices.count(), 0);
}

TEST_F(EnginePlayer, SilentPlaybackRunsInRealTimeToTheEnd) {
    open(wav);
    QElapsedTimer wall;
    wall.start();
    command("Play");
    ASSERT_TRUE(waitFor([&] { return player.isSilent() && player.positionMs() >= 300; }));
    ASSERT_EQ(notices.count(), 1);
    EXPECT_TRUE(notices.at(0).at(0).toString().contains("声音输出设备"));
    EXPECT_EQ(player.mode(), MediaPlayer::mciModePlay);
    ASSERT_TRUE(waitFor([&] { return player.mode() == MediaPlayer::mciModeStop; }));
    EXPECT_GE(wall.elapsed(), 1500 - 20) << "the end came before the file's length had passed";
    EXPECT_EQ(player.positionMs(), 0);
    // Playing again starts from the beginning, and the operator is not told twice.
    command("Play");
    ASSERT_TRUE(waitFor([&] { return player.positionMs() >= 100; }));
    EXPECT_EQ(notices.count(), 1);
}

TEST_F(EnginePlayer, FromPauseAndResume) {
    open(mp3);
    player.setFrom(1000);
    command("Play");
    EXPECT_EQ(player.positionMs(), 1000);
    ASSERT_TRUE(waitFor([&] { return player.positionMs() >= 1100; }));
    command("Pause");
    const int64_t held = player.positionMs();
    spin(100);
    EXPECT_EQ(player.positionMs(), held);
    command("Play"); // resumes where it was held
    EXPECT_EQ(player.positionMs(), held);
    ASSERT_TRUE(waitFor([&] { return player.mode() == MediaPlayer::mciModeStop; }));
    // From is used once; a new one while playing restarts there; a negative one means the start.
    player.setFrom(700);
    command("Play Stop Play");
    EXPECT_EQ(player.positionMs(), 0);
    for (const int32_t from : {1200, -300}) {
        player.setFrom(from);
        command("Play");
        EXPECT_EQ(player.positionMs(), std::max(from, 0));
        EXPECT_EQ(player.mode(), MediaPlayer::mciModePlay);
    }
    // At or past the end: the run is over at once.
    for (const int32_t from : {1500, 2147483647}) {
        player.setFrom(from);
        command("Play");
        EXPECT_EQ(player.mode(), MediaPlayer::mciModeStop) << from;
    }
}

TEST_F(EnginePlayer, StatusUpdateFollowsTheInterval) {
    QSignalSpy ticks(&player, &MediaPlayer::StatusUpdate);
    player.setUpdateInterval(20); // not open, then stopped: the events come all the same
    ASSERT_TRUE(waitFor([&] { return ticks.count() >= 2; }));
    open(wav);
    const qsizetype before = ticks.count();
    ASSERT_TRUE(waitFor([&] { return ticks.count() >= before + 2; }));
    for (const int32_t off : {0, -5}) {
        player.setUpdateInterval(off);
        const qsizetype stopped = ticks.count();
        spin(60);
        EXPECT_EQ(ticks.count(), stopped) << off;
    }
}

TEST_F(EnginePlayer, BadFilesAreRefusedWithAReason) {
    QFile wavFile(wav), mp3File(mp3);
    ASSERT_TRUE(wavFile.open(QIODevice::ReadOnly) && mp3File.open(QIODevice::ReadOnly));
    QByteArray noise(64 * 1024, Qt::Uninitialized);
    QRandomGenerator rng(1700);
    for (char& b : noise)
        b = char(rng.bounded(256));
    QDir(files.path({})).mkdir("folder.mp3");
    const std::pair<QString, QString> cases[] = {
        {files.path("missing.mp3"), "不存在"},
        {files.path("folder.mp3"), "文件夹"},
        {files.write("empty.mp3", {}), "空"},
        {files.write("empty.wav", {}), "空"},
        {files.write("header-only.wav", wavFile.read(40)), {}},
        {files.write("header-only.mp3", mp3File.read(200)), {}},
        {files.write("noise.mp3", noise), {}},
        {files.write("noise.wav", noise), {}},
        {files.write("text.mp3", QByteArray("not audio at all\n").repeated(500)), {}},
        {QString(), {}},
    };
    for (const auto& [path, mentions] : cases) {
        SCOPED_TRACE(qPrintable(path));
        open(wav); // a bad file closes the good one
        open(path);
        EXPECT_TRUE(!player.openError().isEmpty() && player.openError().contains(mentions))
            << qPrintable(player.openError());
        EXPECT_EQ(player.mode(), MediaPlayer::mciModeNotOpen);
        EXPECT_EQ(player.length(), 0);
        command("Play Pause Stop Play");
        EXPECT_EQ(player.mode(), MediaPlayer::mciModeNotOpen);
    }
    spin(40);
    EXPECT_EQ(notices.count(), 0);
    open(wav);
    EXPECT_TRUE(player.openError().isEmpty());
}

TEST_F(EnginePlayer, NoticeHandlerMayCloseThePlayer) {
    // The window answers the notice with a modal box whose nested event loop may run "close".
    QObject::connect(&player, &MediaPlayer::notice, &player, [this] { command("close"); });
    open(mp3);
    command("Play");
    ASSERT_TRUE(waitFor([&] { return player.mode() == MediaPlayer::mciModeNotOpen; }));
    spin(40);
    EXPECT_FALSE(player.isSilent());
}
