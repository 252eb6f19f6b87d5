// mp3 through libmpg123: a full scan at open gives the exact length, gapless decoding trims the encoder's
// delay and padding, and seeking lands on the exact frame. The file is read through a buffer of our own.
#pragma once

#include "player/decoder.h"

#include <QFile>

#include <memory>

struct mpg123_handle_struct;

class Mp3Decoder final : public Decoder {
public:
    ~Mp3Decoder() override;

    // Reads the open file from its start. Null with *error set when it holds no decodable mp3 audio.
    static std::unique_ptr<Mp3Decoder> open(std::unique_ptr<QFile> file, QString* error);

    bool seek(int64_t frame) override;
    int64_t read(int16_t* out, int64_t maxFrames) override;
    // Reads the same file through a file description of its own and takes this decoder's seek index,
    // so that it seeks exactly without scanning the file again.
    std::unique_ptr<Decoder> twin() const override;

private:
    class Reader;

    Mp3Decoder();
    // A handle on the reader, gapless and quiet, not yet told its output format; false with *error
    // set when mpg123 cannot take the file.
    bool start(std::unique_ptr<QFile> file, QString* error);
    std::unique_ptr<Reader> m_reader;
    mpg123_handle_struct* m_handle = nullptr;
};
