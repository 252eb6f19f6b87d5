// The media-player seam (the window's MMControl1): command words and properties as the
// console uses them. The product implementation is the audio engine; tests use a fake.
#pragma once

#include <QObject>
#include <QString>

#include <cstdint>

class MediaPlayer : public QObject {
    Q_OBJECT
public:
    // Mode values the console reads.
    static constexpr int32_t mciModeNotOpen = 524;
    static constexpr int32_t mciModeStop = 525;
    static constexpr int32_t mciModePlay = 526;
    static constexpr int32_t mciModePause = 529;
    static constexpr int32_t mciModeReady = 530;

    using QObject::QObject;
    ~MediaPlayer() override = default;

    // Command: "close", "Open", "Play", "Pause", "Stop", "Close". Reading it back gives the
    // last word issued, exactly as issued.
    virtual void setCommand(const QString& word) = 0;
    virtual QString command() const = 0;

    virtual void setFileName(const QString& path) = 0;
    virtual QString fileName() const = 0;
    virtual void setFrom(int32_t ms) = 0; // start of the next "Play"
    // End of the sound (ms), as the media control's To: a "Play" stops by itself there, Mode stopped
    // and the file held at its start as at the file's end, and nothing after it is heard. Written while
    // playing, it applies from the next "Play" (a "Play" that resumes a pause included); reaching it,
    // "close" and "Open" forget it. A negative value plays to the end of the file.
    virtual void setTo(int32_t ms) = 0;
    // Gain in dB on the samples sent out, each rounded to the nearest code and clipped at full scale:
    // written before "Play", the whole play is scaled; written while playing, what is decoded from then
    // on. "close" and "Open" forget it (0 dB, the samples as they are). A value that is not finite is 0.
    virtual void setGain(double dB) = 0;
    virtual double gain() const = 0;
    // Samples the gain pushed past full scale and clipped, counted from the last write of Gain (so the
    // count of a play outlives the "close" and "Open" that rewind its file).
    virtual int64_t clippedSamples() const = 0;
    virtual int32_t length() const = 0; // ms; known when "Open" returns
    virtual int32_t mode() const = 0;
    virtual void setUpdateInterval(int32_t ms) = 0; // 0 stops StatusUpdate
    virtual int32_t updateInterval() const = 0;
    // The option switched on before every open (the player may ignore it).
    virtual void setShareable(bool on) = 0;

    // Why the last "Open" failed; empty when it succeeded.
    virtual QString openError() const = 0;

signals:
    void StatusUpdate();
    // Something the operator must be told: a play that runs without a sound output says so, once per
    // play, after the command that started it has returned.
    void notice(const QString& text);
};
