// The figures of a source file against files whose samples are written here, one per kind of sample,
// and --inspect's output and exit codes from the console itself.
#include "enginefiles.h"

#include "player/decoder.h"
#include "player/sourceanalysis.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <functional>
#include <ostream>

namespace player {
void PrintTo(const SourceFigures& figures, std::ostream* out) {
    *out << figuresLine(figures).toStdString();
}
} // namespace player

namespace {

using player::SourceFigures;

// A file of `frames` frames whose sample of channel c at frame n is sample(n, c), full scale ±1.0;
// integer formats take it as a code of their width, rounded.
QString writeFile(const QString& path, int format, int rate, int channels, int frames,
                  const std::function<double(int, int)>& sample) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | format;
    SNDFILE* file = sf_open(path.toLocal8Bit().constData(), SFM_WRITE, &info);
    if (!file)
        return QString();
    // Written as left-justified 32-bit codes or as floats, so that libsndfile neither scales nor clips.
    const int bits = format == SF_FORMAT_PCM_16 ? 16 : format == SF_FORMAT_PCM_24 ? 24 : 0;
    for (int n = 0; n < frames; ++n) {
        std::vector<int> codes;
        std::vector<float> floats;
        for (int c = 0; c < channels; ++c) {
            if (bits)
                codes.push_back(int(std::lround(sample(n, c) * double(1 << (bits - 1)))) << (32 - bits));
            else
                floats.push_back(float(sample(n, c)));
        }
        if (bits)
            sf_writef_int(file, codes.data(), 1);
        else
            sf_writef_float(file, floats.data(), 1);
    }
    sf_close(file);
    return path;
}

double sine(int n, double amplitude) {
    return amplitude * std::sin(2.0 * M_PI * 1000.0 * n / 8000.0);
}

const double minus6dB = std::pow(10.0, -6.0 / 20.0);

} // namespace

TEST(SourceAnalysis, FiguresOfFilesWithKnownPeakRmsClippingAndSilence) {
    EngineFiles files;
    struct Case {
        const char* name;
        int format;
        int channels;
        int frames; // at 8 kHz
        std::function<double(int, int)> sample;
        SourceFigures expected;
    };
    const Case cases[] = {
        // 250 ms of digital silence, 1 s of a 1 kHz sine at -6 dBFS, 500 ms of silence.
        {"sine.wav",
         SF_FORMAT_PCM_16,
         1,
         14000,
         [](int n, int) { return n >= 2000 && n < 10000 ? sine(n - 2000, minus6dB) : 0.0; },
         {1750, 8000, 1, -6.0, -11.4, 0, 250, 500}},
        // Left at the extreme codes +32767/-32768 (clipped), right one code inside them (not).
        {"square.wav",
         SF_FORMAT_PCM_16,
         2,
         4000,
         [](int n, int c) {
             const bool high = (n / 4) % 2 == 0;
             return (c == 0 ? (high ? 32767.0 : -32768.0) : (high ? 32766.0 : -32767.0)) / 32768.0;
         },
         {500, 8000, 2, 0.0, 0.0, 4000, 0, 0}},
        // 24 bits: +8388607 is the most positive code, -8388607 one above the most negative.
        {"extremes24.wav",
         SF_FORMAT_PCM_24,
         1,
         800,
         [](int n, int) { return (n % 2 ? -8388607.0 : 8388607.0) / 8388608.0; },
         {100, 8000, 1, 0.0, 0.0, 400, 0, 0}},
        // Floating point past full scale: a sine of amplitude 2.0, at or past 1.0 in 6 samples of 8.
        {"loud-float.wav",
         SF_FORMAT_FLOAT,
         1,
         8000,
         [](int n, int) { return sine(n, 2.0); },
         {1000, 8000, 1, 6.0, 3.0, 6000, 0, 0}},
        {"silence.wav",
         SF_FORMAT_PCM_16,
         1,
         8000,
         [](int, int) { return 0.0; },
         {1000, 8000, 1, -144.0, -144.0, 0, 1000, 1000}},
    };
    for (const Case& c : cases) {
        const QString path = writeFile(files.path(c.name), c.format, 8000, c.channels, c.frames, c.sample);
        ASSERT_FALSE(path.isEmpty()) << c.name;
        QString error;
        const std::optional<SourceFigures> figures = player::analyseSource(path, &error);
        ASSERT_TRUE(figures) << c.name << ": " << error.toStdString();
        EXPECT_EQ(*figures, c.expected) << c.name;
    }
}

TEST(SourceAnalysis, AnMp3MeasuredInPartsOnThreadsGivesWhatOnePassGives) {
    EngineFiles files;
    const QString wav = files.sox("sine.wav", {"-r", "44100", "-c", "2", "-n", "-b", "16", "%OUT", "synth",
                                               "10", "sine", "1000", "gain", "-6", "pad", "12", "8"});
    const QString mp3 = files.lame(wav, "sine.mp3", {"-b", "192"});
    ASSERT_FALSE(mp3.isEmpty()) << "sox and lame are needed (Debian: sox lame)";
    QString error;
    const auto onePass = player::analyseSource(mp3, &error, {1, nullptr});
    ASSERT_TRUE(onePass) << error.toStdString();
    EXPECT_EQ(std::tuple(onePass->durationMs, onePass->sampleRate, onePass->channels, onePass->clipped),
              std::tuple(30000, 44100, 2, 0));
    // Sound from 12 s to 22 s: with three threads it starts in the second part and ends in the third.
    EXPECT_NEAR(onePass->leadingSilenceMs, 12000, 30);
    EXPECT_NEAR(onePass->trailingSilenceMs, 8000, 30);
    // The encoder leaves the -6 dBFS sine a few tenths of a decibel quieter (sox's stat says so too).
    EXPECT_NEAR(onePass->peakDbfs, -6.0, 0.4);
    EXPECT_NEAR(onePass->rmsDbfs, -13.8, 0.4); // -9.0 over a third of the file
    ASSERT_TRUE(openDecoder(mp3, &error)->twin()) << "an mp3 is measured in parts";
    for (const int threads : {2, 3})
        EXPECT_EQ(player::analyseSource(mp3, &error, {threads, nullptr}), onePass) << threads << " threads";
}

TEST(Inspect, PrintsALineOrAJsonArrayAndExits2WithTheWindowsReasonForAFileItCannotRead) {
    EngineFiles files;
    const QString path = writeFile(files.path("sine.wav"), SF_FORMAT_PCM_16, 8000, 1, 8000,
                                   [](int n, int) { return sine(n, minus6dB); });
    const auto inspect = [](const QStringList& args, int* exitCode, QString* err = nullptr) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY")); // it needs no window system
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(QUILLORY_APP), QStringList{QStringLiteral("--inspect")} + args);
        EXPECT_TRUE(process.waitForFinished(20000));
        *exitCode = process.exitCode();
        if (err)
            *err = QString::fromLocal8Bit(process.readAllStandardError());
        return QString::fromLocal8Bit(process.readAllStandardOutput());
    };
    int exitCode = -1;
    EXPECT_EQ(inspect({path}, &exitCode),
              path + ": 1000 ms, 8000 Hz, 1 channel, peak -6.0 dBFS, RMS -9.0 dBFS, 0 clipped, "
                     "leading silence 0 ms, trailing silence 0 ms\n");
    EXPECT_EQ(exitCode, 0);

    QString err;
    const QString missing = files.path("missing.wav");
    const QString json = inspect({path, missing, QStringLiteral("--json")}, &exitCode, &err);
    EXPECT_EQ(exitCode, 2);
    EXPECT_TRUE(err.endsWith("quillory: " + missing + ": 文件不存在\n")) << err.toStdString();
    const QJsonArray array = QJsonDocument::fromJson(json.toUtf8()).array();
    ASSERT_EQ(array.size(), 1) << json.toStdString();
    EXPECT_EQ(array[0].toObject().keys().join(' ').toStdString(),
              "channels clipped duration_ms file leading_silence_ms peak_dbfs rms_dbfs sample_rate "
              "trailing_silence_ms");
    EXPECT_EQ(array[0].toObject()["file"].toString(), path);
    EXPECT_EQ(array[0].toObject()["rms_dbfs"].toDouble(), -9.0);
}
