#include "core/transport/Rfc2217SerialDevice.h"

#include "core/transport/NetworkAddress.h"

#include <QStringList>
#include <QTcpSocket>
#include <QTimer>
#include <QtEndian>

#include <algorithm>

namespace {

// COM Port option commands, client to server; the server confirms each with the code + 100.
enum ComPortCommand : quint8
{
    SetBaudRate = 1,
    SetDataSize = 2,
    SetParity = 3,
    SetStopSize = 4,
    SetControl = 5,
    PurgeData = 12
};
constexpr quint8 ServerOffset = 100;
constexpr quint8 NoFlowControl = 1;
constexpr quint8 PurgeBothBuffers = 3;

// The option's parity values, indexed by the parity letters N, O, E, M, S (1 to 5).
const QString kParityLetters = QStringLiteral("NOEMS");

quint8 parityValue(const QString &letter)
{
    return letter.size() == 1 ? quint8(kParityLetters.indexOf(letter.toUpper()) + 1) : 0;
}

} // namespace

Rfc2217SerialDevice::Rfc2217SerialDevice(const QString &address, QObject *parent)
    : SerialDevice(parent), m_address(address), m_socket(new QTcpSocket(this)),
      m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &Rfc2217SerialDevice::timedOut);
    connect(m_socket, &QTcpSocket::connected, this, &Rfc2217SerialDevice::connected);
    connect(m_socket, &QTcpSocket::readyRead, this, &Rfc2217SerialDevice::received);
    connect(m_socket, &QTcpSocket::disconnected, this, &Rfc2217SerialDevice::dropped);
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (m_state == State::Connecting) {
            // A name that does not resolve is a device that does not exist; a refusal is a
            // device that exists but cannot be used now.
            finishOpen(error == QAbstractSocket::HostNotFoundError ? OpenResult::Missing
                                                                   : OpenResult::InUse,
                       m_socket->errorString());
        } else if (m_state == State::Negotiating) {
            finishOpen(OpenResult::Failed,
                       QStringLiteral("the connection ended while the line was being set up (%1)")
                           .arg(m_socket->errorString()));
        }
    });
}

Rfc2217SerialDevice::~Rfc2217SerialDevice()
{
    close();
}

bool Rfc2217SerialDevice::isAddress(const QString &entry)
{
    return NetworkAddress::kind(entry) == NetworkAddress::Kind::Rfc2217;
}

QString Rfc2217SerialDevice::deviceName() const
{
    return m_address;
}

void Rfc2217SerialDevice::setTimeouts(int negotiationMs, int openMs)
{
    m_negotiationMs = negotiationMs;
    m_openMs = openMs;
}

bool Rfc2217SerialDevice::setLineSettings(const LineSettings &settings)
{
    if (settings.baud <= 0 || parityValue(settings.parity) == 0 || settings.dataBits < 5 ||
        settings.dataBits > 8 || settings.stopBits < 1 || settings.stopBits > 2) {
        m_error = QStringLiteral("the line settings %1 cannot be set on a device server")
                      .arg(settings.settingsText());
        return false;
    }
    m_settings = settings;
    if (m_state == State::Open)
        sendLineSettings();
    return true;
}

SerialDevice::OpenResult Rfc2217SerialDevice::open()
{
    if (m_state == State::Connecting || m_state == State::Negotiating || m_state == State::Open)
        return OpenResult::InUse;
    close(); // a lost connection is opened afresh
    m_error.clear();
    QString host;
    quint16 port = 0;
    if (!isAddress(m_address) || !NetworkAddress::parse(m_address, &host, &port)) {
        m_error = QStringLiteral("not an address of the form rfc2217://HOST:PORT");
        return OpenResult::Missing;
    }
    if (m_settings.baud <= 0) {
        m_error = QStringLiteral("no line settings to set");
        return OpenResult::Failed;
    }
    m_framing.reset();
    m_awaited.clear();
    m_refused.clear();
    m_comPortSent = false;
    m_state = State::Connecting;
    m_timer->start(m_openMs);
    m_inOpen = true;
    m_socket->connectToHost(host, port);
    m_inOpen = false;
    return OpenResult::Pending;
}

void Rfc2217SerialDevice::connected()
{
    if (m_state != State::Connecting)
        return;
    m_state = State::Negotiating;
    m_timer->start(qMin(m_negotiationMs, qMax(0, m_timer->remainingTime())));
    // Commands are short and each waits for its reply: send every piece at once.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    // Binary both ways, so that a CR travels bare and a NUL is never added after it.
    using F = TelnetFraming;
    send(F::negotiation(F::WILL, F::Binary) + F::negotiation(F::DO, F::Binary) +
         F::negotiation(F::WILL, F::SuppressGoAhead) + F::negotiation(F::DO, F::SuppressGoAhead) +
         F::negotiation(F::WILL, F::ComPort));
}

void Rfc2217SerialDevice::received()
{
    const QByteArray data = ingest(m_socket->readAll());
    if (data.isEmpty() || m_state == State::Closed)
        return;
    m_data += data;
    if (m_state == State::Open)
        emit readyRead();
}

QByteArray Rfc2217SerialDevice::ingest(const QByteArray &bytes)
{
    const QByteArray data = m_framing.feed(bytes);
    const QList<TelnetFraming::Event> events = m_framing.takeEvents();
    for (const TelnetFraming::Event &event : events) {
        if (m_state == State::Closed)
            break;
        if (event.kind == TelnetFraming::Event::Negotiation)
            negotiation(event.code, event.option);
        else if (event.kind == TelnetFraming::Event::SubNegotiation &&
                 event.option == TelnetFraming::ComPort)
            comPortAnswer(event.payload);
        // Other commands (NOP, GA, ...) and dropped sub-negotiations carry nothing for the line.
    }
    return data;
}

void Rfc2217SerialDevice::negotiation(quint8 verb, quint8 option)
{
    using F = TelnetFraming;
    switch (option) {
    case F::Binary:
        // Asked for at connection, so every verb here is an answer and is not answered again.
        if (verb == F::WILL || verb == F::WONT)
            m_framing.setBinaryIn(verb == F::WILL);
        else
            m_framing.setBinaryOut(verb == F::DO);
        return;
    case F::SuppressGoAhead:
        return; // asked for too; a go-ahead that still comes is a command without data
    case F::ComPort:
        if (verb == F::DO) {
            if (m_state == State::Negotiating && !m_comPortSent) {
                m_comPortSent = true;
                sendLineSettings();
            }
            return;
        }
        if (verb == F::DONT || verb == F::WONT) {
            if (m_state == State::Negotiating)
                finishOpen(OpenResult::Failed,
                           QStringLiteral("the device server does not let the line settings be "
                                          "set (it refuses the COM Port option of RFC 2217)"));
            return;
        }
        break; // the server offering the client's side of the option: refused below
    default:
        break;
    }
    // Anything else the server asks for or offers is refused, once per option and verb, so
    // that a server that asks again cannot start an endless exchange.
    if (verb != F::WILL && verb != F::DO)
        return;
    const int key = verb << 8 | option;
    if (m_refused.contains(key))
        return;
    m_refused.insert(key);
    send(F::negotiation(verb == F::WILL ? F::DONT : F::WONT, option));
}

QByteArray Rfc2217SerialDevice::settingValue(quint8 command) const
{
    switch (command) {
    case SetBaudRate: {
        char baud[4];
        qToBigEndian(quint32(m_settings.baud), baud);
        return QByteArray(baud, 4);
    }
    case SetDataSize:
        return QByteArray(1, char(m_settings.dataBits));
    case SetParity:
        return QByteArray(1, char(parityValue(m_settings.parity)));
    case SetStopSize:
        return QByteArray(1, char(m_settings.stopBits));
    case PurgeData:
        return QByteArray(1, char(PurgeBothBuffers));
    default:
        return QByteArray(1, char(NoFlowControl)); // the link uses no handshake
    }
}

// The line settings a server answered, in the form of LineSettings::settingsText, each value
// as a number when it is none the option knows ("?" when it has the wrong size).
QString Rfc2217SerialDevice::answeredSettings() const
{
    QStringList values;
    for (quint8 command : {SetBaudRate, SetParity, SetDataSize, SetStopSize}) {
        const QByteArray value = m_answers.value(command);
        const int size = command == SetBaudRate ? 4 : 1;
        if (value.size() != size) {
            values << QStringLiteral("?");
            continue;
        }
        const quint32 number =
            size == 4 ? qFromBigEndian<quint32>(value.constData()) : quint32(quint8(value.at(0)));
        if (command == SetParity && number >= 1 && number <= quint32(kParityLetters.size()))
            values << kParityLetters.at(number - 1);
        else if (command == SetStopSize && number == 3)
            values << QStringLiteral("1.5");
        else
            values << QString::number(number);
    }
    return values.join(QLatin1Char(','));
}

void Rfc2217SerialDevice::sendLineSettings()
{
    // SET-CONTROL is not waited for: a line without modem lines (a pseudo-terminal) may never
    // confirm it. When opening, the server's buffers are purged after the settings, so that
    // nothing the line brought before this connection passes for a reply.
    QList<quint8> commands = {SetBaudRate, SetDataSize, SetParity, SetStopSize, SetControl};
    if (m_state == State::Negotiating) {
        commands << PurgeData;
        m_awaited = {SetBaudRate, SetDataSize, SetParity, SetStopSize, PurgeData};
        m_answers.clear();
    }
    QByteArray bytes;
    for (quint8 command : std::as_const(commands))
        bytes += TelnetFraming::subNegotiation(TelnetFraming::ComPort,
                                               char(command) + settingValue(command));
    send(bytes);
}

void Rfc2217SerialDevice::comPortAnswer(const QByteArray &payload)
{
    if (payload.isEmpty() || quint8(payload.at(0)) <= ServerOffset)
        return;
    const quint8 command = quint8(payload.at(0)) - ServerOffset;
    if (m_state != State::Negotiating || !m_awaited.remove(command))
        return;
    m_answers.insert(command, payload.mid(1));
    if (command == PurgeData)
        m_data.clear(); // came before the purge
    // The server answers with the value it uses. One that uses anything else than what was asked
    // (a speed the line cannot take, or zeros) leaves a line that would garble every reply: the
    // port cannot be used.
    const QList<quint8> settings = {SetBaudRate, SetDataSize, SetParity, SetStopSize};
    if (std::any_of(settings.begin(), settings.end(),
                    [this](quint8 c) { return m_awaited.contains(c); }))
        return;
    for (quint8 setting : settings) {
        if (m_answers.value(setting) != settingValue(setting)) {
            finishOpen(OpenResult::Failed,
                       QStringLiteral("the device server did not take the line settings %1 (the "
                                      "server answered %2)")
                           .arg(m_settings.settingsText(), answeredSettings()));
            return;
        }
    }
    if (m_comPortSent && m_awaited.isEmpty())
        finishOpen(OpenResult::Opened);
}

void Rfc2217SerialDevice::timedOut()
{
    if (m_state == State::Connecting) {
        finishOpen(OpenResult::InUse, QStringLiteral("no connection within %1 ms").arg(m_openMs));
    } else if (m_state == State::Negotiating) {
        QString reason;
        if (!m_comPortSent)
            reason = QStringLiteral("the device server did not answer the request to set the "
                                    "line (the COM Port option of RFC 2217)");
        else if (m_awaited == QSet<quint8>{PurgeData})
            reason = QStringLiteral("the device server did not confirm that it purged its "
                                    "buffers");
        else
            reason = QStringLiteral("the device server did not confirm the line settings");
        finishOpen(OpenResult::Failed, reason);
    }
}

void Rfc2217SerialDevice::finishOpen(OpenResult result, const QString &reason)
{
    if (m_state != State::Connecting && m_state != State::Negotiating)
        return;
    m_timer->stop();
    if (result == OpenResult::Opened) {
        m_state = State::Open;
    } else {
        m_error = reason;
        m_state = State::Closed;
        m_socket->abort();
        m_data.clear();
    }
    if (!m_inOpen) {
        emit openFinished(result);
        return;
    }
    // Failed before open() returned: the caller hears of it from the event loop, after Pending.
    const quint64 generation = m_generation;
    QTimer::singleShot(0, this, [this, generation, result] {
        if (generation == m_generation)
            emit openFinished(result);
    });
}

void Rfc2217SerialDevice::dropped()
{
    if (m_state == State::Open) {
        // The line is gone: the device reports itself closed at once, and its owner ends
        // whatever was going on.
        m_state = State::Lost;
        m_error = m_socket->errorString();
        if (m_error.isEmpty() || m_socket->error() == QAbstractSocket::UnknownSocketError)
            m_error = QStringLiteral("the connection was closed by the device server");
        emit deviceLost();
    } else if (m_state == State::Connecting || m_state == State::Negotiating) {
        finishOpen(OpenResult::Failed,
                   QStringLiteral("the device server closed the connection while the line was "
                                  "being set up"));
    }
}

void Rfc2217SerialDevice::close()
{
    ++m_generation; // an open that is still going on ends without a report
    m_state = State::Closed;
    m_timer->stop();
    if (m_socket->state() != QAbstractSocket::UnconnectedState)
        m_socket->abort();
    m_data.clear();
}

bool Rfc2217SerialDevice::isOpen() const
{
    return m_state == State::Open;
}

void Rfc2217SerialDevice::send(const QByteArray &bytes)
{
    if (m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    m_socket->write(bytes);
    // Into the network now, so that a pause after a piece is a pause on the line.
    m_socket->flush();
}

void Rfc2217SerialDevice::write(const QByteArray &bytes)
{
    if (m_state == State::Open && !bytes.isEmpty())
        send(m_framing.encode(bytes));
}

QByteArray Rfc2217SerialDevice::readAll()
{
    QByteArray data;
    data.swap(m_data);
    return data;
}

void Rfc2217SerialDevice::discardInput()
{
    // What the device server had buffered from the line before this connection belongs to no
    // reply of this session; the Telnet commands among it still count.
    if (m_state == State::Open)
        ingest(m_socket->readAll());
    m_data.clear();
}

qint64 Rfc2217SerialDevice::bytesAvailable() const
{
    return m_data.size();
}

qint64 Rfc2217SerialDevice::bytesToWrite() const
{
    return m_socket->bytesToWrite();
}

QString Rfc2217SerialDevice::errorString() const
{
    return m_error;
}
