// The engine's decoders: exact length of wav and of every kind of mp3, frame-exact seeking, and files
// that must be refused with a reason.
#include "enginefiles.h"

#include "player/decoder.h"

#include <QDir>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

namespace {

// 54443 frames at 44100 Hz is 1234.535 ms: an odd count that shows off-by-one and rounding faults.
constexpr int64_t kFrames = 54443;
constexpr int kRate = 44100;
constexpr int kMp3FrameFrames = 1152;

class DecoderFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        files = std::make_unique<EngineFiles>();
        ASSERT_TRUE(files->isValid());
        // A sweep with a little noise is never periodic, so a sample offset cannot hide.
        sine = files->sox(QStringLiteral("sweep.wav"),
                          {"-r", "44100", "-c", "2", "-n", "-b", "16", "%OUT", "synth", "54443s", "sine",
                           "200-4000", "synth", "54443s", "whitenoise", "mix", "vol", "0.5"});
        ASSERT_FALSE(sine.isEmpty()) << "sox is needed (Debian: sox libsox-fmt-mp3)";
        cbr = files->lame(sine, QStringLiteral("cbr.mp3"), {"-b", "128"});
        vbr = files->lame(sine, QStringLiteral("vbr.mp3"), {"-V", "2"});
        cbrBare = files->lame(sine, QStringLiteral("cbr-bare.mp3"), {"-t", "-b", "128"});
        vbrBare = files->lame(sine, QStringLiteral("vbr-bare.mp3"), {"-t", "-V", "6"});
        ASSERT_FALSE(cbr.isEmpty() || vbr.isEmpty() || cbrBare.isEmpty() || vbrBare.isEmpty())
            << "lame is needed (Debian: lame)";
    }
    static void TearDownTestSuite() { files.reset(); }

    static inline std::unique_ptr<EngineFiles> files;
    static inline QString sine, cbr, vbr, cbrBare, vbrBare;
};

std::unique_ptr<Decoder> mustOpen(const QString& path) {
    QString error;
    auto decoder = openDecoder(path, &error);
    EXPECT_TRUE(decoder) << qPrintable(path) << ": " << qPrintable(error);
    return decoder;
}

// Largest sample difference between got and want[from...].
int maxDifference(const std::vector<int16_t>& got, const std::vector<int16_t>& want, size_t from) {
    int worst = 0;
    for (size_t i = 0; i < got.size() && from + i < want.size(); ++i)
        worst = std::max(worst, std::abs(int{got[i]} - int{want[from + i]}));
    return worst;
}

} // namespace

TEST_F(DecoderFiles, LengthIsExactForWavAndTaggedMp3) {
    // lame writes the encoder delay and padding into its header; gapless decoding gives back exactly
    // the original frames.
    for (const QString& path : {sine, cbr, vbr}) {
        auto decoder = mustOpen(path);
        ASSERT_TRUE(decoder);
        EXPECT_EQ(decoder->sampleRate(), kRate) << qPrintable(path);
        EXPECT_EQ(decoder->frames(), kFrames) << qPrintable(path);
        EXPECT_EQ(decoder->lengthMs(), 1234) << qPrintable(path);
        int channels = 0;
        EXPECT_EQ(static_cast<int64_t>(decodeAll(path, &channels).size()), kFrames * 2) << qPrintable(path);
    }
}

TEST_F(DecoderFiles, LengthOfMp3WithoutHeaderIsWhatPlays) {
    // Without a Xing/LAME header nothing tells the encoder delay and padding: the length is every
    // decoded frame, counted by the scan, never an estimate from the bit rate.
    for (const QString& path : {cbrBare, vbrBare}) {
        auto decoder = mustOpen(path);
        ASSERT_TRUE(decoder);
        const int64_t decoded = static_cast<int64_t>(decodeAll(path).size()) / 2;
        EXPECT_EQ(decoder->frames(), decoded) << qPrintable(path);
        EXPECT_EQ(decoded % kMp3FrameFrames, 0) << qPrintable(path);
        EXPECT_GE(decoded, kFrames) << qPrintable(path);
        EXPECT_LT(decoded, kFrames + 3 * kMp3FrameFrames) << qPrintable(path);
        EXPECT_EQ(decoder->lengthMs(), decoded * 1000 / kRate) << qPrintable(path);
    }
}

TEST_F(DecoderFiles, TaggedMp3StartsOnTheOriginalFirstSample) {
    // The cue point means the same instant in the mp3 as in the recording it was made from: the
    // decoded sound lines up with the wav at lag 0.
    const std::vector<int16_t> wav = decodeAll(sine);
    for (const QString& path : {cbr, vbr}) {
        const std::vector<int16_t> mp3 = decodeAll(path);
        ASSERT_EQ(mp3.size(), wav.size());
        const int64_t centre = 20000;
        const int64_t window = 4096;
        int64_t bestLag = 0;
        double best = -1e300;
        for (int64_t lag = -1500; lag <= 1500; ++lag) {
            double sum = 0;
            for (int64_t i = 0; i < window; ++i)
                sum += double(wav[size_t((centre + i) * 2)]) * double(mp3[size_t((centre + i + lag) * 2)]);
            if (sum > best) {
                best = sum;
                bestLag = lag;
            }
        }
        EXPECT_EQ(bestLag, 0) << qPrintable(path);
    }
}

TEST_F(DecoderFiles, SeekLandsOnTheExactFrame) {
    // After a seek the decoder delivers what a straight decode delivers from that frame on. wav is
    // bit-exact; mp3 may differ by rounding in the first frame after the seek, never by an offset
    // (an offset of one frame on this sweep with noise gives differences in the thousands).
    struct Case {
        QString path;
        int tolerance;
    };
    for (const Case& c : {Case{sine, 0}, Case{cbr, 8}, Case{vbr, 8}, Case{vbrBare, 8}}) {
        const std::vector<int16_t> straight = decodeAll(c.path);
        auto decoder = mustOpen(c.path);
        ASSERT_TRUE(decoder);
        for (const int32_t ms : {0, 1, 250, 617, 1000, 1233}) {
            const int64_t frame = decoder->frameAtMs(ms);
            EXPECT_EQ(frame, (int64_t{ms} * kRate + 999) / 1000);
            ASSERT_TRUE(decoder->seek(frame));
            std::vector<int16_t> got(2 * 1024);
            const int64_t n = decoder->read(got.data(), 1024);
            ASSERT_GT(n, 0);
            got.resize(size_t(n * 2));
            EXPECT_LE(maxDifference(got, straight, size_t(frame * 2)), c.tolerance)
                << qPrintable(c.path) << " at " << ms << " ms";
        }
        // Past the end: nothing more to read, and no crash.
        EXPECT_TRUE(decoder->seek(decoder->frames() + 100000));
        std::vector<int16_t> tail(2 * 64);
        EXPECT_EQ(decoder->read(tail.data(), 64), 0);
    }
}

TEST_F(DecoderFiles, MillisecondArithmeticStaysInRange) {
    auto decoder = mustOpen(sine);
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->frameAtMs(-5), 0);
    EXPECT_EQ(decoder->frameAtMs(INT64_MAX), kFrames);
    EXPECT_EQ(decoder->frameAtMs(2147483647), kFrames);
    EXPECT_EQ(decoder->msAtFrame(-1), 0);
    EXPECT_EQ(decoder->msAtFrame(44100), 1000);
    EXPECT_EQ(decoder->msAtFrame(44099), 999);
}

TEST_F(DecoderFiles, MpegContentIsFoundWhateverTheName) {
    // An mp3 saved as .wav still gets the exact mp3 length.
    QFile::copy(vbr, files->path(QStringLiteral("really-mp3.wav")));
    auto decoder = mustOpen(files->path(QStringLiteral("really-mp3.wav")));
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->frames(), kFrames);
}

TEST_F(DecoderFiles, BadFilesAreRefusedWithAReason) {
    QFile wav(sine);
    ASSERT_TRUE(wav.open(QIODevice::ReadOnly));
    const QByteArray wavBytes = wav.readAll();
    QFile mp3(vbr);
    ASSERT_TRUE(mp3.open(QIODevice::ReadOnly));
    const QByteArray mp3Bytes = mp3.readAll();
    QByteArray noise(64 * 1024, Qt::Uninitialized);
    QRandomGenerator rng(1700);
    for (char& b : noise)
        b = static_cast<char>(rng.bounded(256));
    QDir(files->path({})).mkdir(QStringLiteral("folder.mp3"));

    struct Case {
        QString path;
        QString mentions;
    };
    const Case cases[] = {
        {files->path(QStringLiteral("missing.mp3")), QStringLiteral("不存在")},
        {files->path(QStringLiteral("folder.mp3")), QStringLiteral("文件夹")},
        {files->write(QStringLiteral("empty.mp3"), {}), QStringLiteral("空")},
        {files->write(QStringLiteral("empty.wav"), {}), QStringLiteral("空")},
        {files->write(QStringLiteral("header-only.wav"), wavBytes.left(40)), QString()},
        {files->write(QStringLiteral("header-only.mp3"), mp3Bytes.left(200)), QString()},
        {files->write(QStringLiteral("noise.mp3"), noise), QString()},
        {files->write(QStringLiteral("noise.wav"), noise), QString()},
        {files->write(QStringLiteral("text.mp3"), QByteArray("not audio at all\n").repeated(500)), QString()},
        {QString(), QString()},
    };
    for (const Case& c : cases) {
        QString error;
        EXPECT_FALSE(openDecoder(c.path, &error)) << qPrintable(c.path);
        EXPECT_FALSE(error.isEmpty()) << qPrintable(c.path);
        if (!c.mentions.isEmpty()) {
            EXPECT_TRUE(error.contains(c.mentions)) << qPrintable(error);
        }
    }
}

TEST_F(DecoderFiles, FileCutShortPlaysWhatIsThere) {
    // A file cut midway still holds sound: it opens with the length of what is there, and the decoder
    // delivers exactly that many frames.
    QFile wav(sine);
    ASSERT_TRUE(wav.open(QIODevice::ReadOnly));
    QFile mp3(vbr);
    ASSERT_TRUE(mp3.open(QIODevice::ReadOnly));
    const QString cutWav = files->write(QStringLiteral("cut.wav"), wav.readAll().left(100000));
    const QString cutMp3 = files->write(QStringLiteral("cut.mp3"), mp3.readAll().left(5000));
    for (const QString& path : {cutWav, cutMp3}) {
        auto decoder = mustOpen(path);
        ASSERT_TRUE(decoder);
        EXPECT_GT(decoder->frames(), 0);
        EXPECT_LT(decoder->frames(), kFrames);
        EXPECT_EQ(static_cast<int64_t>(decodeAll(path).size()) / 2, decoder->frames()) << qPrintable(path);
    }
}
