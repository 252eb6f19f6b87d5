// A pseudo-terminal whose master plays the board in tests.
#include "ptyboard.h"

#include <QSocketNotifier>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

PtyBoard::PtyBoard(QObject* parent) : QObject(parent) {
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&m_master, &m_slave, name, &raw, nullptr) != 0) {
        m_master = m_slave = -1;
        return;
    }
    m_slavePath = QString::fromLocal8Bit(name);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtyBoard::readMaster);
}

PtyBoard::~PtyBoard() {
    closeMaster();
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
    qsizetype done = 0;
    while (m_master >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n < 0 && errno != EINTR && errno != EAGAIN)
            break;
    }
}

void PtyBoard::closeMaster() {
    if (m_notifier) {
        m_notifier->setEnabled(false);
        delete m_notifier;
        m_notifier = nullptr;
    }
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    m_master = m_slave = -1;
}

bool PtyBoard::hangUp() {
    return m_slave >= 0 && ::ioctl(m_slave, TIOCVHANGUP) == 0;
}

void PtyBoard::readMaster() {
    char buf[512];
    bool any = false;
    for (;;) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
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
