// The serial link's record, its trace formatter and the trace file.
#include "link/linktrace.h"

#include "link/hextext.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

QString hexOf(const QByteArray& bytes) {
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
    return hexText(std::span<const uint8_t>(data, size_t(bytes.size()))).trimmed();
}

QString hexOf(uint8_t byte) {
    return hexText(std::span<const uint8_t>(&byte, 1)).trimmed();
}

QString dropText(int count, const QString& why) {
    return QStringLiteral("drop %1 bytes: %2").arg(count).arg(why);
}

QString traceRest(const LinkEvent& e) {
    using Kind = LinkEvent::Kind;
    switch (e.kind) {
    case Kind::Sent:
        return QStringLiteral("tx %1").arg(hexOf(e.bytes));
    case Kind::Received:
        return QStringLiteral("rx %1: %2").arg(e.bytes.size()).arg(hexOf(e.bytes));
    case Kind::HandedOver: {
        QString text = QStringLiteral("send %1, reply %2 bytes")
                           .arg(e.bytes.isEmpty() ? QStringLiteral("no bytes") : hexOf(e.bytes))
                           .arg(e.count);
        if (e.counted > 0)
            text += QStringLiteral(", %1 counted already").arg(e.counted);
        return text;
    }
    case Kind::Reply:
        return QStringLiteral("reply %1 %2").arg(hexOf(e.command), e.text);
    case Kind::Dropped:
        return dropText(e.count, e.text);
    case Kind::UnreadAtClose:
        return dropText(e.count, QStringLiteral("unread when the port closed"));
    case Kind::InputDiscarded:
        return dropText(e.count, QStringLiteral("input discarded unread"));
    case Kind::Opened:
        return QStringLiteral("port opened %1 at %2 baud, %3").arg(e.text).arg(e.count).arg(e.detail);
    case Kind::Closed:
        return QStringLiteral("port closed %1").arg(e.text);
    case Kind::OpenFailed:
        return QStringLiteral("port cannot open %1: %2").arg(e.text, e.detail);
    case Kind::Lost:
        return QStringLiteral("lost %1: %2").arg(e.text, e.detail);
    case Kind::Note:
        return QStringLiteral("port %1").arg(e.text);
    case Kind::TraceFailed:
        return QStringLiteral("trace to %1 failed: %2; nothing more is written to it").arg(e.text, e.detail);
    }
    return QString();
}

} // namespace

QByteArray traceLine(const LinkEvent& event) {
    QByteArray line = QByteArray::number(event.us);
    line += ' ';
    QString rest = traceRest(event);
    // One event, one line, whatever a device name or a system's reason holds.
    rest.replace(QLatin1Char('\n'), QLatin1String("\\n")).replace(QLatin1Char('\r'), QLatin1String("\\r"));
    line += rest.toUtf8();
    line += '\n';
    return line;
}

LinkTraceSink::~LinkTraceSink() {
    if (m_source)
        m_source->removeSink(this);
}

LinkTraceFile::LinkTraceFile(QIODevice* out, std::unique_ptr<QIODevice> owned)
    : m_owned(std::move(owned)), m_out(out) {}

LinkTraceFile::~LinkTraceFile() = default;

void LinkTraceFile::record(const LinkEvent&, const QByteArray& line) {
    if (!m_out || m_failed)
        return;
    errno = 0;
    bool written = m_out->write(line) == line.size();
    if (auto* file = qobject_cast<QFileDevice*>(m_out); written && file)
        written = file->flush();
    if (written)
        return;
    m_failureError = errno;
    m_failed = true;
    // The trace speaks the system's words, whatever language Qt's own messages were given.
    m_failure =
        m_failureError != 0 ? QString::fromLocal8Bit(std::strerror(m_failureError)) : m_out->errorString();
}

LinkTrace::LinkTrace() = default;

LinkTrace::LinkTrace(QIODevice* out) : m_file(std::make_unique<LinkTraceFile>(out)) {
    if (auto* file = qobject_cast<QFileDevice*>(out))
        m_fileName = file->fileName();
    addSink(m_file.get());
}

LinkTrace::~LinkTrace() {
    for (LinkTraceSink* sink : m_sinks)
        sink->m_source = nullptr;
}

std::unique_ptr<LinkTrace> LinkTrace::open(const QString& target, QString* error) {
    auto file = std::make_unique<QFile>();
    bool ok = false;
    if (target == QLatin1String("-")) {
        ok = file->open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    } else {
        file->setFileName(target);
        ok = file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text);
    }
    if (!ok) {
        if (error)
            *error = file->errorString();
        return nullptr;
    }
    auto trace = std::make_unique<LinkTrace>();
    trace->m_fileName = target == QLatin1String("-") ? QStringLiteral("stderr") : target;
    QIODevice* out = file.get();
    trace->m_file = std::make_unique<LinkTraceFile>(out, std::move(file));
    trace->addSink(trace->m_file.get());
    return trace;
}

void LinkTrace::addSink(LinkTraceSink* sink) {
    if (!sink || sink->m_source == this)
        return;
    if (sink->m_source)
        sink->m_source->removeSink(sink);
    sink->m_source = this;
    m_sinks.push_back(sink);
}

void LinkTrace::removeSink(LinkTraceSink* sink) {
    const auto it = std::find(m_sinks.begin(), m_sinks.end(), sink);
    if (it == m_sinks.end())
        return;
    (*it)->m_source = nullptr;
    m_sinks.erase(it);
}

qint64 LinkTrace::nowUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void LinkTrace::record(LinkEvent event) {
    if (m_sinks.empty())
        return;
    event.us = nowUs();
    const QByteArray line = traceLine(event);
    for (LinkTraceSink* sink : m_sinks)
        sink->record(event, line);
    if (m_file && m_file->failed() && !m_fileFailureTold)
        fileFailed();
}

void LinkTrace::fileFailed() {
    m_fileFailureTold = true;
    LinkEvent e;
    e.kind = LinkEvent::Kind::TraceFailed;
    e.text = m_fileName;
    e.detail = m_file->failure();
    e.count = m_file->failureError();
    if (m_fileFailureNotice)
        m_fileFailureNotice(QStringLiteral("writing the trace to \"%1\" failed (%2); the console goes on "
                                           "without it")
                                .arg(e.text, e.detail));
    record(std::move(e));
}

void LinkTrace::sent(uint8_t byte) {
    LinkEvent e;
    e.kind = LinkEvent::Kind::Sent;
    e.bytes = QByteArray(1, char(byte));
    record(std::move(e));
}

void LinkTrace::received(const QByteArray& chunk) {
    LinkEvent e;
    e.kind = LinkEvent::Kind::Received;
    e.bytes = chunk;
    record(std::move(e));
}

void LinkTrace::opened(const QString& device, qint32 baud, const QString& format) {
    LinkEvent e;
    e.kind = LinkEvent::Kind::Opened;
    e.text = device;
    e.count = baud;
    e.detail = format;
    record(std::move(e));
}

void LinkTrace::closed(const QString& device) {
    LinkEvent e;
    e.kind = LinkEvent::Kind::Closed;
    e.text = device;
    record(std::move(e));
}

void LinkTrace::openFailed(const QString& device, const QString& error) {
    LinkEvent e;
    e.kind = LinkEvent::Kind::OpenFailed;
    e.text = device;
    e.detail = error;
    record(std::move(e));
}

void LinkTrace::unreadAtClose(int count) {
    LinkEvent e;
    e.kind = LinkEvent::Kind::UnreadAtClose;
    e.count = count;
    record(std::move(e));
}

void LinkTrace::inputDiscarded(int count) {
    LinkEvent e;
    e.kind = LinkEvent::Kind::InputDiscarded;
    e.count = count;
    record(std::move(e));
}

void LinkTrace::lost(const QString& device, const QString& why, const QString& shown) {
    LinkEvent e;
    e.kind = LinkEvent::Kind::Lost;
    e.text = device;
    e.detail = why;
    e.shown = shown;
    record(std::move(e));
}

void LinkTrace::note(const QString& text, const QString& shown) {
    LinkEvent e;
    e.kind = LinkEvent::Kind::Note;
    e.text = text;
    e.shown = shown;
    record(std::move(e));
}

void LinkTrace::handedOver(std::span<const uint8_t> frame, uint8_t replyLength, uint8_t counted) {
    LinkEvent e;
    e.kind = LinkEvent::Kind::HandedOver;
    e.bytes = QByteArray(reinterpret_cast<const char*>(frame.data()), qsizetype(frame.size()));
    e.count = replyLength;
    e.counted = counted;
    record(std::move(e));
}

void LinkTrace::decoded(uint8_t command, const QString& meaning, int count, const QString& shown) {
    LinkEvent e;
    e.kind = LinkEvent::Kind::Reply;
    e.command = command;
    e.text = meaning;
    e.count = count;
    e.shown = shown;
    record(std::move(e));
}

void LinkTrace::dropped(int count, const QString& why, const QString& shown) {
    LinkEvent e;
    e.kind = LinkEvent::Kind::Dropped;
    e.count = count;
    e.text = why;
    e.shown = shown;
    record(std::move(e));
}
