// Opening a raw pseudo-terminal pair.
#include "pseudoterminal.h"

#include <QtGlobal>

#if defined(Q_OS_UNIX)
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#if defined(Q_OS_MACOS)
#include <util.h>
#else
#include <pty.h>
#endif
#define QUILLORY_HAVE_PTY 1
#endif

PseudoTerminal::PseudoTerminal(Master mode) {
#if defined(QUILLORY_HAVE_PTY)
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        m_error = QStringLiteral("no pseudo-terminal: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        return;
    }
    termios tio{};
    if (::tcgetattr(slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(slave, TCSANOW, &tio);
    }
    if (mode == Master::NonBlocking)
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    const char* name = ::ttyname(slave);
    if (!name) {
        m_error = QStringLiteral("the pseudo-terminal has no name: %1")
                      .arg(QString::fromLocal8Bit(strerror(errno)));
        ::close(master);
        ::close(slave);
        return;
    }
    m_master = master;
    m_slave = slave;
    m_slavePath = QString::fromLocal8Bit(name);
#else
    Q_UNUSED(mode);
    m_error = QStringLiteral("this platform has no pseudo-terminals");
#endif
}

PseudoTerminal::~PseudoTerminal() {
    close();
}

bool PseudoTerminal::writeAll(const char* data, size_t size) {
#if defined(QUILLORY_HAVE_PTY)
    size_t done = 0;
    while (m_master >= 0 && done < size) {
        const ssize_t n = ::write(m_master, data + done, size - done);
        if (n > 0) {
            done += size_t(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd writable{m_master, POLLOUT, 0};
            ::poll(&writable, 1, 100);
        } else if (n < 0 && errno != EINTR) {
            return false;
        }
    }
    return done == size;
#else
    Q_UNUSED(data);
    Q_UNUSED(size);
    return false;
#endif
}

void PseudoTerminal::close() {
#if defined(QUILLORY_HAVE_PTY)
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
#endif
    m_master = m_slave = -1;
}

bool PseudoTerminal::hangUp() {
#if defined(QUILLORY_HAVE_PTY) && defined(TIOCVHANGUP)
    return m_slave >= 0 && ::ioctl(m_slave, TIOCVHANGUP) == 0;
#else
    return false;
#endif
}
