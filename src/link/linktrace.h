// The serial link's record: one event per byte sent, chunk received, frame handed over, decoded
// reply, pile of bytes dropped and port event, stamped with the monotonic clock in microseconds.
// Every event goes to the record's sinks (the --trace file, the traffic monitor) with the line of
// the one trace formatter, so that whatever a sink writes out reads exactly as the trace.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

class QIODevice;
class LinkTrace;

struct LinkEvent {
    enum class Kind : uint8_t {
        Sent,          // bytes: the one byte written
        Received,      // bytes: the chunk that arrived
        HandedOver,    // bytes: the frame; count: reply length expected; counted: reply bytes counted already
        Reply,         // command, text: the receiver's decoding; count: bytes it took (-1: not said)
        Dropped,       // count: bytes the receiver gave up on; text: why
        UnreadAtClose, // count: bytes waiting unread when the port closed
        InputDiscarded, // count: bytes waiting unread when the input was discarded
        Opened,         // text: device; count: baud; detail: the frame format, e.g. "8N1"
        Closed,         // text: device
        OpenFailed,     // text: device; detail: the system's reason
        Lost,           // text: device; detail: why, in the trace's words
        Note,           // text: any other port event worth a line
        TraceFailed,    // text: the trace file; detail: the system's reason; count: its error number
    };
    Kind kind = Kind::Note;
    qint64 us = 0;
    uint8_t command = 0;
    int count = 0;
    int counted = 0;
    QByteArray bytes;
    QString text;
    QString detail;
    // What a person reads in the window, where it differs from the trace's words.
    QString shown;
};

// The one trace formatter: "<microseconds> <kind> <rest>\n" in UTF-8, kind one of tx, rx, send,
// reply, drop, lost, port, trace.
QByteArray traceLine(const LinkEvent& event);

// Where the record's events go. A sink leaves its record when it is destroyed, and the record
// lets go of its sinks when it is; neither happens while the sink is being told of an event.
class LinkTraceSink {
public:
    LinkTraceSink() = default;
    LinkTraceSink(const LinkTraceSink&) = delete;
    LinkTraceSink& operator=(const LinkTraceSink&) = delete;
    virtual ~LinkTraceSink();
    virtual void record(const LinkEvent& event, const QByteArray& line) = 0;

private:
    friend class LinkTrace;
    LinkTrace* m_source = nullptr;
};

// The trace file: each line written and flushed as it comes, so that a trace followed with
// tail -f is never behind the board. Once a write or a flush fails (a full disk), nothing more is
// written to it: a trace with holes in it would mislead.
class LinkTraceFile final : public LinkTraceSink {
public:
    explicit LinkTraceFile(QIODevice* out, std::unique_ptr<QIODevice> owned = {});
    ~LinkTraceFile() override;
    void record(const LinkEvent& event, const QByteArray& line) override;

    bool failed() const { return m_failed; }
    // The system's reason and its error number (0 when it gave none).
    QString failure() const { return m_failure; }
    int failureError() const { return m_failureError; }

private:
    std::unique_ptr<QIODevice> m_owned;
    QIODevice* m_out;
    bool m_failed = false;
    QString m_failure;
    int m_failureError = 0;
};

class LinkTrace {
public:
    // A record with no sink yet.
    LinkTrace();
    // A record that traces to a device the caller keeps open.
    explicit LinkTrace(QIODevice* out);
    ~LinkTrace();
    LinkTrace(const LinkTrace&) = delete;
    LinkTrace& operator=(const LinkTrace&) = delete;

    // "-" traces to stderr, anything else names a file that is created or emptied. Null, with
    // the system's reason in *error, when the file cannot be opened.
    static std::unique_ptr<LinkTrace> open(const QString& target, QString* error);

    // Told once, in English, when the trace file fails; the record goes on without it and its
    // other sinks see a TraceFailed event.
    void setFileFailureNotice(std::function<void(const QString& message)> notice) {
        m_fileFailureNotice = std::move(notice);
    }

    // A sink belongs to one record at a time.
    void addSink(LinkTraceSink* sink);
    void removeSink(LinkTraceSink* sink);

    // The port's events.
    void sent(uint8_t byte);
    void received(const QByteArray& chunk);
    void opened(const QString& device, qint32 baud, const QString& format);
    void closed(const QString& device);
    void openFailed(const QString& device, const QString& error);
    void unreadAtClose(int count);
    void inputDiscarded(int count);
    // The device went away while open; why, in the trace's words and in a person's.
    void lost(const QString& device, const QString& why, const QString& shown = QString());
    // Port events worth a line that have no call of their own (a failed read or write); shown is
    // what a person reads in the window.
    void note(const QString& text, const QString& shown = QString());

    // The transmitter took a frame; the receiver waits for replyLength bytes, counted of which it
    // has already.
    void handedOver(std::span<const uint8_t> frame, uint8_t replyLength, uint8_t counted);
    // The receiver decoded count bytes as the reply to command.
    void decoded(uint8_t command, const QString& meaning, int count = -1, const QString& shown = QString());
    // The receiver dropped count bytes that no reply could come from; why it gave up on them.
    void dropped(int count, const QString& why, const QString& shown = QString());

    // Microseconds of the monotonic clock, the time base of every event.
    static qint64 nowUs();

private:
    void record(LinkEvent event);

    void fileFailed();

    std::vector<LinkTraceSink*> m_sinks;
    std::unique_ptr<LinkTraceFile> m_file;
    QString m_fileName;
    bool m_fileFailureTold = false;
    std::function<void(const QString&)> m_fileFailureNotice;
};
