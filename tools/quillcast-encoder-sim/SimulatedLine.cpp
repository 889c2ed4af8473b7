#include "SimulatedLine.h"

#include "core/protocol/CtrlACommand.h"

#include <QDateTime>
#include <QTimer>

#include <algorithm>

// "01 39 0D\t<SOH>9<CR>": the bytes in hexadecimal, then readable with control characters named.
QByteArray SimulatedLine::describe(const QByteArray &bytes)
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

SimulatedLine::SimulatedLine(const Options &options, QObject *parent)
    : QObject(parent), m_options(options), m_receiveTimer(new QTimer(this)),
      m_sendTimer(new QTimer(this))
{
    m_simulator.setSilent(options.silent);
    m_simulator.setMakerName(options.makerName);
    m_simulator.setFaults(options.faults);
    m_sendTimer->setSingleShot(true);
    m_sendTimer->setTimerType(Qt::PreciseTimer);
    connect(m_sendTimer, &QTimer::timeout, this, &SimulatedLine::sendDue);
    m_receiveTimer->setSingleShot(true);
    m_receiveTimer->setTimerType(Qt::PreciseTimer);
    connect(m_receiveTimer, &QTimer::timeout, this, &SimulatedLine::receiveDue);
    m_clock.start();
}

SimulatedLine::~SimulatedLine() = default;

bool SimulatedLine::openLogs()
{
    const auto open = [this](QFile &file, const QString &path) {
        if (path.isEmpty())
            return true;
        file.setFileName(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
            return true;
        m_error = path + QStringLiteral(": ") + file.errorString();
        return false;
    };
    return open(m_log, m_options.logPath) && open(m_chunkLog, m_options.chunkLogPath);
}

void SimulatedLine::restart()
{
    ++m_generation;
    m_input.clear();
    m_output.clear();
    m_receiveTimer->stop();
    m_sendTimer->stop();
    m_simulator.lineRestored();
}

void SimulatedLine::receive(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    if (m_chunkLog.isOpen())
        logLine(m_chunkLog, QByteArray::number(QDateTime::currentMSecsSinceEpoch()) + '\t' +
                                QByteArray::number(bytes.size()) + '\t' + describe(bytes));

    if (m_options.lineRate <= 0) {
        handle(bytes);
        return;
    }
    // A pseudo-terminal or a socket delivers at once what a real line carries one character at
    // a time: each byte counts as arrived one character time after the one before it, and
    // never before it was actually read.
    const qint64 now = m_clock.nsecsElapsed();
    for (char byte : bytes) {
        m_inputArrivedAtNs = qMax(now, m_inputArrivedAtNs + perByteNs());
        m_input.append({byte, m_inputArrivedAtNs});
    }
    receiveDue();
}

// Hands the simulator the bytes that have arrived on the simulated line by now, and waits for
// the next one that can end a command (CR or ETX): the bytes in between change nothing until
// then, so the line wakes once per command rather than once per character.
void SimulatedLine::receiveDue()
{
    const qint64 now = m_clock.nsecsElapsed();
    QByteArray arrived;
    while (!m_input.isEmpty() && m_input.constFirst().arrivesAtNs <= now)
        arrived += m_input.takeFirst().byte;
    if (!arrived.isEmpty())
        handle(arrived);
    const auto end = std::find_if(m_input.cbegin(), m_input.cend(), [](const Incoming &in) {
        return in.byte == CtrlACommand::CR || in.byte == CtrlACommand::ETX;
    });
    if (end == m_input.cend())
        m_receiveTimer->stop();
    else
        m_receiveTimer->start(int(qMax<qint64>(0, (end->arrivesAtNs - now + 999999) / 1000000)));
}

void SimulatedLine::handle(const QByteArray &bytes)
{
    const int before = m_simulator.received().size();
    const QByteArray reply = m_simulator.receive(bytes, QDateTime::currentMSecsSinceEpoch());
    const QList<EncoderSimulator::ReceivedCommand> commands = m_simulator.received();
    for (int i = before; i < commands.size(); ++i)
        logLine(m_log, QByteArray::number(commands.at(i).msecsSinceEpoch) + '\t' +
                           describe(commands.at(i).bytes));

    if (m_simulator.lineDropped()) {
        // The transport closes its end and restarts the line; nothing of this batch is answered.
        emit hungUp();
        return;
    }
    if (reply.isEmpty())
        return;
    if (m_options.replyDelay > 0) {
        const quint64 generation = m_generation;
        QTimer::singleShot(m_options.replyDelay, Qt::PreciseTimer, this, [this, reply, generation] {
            if (generation == m_generation)
                queueReply(reply);
        });
    } else {
        queueReply(reply);
    }
}

void SimulatedLine::queueReply(const QByteArray &reply)
{
    // An idle line carries the first byte at once; a busy one after what it still carries.
    if (m_output.isEmpty())
        m_lineFreeAtNs = qMax(m_lineFreeAtNs, m_clock.nsecsElapsed());
    m_output += reply;
    if (!m_sendTimer->isActive())
        sendDue();
}

// At line rate r one character (start bit, eight data bits, stop bit) takes 10 / r seconds.
qint64 SimulatedLine::perByteNs() const
{
    return 10LL * 1000000000LL / m_options.lineRate;
}

// Writes what the simulated line has had time to carry.
void SimulatedLine::sendDue()
{
    if (m_output.isEmpty() || !m_writer)
        return;
    qsizetype count = m_output.size();
    qint64 nextDueNs = 0;
    if (m_options.lineRate > 0) {
        const qint64 perByte = perByteNs();
        const qint64 now = m_clock.nsecsElapsed();
        count = 0;
        while (count < m_output.size() && m_lineFreeAtNs <= now) {
            m_lineFreeAtNs += perByte;
            ++count;
        }
        nextDueNs = m_lineFreeAtNs - now;
    }
    const qint64 written = m_writer(m_output.left(count));
    if (written > 0)
        m_output.remove(0, written);
    if (m_output.isEmpty())
        return;
    // Part of the output is still on the simulated line (or the client's buffer was full).
    m_sendTimer->start(
        int(qMax<qint64>(qMax(1, m_options.gatherMs), (nextDueNs + 999999) / 1000000)));
}

void SimulatedLine::logLine(QFile &file, const QByteArray &line)
{
    if (!file.isOpen())
        return;
    file.write(line + '\n');
    file.flush();
}
