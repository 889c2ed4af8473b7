#include "PtyServer.h"

#include <QDateTime>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

// "01 39 0D\t<SOH>9<CR>": the bytes in hexadecimal, then readable with control characters named.
QByteArray PtyServer::describe(const QByteArray &bytes)
{
    static const char *const names[] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
                                        "BS",  "TAB", "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
                                        "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
                                        "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
    QByteArray readable;
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 32)
            readable += QByteArray("<") + names[u] + ">";
        else if (u == '<' || u == '\\' || u >= 127)
            readable += "\\x" + QByteArray::number(u, 16).rightJustified(2, '0').toUpper();
        else
            readable += c;
    }
    return bytes.toHex(' ').toUpper() + '\t' + readable;
}

PtyServer::PtyServer(const Options &options, QObject *parent)
    : QObject(parent), m_options(options), m_receiveTimer(new QTimer(this)),
      m_sendTimer(new QTimer(this))
{
    m_simulator.setSilent(options.silent);
    m_simulator.setMakerName(options.makerName);
    m_simulator.setFaults(options.faults);
    m_sendTimer->setSingleShot(true);
    m_sendTimer->setTimerType(Qt::PreciseTimer);
    connect(m_sendTimer, &QTimer::timeout, this, &PtyServer::sendDue);
    m_receiveTimer->setSingleShot(true);
    m_receiveTimer->setTimerType(Qt::PreciseTimer);
    connect(m_receiveTimer, &QTimer::timeout, this, &PtyServer::receiveDue);
    m_clock.start();
}

PtyServer::~PtyServer()
{
    closeLine();
    if (!m_options.linkPath.isEmpty())
        QFile::remove(m_options.linkPath);
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
    if (!m_options.logPath.isEmpty()) {
        m_log.setFileName(m_options.logPath);
        if (!m_log.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
            m_error = m_log.errorString();
            return false;
        }
    }
    if (!m_options.chunkLogPath.isEmpty()) {
        m_chunkLog.setFileName(m_options.chunkLogPath);
        if (!m_chunkLog.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
            m_error = m_chunkLog.errorString();
            return false;
        }
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
    if (m_options.linkPath.isEmpty())
        return true;
    const QByteArray link = QFile::encodeName(m_options.linkPath);
    const QByteArray fresh = link + ".new";
    ::unlink(fresh.constData());
    if (::symlink(QFile::encodeName(m_slavePath).constData(), fresh.constData()) != 0 ||
        ::rename(fresh.constData(), link.constData()) != 0) {
        m_error = QStringLiteral("link %1: %2")
                      .arg(m_options.linkPath, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    return true;
}

bool PtyServer::hangUp()
{
    closeLine();
    m_input.clear();
    m_output.clear();
    m_receiveTimer->stop();
    m_sendTimer->stop();
    if (!openLine() || !pointLink())
        return false;
    m_simulator.lineRestored();
    return true;
}

void PtyServer::readMaster()
{
    char buffer[4096];
    const ssize_t n = ::read(m_master, buffer, sizeof buffer);
    if (n <= 0)
        return; // EAGAIN, or EIO while no client holds the slave: nothing to read
    const QByteArray bytes(buffer, int(n));

    if (m_chunkLog.isOpen())
        logLine(m_chunkLog, QByteArray::number(QDateTime::currentMSecsSinceEpoch()) + '\t' +
                                QByteArray::number(bytes.size()) + '\t' + describe(bytes));

    if (m_options.lineRate <= 0) {
        handle(bytes);
        return;
    }
    // The pseudo-terminal delivers at once what a real line carries one character at a time:
    // each byte counts as arrived one character time after the one before it, and never
    // before it was actually read.
    const qint64 now = m_clock.nsecsElapsed();
    for (char byte : bytes) {
        m_inputArrivedAtNs = qMax(now, m_inputArrivedAtNs + perByteNs());
        m_input.append({byte, m_inputArrivedAtNs});
    }
    receiveDue();
}

// Hands the simulator the bytes that have arrived on the simulated line by now, and waits
// for the next one.
void PtyServer::receiveDue()
{
    const qint64 now = m_clock.nsecsElapsed();
    QByteArray arrived;
    while (!m_input.isEmpty() && m_input.constFirst().arrivesAtNs <= now)
        arrived += m_input.takeFirst().byte;
    if (!arrived.isEmpty())
        handle(arrived);
    if (m_input.isEmpty())
        m_receiveTimer->stop();
    else
        m_receiveTimer->start(
            int(qMax<qint64>(0, (m_input.constFirst().arrivesAtNs - now + 999999) / 1000000)));
}

void PtyServer::handle(const QByteArray &bytes)
{
    const int before = m_simulator.received().size();
    const QByteArray reply = m_simulator.receive(bytes, QDateTime::currentMSecsSinceEpoch());
    const QList<EncoderSimulator::ReceivedCommand> commands = m_simulator.received();
    for (int i = before; i < commands.size(); ++i)
        logLine(m_log, QByteArray::number(commands.at(i).msecsSinceEpoch) + '\t' +
                           describe(commands.at(i).bytes));

    if (m_simulator.lineDropped()) {
        if (!hangUp())
            std::fprintf(stderr, "quillcast-encoder-sim: %s\n", qPrintable(m_error));
        return;
    }
    if (reply.isEmpty())
        return;
    if (m_options.replyDelay > 0)
        QTimer::singleShot(m_options.replyDelay, Qt::PreciseTimer, this,
                           [this, reply] { queueReply(reply); });
    else
        queueReply(reply);
}

void PtyServer::queueReply(const QByteArray &reply)
{
    m_output += reply;
    if (!m_sendTimer->isActive())
        sendDue();
}

// At line rate r one character (start bit, eight data bits, stop bit) takes 10 / r seconds.
qint64 PtyServer::perByteNs() const
{
    return 10LL * 1000000000LL / m_options.lineRate;
}

// Writes what the simulated line has had time to carry.
void PtyServer::sendDue()
{
    if (m_output.isEmpty())
        return;
    qsizetype count = m_output.size();
    qint64 nextDueNs = 0;
    if (m_options.lineRate > 0) {
        const qint64 perByte = perByteNs();
        const qint64 now = m_clock.nsecsElapsed();
        if (m_lineFreeAtNs < now)
            m_lineFreeAtNs = now;
        count = 0;
        while (count < m_output.size() && m_lineFreeAtNs <= now) {
            m_lineFreeAtNs += perByte;
            ++count;
        }
        nextDueNs = m_lineFreeAtNs - now;
    }
    const ssize_t written = ::write(m_master, m_output.constData(), size_t(count));
    if (written > 0)
        m_output.remove(0, written);
    if (m_output.isEmpty())
        return;
    // Part of the output is still on the simulated line (or the terminal buffer was full).
    m_sendTimer->start(int(qMax<qint64>(1, (nextDueNs + 999999) / 1000000)));
}

void PtyServer::logLine(QFile &file, const QByteArray &line)
{
    if (!file.isOpen())
        return;
    file.write(line + '\n');
    file.flush();
}
