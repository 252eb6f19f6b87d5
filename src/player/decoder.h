// A streaming audio decoder behind the player: 16-bit interleaved frames, exact length, frame-accurate
// seeking. openDecoder() picks libmpg123 for mp3 content and libsndfile for the rest, whatever the name.
#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class Decoder {
public:
    virtual ~Decoder() = default;

    int sampleRate() const { return m_sampleRate; }
    int channels() const { return m_channels; }
    // Exact number of frames the decoder delivers from start to end.
    int64_t frames() const { return m_frames; }
    // Length in whole milliseconds (truncated), clamped to what a Long holds.
    int32_t lengthMs() const;
    // First frame at or after the millisecond ms, clamped to [0, frames()].
    int64_t frameAtMs(int64_t ms) const;
    int64_t msAtFrame(int64_t frame) const;

    // Moves so that the next read() returns the frame `frame` first.
    virtual bool seek(int64_t frame) = 0;
    // Reads up to maxFrames frames into out (channels() samples each); 0 at the end, -1 on a decode error.
    virtual int64_t read(int16_t* out, int64_t maxFrames) = 0;

    // The samples at the file's own resolution, for measuring them: full scale is ±1.0, and a
    // floating-point file's samples beyond it stay as they are (read() clips them). The same frames as
    // read(), from the same position.
    virtual int64_t readFloat(float* out, int64_t maxFrames);
    // The levels at which a sample of readFloat() stands at full scale: the most positive and most
    // negative values the file's format can hold (integer codes stop one step short of +1.0).
    struct FullScale {
        float positive = 32767.0f / 32768.0f;
        float negative = -1.0f;
    };
    virtual FullScale fullScale() const { return {}; }
    // A second decoder of the same file that reads on its own, so that two threads can each decode a
    // part; null where the format or the system does not allow it cheaply.
    virtual std::unique_ptr<Decoder> twin() const { return nullptr; }

protected:
    int m_sampleRate = 0;
    int m_channels = 0;
    int64_t m_frames = 0;

private:
    std::vector<int16_t> m_shorts; // readFloat() of a decoder that decodes to 16 bits
};

// What tells one version of a file on disk from another: a file replaced, rewritten or touched since
// gets another stamp. A path that cannot be examined gets a stamp that matches nothing.
struct FileStamp {
    bool valid = false;
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;
    int64_t modifiedNs = 0;
    int64_t changedNs = 0;

    static FileStamp of(const QString& path);
    bool matches(const FileStamp& other) const;
};

// Opens path for decoding, by handle: no length limit of a library applies to the path. On failure returns
// null and puts an operator-readable reason in *error (a file that is not regular is never opened).
std::unique_ptr<Decoder> openDecoder(const QString& path, QString* error);
