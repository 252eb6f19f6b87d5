// The audio engine behind the MMControl1 seam. Everything runs on the event thread: the decoder is
// driven in small chunks by a 5 ms feed timer, which is cheap next to the cost of a worker thread's
// locking and keeps the engine free of data races.
#include "player/audioplayer.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr int kFeedIntervalMs = 5;
constexpr int64_t kChunkFrames = 4096;
// When the output stops taking data at the end of a file, the run ends at the latest this long after
// the last sample should have been heard.
constexpr int64_t kEndGraceMs = 250;
} // namespace

AudioPlayer::AudioPlayer(QObject* parent) : MediaPlayer(parent) {
    m_statusTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_statusTimer, &QTimer::timeout, this, &AudioPlayer::StatusUpdate);
    m_feedTimer.setTimerType(Qt::PreciseTimer);
    m_feedTimer.setInterval(kFeedIntervalMs);
    connect(&m_feedTimer, &QTimer::timeout, this, &AudioPlayer::feed);
    m_dropParked.setSingleShot(true);
    m_dropParked.setInterval(0);
    connect(&m_dropParked, &QTimer::timeout, this, [this] { m_parked.reset(); });
}

AudioPlayer::~AudioPlayer() {
    haltOutput();
}

void AudioPlayer::setCommand(const QString& word) {
    m_command = word;
    // The window always spells its words the same way, but the words of a media control are not
    // case-sensitive ("close" and "Close" both close).
    const QString w = word.trimmed().toLower();
    if (w == QLatin1String("open"))
        open();
    else if (w == QLatin1String("close"))
        close();
    else if (w == QLatin1String("play"))
        play();
    else if (w == QLatin1String("pause"))
        pause();
    else if (w == QLatin1String("stop"))
        stop();
}

void AudioPlayer::setFrom(int32_t ms) {
    m_from = std::max<int32_t>(ms, 0);
    m_fromSet = true;
}

void AudioPlayer::setTo(int32_t ms) {
    m_to = ms < 0 ? -1 : ms;
    ++m_toWrites;
}

void AudioPlayer::setGain(double dB) {
    m_gainDb = std::isfinite(dB) ? dB : 0.0;
    m_gainFactor = std::pow(10.0, m_gainDb / 20.0);
    m_clipped = 0;
}

void AudioPlayer::applyGain(int16_t* samples, int64_t count) {
    // 0 dB leaves the samples exactly as decoded.
    if (m_gainDb == 0.0)
        return;
    constexpr double high = std::numeric_limits<int16_t>::max();
    constexpr double low = std::numeric_limits<int16_t>::min();
    for (int64_t i = 0; i < count; ++i) {
        const double scaled = std::round(double(samples[i]) * m_gainFactor);
        if (scaled > high || scaled < low)
            ++m_clipped;
        samples[i] = int16_t(std::clamp(scaled, low, high));
    }
}

int32_t AudioPlayer::length() const {
    return m_decoder ? m_decoder->lengthMs() : 0;
}

void AudioPlayer::setUpdateInterval(int32_t ms) {
    m_updateInterval = std::max<int32_t>(ms, 0);
    if (m_updateInterval == 0) {
        m_statusTimer.stop();
        return;
    }
    // Writing the same interval again must not push the next event back.
    if (!m_statusTimer.isActive() || m_statusTimer.interval() != m_updateInterval)
        m_statusTimer.start(m_updateInterval);
}

int64_t AudioPlayer::positionMs() const {
    return m_decoder ? m_decoder->msAtFrame(currentFrame()) : 0;
}

void AudioPlayer::open() {
    close();
    m_openError.clear();
    // Taken before the file is read, so that a change made while it is being read shows next time.
    const FileStamp stamp = FileStamp::of(m_fileName);
    if (m_parked && m_parkedPath == m_fileName && m_parkedStamp.matches(stamp) && m_parked->seek(0)) {
        m_decoder = std::move(m_parked);
    } else {
        m_parked.reset();
        QString error;
        m_decoder = openDecoder(m_fileName, &error);
        if (!m_decoder) {
            m_openError = error;
            return;
        }
        ++m_freshOpens;
    }
    m_dropParked.stop();
    m_decoderPath = m_fileName;
    m_decoderStamp = stamp;
    m_mode = mciModeStop;
    m_heldFrame = 0;
}

void AudioPlayer::close() {
    haltOutput();
    if (m_decoder) {
        m_parked = std::move(m_decoder);
        m_parkedPath = m_decoderPath;
        m_parkedStamp = m_decoderStamp;
        m_dropParked.start();
    }
    m_mode = mciModeNotOpen;
    m_heldFrame = 0;
    m_fromSet = false;
    m_from = 0;
    m_to = -1;
    m_gainDb = 0.0;
    m_gainFactor = 1.0;
}

void AudioPlayer::play() {
    if (!m_decoder)
        return;
    if (m_fromSet) {
        m_fromSet = false;
        beginRun(m_decoder->frameAtMs(m_from));
        return;
    }
    if (m_mode == mciModePlay)
        return;
    beginRun(m_heldFrame);
}

void AudioPlayer::pause() {
    if (m_mode != mciModePlay)
        return;
    haltOutput();
    m_mode = mciModePause;
}

void AudioPlayer::stop() {
    if (!m_decoder)
        return;
    haltOutput();
    m_mode = mciModeStop;
    m_heldFrame = 0;
}

void AudioPlayer::beginRun(int64_t startFrame) {
    haltOutput();
    m_heldFrame = startFrame;
    // The frame at To is the first one not played.
    m_runEnd = m_to < 0 ? m_decoder->frames() : std::min(m_decoder->frameAtMs(m_to), m_decoder->frames());
    m_runToWrites = m_toWrites;
    if (startFrame >= m_runEnd || !m_decoder->seek(startFrame)) {
        // A cue at or past the end plays nothing: the file is at its end at once.
        finishRun();
        return;
    }
    m_mode = mciModePlay;
    // The output opens from the event loop, not here: the window issues "Play" and "Stop" back to back
    // when it rewinds a finished file, and that pair must not make a sound.
    const quint64 runId = m_runId;
    QMetaObject::invokeMethod(
        this, [this, runId] { startOutput(runId); }, Qt::QueuedConnection);
}

void AudioPlayer::startOutput(quint64 runId) {
    if (runId != m_runId || m_mode != mciModePlay || m_running || !m_decoder)
        return;
    m_running = true;
    m_runStart = m_heldFrame;
    m_decoded = 0;
    m_decoderDone = false;
    m_pending.clear();
    m_noticeGiven = false;
    // Looked for again on every play: a sound server that has come back since the last one is found.
    if (!m_output.open(m_decoder->sampleRate(), m_decoder->channels(), kBufferMs))
        tellNoOutput();
    m_clock.start();
    feed();
    if (m_running)
        m_feedTimer.start();
}

void AudioPlayer::tellNoOutput() {
    if (m_noticeGiven)
        return;
    m_noticeGiven = true;
    // Queued: the window answers with a modal box, whose nested event loop may run any handler (even
    // "close") while the engine would still be in the middle of starting a run.
    QMetaObject::invokeMethod(
        this, [this] { emit notice(tr("没有可用的声音输出设备，播放将静音进行")); }, Qt::QueuedConnection);
}

void AudioPlayer::haltOutput() {
    // Any output still waiting to open belongs to a run that is over.
    ++m_runId;
    if (!m_running)
        return;
    m_heldFrame = currentFrame();
    m_feedTimer.stop();
    m_output.close();
    m_pending.clear();
    m_running = false;
}

void AudioPlayer::finishRun() {
    haltOutput();
    m_mode = mciModeStop;
    m_heldFrame = 0;
    if (m_toWrites == m_runToWrites)
        m_to = -1;
}

int64_t AudioPlayer::elapsedFrames() const {
    const int64_t us = m_clock.nsecsElapsed() / 1000;
    return us / 1000000 * m_decoder->sampleRate() + us % 1000000 * m_decoder->sampleRate() / 1000000;
}

int64_t AudioPlayer::currentFrame() const {
    if (!m_running || !m_decoder)
        return m_heldFrame;
    const int64_t heard = m_output.isOpen() ? m_output.playedFrames() : std::min(elapsedFrames(), m_decoded);
    return std::min(m_runStart + heard, m_runEnd);
}

void AudioPlayer::feed() {
    if (!m_running)
        return;
    if (m_output.isOpen())
        feedOutput();
    else
        feedClock();
}

void AudioPlayer::feedOutput() {
    const int64_t bytesPerFrame = int64_t{2} * m_decoder->channels();
    // Taken before the pump, which closes an output whose server has gone.
    const int64_t heard = currentFrame();
    if (!m_output.pump()) {
        // The sound server went away midway: carry on silently from where the sound was.
        m_pending.clear();
        tellNoOutput();
        startClockRun(heard);
        return;
    }
    for (;;) {
        if (!m_pending.isEmpty()) {
            const int64_t n = m_output.write(m_pending.constData(), m_pending.size());
            if (n > 0)
                m_pending.remove(0, static_cast<qsizetype>(n));
            if (!m_pending.isEmpty())
                break;
        }
        if (m_decoderDone)
            break;
        // Nothing past To is read, so nothing past it can be heard.
        const int64_t left = m_runEnd - (m_runStart + m_decoded);
        if (left <= 0) {
            m_decoderDone = true;
            break;
        }
        const int64_t frames = std::min({m_output.writable() / bytesPerFrame, kChunkFrames, left});
        if (frames <= 0)
            break;
        m_scratch.resize(static_cast<size_t>(frames * m_decoder->channels()));
        const int64_t got = m_decoder->read(m_scratch.data(), frames);
        if (got <= 0) {
            m_decoderDone = true;
            break;
        }
        m_decoded += got;
        applyGain(m_scratch.data(), got * m_decoder->channels());
        m_pending = QByteArray(reinterpret_cast<const char*>(m_scratch.data()),
                               static_cast<qsizetype>(got * bytesPerFrame));
    }
    if (m_decoderDone && m_pending.isEmpty()) {
        m_output.drain();
        const bool overdue =
            m_decoder->msAtFrame(elapsedFrames()) > m_decoder->msAtFrame(m_decoded) + kBufferMs + kEndGraceMs;
        if (m_output.drained() || overdue)
            finishRun();
    }
}

void AudioPlayer::startClockRun(int64_t startFrame) {
    m_runStart = startFrame;
    m_decoded = 0;
    m_decoderDone = false;
    m_decoder->seek(startFrame);
    m_clock.start();
}

void AudioPlayer::feedClock() {
    // Without an output the decoded sound is consumed at the real rate, so that the position, the end
    // of the file and Mode behave as when it is heard.
    const int64_t due = std::min(elapsedFrames(), m_runEnd - m_runStart);
    const int64_t channels = m_decoder->channels();
    while (!m_decoderDone && m_decoded < due) {
        const int64_t frames = std::min(due - m_decoded, kChunkFrames);
        m_scratch.resize(static_cast<size_t>(frames * channels));
        const int64_t got = m_decoder->read(m_scratch.data(), frames);
        if (got <= 0) {
            m_decoderDone = true;
        } else {
            m_decoded += got;
            // Counted as when heard.
            applyGain(m_scratch.data(), got * channels);
        }
    }
    if (m_decoderDone || m_runStart + m_decoded >= m_runEnd)
        finishRun();
}
