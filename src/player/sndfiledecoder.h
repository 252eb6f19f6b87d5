// wav, flac, ogg and the other formats libsndfile reads (mp3 goes to Mp3Decoder instead).
#pragma once

#include "player/decoder.h"

struct sf_private_tag;

class SndfileDecoder final : public Decoder {
public:
    ~SndfileDecoder() override;

    // Null with *error set when libsndfile cannot read the file. *isMpeg is set when the file is an mp3,
    // which the caller hands to Mp3Decoder (libsndfile guesses the length of some mp3s).
    static std::unique_ptr<SndfileDecoder> open(const QString& path, QString* error, bool* isMpeg);

    bool seek(int64_t frame) override;
    int64_t read(int16_t* out, int64_t maxFrames) override;

private:
    SndfileDecoder() = default;
    sf_private_tag* m_file = nullptr;
};
