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
    static constexpr int kRate = 44100;
    static constexpr int kChannels = 2;

    ~SoundCapture() {
        m_parec.kill();
        m_parec.waitForFinished(3000);
    }
    // Why nothing can be captured here; empty when server, parec and a Qt audio output are all there.
    static QString unavailableReason();
    // Starts parec and waits until its data flows.
    bool start();
    // Takes in what parec has delivered; keeps the event loop turning.
    void pump(int ms = 5);

    int64_t frames() const { return m_data.size() / (2 * kChannels); }
    const QElapsedTimer& clock() const { return m_clock; }
    // Time (on clock()) at which parec handed the frame over: later than the server played it by the
    // capture's own delay, so a latency measured with it is an upper bound.
    double receivedMsAtFrame(int64_t frame) const;
    // Left-channel magnitude of a frame (0 outside the capture).
    int level(int64_t frame) const;
    // First frame at or after `from` whose level reaches `min`, or -1; lastAbove: the last such frame.
    int64_t firstAbove(int min, int64_t from = 0) const;
    int64_t lastAbove(int min) const;

private:
    QProcess m_parec;
    QByteArray m_data;
    QElapsedTimer m_clock;
    std::vector<std::pair<int64_t, double>> m_deliveries; // (frames after the delivery, clock ms)
};
