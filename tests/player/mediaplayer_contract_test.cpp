// What the window relies on of its media player (MMControl1), run against the fake and the audio engine
// alike: the command words and what each does to Mode and the position, From before "Play", Length
// after "Open", "Pause" and "Play" after it, the status event at its interval, and the notice of a play
// without a sound output.
#include "enginefiles.h"
#include "fakes.h"

#include "player/audioplayer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <map>
#include <memory>

namespace {

#ifdef QUILLORY_CONTRACT_SILENT
// No sound server, even where one runs: the engine then plays on its silent real-time clock. The
// connection is made once per process, after this.
const bool kNoSoundServer = qputenv("PULSE_SERVER", "unix:/nonexistent/quillory-no-sound-server");
#endif

using M = MediaPlayer;
// 54443 frames at 44.1 kHz are 1234.535 ms, 88200 frames 2000 ms: an odd count shows rounding faults.
constexpr int64_t kShort = 54443, kTwoSeconds = 88200;

// A player with its files and its clock.
class Rig {
public:
    virtual ~Rig() = default;
    virtual M& player() = 0;
    virtual int64_t position() const = 0;
    // A wav or mp3 (by the name's suffix) of `frames` frames at 44.1 kHz; asked again with another
    // count, the same file is rewritten.
    virtual QString file(const QString& name, int64_t frames) = 0;
    virtual QString badFile() = 0;
    virtual void remove(const QString& path) = 0;
    // Lets ms of the player's time pass, or as much as it takes for done() (ms then bounds a hang).
    virtual void pass(int ms) = 0;
    virtual bool passUntil(const std::function<bool()>& done, int ms = 20000) = 0;
    virtual int64_t nowMs() const = 0;
    // Whether a sound output is there to play into.
    virtual bool hasOutput() const = 0;
};

class FakeRig final : public Rig {
public:
    explicit FakeRig(bool output) { m_player.soundOutput = output; }
    M& player() override { return m_player; }
    int64_t position() const override { return m_player.positionMs(); }
    QString file(const QString& name, int64_t frames) override {
        const QString path = QStringLiteral("/fake/") + name;
        m_player.files[path] = int32_t(frames * 1000 / 44100);
        return path;
    }
    QString badFile() override { return QStringLiteral("/fake/notes.txt"); }
    void remove(const QString& path) override { m_player.files.remove(path); }
    void pass(int ms) override {
        m_player.advance(ms);
        m_now += ms;
    }
    bool passUntil(const std::function<bool()>& done, int ms) override {
        for (int i = 0; i < ms && !done(); ++i)
            pass(1);
        return done();
    }
    int64_t nowMs() const override { return m_now; }
    bool hasOutput() const override { return m_player.soundOutput; }

private:
    FakeMediaPlayer m_player;
    int64_t m_now = 0;
};

class EngineRig final : public Rig {
public:
    EngineRig() { m_clock.start(); }
    M& player() override { return m_player; }
    int64_t position() const override { return m_player.positionMs(); }
    QString file(const QString& name, int64_t frames) override {
        // Made once per count: sox writes the wav, lame (gapless, with its header) the mp3.
        int64_t& made = madeFrames()[name];
        if (made == frames)
            return files().path(name);
        const QString count = QString::number(frames) + QLatin1Char('s');
        const QStringList tone{"-r", "44100", "-c",    "2",   "-n",   "-b",
                               "16", "%OUT",  "synth", count, "sine", "440"};
        QString path;
        if (name.endsWith(QLatin1String(".mp3"))) {
            const QString wav = files().sox(name + QStringLiteral(".wav"), tone);
            QFile::remove(files().path(name));
            path = files().lame(wav, name, {"-V", "2"});
        } else {
            path = files().sox(name, tone);
        }
        EXPECT_FALSE(path.isEmpty()) << "sox and lame are needed (Debian: sox lame)";
        made = path.isEmpty() ? 0 : frames;
        return path;
    }
    QString badFile() override { return files().write(QStringLiteral("notes.txt"), "not a sound at all\n"); }
    void remove(const QString& path) override {
        QFile::remove(path);
        madeFrames().erase(QFileInfo(path).fileName());
    }
    void pass(int ms) override { passUntil({}, ms); }
    bool passUntil(const std::function<bool()>& done, int ms) override {
        QElapsedTimer t;
        t.start();
        while (!(done && done()) && t.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return !done || done();
    }
    int64_t nowMs() const override { return m_clock.elapsed(); }
    bool hasOutput() const override {
        // Asked of the server itself, not of the engine.
        static const bool reachable =
            QProcess::execute(QStringLiteral("pactl"), {QStringLiteral("info")}) == 0;
        return reachable;
    }

private:
    static EngineFiles& files() {
        static EngineFiles f;
        return f;
    }
    static std::map<QString, int64_t>& madeFrames() {
        static std::map<QString, int64_t> m;
        return m;
    }
    AudioPlayer m_player;
    QElapsedTimer m_clock;
};

struct Subject {
    const char* name;
    std::function<std::unique_ptr<Rig>()> make;
};

void PrintTo(const Subject& subject, std::ostream* out) {
    *out << subject.name;
}

class Contract : public testing::TestWithParam<Subject> {
protected:
    void SetUp() override {
#ifdef QUILLORY_CONTRACT_SILENT
        ASSERT_TRUE(kNoSoundServer);
#endif
        rig = GetParam().make();
    }
    M& p() {
        return rig->player();
    }
    void words(const QString& sequence) {
        for (const QString& word : sequence.split(u' '))
            p().setCommand(word);
    }
    void open(const QString& path) {
        p().setFileName(path);
        words("Open");
    }
    // Mode and position in one value, for one comparison.
    std::pair<int32_t, int64_t> state() {
        return {p().mode(), rig->position()};
    }

    std::unique_ptr<Rig> rig;
};

} // namespace

TEST_P(Contract, WordsReadBackAsIssuedAndDoNothingWithoutAFile) {
    EXPECT_EQ(state(), std::pair(M::mciModeNotOpen, int64_t{0}));
    for (const char* word : {"Play", "Pause", "Stop", "close", "Eject", "Close"}) {
        p().setCommand(word);
        EXPECT_EQ(p().command(), word);
        EXPECT_EQ(state(), std::pair(M::mciModeNotOpen, int64_t{0})) << word;
        EXPECT_EQ(p().length(), 0);
    }
    p().setFileName("/somewhere/song.mp3");
    EXPECT_EQ(p().fileName(), "/somewhere/song.mp3");
}

TEST_P(Contract, OpenHoldsTheFileAtItsStartWithItsLength) {
    for (const char* name : {"held.wav", "held.mp3"}) {
        SCOPED_TRACE(name);
        open(rig->file(name, kShort));
        EXPECT_TRUE(p().openError().isEmpty()) << qPrintable(p().openError());
        EXPECT_EQ(p().length(), 1234);
        EXPECT_EQ(state(), std::pair(M::mciModeStop, int64_t{0}));
        // How the window opens a file, and how it rewinds one that has played to its end: neither
        // sounds, both hold the file at its start.
        words("close Stop Open Play Pause");
        EXPECT_EQ(state(), std::pair(M::mciModePause, int64_t{0}));
        rig->pass(300);
        EXPECT_EQ(state(), std::pair(M::mciModePause, int64_t{0}));
        words("close Stop Open Play Stop");
        rig->pass(100);
        EXPECT_EQ(state(), std::pair(M::mciModeStop, int64_t{0}));
        EXPECT_EQ(p().length(), 1234);
        words("close");
        EXPECT_EQ(state(), std::pair(M::mciModeNotOpen, int64_t{0}));
        EXPECT_EQ(p().length(), 0);
    }
}

TEST_P(Contract, AFileThatCannotOpenLeavesNothingOpen) {
    open(rig->file("good.wav", kShort));
    open(rig->badFile());
    EXPECT_FALSE(p().openError().isEmpty());
    EXPECT_EQ(p().length(), 0);
    words("Play");
    EXPECT_EQ(state(), std::pair(M::mciModeNotOpen, int64_t{0}));
    open(rig->file("good.wav", kShort));
    EXPECT_TRUE(p().openError().isEmpty());
    EXPECT_EQ(p().length(), 1234);
}

TEST_P(Contract, PlayRunsPauseHoldsAndPlayResumes) {
    open(rig->file("run.wav", kShort));
    words("Play");
    EXPECT_EQ(state(), std::pair(M::mciModePlay, int64_t{0}));
    ASSERT_TRUE(rig->passUntil([&] { return rig->position() >= 200; }));
    words("Pause");
    const int64_t held = rig->position();
    EXPECT_EQ(p().mode(), M::mciModePause);
    rig->pass(200);
    EXPECT_EQ(state(), std::pair(M::mciModePause, held));
    words("Play");
    EXPECT_EQ(state(), std::pair(M::mciModePlay, held));
    ASSERT_TRUE(rig->passUntil([&] { return rig->position() >= held + 100; }));
    words("Stop");
    EXPECT_EQ(state(), std::pair(M::mciModeStop, int64_t{0}));
    words("Play");
    EXPECT_EQ(state(), std::pair(M::mciModePlay, int64_t{0}));
}

TEST_P(Contract, FromStartsTheNextPlayOnceWhereverItIs) {
    open(rig->file("from.mp3", kShort));
    rig->player().setFrom(300);
    words("Play");
    EXPECT_EQ(state(), std::pair(M::mciModePlay, int64_t{300}));
    ASSERT_TRUE(rig->passUntil([&] { return rig->position() >= 350; }));
    // As the slider's feedback and the STOP answer leave it: From waits for the next "Play", through
    // "Pause" and "Stop".
    rig->player().setFrom(1000);
    words("Pause");
    EXPECT_GE(rig->position(), 350);
    words("Stop Play");
    EXPECT_EQ(state(), std::pair(M::mciModePlay, int64_t{1000}));
    words("Stop Play");
    EXPECT_EQ(state(), std::pair(M::mciModePlay, int64_t{0}));
    // A From written while playing moves the sound there at the next "Play".
    rig->player().setFrom(1200);
    words("Play");
    EXPECT_EQ(state(), std::pair(M::mciModePlay, int64_t{1200}));
    for (const int32_t pastTheEnd : {1235, 2147483647}) {
        rig->player().setFrom(pastTheEnd);
        words("Play");
        EXPECT_EQ(state(), std::pair(M::mciModeStop, int64_t{0})) << pastTheEnd;
    }
    rig->player().setFrom(-300);
    words("Play");
    EXPECT_EQ(state(), std::pair(M::mciModePlay, int64_t{0}));
}

TEST_P(Contract, AStartPointDoesNotOutliveItsFile) {
    const QString a = rig->file("a.wav", kShort), b = rig->file("b.mp3", kTwoSeconds);
    // The cue button on A, then the window opens B.
    open(a);
    rig->player().setFrom(1000);
    words("close");
    p().setFileName(b);
    words("Stop Open Play Pause");
    EXPECT_EQ(state(), std::pair(M::mciModePause, int64_t{0}));
    EXPECT_EQ(p().length(), 2000);
    words("Play");
    EXPECT_EQ(state(), std::pair(M::mciModePlay, int64_t{0}));
    // B recorded for a while, the slider's feedback writing From, the STOP answer's "Pause", then A
    // opened without a "close".
    ASSERT_TRUE(rig->passUntil([&] { return rig->position() >= 100; }));
    rig->player().setFrom(600);
    words("Pause");
    open(a);
    words("Play");
    EXPECT_EQ(state(), std::pair(M::mciModePlay, int64_t{0}));
    // The same file opened again starts afresh too.
    rig->player().setFrom(500);
    words("close Stop Open Play Stop Play");
    EXPECT_EQ(state(), std::pair(M::mciModePlay, int64_t{0}));
}

TEST_P(Contract, ToEndsEveryPlayOfTheRunThereUntilReached) {
    open(rig->file("to.wav", kTwoSeconds));
    int64_t furthest = 0;
    const auto endOfRun = [&] {
        furthest = std::max(furthest, rig->position());
        return p().mode() != M::mciModePlay;
    };
    p().setFrom(500);
    p().setTo(800);
    const int64_t start = rig->nowMs();
    words("Play");
    ASSERT_TRUE(rig->passUntil([&] { return rig->position() >= 600 || endOfRun(); }));
    // A pause and a resume keep the end; a To written meanwhile waits for the next "Play".
    words("Pause Play");
    p().setTo(1900);
    ASSERT_TRUE(rig->passUntil(endOfRun));
    EXPECT_GE(rig->nowMs() - start, 300 - 5);
    EXPECT_LE(furthest, 800);
    EXPECT_EQ(state(), std::pair(M::mciModeStop, int64_t{0}));
    // 1900, written while the first run played, ends the next one; reached, it is forgotten.
    p().setFrom(1800);
    words("Play");
    ASSERT_TRUE(rig->passUntil(endOfRun));
    EXPECT_LE(furthest, 1900);
    p().setFrom(1950);
    words("Play");
    EXPECT_EQ(p().mode(), M::mciModePlay);
    ASSERT_TRUE(rig->passUntil(endOfRun));
    EXPECT_GT(furthest, 1900);
    // "close" forgets it too, and a To at or before the start plays nothing.
    p().setTo(100);
    words("close");
    open(rig->file("to.wav", kTwoSeconds));
    p().setFrom(1950);
    words("Play");
    EXPECT_EQ(p().mode(), M::mciModePlay);
    p().setTo(300);
    p().setFrom(300);
    words("Play");
    EXPECT_EQ(state(), std::pair(M::mciModeStop, int64_t{0}));
}

TEST_P(Contract, GainScalesThePlayUntilCloseOrOpenAndCountsWhatItClips) {
    // The rigs' files are tones at full scale: any gain above 0 dB clips, none below it does.
    open(rig->file("gain.wav", kShort));
    EXPECT_EQ(p().gain(), 0.0);
    p().setGain(6.0);
    EXPECT_EQ(p().gain(), 6.0);
    EXPECT_EQ(p().clippedSamples(), 0);
    words("Play");
    ASSERT_TRUE(rig->passUntil([&] { return rig->position() >= 200; }));
    words("Pause");
    const int64_t clipped = p().clippedSamples();
    EXPECT_GT(clipped, 0);
    // The window rewinds a file with "close" and "Open": the gain goes, the count of the play stays.
    words("close");
    EXPECT_EQ(p().gain(), 0.0);
    open(rig->file("gain.wav", kShort));
    EXPECT_EQ(p().gain(), 0.0);
    EXPECT_EQ(p().clippedSamples(), clipped);
    p().setGain(-6.0);
    EXPECT_EQ(p().clippedSamples(), 0);
    words("Play");
    ASSERT_TRUE(rig->passUntil([&] { return rig->position() >= 200; }));
    EXPECT_EQ(p().clippedSamples(), 0);
    p().setGain(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(p().gain(), 0.0);
}

TEST_P(Contract, AFileThatPlaysToItsEndIsHeldAtItsStart) {
    open(rig->file("end.wav", kShort));
    rig->player().setFrom(1000);
    words("Play");
    ASSERT_TRUE(rig->passUntil([&] { return p().mode() == M::mciModeStop; }));
    EXPECT_EQ(rig->position(), 0);
    EXPECT_EQ(p().length(), 1234);
    words("Play");
    EXPECT_EQ(state(), std::pair(M::mciModePlay, int64_t{0}));
}

TEST_P(Contract, OpenReadsTheFileAsItIsNow) {
    open(rig->file("changing.mp3", kShort));
    EXPECT_EQ(p().length(), 1234);
    words("close Stop Open");
    EXPECT_EQ(p().length(), 1234);
    // Rewritten on disk between two rewinds: the next one opens what is there now.
    rig->file("changing.mp3", kTwoSeconds);
    words("close Stop Open Play Stop");
    EXPECT_EQ(p().length(), 2000);
    EXPECT_EQ(state(), std::pair(M::mciModeStop, int64_t{0}));
    // Gone from the disk: the re-open fails, and nothing is left open.
    rig->remove(p().fileName());
    words("close Stop Open");
    EXPECT_FALSE(p().openError().isEmpty());
    EXPECT_EQ(state(), std::pair(M::mciModeNotOpen, int64_t{0}));
}

TEST_P(Contract, APlayWithoutASoundOutputSaysSoOncePerPlay) {
    QSignalSpy notices(&p(), &M::notice);
    const int each = rig->hasOutput() ? 0 : 1;
    open(rig->file("told.wav", kShort));
    // As the window holds an opened file and rewinds an ended one: a "Play" undone at once plays
    // nothing and tells nothing.
    words("Play Pause close Stop Open Play Stop");
    rig->pass(100);
    EXPECT_EQ(notices.count(), 0);
    words("Play");
    EXPECT_EQ(notices.count(), 0) << "told inside the command, where the window cannot show a box";
    ASSERT_TRUE(rig->passUntil([&] { return rig->position() >= 200; }));
    EXPECT_EQ(notices.count(), each);
    rig->pass(200);
    words("Play"); // the same run goes on
    rig->pass(100);
    EXPECT_EQ(notices.count(), each);
    // Every further play looks for the output again, and says again that it found none.
    words("Pause Play");
    ASSERT_TRUE(rig->passUntil([&] { return rig->position() >= 600; }));
    rig->player().setFrom(100);
    words("Play");
    ASSERT_TRUE(rig->passUntil([&] { return rig->position() >= 200; }));
    EXPECT_EQ(notices.count(), 3 * each);
    for (const QList<QVariant>& told : notices)
        EXPECT_EQ(told.at(0).toString(), "没有可用的声音输出设备，播放将静音进行");
}

TEST_P(Contract, StatusUpdateComesEveryIntervalUntilItIsZero) {
    QSignalSpy events(&p(), &M::StatusUpdate);
    rig->pass(100);
    EXPECT_EQ(events.count(), 0);
    const int64_t start = rig->nowMs();
    p().setUpdateInterval(50); // with no file open, as after a file was dropped
    EXPECT_EQ(p().updateInterval(), 50);
    ASSERT_TRUE(rig->passUntil([&] { return events.count() >= 4; }));
    // Never sooner than the interval; a loaded machine may make them later.
    EXPECT_GE(rig->nowMs() - start, 4 * 50 - 5);
    p().setUpdateInterval(0);
    const qsizetype stopped = events.count();
    rig->pass(150);
    EXPECT_EQ(events.count(), stopped);
    p().setUpdateInterval(-5);
    EXPECT_EQ(p().updateInterval(), 0);
    rig->pass(150);
    EXPECT_EQ(events.count(), stopped);
}

#ifdef QUILLORY_CONTRACT_SILENT
INSTANTIATE_TEST_SUITE_P(
    MediaPlayer, Contract,
    testing::Values(Subject{"SilentEngine", [] { return std::make_unique<EngineRig>(); }},
                    Subject{"SilentFake", [] { return std::make_unique<FakeRig>(false); }}),
    [](const auto& info) { return std::string(info.param.name); });
#else
INSTANTIATE_TEST_SUITE_P(MediaPlayer, Contract,
                         testing::Values(Subject{"Fake", [] { return std::make_unique<FakeRig>(true); }},
                                         Subject{"Engine", [] { return std::make_unique<EngineRig>(); }}),
                         [](const auto& info) { return std::string(info.param.name); });
#endif
