// The serial link's trace sink.
#include "link/linktrace.h"

#include "link/hextext.h"

#include <QFile>

#include <chrono>
#include <cstdio>
#include <span>

LinkTrace::LinkTrace(QIODevice* out) : m_out(out) {}

LinkTrace::~LinkTrace() = default;

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
    auto trace = std::make_unique<LinkTrace>(file.get());
    trace->m_owned = std::move(file);
    return trace;
}

qint64 LinkTrace::nowUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void LinkTrace::sent(uint8_t byte) {
    line("tx", hexText(std::span<const uint8_t>(&byte, 1)).trimmed());
}

void LinkTrace::received(const QByteArray& chunk) {
    const auto* data = reinterpret_cast<const uint8_t*>(chunk.constData());
    line("rx", QStringLiteral("%1: %2")
                   .arg(chunk.size())
                   .arg(hexText(std::span<const uint8_t>(data, size_t(chunk.size()))).trimmed()));
}

void LinkTrace::decoded(uint8_t command, const QString& meaning) {
    line("reply",
         QStringLiteral("%1 %2").arg(hexText(std::span<const uint8_t>(&command, 1)).trimmed(), meaning));
}

void LinkTrace::note(const QString& text) {
    line("port", text);
}

void LinkTrace::lost(const QString& device, const QString& why) {
    line("lost", QStringLiteral("%1: %2").arg(device, why));
}

void LinkTrace::dropped(int count, const QString& why) {
    line("drop", QStringLiteral("%1 bytes: %2").arg(count).arg(why));
}

void LinkTrace::line(const char* kind, const QString& rest) {
    if (!m_out)
        return;
    // Flushed line by line so that a trace followed with tail -f is never behind the board.
    m_out->write(QStringLiteral("%1 %2 %3\n").arg(nowUs()).arg(QLatin1String(kind), rest).toUtf8());
    if (auto* file = qobject_cast<QFileDevice*>(m_out))
        file->flush();
}
