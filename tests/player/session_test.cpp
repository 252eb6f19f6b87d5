// Operator sessions through the window on the real audio engine, with the board's answers coming in
// through the fake port: what the chip records is the sound the engine plays, captured from the null
// sink where a sound server runs.
#include "enginefiles.h"
#include "fakes.h"
#include "soundcapture.h"

#include "form/form1.h"
#include "player/audioplayer.h"

#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using M = MediaPlayer;
// A 1 kHz tone, quiet (peak ~8200) for its first second, then loud (~24500): the length of the quiet
// part heard tells where in the file the sound started.
constexpr int kQuiet = 3000, kLoud = 16000, kStepMs = 1000;

class Session : public testing::Test {
protected:
    static void SetUpTestSuite() {
        const QStringList tone{"-r", "44100", "-c", "2", "-n", "-b", "16", "%OUT", "synth"};
        // A is too quiet to pass for B, should a tail of it reach the capture late.
        a = files.sox("a.wav", tone + QStringList{"6", "sine", "440", "vol", "0.05"});
        const QString quiet = files.sox("quiet.wav", tone + QStringList{"1", "sine", "1000", "vol", "0.25"});
        const QString loud = files.sox("loud.wav", tone + QStringList{"3", "sine", "1000", "vol", "0.75"});
        b = files.lame(files.sox("b.wav", {quiet, loud, "%OUT"}), "b.mp3", {"-V", "2"});
        ended = files.lame(files.sox("ended.wav", tone + QStringList{"0.6", "sine", "660", "vol", "0.5"}),
                           "ended.mp3", {"-b", "128"});
        ASSERT_FALSE(ended.isEmpty()) << "sox and lame are needed (Debian: sox lame)";
    }

    Session() {
        auto port = std::make_unique<FakeSerialPort>();
        auto engine = std::make_unique<AudioPlayer>();
        auto dialog = std::make_unique<FakeFileDialog>();
        auto shown = std::make_unique<FakeMessageBox>();
        this->port = port.get();
        this->engine = engine.get();
        this->dialog = dialog.get();
        boxes = shown.get();
        form = std::make_unique<Form1>(
            Form1::Platform{std::move(port), std::move(engine), std::move(dialog), std::move(shown)});
        form->Command16_Click(); // the fake board's port
        QObject::connect(this->engine, &M::StatusUpdate, [this] { ++m_events; });
    }

    void open(const QString& path) {
        dialog->choice = path;
        form->open_file_Click();
    }
    // A chip operation sent, then the board's one-byte answer.
    void chip(void (Form1::*click)(), const char* answer) {
        (form.get()->*click)();
        port->receive(QByteArray::fromHex(answer));
    }
    void record() { chip(&Form1::rec_Click, "41"); }
    void stop() { chip(&Form1::stop_Click, "02"); }
    // Every status event that passes, for waiting on them.
    int events() const { return m_events; }
    bool waitEvents(int n) {
        const int until = m_events + n;
        return QTest::qWaitFor([&] { return m_events >= until; }, 20000);
    }

    static inline EngineFiles files;
    static inline QString a, b, ended;
    FakeSerialPort* port;
    AudioPlayer* engine;
    FakeFileDialog* dialog;
    FakeMessageBox* boxes;
    std::unique_ptr<Form1> form;

private:
    int m_events = 0;
};

void pumpFor(SoundCapture& cap, int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        cap.pump(2);
}

} // namespace

TEST_F(Session, ANewFileSoundsFromItsStartWhateverStartPointTheOldOneHad) {
    Form1& w = *form;
    // Each way a start point is set on A before B is opened: the cue button, a slider drag, and the
    // slider's feedback while the chip records (which the STOP answer's "Pause" leaves in place).
    const std::function<void()> startPoints[] = {
        [&] {
            w.SetAddrText->setText("00:03:00");
            w.SetMusicPoint_Click();
        },
        [&] { w.PlayPoint->setValue(1500); },
        [] {},
    };
    const int64_t startOfA[] = {3000, 300, 0};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        open(a);
        startPoints[i]();
        record();
        EXPECT_EQ(std::pair(engine->command(), engine->positionMs()),
                  std::pair(QString("Play"), startOfA[i]));
        ASSERT_TRUE(waitEvents(3)); // the feedback writes From on every event
        stop();
        EXPECT_EQ(engine->command(), "Pause");
        open(b);
        EXPECT_EQ(w.PlayPointText->text(), "00:00:00");
        EXPECT_EQ(engine->positionMs(), 0);
        record();
        EXPECT_EQ(std::pair(engine->mode(), engine->positionMs()), std::pair(M::mciModePlay, int64_t{0}));
        stop();
    }

    // The sound itself, for the cue button's way: the first sample heard of B is B's first.
    if (const QString reason = SoundCapture::unavailableReason(); !reason.isEmpty())
        GTEST_SKIP() << "the sound itself was not checked: " << qPrintable(reason);
    SoundCapture cap;
    ASSERT_TRUE(cap.start()) << "parec did not deliver";
    open(a);
    w.SetAddrText->setText("00:03:00");
    w.SetMusicPoint_Click();
    record();
    ASSERT_TRUE(waitEvents(2));
    stop();
    pumpFor(cap, 300);
    open(b);
    const int64_t from = cap.frames();
    record();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            cap.pump(2);
            return cap.firstAbove(kLoud, from) >= 0;
        },
        8000))
        << "no sound of B arrived";
    const int heardBeforeTheStep =
        cap.msAtLevel(kQuiet, kLoud, cap.firstAbove(kQuiet, from), cap.firstAbove(kLoud, from));
    EXPECT_NEAR(heardBeforeTheStep, kStepMs, 50) << "B did not sound from its start";
    stop();
    EXPECT_TRUE(boxes->shown.isEmpty()) << qPrintable(boxes->shown.first().text);
}

TEST_F(Session, AFileThatEndsIsRewoundWithoutReadingItAgainWhileTheLinkSends) {
    Form1& w = *form;
    open(ended);
    EXPECT_EQ(w.MusicFileLenText->text(), "00:00:60");
    w.Try_Listen_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine->mode() == M::mciModeStop; }, 20000));
    ASSERT_TRUE(waitEvents(2));
    // Ended and rewound on every event: held at the start with the texts at 0.
    EXPECT_EQ(engine->command(), "Stop");
    EXPECT_EQ(std::pair(engine->mode(), engine->positionMs()), std::pair(M::mciModeStop, int64_t{0}));
    EXPECT_EQ(std::tuple(w.ListenOn, w.PlayPoint->value(), w.PlayPointText->text(), w.SetAddrText->text()),
              std::tuple(false, 0, QString("00:00:00"), QString("00:00:00")));
    EXPECT_EQ(engine->updateInterval(), 200);

    // A five-byte frame goes out while the rewind repeats, and no rewind reads the file again.
    const int before = events();
    w.sendFrame(std::vector<uint8_t>{0x80, 0x00, 0x10, 0x01, 0xFF});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.Timer1->isActive(); }, 20000));
    EXPECT_EQ(port->writes.join(), QByteArray::fromHex("80001001ff"));
    EXPECT_GE(events() - before, 1);
    EXPECT_EQ(engine->freshOpens(), 1);

    // The file rewritten on disk while the rewind runs is opened afresh by the next one.
    const QString longer =
        files.lame(files.sox("longer.wav", {"-r", "44100", "-c", "2", "-n", "-b", "16", "%OUT", "synth",
                                            "0.8", "sine", "660", "vol", "0.5"}),
                   "longer.mp3", {"-b", "128"});
    ASSERT_TRUE(QFile::remove(ended) && QFile::copy(longer, ended));
    ASSERT_TRUE(waitEvents(2));
    EXPECT_EQ(engine->freshOpens(), 2);
    EXPECT_EQ(engine->length(), 800);

    // The trial listen then plays it from its start.
    w.Try_Listen_Click();
    EXPECT_EQ(std::pair(engine->mode(), engine->positionMs()), std::pair(M::mciModePlay, int64_t{0}));
    ASSERT_TRUE(waitEvents(1));
    EXPECT_EQ(w.PlayPointText->text(), "00:00:20");
}

TEST_F(Session, TheFileNameShowsWhatTheOpenFileHoldsInItsTooltip) {
    Form1& w = *form;
    open(a);
    EXPECT_EQ(w.DisFileNanmeText->toolTip(), "正在分析声音……");
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.DisFileNanmeText->toolTip() != "正在分析声音……"; }, 20000));
    EXPECT_EQ(
        w.DisFileNanmeText->toolTip(),
        "时长 00:06:00（6000 ms），44100 Hz，2 声道\n峰值 -26.0 dBFS，RMS -29.0 dBFS，满幅（削波）采样 0 个\n"
        "开头静音 0 ms，结尾静音 0 ms（低于 -50 dBFS）");

    // A file that cannot be opened leaves no figures behind, nor do those of a file opened before it.
    open(b);
    open(files.path("missing.mp3"));
    QTest::qWait(500);
    EXPECT_EQ(w.DisFileNanmeText->toolTip().toStdString(), "");
}
