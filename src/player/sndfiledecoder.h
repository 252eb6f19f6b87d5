// wav, flac, ogg and the other formats libsndfile reads (mp3 goes to Mp3Decoder instead).
#pragma once

#include "player/decoder.h"

#include <QFile>

#include <memory>
#include <vector>

struct sf_private_tag;

class SndfileDecoder final : public Decoder {
public:
    // What libsndfile made of a file it did not open for playing.
    enum class Refusal { None, Mpeg, Unrecognised, Unplayable };

    ~SndfileDecoder() override;

    // Reads the open file through libsndfile, which knows the format by the content alone. Takes the
    // file on success; otherwise leaves it with the caller, says why in *refusal and, for Unplayable,
    // in *error.
    static std::unique_ptr<SndfileDecoder> open(std::unique_ptr<QFile>& file, QString* error,
                                                Refusal* refusal);

    bool seek(int64_t frame) override;
    int64_t read(int16_t* out, int64_t maxFrames) override;
    int64_t readFloat(float* out, int64_t maxFrames) override;
    FullScale fullScale() const override { return m_fullScale; }

private:
    SndfileDecoder() = default;
    std::unique_ptr<QFile> m_source;
    sf_private_tag* m_file = nullptr;
    std::vector<float> m_floats;
    FullScale m_fullScale;
};
