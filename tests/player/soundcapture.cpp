// Capturing the null sink's monitor with parec.
#include "soundcapture.h"

#include <QCoreApplication>
#include <QStandardPaths>

#include <algorithm>
#include <cstdlib>
#include <cstring>

QString SoundCapture::unavailableReason() {
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("info")});
    const bool reachable = pactl.waitForFinished(5000) && pactl.exitCode() == 0;
    pactl.kill();
    pactl.waitForFinished(1000);
    if (!reachable || QStandardPaths::findExecutable(QStringLiteral("parec")).isEmpty())
        return QStringLiteral("no PulseAudio server reachable through pactl and parec (Debian: pulseaudio "
                              "pulseaudio-utils): run scripts/start-sound-server.sh, source what it prints");
    return {};
}

bool SoundCapture::start() {
    // Without a short latency parec holds about 2 s of sound back.
    m_parec.start(QStringLiteral("parec"),
                  QStringLiteral("--latency-msec=20 -d @DEFAULT_MONITOR@ --format=s16le "
                                 "--rate=44100 --channels=2 --raw")
                      .split(u' '));
    m_clock.start();
    // parec takes most of a second before its first data.
    while (frames() < kRate / 10) {
        if (m_clock.elapsed() > 10000 || !m_parec.waitForStarted(5000))
            return false;
        pump(10);
    }
    return true;
}

void SoundCapture::pump(int ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, ms);
    m_parec.waitForReadyRead(ms);
    const QByteArray more = m_parec.readAllStandardOutput();
    if (!more.isEmpty()) {
        m_data += more;
        m_deliveries.emplace_back(frames(), double(m_clock.nsecsElapsed()) / 1e6);
    }
}

double SoundCapture::receivedMsAtFrame(int64_t frame) const {
    const auto it = std::upper_bound(m_deliveries.begin(), m_deliveries.end(), std::pair(frame, 1e300));
    return it == m_deliveries.end() ? -1 : it->second;
}

int SoundCapture::level(int64_t frame) const {
    return std::abs(int{sample(frame, 0)});
}

int16_t SoundCapture::sample(int64_t frame, int channel) const {
    int16_t s = 0;
    if (frame >= 0 && frame < frames())
        std::memcpy(&s, m_data.constData() + frame * 4 + (channel ? 2 : 0), sizeof s);
    return s;
}

int64_t SoundCapture::firstAbove(int min, int64_t from) const {
    for (int64_t f = std::max<int64_t>(from, 0); f < frames(); ++f)
        if (level(f) >= min)
            return f;
    return -1;
}

int64_t SoundCapture::lastAbove(int min) const {
    int64_t f = frames() - 1;
    while (f >= 0 && level(f) < min)
        --f;
    return f;
}

int SoundCapture::msAtLevel(int min, int below, int64_t from, int64_t to) const {
    constexpr int64_t block = kRate / 1000;
    int blocks = 0;
    for (int64_t b = std::max<int64_t>(from, 0); b + block <= std::min(to, frames()); b += block) {
        int peak = 0;
        for (int64_t f = b; f < b + block; ++f)
            peak = std::max(peak, level(f));
        blocks += peak >= min && peak < below;
    }
    return blocks;
}
