// A pseudo-terminal whose master plays the board in tests.
#include "ptyboard.h"

#include "pseudoterminal.h"

#include <QSocketNotifier>

#include <chrono>
#include <unistd.h>

PtyBoard::PtyBoard(QObject* parent) : QObject(parent), m_pty(std::make_unique<PseudoTerminal>()) {
    if (!m_pty->ok())
        return;
    m_notifier = new QSocketNotifier(m_pty->master(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtyBoard::readMaster);
}

PtyBoard::~PtyBoard() {
    closeMaster();
}

bool PtyBoard::isOpen() const {
    return m_pty->ok();
}

QString PtyBoard::slavePath() const {
    return m_pty->slavePath();
}

qint64 PtyBoard::nowUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void PtyBoard::clearReceived() {
    m_received.clear();
    m_arrivalUs.clear();
}

void PtyBoard::send(const QByteArray& bytes) {
    m_pty->writeAll(bytes.constData(), size_t(bytes.size()));
}

void PtyBoard::closeMaster() {
    delete m_notifier;
    m_notifier = nullptr;
    m_pty->close();
}

bool PtyBoard::hangUp() {
    return m_pty->hangUp();
}

void PtyBoard::readMaster() {
    char buf[512];
    bool any = false;
    for (;;) {
        const ssize_t n = ::read(m_pty->master(), buf, sizeof buf);
        if (n <= 0)
            break;
        const qint64 t = nowUs();
        m_received.append(buf, n);
        m_arrivalUs.insert(m_arrivalUs.end(), size_t(n), t);
        any = true;
    }
    if (any)
        emit bytesArrived();
}
