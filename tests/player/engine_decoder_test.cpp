// The engine's decoders: exact length of wav and of every kind of mp3, frame-exact seeking, and files
// cut short.
#include "enginefiles.h"

#include "player/decoder.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <tuple>
#include <utility>

namespace {
// An odd frame count (1234.535 ms at 44.1 kHz) shows off-by-one and rounding faults.
constexpr int64_t kFrames = 54443;

class DecoderFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // A sweep with noise is never periodic, so a sample offset cannot hide.
        wav = files.sox("sweep.wav",
                        {"-r", "44100", "-c", "2", "-n", "-b", "16", "%OUT", "synth", "54443s", "sine",
                         "200-4000", "synth", "54443s", "whitenoise", "mix", "vol", "0.5"});
        cbr = files.lame(wav, "cbr.mp3", {"-b", "128"});
        vbr = files.lame(wav, "vbr.mp3", {"-V", "2"});
        cbrBare = files.lame(wav, "cbr-bare.mp3", {"-t", "-b", "128"});
        vbrBare = files.lame(wav, "vbr-bare.mp3", {"-t", "-V", "6"});
        ASSERT_FALSE(wav.isEmpty() || cbr.isEmpty() || vbr.isEmpty() || cbrBare.isEmpty() ||
                     vbrBare.isEmpty())
            << "sox and lame are needed (Debian: sox lame)";
    }
    static std::unique_ptr<Decoder> open(const QString& path) {
        QString error;
        auto decoder = openDecoder(path, &error);
        EXPECT_TRUE(decoder) << qPrintable(path) << ": " << qPrintable(error);
        return decoder;
    }
    static inline EngineFiles files;
    static inline QString wav, cbr, vbr, cbrBare, vbrBare;
};
} // namespace

TEST_F(DecoderFiles, LengthIsExactAndTaggedMp3IsGapless) {
    // An mp3 named .wav is still measured as mp3.
    QFile::copy(vbr, files.path("really-mp3.wav"));
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
        int bestLag = 0;
        double best = -1e300;
        for (int lag = -1500; lag <= 1500; ++lag) {
            double sum = 0;
            for (int64_t i = 20000; i < 24096; ++i)
                sum += double(original[size_t(2 * i)]) * all[size_t(2 * (i + lag))];
            if (sum > best)
                std::tie(best, bestLag) = std::make_pair(sum, lag);
        }
        EXPECT_EQ(bestLag, 0);
    }
    // Without a Xing/LAME header the length is every decoded frame, never an estimate from the bit rate.
    for (const QString& path : {cbrBare, vbrBare}) {
        SCOPED_TRACE(qPrintable(path));
        auto decoder = open(path);
        ASSERT_TRUE(decoder);
        const int64_t decoded = int64_t(decodeAll(path).size()) / 2;
        EXPECT_EQ(decoder->frames(), decoded);
        EXPECT_EQ(decoded % 1152, 0);
        EXPECT_TRUE(decoded >= kFrames && decoded < kFrames + 3 * 1152) << decoded;
        EXPECT_EQ(decoder->lengthMs(), decoded * 1000 / 44100);
    }
}

TEST_F(DecoderFiles, SeekLandsOnTheExactFrame) {
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
            ASSERT_GT(decoder->read(got.data(), 1024), 0);
            for (size_t i = 0; i < got.size() && size_t(frame * 2) + i < straight.size(); ++i)
                ASSERT_LE(std::abs(got[i] - straight[size_t(frame * 2) + i]), tolerance) << i;
        }
        EXPECT_TRUE(decoder->seek(decoder->frames() + 100000));
        std::vector<int16_t> tail(2 * 64);
        EXPECT_EQ(decoder->read(tail.data(), 64), 0);
        // Millisecond arithmetic clamps instead of overflowing.
        EXPECT_EQ(decoder->frameAtMs(-5), 0);
        EXPECT_EQ(decoder->frameAtMs(INT64_MAX), decoder->frames());
        EXPECT_EQ(decoder->msAtFrame(-1), 0);
    }
}

TEST_F(DecoderFiles, FileCutShortPlaysWhatIsThere) {
    const std::pair<QString, int> cases[] = {{wav, 100000}, {vbr, 5000}};
    for (const auto& [path, bytes] : cases) {
        QFile whole(path);
        ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
        const QString cut = files.write("cut-" + QFileInfo(path).fileName(), whole.read(bytes));
        auto decoder = open(cut);
        ASSERT_TRUE(decoder);
        EXPECT_TRUE(decoder->frames() > 0 && decoder->frames() < kFrames) << decoder->frames();
        EXPECT_EQ(int64_t(decodeAll(cut).size()) / 2, decoder->frames()) << qPrintable(cut);
    }
}
