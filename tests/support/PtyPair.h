#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>
#include <QTest>
#include <QThread>

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

// A pseudo-terminal for tests: the code under test opens slavePath() as its serial port, the
// test plays the far end through the master side. The slave side is in raw mode and stays
// open here as well, so the master never sees end-of-file while the code under test reopens.
class PtyPair
{
public:
    PtyPair()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        const char *name = m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0
                               ? ::ptsname(m_master)
                               : nullptr;
        if (name)
            m_slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_slave < 0)
            return;
        m_slavePath = QString::fromLocal8Bit(name);
        termios settings{};
        ::tcgetattr(m_slave, &settings);
        ::cfmakeraw(&settings);
        ::tcsetattr(m_slave, TCSANOW, &settings);
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    }
    ~PtyPair()
    {
        for (int fd : {m_slave, m_master})
            if (fd >= 0)
                ::close(fd);
    }
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool isValid() const { return m_master >= 0 && m_slave >= 0; }
    // The far end goes away (its program ended, the cable was pulled): the master side closes.
    void hangUp()
    {
        ::close(m_master);
        m_master = -1;
    }
    QString slavePath() const { return m_slavePath; }

    // Sends bytes towards the slave side, as the far end of the line would.
    bool write(const QByteArray &bytes)
    {
        return ::write(m_master, bytes.constData(), bytes.size()) == bytes.size();
    }
    // What the slave side sent: waits up to timeoutMs for the first byte, then reads until
    // nothing more arrives for quietMs.
    QByteArray read(int timeoutMs = 2000, int quietMs = 50)
    {
        QByteArray bytes;
        char buffer[4096];
        for (pollfd p{m_master, POLLIN, 0}; ::poll(&p, 1, bytes.isEmpty() ? timeoutMs : quietMs);) {
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            bytes.append(buffer, n);
        }
        return bytes;
    }
    // Plays the far end of one exchange: waits, the event loop running, until the slave side has
    // sent bytes ending in request, then answers them.
    bool answer(const QByteArray &request, const QByteArray &reply, int timeoutMs = 5000)
    {
        QByteArray received;
        return QTest::qWaitFor([&] { return (received += read(0, 0)).endsWith(request); },
                               timeoutMs) &&
               write(reply);
    }
    // Waits (without running an event loop) until the slave side has bytes waiting.
    bool waitForSlaveInput(int timeoutMs = 2000) const
    {
        QDeadlineTimer deadline(timeoutMs);
        for (int n = 0; ::ioctl(m_slave, FIONREAD, &n) < 0 || n == 0; QThread::usleep(500))
            if (deadline.hasExpired())
                return false;
        return true;
    }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
};
