// The console's media player (MMControl1) on a real sound output: streaming decode, exact length and
// cue, low-latency output through the sound server, and a silent real-time clock for a play that finds no
// output.
#pragma once

#include "player/decoder.h"
#include "player/mediaplayer.h"
#include "player/pulseoutput.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QTimer>

#include <memory>
#include <vector>

class AudioPlayer final : public MediaPlayer {
    Q_OBJECT
public:
    explicit AudioPlayer(QObject* parent = nullptr);
    ~AudioPlayer() override;

    // "Stop" and a file that has played to its end both hold the file at its start: the next "Play"
    // starts at 0, or at From when From was set since the last "Play". A From set before "close" or
    // "Open" belonged to the file then held and is forgotten: an opened file is held at its start.
    void setCommand(const QString& word) override;
    QString command() const override { return m_command; }
    void setFileName(const QString& path) override { m_fileName = path; }
    QString fileName() const override { return m_fileName; }
    void setFrom(int32_t ms) override;
    void setTo(int32_t ms) override;
    void setGain(double dB) override;
    double gain() const override { return m_gainDb; }
    int64_t clippedSamples() const override { return m_clipped; }
    int32_t length() const override;
    int32_t mode() const override { return m_mode; }
    void setUpdateInterval(int32_t ms) override;
    int32_t updateInterval() const override { return m_updateInterval; }
    // Kept, without effect: this engine never holds the output device for itself alone.
    void setShareable(bool on) override { m_shareable = on; }
    QString openError() const override { return m_openError; }

    // Where the sound being heard is in the file, in ms (what the output has played, not what has been
    // decoded ahead).
    int64_t positionMs() const;
    // True while a run plays on the silent clock because no output device took the sound.
    bool isSilent() const { return m_running && !m_output.isOpen(); }
    // How many times "Open" read a file from scratch; a re-open of the file just closed, unchanged on
    // disk, keeps what the first open learned and is not counted.
    int freshOpens() const { return m_freshOpens; }

    // Output buffer: small enough that "Play" is heard and "Pause" falls silent within 40 ms.
    static constexpr int kBufferMs = 30;

private:
    void open();
    void close();
    void play();
    void pause();
    void stop();

    void beginRun(int64_t startFrame);
    void startOutput(quint64 runId);
    void haltOutput();
    void tellNoOutput();
    void finishRun();
    void feed();
    void feedOutput();
    void feedClock();
    void startClockRun(int64_t startFrame);
    int64_t currentFrame() const;
    // Scales decoded samples by the gain in place, counting those clipped.
    void applyGain(int16_t* samples, int64_t count);
    int64_t elapsedFrames() const;

    QString m_command;
    QString m_fileName;
    QString m_openError;
    int32_t m_from = 0;
    bool m_fromSet = false;
    int32_t m_to = -1; // -1: to the end of the file
    // Reaching the end of a run forgets only the To that run was started with, not one written since.
    quint64 m_toWrites = 0;
    quint64 m_runToWrites = 0;
    double m_gainDb = 0.0;
    double m_gainFactor = 1.0;
    int64_t m_clipped = 0;
    int32_t m_updateInterval = 0;
    bool m_shareable = false;
    int32_t m_mode = mciModeNotOpen;

    std::unique_ptr<Decoder> m_decoder;
    QString m_decoderPath;
    FileStamp m_decoderStamp;
    // The decoder of the file "close" let go, kept until the event loop turns: the window rewinds a
    // finished file with "close" and "Open" in one handler, every 200 ms, and a long mp3 must not be
    // scanned again each time.
    std::unique_ptr<Decoder> m_parked;
    QString m_parkedPath;
    FileStamp m_parkedStamp;
    QTimer m_dropParked;
    int m_freshOpens = 0;
    // Frame the file is held at while no run is going.
    int64_t m_heldFrame = 0;

    // One run goes from a "Play" to the next "Pause", "Stop", close or the end of the file.
    quint64 m_runId = 0;
    bool m_running = false;
    int64_t m_runStart = 0;
    int64_t m_runEnd = 0;  // the frame the run stops before: To's, or the file's end
    int64_t m_decoded = 0; // frames read from the decoder during this run
    bool m_decoderDone = false;
    QElapsedTimer m_clock;
    PulseOutput m_output;
    QByteArray m_pending; // decoded bytes the output has not taken yet
    std::vector<int16_t> m_scratch;
    bool m_noticeGiven = false; // this run has told that it plays silent

    QTimer m_statusTimer;
    QTimer m_feedTimer;
};
