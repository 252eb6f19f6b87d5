// What the sound server plays, captured from the default sink's monitor with parec, for the playback
// test and the audio bench. Needs a reachable PulseAudio (scripts/start-sound-server.sh).
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>

#include <cstdint>
#include <utility>
#include <vector>

class SoundCapture {
public:
    static constexpr int kRate = 44100;
    static constexpr int kChannels = 2;

    ~SoundCapture();

    // Why nothing can be captured here (no server, no parec, no output Qt can see); empty when all is there.
    static QString unavailableReason();

    // Starts parec and waits until its data flows.
    bool start();
    void stop();
    // Takes in what parec has delivered; keeps the event loop turning.
    void pump(int ms = 5);

    int64_t frames() const { return m_data.size() / (2 * kChannels); }
    int16_t left(int64_t frame) const;
    const QElapsedTimer& clock() const { return m_clock; }
    // Time (on clock()) at which parec handed over the frame: later than the server played it by the
    // capture's own delay, so a latency measured with it is an upper bound.
    double receivedMsAtFrame(int64_t frame) const;

    // First frame at or after `from` whose left sample magnitude reaches `level`, or -1.
    int64_t firstAbove(int level, int64_t from = 0) const;
    // Last frame whose left sample magnitude reaches `level`, or -1.
    int64_t lastAbove(int level) const;
    // Peak magnitude of the left channel in each block of blockFrames frames from `from` on.
    std::vector<int> blockPeaks(int blockFrames, int64_t from = 0) const;

private:
    QProcess m_parec;
    QByteArray m_data;
    QElapsedTimer m_clock;
    std::vector<std::pair<int64_t, double>> m_deliveries; // (frames after the delivery, clock ms)
};
