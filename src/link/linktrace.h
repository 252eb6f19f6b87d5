// The serial link's trace (--trace): one line per byte sent, per chunk received, per decoded reply,
// per bytes dropped and per port event, each stamped with the monotonic clock in microseconds and
// tagged with its kind (tx, rx, reply, drop, lost, port), for debugging a board on the bench.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>

class QIODevice;

class LinkTrace {
public:
    // Traces to a device that the caller keeps open.
    explicit LinkTrace(QIODevice* out);
    ~LinkTrace();
    LinkTrace(const LinkTrace&) = delete;
    LinkTrace& operator=(const LinkTrace&) = delete;

    // "-" traces to stderr, anything else names a file that is created or emptied. Null, with
    // the system's reason in *error, when the file cannot be opened.
    static std::unique_ptr<LinkTrace> open(const QString& target, QString* error);

    void sent(uint8_t byte);
    void received(const QByteArray& chunk);
    void decoded(uint8_t command, const QString& meaning);
    // Port events worth a line: opened, closed, refused, a failed read or write.
    void note(const QString& text);
    // The device went away while open; why, in the trace's words.
    void lost(const QString& device, const QString& why);
    // The receiver dropped count bytes that no reply could come from; why it gave up on them.
    void dropped(int count, const QString& why);

    // Microseconds of the monotonic clock, the time base of every line.
    static qint64 nowUs();

private:
    void line(const char* kind, const QString& rest);

    std::unique_ptr<QIODevice> m_owned;
    QIODevice* m_out;
};
