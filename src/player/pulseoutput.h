// Sound out through the PulseAudio server (PipeWire's included), driven from the event thread: no thread
// of its own, so nothing calls into the player from elsewhere. Every open looks for the server again, so
// sound comes back as soon as a server that went away is back.
#pragma once

#include <cstdint>

struct pa_context;
struct pa_mainloop;
struct pa_operation;
struct pa_stream;

class PulseOutput {
public:
    PulseOutput();
    ~PulseOutput();
    PulseOutput(const PulseOutput&) = delete;
    PulseOutput& operator=(const PulseOutput&) = delete;

    // Opens a stream of interleaved 16-bit frames on the server's default output, holding about bufferMs.
    // False, with nothing open, when no server or output takes it.
    bool open(int rate, int channels, int bufferMs);
    // Falls silent at once.
    void close();
    bool isOpen() const { return m_stream != nullptr; }

    // Takes in what the server has sent; false (and closed) once the server or the output is gone.
    bool pump();
    // Bytes the output takes now, and writing them; write() returns how many it took.
    int64_t writable() const;
    int64_t write(const char* data, int64_t bytes);
    // Frames of what was written since open() that have been heard.
    int64_t playedFrames() const;
    // Plays out what was written, however little; drained() once it has all been heard.
    void drain();
    bool drained() const { return m_drained; }

private:
    bool connectServer();
    void dropServer();
    // Runs the server's messages until done() or timeoutMs; false on timeout or failure.
    template <typename Done> bool waitFor(Done done, int timeoutMs);
    static void drainDone(pa_stream* stream, int success, void* self);

    pa_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    pa_stream* m_stream = nullptr;
    pa_operation* m_drain = nullptr;
    int m_rate = 0;
    int64_t m_bytesPerFrame = 0;
    int64_t m_written = 0; // bytes since open()
    bool m_drained = false;
};
