// The sound server away, back, killed during a trial listen and back again, in one session of the window
// on the real engine, and coming and going at random under the engine: a sound server of this test's own
// (its own runtime folder, so that the shared one other tests play into is left alone), its null sink
// captured. QUILLORY_STRESS_ROUNDS sets the random rounds (default 6).
#include "enginefiles.h"
#include "fakes.h"
#include "soundcapture.h"

#include "form/form1.h"
#include "player/audioplayer.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

constexpr int kLoud = 8000;
const char* const kNoOutput = "没有可用的声音输出设备，播放将静音进行";

// A PulseAudio server with a null sink as its default output, started and killed at will. The process
// environment points at it from the start, so every connection this test makes goes there.
class PrivateServer {
public:
    PrivateServer() : m_dir(QDir::tempPath() + QStringLiteral("/qsnd-XXXXXX")) {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir.path()));
        qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(m_dir.path()) + "/pulse/native");
    }
    ~PrivateServer() { stop(); }

    static QString unavailableReason() {
        for (const char* tool : {"pulseaudio", "pactl", "parec"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                return QStringLiteral("%1 is needed (Debian: pulseaudio pulseaudio-utils)").arg(tool);
        return {};
    }
    bool up() const { return run("pactl", {"info"}); }
    bool start() {
        // As root the daemon warns that it is meant for a user session; it runs all the same.
        run("pulseaudio", {"--daemonize=yes", "--exit-idle-time=-1", "--system=false",
                           "--log-target=file:" + m_dir.filePath("pulseaudio.log")});
        if (!QTest::qWaitFor([this] { return up(); }, 10000))
            return false;
        return run("pactl", {"load-module", "module-null-sink", "sink_name=private", "norewinds=1"}) &&
               run("pactl", {"set-default-sink", "private"});
    }
    bool stop() {
        if (!up())
            return true;
        run("pulseaudio", {"--kill"});
        return QTest::qWaitFor([this] { return !up(); }, 10000);
    }

private:
    static bool run(const char* program, const QStringList& args) {
        QProcess p;
        p.start(QString::fromLatin1(program), args);
        const bool ok =
            p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        p.kill();
        p.waitForFinished(1000);
        return ok;
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST(SoundServer, AwayBackKilledAndBackAgainEveryPlayFindsItOrSaysSoOnce) {
    if (const QString reason = PrivateServer::unavailableReason(); !reason.isEmpty())
        GTEST_SKIP() << qPrintable(reason);
    PrivateServer server;
    ASSERT_FALSE(server.up());
    EngineFiles files;
    const QString tone = files.sox("tone.wav", {"-r", "44100", "-c", "2", "-n", "-b", "16", "%OUT", "synth",
                                                "30", "sine", "1000", "vol", "0.5"});
    ASSERT_FALSE(tone.isEmpty()) << "sox is needed (Debian: sox)";

    auto engine = std::make_unique<AudioPlayer>();
    auto dialog = std::make_unique<FakeFileDialog>();
    auto shown = std::make_unique<FakeMessageBox>();
    AudioPlayer* player = engine.get();
    dialog->choice = tone;
    FakeMessageBox* boxes = shown.get();
    Form1 w(Form1::Platform{std::make_unique<FakeSerialPort>(), std::move(engine), std::move(dialog),
                            std::move(shown)});
    const auto boxesWith = [&](const QString& text) {
        return std::count_if(boxes->shown.begin(), boxes->shown.end(),
                             [&](const FakeMessageBox::Shown& box) { return box.text == text; });
    };
    const auto listen = [&](bool on) {
        w.Try_Listen_Click();
        EXPECT_EQ(w.ListenOn, on);
    };

    // No server: each trial listen plays silent and says so once.
    w.open_file_Click();
    listen(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes->shown.size() == 1; }, 5000));
    EXPECT_EQ(boxes->shown[0].icon, MessageBox::Icon::Information);
    QTest::qWait(500);
    EXPECT_TRUE(player->isSilent());
    listen(false);
    listen(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes->shown.size() == 2; }, 5000));
    QTest::qWait(500);
    EXPECT_EQ(boxesWith(kNoOutput), 2);
    listen(false);

    // The server comes: the next trial listen is heard, without a box.
    ASSERT_TRUE(server.start()) << "the test's own sound server did not start";
    const auto heard = [&](const char* when) {
        SoundCapture cap;
        ASSERT_TRUE(cap.start()) << "parec did not deliver " << when;
        const int64_t from = cap.frames();
        listen(true);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                cap.pump(2);
                return cap.firstAbove(kLoud, from) >= 0;
            },
            8000))
            << "no sound " << when;
        EXPECT_FALSE(player->isSilent()) << when;
    };
    heard("once the server had come");
    EXPECT_EQ(boxes->shown.size(), 2);

    // Restarted while the file is paused: the connection the last play made has gone stale.
    listen(false);
    ASSERT_TRUE(server.stop());
    ASSERT_TRUE(server.start());
    heard("after a restart while paused");
    EXPECT_EQ(boxes->shown.size(), 2);

    // Killed during the trial listen: it goes on silent, counting, and says so once.
    const int32_t before = w.PlayPosit;
    ASSERT_TRUE(server.stop());
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes->shown.size() == 3; }, 5000));
    QTest::qWait(600);
    EXPECT_TRUE(player->isSilent());
    EXPECT_EQ(boxes->shown.size(), 3);
    EXPECT_GT(w.PlayPosit, before);
    EXPECT_EQ(player->mode(), MediaPlayer::mciModePlay);
    listen(false);

    // Back again: heard again, and a newly opened file too.
    ASSERT_TRUE(server.start());
    heard("once the server was back");
    listen(false);
    w.open_file_Click();
    heard("from a file opened after it came back");
    listen(false);
    EXPECT_EQ(boxes->shown.size(), 3);
    EXPECT_EQ(boxesWith(kNoOutput), 3);
}

TEST(SoundServer, TheEngineSurvivesItsServerComingAndGoingAtRandom) {
    if (const QString reason = PrivateServer::unavailableReason(); !reason.isEmpty())
        GTEST_SKIP() << qPrintable(reason);
    bool ok = false;
    const int rounds = qEnvironmentVariableIntValue("QUILLORY_STRESS_ROUNDS", &ok);
    QRandomGenerator rng(1700);
    PrivateServer server;
    EngineFiles files;
    const QString tone = files.sox("tone.wav", {"-r", "44100", "-c", "2", "-n", "-b", "16", "%OUT", "synth",
                                                "1.5", "sine", "500", "vol", "0.5"});
    ASSERT_FALSE(tone.isEmpty()) << "sox is needed (Debian: sox)";
    AudioPlayer player;
    QSignalSpy notices(&player, &MediaPlayer::notice);
    player.setFileName(tone);
    player.setCommand("Open");
    int plays = 0;
    for (int round = 0; round < (ok ? rounds : 6); ++round) {
        SCOPED_TRACE(round);
        // The server comes or goes while the player plays, pauses, seeks or ends.
        for (int step = 0; step < 6; ++step) {
            switch (rng.bounded(4)) {
            case 0:
                if (player.mode() == MediaPlayer::mciModePlay) {
                    player.setCommand("Pause");
                } else {
                    player.setCommand("Play");
                    ++plays;
                }
                break;
            case 1:
                player.setFrom(int32_t(rng.bounded(1500)));
                player.setCommand("Play");
                ++plays;
                break;
            case 2:
                ASSERT_TRUE(server.up() ? server.stop() : server.start());
                break;
            default:
                break;
            }
            QTest::qWait(int(rng.bounded(300)));
            EXPECT_TRUE(player.positionMs() >= 0 && player.positionMs() <= player.length());
        }
    }
    player.setCommand("Stop");
    QTest::qWait(50);
    // At most one notice per "Play" given.
    EXPECT_LE(notices.count(), plays);
}
