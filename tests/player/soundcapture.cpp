// Capturing the null sink's monitor with parec.
#include "soundcapture.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QMediaDevices>
#include <QStandardPaths>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {
bool toolSucceeds(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted(3000))
        return false;
    if (!p.waitForFinished(5000)) {
        p.kill();
        p.waitForFinished(1000);
        return false;
    }
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}
} // namespace

SoundCapture::~SoundCapture() {
    stop();
}

QString SoundCapture::unavailableReason() {
    if (QStandardPaths::findExecutable(QStringLiteral("pactl")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("parec")).isEmpty())
        return QStringLiteral("pactl/parec not installed (Debian: pulseaudio-utils)");
    if (!toolSucceeds(QStringLiteral("pactl"), {QStringLiteral("info")}))
        return QStringLiteral("no PulseAudio server reachable: run scripts/start-sound-server.sh and source "
                              "the environment it prints");
    if (QMediaDevices::defaultAudioOutput().isNull())
        return QStringLiteral("the server runs but Qt Multimedia sees no audio output");
    return {};
}

bool SoundCapture::start() {
    m_data.clear();
    m_deliveries.clear();
    m_parec.setProgram(QStringLiteral("parec"));
    // Without a short latency parec holds about 2 s of sound back.
    m_parec.setArguments({QStringLiteral("--latency-msec=20"), QStringLiteral("-d"),
                          QStringLiteral("@DEFAULT_MONITOR@"), QStringLiteral("--format=s16le"),
                          QStringLiteral("--rate=44100"), QStringLiteral("--channels=2"),
                          QStringLiteral("--raw")});
    m_parec.setProcessChannelMode(QProcess::SeparateChannels);
    m_parec.start();
    if (!m_parec.waitForStarted(5000))
        return false;
    m_clock.start();
    // parec takes most of a second before its first data.
    while (frames() < kRate / 10) {
        if (m_clock.elapsed() > 10000 || m_parec.state() != QProcess::Running)
            return false;
        pump(10);
    }
    return true;
}

void SoundCapture::stop() {
    if (m_parec.state() == QProcess::NotRunning)
        return;
    m_parec.kill();
    m_parec.waitForFinished(3000);
}

void SoundCapture::pump(int ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, ms);
    m_parec.waitForReadyRead(ms);
    const QByteArray more = m_parec.readAllStandardOutput();
    if (more.isEmpty())
        return;
    m_data += more;
    m_deliveries.emplace_back(frames(), double(m_clock.nsecsElapsed()) / 1e6);
}

double SoundCapture::receivedMsAtFrame(int64_t frame) const {
    const auto it =
        std::upper_bound(m_deliveries.begin(), m_deliveries.end(), frame,
                         [](int64_t f, const std::pair<int64_t, double>& d) { return f < d.first; });
    return it == m_deliveries.end() ? -1 : it->second;
}

int16_t SoundCapture::left(int64_t frame) const {
    if (frame < 0 || frame >= frames())
        return 0;
    int16_t s = 0;
    std::memcpy(&s, m_data.constData() + frame * 2 * kChannels, sizeof s);
    return s;
}

int64_t SoundCapture::firstAbove(int level, int64_t from) const {
    for (int64_t f = std::max<int64_t>(from, 0); f < frames(); ++f)
        if (std::abs(int{left(f)}) >= level)
            return f;
    return -1;
}

int64_t SoundCapture::lastAbove(int level) const {
    for (int64_t f = frames() - 1; f >= 0; --f)
        if (std::abs(int{left(f)}) >= level)
            return f;
    return -1;
}

std::vector<int> SoundCapture::blockPeaks(int blockFrames, int64_t from) const {
    std::vector<int> peaks;
    for (int64_t b = std::max<int64_t>(from, 0); b + blockFrames <= frames(); b += blockFrames) {
        int peak = 0;
        for (int64_t f = b; f < b + blockFrames; ++f)
            peak = std::max(peak, std::abs(int{left(f)}));
        peaks.push_back(peak);
    }
    return peaks;
}
