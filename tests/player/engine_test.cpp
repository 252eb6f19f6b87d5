// The audio engine with no sound server: exact length, level and seeking of every kind of wav and mp3,
// the decoder chosen by content, files refused with their reasons, re-opening, and what only the silent
// real-time clock does. What the window
// relies on of any media player is in mediaplayer_contract_test.cpp.
#include "enginefiles.h"

#include "player/audioplayer.h"
#include "player/decoder.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <limits>
#include <numeric>
#include <thread>
#include <tuple>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// No sound server, even where one runs: the connection is made once per process, after this.
const bool kNoSoundServer = qputenv("PULSE_SERVER", "unix:/nonexistent/quillory-no-sound-server");
// An odd frame count (1234.535 ms at 44.1 kHz) shows off-by-one and rounding faults.
constexpr int64_t kFrames = 54443;
using M = MediaPlayer;

class Engine : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(kNoSoundServer);
        // A sweep with noise is never periodic, so a sample offset cannot hide.
        wav = files.sox("sweep.wav",
                        {"-r", "44100", "-c", "2", "-n", "-b", "16", "%OUT", "synth", "54443s", "sine",
                         "200-4000", "synth", "54443s", "whitenoise", "mix", "vol", "0.5"});
        cbr = files.lame(wav, "cbr.mp3", {"-b", "128"});
        vbr = files.lame(wav, "vbr.mp3", {"-V", "2"});
        cbrBare = files.lame(wav, "cbr-bare.mp3", {"-t", "-b", "128"});
        vbrBare = files.lame(wav, "vbr-bare.mp3", {"-t", "-V", "6"});
        ASSERT_FALSE(vbrBare.isEmpty()) << "sox and lame are needed (Debian: sox lame)";
    }
    static std::unique_ptr<Decoder> open(const QString& path) {
        QString error;
        auto decoder = openDecoder(path, &error);
        EXPECT_TRUE(decoder) << qPrintable(path) << ": " << qPrintable(error);
        return decoder;
    }
    // Runs the event loop for ms, or until done() (then ms only bounds a hang).
    static bool spin(int ms, const std::function<bool()>& done = {}) {
        QElapsedTimer t;
        t.start();
        while (!(done && done()) && t.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return !done || done();
    }
    static bool waitFor(const std::function<bool()>& done) { return spin(20000, done); }
    void command(const QString& words) {
        for (const QString& word : words.split(u' '))
            player.setCommand(word);
    }
    void load(const QString& path) {
        player.setFileName(path);
        command("Open");
    }

    AudioPlayer player;
    QSignalSpy notices{&player, &M::notice};
    static inline EngineFiles files;
    static inline QString wav, cbr, vbr, cbrBare, vbrBare;
};
} // namespace

TEST_F(Engine, LengthIsExactAndTaggedMp3IsGapless) {
    QFile::copy(vbr, files.path("really-mp3.wav")); // measured as the mp3 it is
    const std::vector<int16_t> original = decodeAll(wav);
    for (const QString& path : {wav, cbr, vbr, files.path("really-mp3.wav")}) {
        SCOPED_TRACE(qPrintable(path));
        auto decoder = open(path);
        ASSERT_TRUE(decoder);
        EXPECT_EQ(decoder->frames(), kFrames);
        EXPECT_EQ(decoder->lengthMs(), 1234);
        const std::vector<int16_t> all = decodeAll(path);
        ASSERT_EQ(all.size(), size_t(kFrames * 2));
        // The encoder delay is trimmed at the start: the sound lines up with the wav at lag 0.
        const auto score = [&](int lag) {
            return std::inner_product(&original[40000], &original[48192], &all[size_t(40000 + 2 * lag)], 0.0);
        };
        std::pair best{score(0), 0};
        for (int lag = -1500; lag <= 1500; ++lag)
            best = std::max(best, std::pair{score(lag), lag});
        EXPECT_EQ(best.second, 0);
    }
    // Without a Xing/LAME header, and in a file cut short, the length is every frame that decodes,
    // never an estimate from the bit rate or the header.
    QFile whole(wav), mp3(vbr);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly) && mp3.open(QIODevice::ReadOnly));
    const std::tuple<QString, int64_t, int64_t> cases[] = {
        {cbrBare, kFrames, kFrames + 3 * 1152},
        {vbrBare, kFrames, kFrames + 3 * 1152},
        {files.write("cut.wav", whole.read(100000)), 1, kFrames},
        {files.write("cut.mp3", mp3.read(5000)), 1, kFrames}};
    for (const auto& [path, least, beyond] : cases) {
        SCOPED_TRACE(qPrintable(path));
        auto decoder = open(path);
        ASSERT_TRUE(decoder);
        const int64_t decoded = int64_t(decodeAll(path).size()) / 2;
        EXPECT_EQ(decoder->frames(), decoded);
        EXPECT_TRUE(decoded >= least && decoded < beyond) << decoded;
        EXPECT_EQ(decoder->lengthMs(), decoded * 1000 / 44100);
    }
}

namespace {
// A mono 8 kHz WAV of 32-bit floating-point samples, written byte by byte.
QByteArray floatWav(const std::vector<float>& samples) {
    QByteArray data(reinterpret_cast<const char*>(samples.data()), qsizetype(samples.size() * 4));
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    s.writeRawData("RIFF", 4);
    s << quint32(4 + 8 + 16 + 8 + 4 + 8 + data.size());
    s.writeRawData("WAVEfmt ", 8);
    s << quint32(16) << quint16(3) << quint16(1) << quint32(8000) << quint32(32000) << quint16(4)
      << quint16(32);
    s.writeRawData("fact", 4);
    s << quint32(4) << quint32(samples.size());
    s.writeRawData("data", 4);
    s << quint32(data.size());
    s.writeRawData(data.constData(), int(data.size()));
    return out;
}

double rms(const std::vector<int16_t>& v) {
    double sum = 0;
    for (const int16_t x : v)
        sum += double(x) * x;
    return v.empty() ? 0 : std::sqrt(sum / double(v.size()));
}
} // namespace

TEST_F(Engine, EveryEncodingPlaysAtTheLevelOfItsIntegerOriginal) {
    const std::vector<int16_t> original = decodeAll(wav);
    ASSERT_EQ(original.size(), size_t(kFrames * 2));
    const double level = rms(original);
    // (file, largest difference from the original in any sample, largest RMS of the difference as a share
    // of the original's level): lossless conversions come back exactly, the others within their noise.
    const auto variant = [&](const char* name, QStringList encoding) {
        return files.sox(name, QStringList{"-D", wav} + encoding + QStringList{"%OUT"});
    };
    const std::tuple<QString, int, double> cases[] = {
        {variant("float32.wav", {"-e", "floating-point", "-b", "32"}), 0, 0},
        {variant("float64.wav", {"-e", "floating-point", "-b", "64"}), 0, 0},
        {variant("float32.au", {"-e", "floating-point", "-b", "32"}), 0, 0},
        {variant("int24.wav", {"-b", "24"}), 0, 0},
        {variant("int32.wav", {"-b", "32"}), 0, 0},
        {variant("flac24.flac", {"-b", "24"}), 0, 0},
        {variant("uint8.wav", {"-b", "8"}), 128, 0.02},
        {variant("alaw.wav", {"-e", "a-law"}), 1024, 0.03},
        {variant("ulaw.wav", {"-e", "u-law"}), 1024, 0.03},
        {variant("ima.wav", {"-e", "ima-adpcm"}), 20000, 0.2},
        {variant("ms.wav", {"-e", "ms-adpcm"}), 20000, 0.2},
    };
    for (const auto& [path, most, noise] : cases) {
        SCOPED_TRACE(qPrintable(path));
        auto decoder = open(path);
        ASSERT_TRUE(decoder);
        EXPECT_EQ(decoder->channels(), 2);
        std::vector<int16_t> all = decodeAll(path);
        // ADPCM pads the last block.
        ASSERT_TRUE(all.size() >= original.size() && all.size() < original.size() + 2 * 2048) << all.size();
        all.resize(original.size());
        std::vector<int16_t> difference(all.size());
        int largest = 0;
        for (size_t i = 0; i < all.size(); ++i) {
            difference[i] = int16_t(std::clamp(all[i] - original[i], -32768, 32767));
            largest = std::max(largest, std::abs(all[i] - original[i]));
        }
        EXPECT_LE(largest, most);
        EXPECT_LE(rms(difference), noise * level + 0.5);
        EXPECT_NEAR(rms(all), level, 0.02 * level) << "played at another level";
    }

    // Six channels, three stereo copies side by side: each channel carries its own original.
    const QString six = files.sox("six.wav", {"-M", wav, wav, wav, "%OUT"});
    const std::vector<int16_t> all = decodeAll(six);
    ASSERT_EQ(all.size(), size_t(kFrames * 6));
    for (int64_t f = 0; f < kFrames; f += 997)
        for (int c = 0; c < 6; ++c)
            ASSERT_EQ(all[size_t(f * 6 + c)], original[size_t(f * 2 + c % 2)]) << f << " " << c;

    // Full scale is ±1.0; louder clips, never wraps; a sample that is not a number is silence.
    const float inf = std::numeric_limits<float>::infinity();
    const QString special = files.write(
        "special.wav", floatWav({0.5f, -0.5f, 1.0f, -1.0f, 1.5f, -1.5f, 1.0f / 32768, -1.0f / 32768, inf,
                                 -inf, std::numeric_limits<float>::quiet_NaN(), 0.25f}));
    EXPECT_EQ(decodeAll(special), (std::vector<int16_t>{16384, -16384, 32767, -32768, 32767, -32768, 1, -1,
                                                        32767, -32768, 0, 8192}));
}

TEST_F(Engine, SeekLandsOnTheExactFrame) {
    // After a seek the decoder delivers what a straight decode does from that frame on: wav bit-exact,
    // mp3 within rounding (a one-frame offset on this sweep differs by thousands).
    const std::pair<QString, int> cases[] = {{wav, 0}, {cbr, 8}, {vbr, 8}, {vbrBare, 8}};
    for (const auto& [path, tolerance] : cases) {
        const std::vector<int16_t> straight = decodeAll(path);
        auto decoder = open(path);
        ASSERT_TRUE(decoder);
        for (const int64_t ms : {0, 1, 250, 617, 1000, 1233}) {
            SCOPED_TRACE(qPrintable(QStringLiteral("%1 at %2 ms").arg(path).arg(ms)));
            const int64_t frame = decoder->frameAtMs(ms);
            EXPECT_EQ(frame, (ms * 44100 + 999) / 1000);
            ASSERT_TRUE(decoder->seek(frame));
            std::vector<int16_t> got(2 * 1024);
            got.resize(size_t(std::max<int64_t>(decoder->read(got.data(), 1024), 0) * 2));
            ASSERT_TRUE(!got.empty() && got.size() <= straight.size() - size_t(frame * 2));
            EXPECT_TRUE(std::equal(got.begin(), got.end(), straight.begin() + frame * 2,
                                   [&](int a, int b) { return std::abs(a - b) <= tolerance; }));
        }
        int16_t tail[2];
        EXPECT_TRUE(decoder->seek(decoder->frames() + 100000) && decoder->read(tail, 1) == 0);
        EXPECT_EQ(decoder->frameAtMs(-5), 0); // clamped, never overflowing
        EXPECT_EQ(decoder->frameAtMs(INT64_MAX), decoder->frames());
        EXPECT_EQ(decoder->msAtFrame(-1), 0);
    }
}

TEST_F(Engine, BadFilesAreRefusedWithAReason) {
    QFile wavFile(wav), mp3File(vbr);
    ASSERT_TRUE(wavFile.open(QIODevice::ReadOnly) && mp3File.open(QIODevice::ReadOnly));
    QByteArray noise(64 * 1024, Qt::Uninitialized);
    QRandomGenerator rng(1700);
    std::generate(noise.begin(), noise.end(), [&] { return char(rng.bounded(256)); });
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
        {QString(), {}},
    };
    for (const auto& [path, mentions] : cases) {
        SCOPED_TRACE(qPrintable(path));
        load(wav); // the bad file closes the good one
        load(path);
        EXPECT_TRUE(!player.openError().isEmpty() && player.openError().contains(mentions))
            << qPrintable(player.openError());
        command("Play Pause Stop Play");
        EXPECT_EQ(player.mode(), M::mciModeNotOpen);
        EXPECT_EQ(player.length(), 0);
    }
    spin(40);
    EXPECT_EQ(notices.count(), 0);
    load(wav);
    EXPECT_TRUE(player.openError().isEmpty());
}

TEST_F(Engine, TheContentDecidesWhateverTheName) {
    QFile mp3(cbr);
    ASSERT_TRUE(mp3.open(QIODevice::ReadOnly));
    const QString flac = files.sox("sweep.flac", {wav, "%OUT"});
    // (original, copy's name): every name is tried on every kind of content.
    const std::pair<QString, QString> cases[] = {
        {wav, "wav-named.mp3"},   {wav, "wav-with-no-extension"}, {wav, "wav-named.txt"},
        {vbr, "mp3-named.wav"},   {vbr, "mp3-with-no-extension"}, {vbr, "mp3-named.flac"},
        {flac, "flac-named.mp3"},
    };
    for (const auto& [original, name] : cases) {
        SCOPED_TRACE(qPrintable(name));
        const QString copy = files.path(name);
        ASSERT_TRUE(QFile::copy(original, copy));
        load(copy);
        EXPECT_TRUE(player.openError().isEmpty()) << qPrintable(player.openError());
        EXPECT_EQ(player.length(), 1234);
        EXPECT_EQ(decodeAll(copy), decodeAll(original));
    }
    // An mp3 with something before its first frame, which only mpg123 makes out.
    const QString junk = files.write("junk-first", QByteArray(300, '\0') + mp3.readAll());
    load(junk);
    EXPECT_TRUE(player.openError().isEmpty()) << qPrintable(player.openError());
    EXPECT_EQ(player.length(), 1234);
    // A wav that is not an mp3 is not called a damaged mp3, whatever its name.
    QFile whole(wav);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    load(files.write("cut-header.mp3", whole.read(40)));
    EXPECT_FALSE(player.openError().isEmpty());
    EXPECT_FALSE(player.openError().contains("mp3")) << qPrintable(player.openError());
}

TEST_F(Engine, WhatIsNotARegularFileIsRefusedAtOnce) {
    const QString fifo = files.path("pipe.wav");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // Should an open wait for a writer, this one comes after a while, so the test ends either way.
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 1000 && !done; ++i) {
            const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                ::close(fd);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    for (const QString& path : {fifo, QString("/dev/zero"), QString("/dev/urandom"), QString("/dev/null")}) {
        SCOPED_TRACE(qPrintable(path));
        load(path);
        EXPECT_TRUE(player.openError().contains("不是普通文件")) << qPrintable(player.openError());
        EXPECT_EQ(player.mode(), M::mciModeNotOpen);
    }
    done = true;
    writer.join();
}

TEST_F(Engine, APathLongerThanALibraryWouldTakeOpens) {
    // Eight folders of 60 Chinese characters: a path of over 1400 bytes.
    QString folder = files.path({});
    for (int i = 0; i < 8; ++i)
        folder += QStringLiteral("/") + QString(60, QChar(0x58F0 + i));
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const QString& original : {wav, vbr}) {
        const QString path = folder + QStringLiteral("/音频文件.") + QFileInfo(original).suffix();
        ASSERT_GT(QFile::encodeName(path).size(), 1400);
        ASSERT_TRUE(QFile::copy(original, path));
        load(path);
        EXPECT_TRUE(player.openError().isEmpty()) << qPrintable(player.openError());
        EXPECT_EQ(player.length(), 1234);
    }
    // Beyond what the system opens at all, the message names the path's length, not the file.
    load(folder + QStringLiteral("/") + QString(900, QChar(0x58F0)) + QStringLiteral(".wav"));
    EXPECT_TRUE(player.openError().contains("路径太长")) << qPrintable(player.openError());
}

TEST_F(Engine, SilentPlaybackRunsInRealTimeToTheEnd) {
    load(wav);
    QElapsedTimer wall;
    wall.start();
    command("Play");
    ASSERT_TRUE(waitFor([&] { return player.isSilent() && player.positionMs() >= 300; }));
    ASSERT_EQ(notices.count(), 1);
    EXPECT_TRUE(notices.at(0).at(0).toString().contains("声音输出设备"));
    EXPECT_EQ(player.mode(), M::mciModePlay);
    ASSERT_TRUE(waitFor([&] { return player.mode() == M::mciModeStop; }));
    EXPECT_GE(wall.elapsed(), 1234 - 20) << "the end came before the file's length had passed";
    EXPECT_EQ(player.positionMs(), 0);
    command("Play"); // again from the start, silent again, and so told again
    ASSERT_TRUE(waitFor([&] { return player.positionMs() >= 100; }));
    EXPECT_EQ(notices.count(), 2);
}

TEST_F(Engine, AReopenKeepsWhatTheFirstOpenLearnedUntilTheFileChanges) {
    // The window rewinds a finished file with "close" and "Open" in one handler, every 200 ms.
    const QString path = files.path("rewound.mp3");
    ASSERT_TRUE(QFile::copy(vbr, path));
    load(path);
    EXPECT_EQ(player.freshOpens(), 1);
    for (int i = 0; i < 5; ++i)
        command("close Stop Open Play Stop");
    EXPECT_EQ(player.freshOpens(), 1);
    EXPECT_EQ(std::pair(player.mode(), player.positionMs()), std::pair(M::mciModeStop, int64_t{0}));
    // Rewritten in place with the same bytes: same size and inode, another modification time.
    QFile same(path);
    ASSERT_TRUE(same.open(QIODevice::ReadWrite));
    const QByteArray bytes = same.readAll();
    spin(30); // file times move in steps of the kernel's tick
    ASSERT_TRUE(same.seek(0) && same.write(bytes) == bytes.size());
    same.close();
    command("close Stop Open");
    EXPECT_EQ(player.freshOpens(), 2);
    // Replaced under its name by a file of the same size (another inode).
    ASSERT_TRUE(QFile::remove(path) && QFile::copy(vbr, path));
    command("close Stop Open");
    EXPECT_EQ(player.freshOpens(), 3);
    // Another name for the same bytes is another file.
    player.setFileName(vbr);
    command("close Stop Open");
    EXPECT_EQ(player.freshOpens(), 4);
    // "close" lets the file go once the event loop turns: a later "Open" reads it afresh.
    command("close");
    spin(20);
    command("Open");
    EXPECT_EQ(player.freshOpens(), 5);
    EXPECT_EQ(player.length(), 1234);
}

TEST_F(Engine, NoticeHandlerMayCloseThePlayer) {
    // The window answers the notice with a modal box whose nested event loop may run "close".
    QObject::connect(&player, &M::notice, &player, [this] { command("close"); });
    load(vbr);
    command("Play");
    ASSERT_TRUE(waitFor([&] { return player.mode() == M::mciModeNotOpen; }));
    spin(40);
    EXPECT_FALSE(player.isSilent());
}
