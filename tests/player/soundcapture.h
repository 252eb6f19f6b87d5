// What the sound server plays, captured from the default sink's monitor with parec, for the playback
// test and the audio bench. Needs a reachable PulseAudio (scripts/start-sound-server.sh).
#pragma once

#include <QElapsedTimer>
#include <QProcess>

#include <cstdint>
#include <utility>
#include <vector>

class SoundCapture {
public:
    static constexpr int kRate = 44100; // stereo, 16 bits

    ~SoundCapture() {
        m_parec.kill();
        m_parec.waitForFinished(3000);
    }
    // Why nothing can be captured here; empty when the server and parec are both there.
    static QString unavailableReason();
    bool start();          // starts parec and waits until its data flows
    void pump(int ms = 5); // takes in what parec has delivered; keeps the event loop turning

    int64_t frames() const { return m_data.size() / 4; }
    const QElapsedTimer& clock() const { return m_clock; }
    // Time (on clock()) at which parec handed the frame over: later than the server played it by the
    // capture's own delay, so a latency measured with it is an upper bound.
    double receivedMsAtFrame(int64_t frame) const;
    // Left-channel magnitude of a frame; the first frame from `from` on, or the last one, reaching min (-1:
    // none).
    int level(int64_t frame) const;
    // The sample of a channel (0 left, 1 right) as captured, signed; 0 outside the capture.
    int16_t sample(int64_t frame, int channel) const;
    int64_t firstAbove(int min, int64_t from = 0) const;
    int64_t lastAbove(int min) const;
    // Milliseconds, counted in 1 ms blocks, between the frames from and to whose peak lies in
    // [min, below): an underrun's gap of silence is not counted as sound.
    int msAtLevel(int min, int below, int64_t from, int64_t to) const;

private:
    QProcess m_parec;
    QByteArray m_data;
    QElapsedTimer m_clock;
    std::vector<std::pair<int64_t, double>> m_deliveries; // (frames after the delivery, clock ms)
};
