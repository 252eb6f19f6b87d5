// What the link benches share: a pseudo-terminal whose master plays the board, read on a thread of
// its own so that arrival times are taken as the bytes land, and Form1 on the product's serial
// port with silent stand-ins for the player (unless a bench brings the real one), the file dialog and
// the message box.
#pragma once

#include "form/form1.h"
#include "link/qtserialport.h"
#include "pseudoterminal.h"

#include "summary.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <poll.h>
#include <pthread.h>
#include <random>
#include <sched.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace bench {

inline qint64 nowUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

// The board's end. onByte runs on the reader thread for every byte, with its arrival time.
class PtyMaster {
public:
    bool ok() const { return m_pty.ok(); }
    QString slavePath() const { return m_pty.slavePath(); }

    void startReading(std::function<void(uint8_t, qint64)> onByte) {
        m_onByte = std::move(onByte);
        m_reader = std::thread([this] {
            // Taken ahead of every other thread where the system allows it, so that an arrival is
            // stamped as it lands and not when a busy machine gets round to the reader.
            sched_param realTime{};
            realTime.sched_priority = sched_get_priority_min(SCHED_FIFO);
            m_realTime = pthread_setschedparam(pthread_self(), SCHED_FIFO, &realTime) == 0;
            uint8_t buf[256];
            for (;;) {
                const ssize_t n = ::read(m_pty.master(), buf, sizeof buf);
                const qint64 t = nowUs();
                if (n <= 0 || m_stopping.load())
                    return;
                for (ssize_t i = 0; i < n; ++i)
                    m_onByte(buf[i], t);
            }
        });
    }
    // Returns the time right after the last byte went into the pty.
    qint64 write(const QByteArray& bytes) {
        m_pty.writeAll(bytes.constData(), size_t(bytes.size()));
        return nowUs();
    }
    ~PtyMaster() { stop(); }
    // The board floods the console with random bytes on a thread of its own, bytesPerSecond of them
    // (0: as fast as the pty takes them), until stopFlood().
    void startFlood(int bytesPerSecond) {
        stopFlood();
        m_flooding = true;
        m_flood = std::thread([this, bytesPerSecond] {
            std::mt19937 random(1700);
            char chunk[256];
            const qint64 start = nowUs();
            qint64 sent = 0;
            while (m_flooding.load()) {
                qint64 due = qint64(sizeof chunk);
                if (bytesPerSecond > 0) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                    due = std::min<qint64>(due, (nowUs() - start) * bytesPerSecond / 1000000 - sent);
                }
                pollfd out{m_pty.master(), POLLOUT, 0};
                if (due <= 0 || ::poll(&out, 1, 50) <= 0)
                    continue;
                for (qint64 i = 0; i < due; ++i)
                    chunk[i] = char(random());
                const ssize_t n = ::write(m_pty.master(), chunk, size_t(due));
                if (n > 0)
                    sent += n;
                m_flooded += n > 0 ? n : 0;
            }
        });
    }
    void stopFlood() {
        m_flooding = false;
        if (m_flood.joinable())
            m_flood.join();
    }
    qint64 flooded() const { return m_flooded.load(); }
    // Whether the reader runs ahead of ordinary threads (real-time scheduling was granted).
    bool readerRealTime() const { return m_realTime.load(); }

    void stop() {
        stopFlood();
        if (!m_reader.joinable())
            return;
        m_stopping = true;
        // One byte from the slave side wakes the blocked reader.
        const char wake = 0;
        [[maybe_unused]] const ssize_t n = ::write(m_pty.slave(), &wake, 1);
        m_reader.join();
    }

private:
    // Blocking: the reader thread sleeps in read() until a byte lands.
    PseudoTerminal m_pty{PseudoTerminal::Master::Blocking};
    std::thread m_reader;
    std::atomic<bool> m_stopping{false};
    std::atomic<bool> m_realTime{false};
    std::thread m_flood;
    std::atomic<bool> m_flooding{false};
    std::atomic<qint64> m_flooded{0};
    std::function<void(uint8_t, qint64)> m_onByte;
};

class SilentPlayer final : public MediaPlayer {
public:
    void setCommand(const QString& word) override { m_command = word; }
    QString command() const override { return m_command; }
    void setFileName(const QString& path) override { m_fileName = path; }
    QString fileName() const override { return m_fileName; }
    void setFrom(int32_t) override {}
    void setTo(int32_t) override {}
    void setGain(double) override {}
    double gain() const override { return 0.0; }
    int64_t clippedSamples() const override { return 0; }
    int32_t length() const override { return 0; }
    int32_t mode() const override { return mciModeNotOpen; }
    void setUpdateInterval(int32_t ms) override { m_interval = ms; }
    int32_t updateInterval() const override { return m_interval; }
    void setShareable(bool) override {}
    QString openError() const override { return {}; }

private:
    QString m_command;
    QString m_fileName;
    int32_t m_interval = 0;
};

class NoDialog final : public FileDialog {
public:
    void ShowOpen() override { FileName.clear(); }
};

class PrintedBox final : public MessageBox {
public:
    void show(const QString& text, Icon, const QString& caption) override {
        std::fprintf(stderr, "box: %s: %s\n", qPrintable(caption), qPrintable(text));
        ++m_shown;
    }
    // A printed box is gone as soon as it is printed: there is nothing to take down.
    quint64 shownCount() const override { return m_shown; }
    void close(quint64) override {}

private:
    quint64 m_shown = 0;
};

// Form1 with port 1 naming the pty's slave, opened; the silent stand-ins where no player or dialog is
// given.
inline std::unique_ptr<Form1> consoleOn(const QString& slavePath, std::unique_ptr<MediaPlayer> player = {},
                                        std::unique_ptr<FileDialog> dialog = {}) {
    LinkSettings settings;
    settings.portDevices.insert(1, slavePath);
    Form1::Platform platform;
    platform.serialPort = std::make_unique<QtSerialPort>(settings);
    platform.mediaPlayer = player ? std::move(player) : std::make_unique<SilentPlayer>();
    platform.fileDialog = dialog ? std::move(dialog) : std::make_unique<NoDialog>();
    platform.messageBox = std::make_unique<PrintedBox>();
    auto form = std::make_unique<Form1>(std::move(platform));
    form->MSComm1->setCommPort(1);
    form->Command16_Click();
    return form;
}

} // namespace bench
