#include "PtyPair.h"

#include <QDeadlineTimer>
#include <QThread>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    auto fail = [this](const char *step) {
        m_error = QStringLiteral("%1: %2").arg(QLatin1String(step),
                                               QString::fromLocal8Bit(std::strerror(errno)));
    };
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0) {
        fail("posix_openpt");
        return;
    }
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        fail("grantpt/unlockpt");
        return;
    }
    const char *name = ::ptsname(m_master);
    if (!name) {
        fail("ptsname");
        return;
    }
    m_slavePath = QString::fromLocal8Bit(name);
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_slave < 0) {
        fail("open slave");
        return;
    }
    termios settings{};
    ::tcgetattr(m_slave, &settings);
    ::cfmakeraw(&settings);
    ::tcsetattr(m_slave, TCSANOW, &settings);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
}

PtyPair::~PtyPair()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

bool PtyPair::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    QDeadlineTimer deadline(2000);
    while (done < bytes.size() && !deadline.hasExpired()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
    }
    return done == bytes.size();
}

QByteArray PtyPair::read(int timeoutMs, int quietMs)
{
    QByteArray bytes;
    int wait = timeoutMs;
    for (;;) {
        pollfd p{m_master, POLLIN, 0};
        if (::poll(&p, 1, wait) <= 0)
            break;
        char buffer[4096];
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n <= 0)
            break;
        bytes.append(buffer, int(n));
        wait = quietMs;
    }
    return bytes;
}

int PtyPair::slaveInputCount() const
{
    int count = 0;
    if (::ioctl(m_slave, FIONREAD, &count) < 0)
        return 0;
    return count;
}

bool PtyPair::waitForSlaveInput(int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    while (slaveInputCount() == 0) {
        if (deadline.hasExpired())
            return false;
        QThread::usleep(500);
    }
    return true;
}
