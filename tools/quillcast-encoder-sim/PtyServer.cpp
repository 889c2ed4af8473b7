#include "PtyServer.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

PtyServer::PtyServer(const SimulatedLine::Options &options, QObject *parent)
    : QObject(parent), m_line(new SimulatedLine(options, this)), m_linkPath(options.linkPath)
{
    m_line->setWriter([this](const QByteArray &bytes) -> qint64 {
        return m_master < 0 ? bytes.size()
                            : ::write(m_master, bytes.constData(), size_t(bytes.size()));
    });
    connect(m_line, &SimulatedLine::hungUp, this, [this] {
        if (!hangUp())
            std::fprintf(stderr, "quillcast-encoder-sim: %s\n", qPrintable(m_error));
    });
}

PtyServer::~PtyServer()
{
    closeLine();
    if (!m_linkPath.isEmpty())
        QFile::remove(m_linkPath);
}

void PtyServer::closeLine()
{
    // The line may close from within the notifier's own signal.
    if (m_notifier) {
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
    }
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = m_master = -1;
}

bool PtyServer::start()
{
    if (!m_line->openLogs()) {
        m_error = m_line->errorString();
        return false;
    }
    return openLine() && pointLink();
}

bool PtyServer::openLine()
{
    auto fail = [this](const char *step) {
        m_error = QStringLiteral("%1: %2").arg(QLatin1String(step),
                                               QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    };

    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        return fail("posix_openpt");
    if (::grantpt(m_master) != 0)
        return fail("grantpt");
    if (::unlockpt(m_master) != 0)
        return fail("unlockpt");
    const char *name = ::ptsname(m_master);
    if (!name)
        return fail("ptsname");
    m_slavePath = QString::fromLocal8Bit(name);

    m_slave = ::open(name, O_RDWR | O_NOCTTY);
    if (m_slave < 0)
        return fail("open slave");
    // Raw mode: no echo, no line editing, no CR/LF translation, in either direction.
    termios settings{};
    if (::tcgetattr(m_slave, &settings) != 0)
        return fail("tcgetattr");
    ::cfmakeraw(&settings);
    if (::tcsetattr(m_slave, TCSANOW, &settings) != 0)
        return fail("tcsetattr");

    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtyServer::readMaster);
    return true;
}

// The link is replaced in one step, so that a client never finds it missing.
bool PtyServer::pointLink()
{
    if (m_linkPath.isEmpty())
        return true;
    const QByteArray link = QFile::encodeName(m_linkPath);
    const QByteArray fresh = link + ".new";
    ::unlink(fresh.constData());
    if (::symlink(QFile::encodeName(m_slavePath).constData(), fresh.constData()) != 0 ||
        ::rename(fresh.constData(), link.constData()) != 0) {
        m_error = QStringLiteral("link %1: %2")
                      .arg(m_linkPath, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    return true;
}

bool PtyServer::hangUp()
{
    closeLine();
    m_line->restart();
    return openLine() && pointLink();
}

void PtyServer::readMaster()
{
    char buffer[4096];
    const ssize_t n = ::read(m_master, buffer, sizeof buffer);
    if (n <= 0)
        return; // EAGAIN, or EIO while no client holds the slave: nothing to read
    m_line->receive(QByteArray(buffer, int(n)));
}
