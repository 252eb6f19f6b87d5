// PulseAudio's client library on a main loop of its own that only the event thread runs: messages from
// the server are taken in when the player pumps, waits for the server are bounded.
#include "player/pulseoutput.h"

#include <QDeadlineTimer>

#include <pulse/pulseaudio.h>

#include <algorithm>

namespace {
// A local server answers within milliseconds; one that does not answer in this time is treated as absent
// rather than freezing the window.
constexpr int kServerWaitMs = 1000;
} // namespace

PulseOutput::PulseOutput() = default;

PulseOutput::~PulseOutput() {
    close();
    dropServer();
    if (m_loop)
        pa_mainloop_free(m_loop);
}

template <typename Done> bool PulseOutput::waitFor(Done done, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        const qint64 left = deadline.remainingTime();
        if (left <= 0 || pa_mainloop_prepare(m_loop, int(left) * 1000) < 0 || pa_mainloop_poll(m_loop) < 0 ||
            pa_mainloop_dispatch(m_loop) < 0)
            return false;
    }
    return true;
}

bool PulseOutput::connectServer() {
    if (!m_loop)
        m_loop = pa_mainloop_new();
    if (!m_loop)
        return false;
    if (m_context) {
        // A connection made for an earlier play learns here whether the server has gone since.
        while (pa_mainloop_iterate(m_loop, 0, nullptr) > 0) {
        }
        if (pa_context_get_state(m_context) == PA_CONTEXT_READY)
            return true;
        dropServer();
    }
    pa_proplist* props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Quillory");
    pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "music");
    m_context = pa_context_new_with_proplist(pa_mainloop_get_api(m_loop), "Quillory", props);
    pa_proplist_free(props);
    if (!m_context)
        return false;
    const auto settled = [this] {
        const pa_context_state_t state = pa_context_get_state(m_context);
        return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
    };
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0 ||
        !waitFor(settled, kServerWaitMs) || pa_context_get_state(m_context) != PA_CONTEXT_READY) {
        dropServer();
        return false;
    }
    return true;
}

void PulseOutput::dropServer() {
    if (!m_context)
        return;
    pa_context_disconnect(m_context);
    pa_context_unref(m_context);
    m_context = nullptr;
}

bool PulseOutput::open(int rate, int channels, int bufferMs) {
    close();
    pa_sample_spec sampleFormat{PA_SAMPLE_S16NE, uint32_t(std::max(rate, 0)),
                                uint8_t(std::clamp(channels, 0, 255))};
    if (!pa_sample_spec_valid(&sampleFormat) || bufferMs <= 0 || !connectServer())
        return false;
    // Channels in the order wav files keep them.
    pa_channel_map map;
    pa_channel_map_init_extend(&map, sampleFormat.channels, PA_CHANNEL_MAP_WAVEEX);
    m_stream = pa_stream_new(m_context, "Quillory", &sampleFormat, &map);
    if (!m_stream)
        return false;
    m_rate = rate;
    m_bytesPerFrame = int64_t{2} * channels;
    m_written = 0;
    m_drained = false;
    // The whole latency, the server's own included, is bufferMs: "Play" is heard and "Pause" falls silent
    // within it.
    pa_buffer_attr attr;
    attr.maxlength = uint32_t(-1);
    attr.tlength = uint32_t(int64_t{rate} * bufferMs / 1000 * m_bytesPerFrame);
    attr.prebuf = uint32_t(-1);
    attr.minreq = uint32_t(-1);
    attr.fragsize = uint32_t(-1);
    const auto flags = pa_stream_flags_t(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE |
                                         PA_STREAM_ADJUST_LATENCY);
    const auto settled = [this] {
        const pa_stream_state_t state = pa_stream_get_state(m_stream);
        return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
    };
    if (pa_stream_connect_playback(m_stream, nullptr, &attr, flags, nullptr, nullptr) < 0 ||
        !waitFor(settled, kServerWaitMs) || pa_stream_get_state(m_stream) != PA_STREAM_READY) {
        close();
        return false;
    }
    return true;
}

void PulseOutput::close() {
    if (m_drain) {
        pa_operation_cancel(m_drain);
        pa_operation_unref(m_drain);
        m_drain = nullptr;
    }
    if (!m_stream)
        return;
    pa_stream_disconnect(m_stream);
    pa_stream_unref(m_stream);
    m_stream = nullptr;
    // Sends the disconnection now, so that the server drops what it still holds.
    while (pa_mainloop_iterate(m_loop, 0, nullptr) > 0) {
    }
}

bool PulseOutput::pump() {
    if (!m_stream)
        return false;
    while (pa_mainloop_iterate(m_loop, 0, nullptr) > 0) {
    }
    if (pa_context_get_state(m_context) == PA_CONTEXT_READY &&
        pa_stream_get_state(m_stream) == PA_STREAM_READY)
        return true;
    close();
    dropServer();
    return false;
}

int64_t PulseOutput::writable() const {
    if (!m_stream)
        return 0;
    const size_t n = pa_stream_writable_size(m_stream);
    return n == size_t(-1) ? 0 : int64_t(n) / m_bytesPerFrame * m_bytesPerFrame;
}

int64_t PulseOutput::write(const char* data, int64_t bytes) {
    const int64_t n = std::min(bytes, writable()) / m_bytesPerFrame * m_bytesPerFrame;
    if (n <= 0 || pa_stream_write(m_stream, data, size_t(n), nullptr, 0, PA_SEEK_RELATIVE) < 0)
        return 0;
    m_written += n;
    // Sent now rather than at the next pump: the first sound comes 5 ms sooner.
    while (pa_mainloop_iterate(m_loop, 0, nullptr) > 0) {
    }
    return n;
}

int64_t PulseOutput::playedFrames() const {
    pa_usec_t us = 0;
    if (!m_stream || pa_stream_get_time(m_stream, &us) < 0)
        return 0;
    const int64_t frames = int64_t(us / 1000000) * m_rate + int64_t(us % 1000000) * m_rate / 1000000;
    return std::clamp<int64_t>(frames, 0, m_written / m_bytesPerFrame);
}

void PulseOutput::drain() {
    if (!m_stream || m_drain || m_drained)
        return;
    m_drain = pa_stream_drain(m_stream, &PulseOutput::drainDone, this);
    if (!m_drain)
        m_drained = true;
}

void PulseOutput::drainDone(pa_stream*, int, void* self) {
    auto* output = static_cast<PulseOutput*>(self);
    output->m_drained = true;
    pa_operation_unref(output->m_drain);
    output->m_drain = nullptr;
}
