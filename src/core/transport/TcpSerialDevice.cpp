#include "core/transport/TcpSerialDevice.h"

#include "core/transport/NetworkAddress.h"

#include <QTcpSocket>

#include <sys/ioctl.h>
#include <sys/socket.h>

TcpSerialDevice::TcpSerialDevice(const QString &address, QObject *parent)
    : SerialDevice(parent), m_address(address), m_socket(new QTcpSocket(this))
{
    // Queued, so that the owner never sees a receive event while it is still inside write().
    connect(m_socket, &QTcpSocket::readyRead, this, &SerialDevice::readyRead, Qt::QueuedConnection);
    connect(m_socket, &QTcpSocket::connected, this, &TcpSerialDevice::connected);
    connect(m_socket, &QTcpSocket::disconnected, this, &TcpSerialDevice::dropped);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &TcpSerialDevice::failed);
}

TcpSerialDevice::~TcpSerialDevice()
{
    close();
}

bool TcpSerialDevice::isAddress(const QString &entry)
{
    return NetworkAddress::kind(entry) == NetworkAddress::Kind::Raw;
}

bool TcpSerialDevice::parseAddress(const QString &entry, QString *host, quint16 *port)
{
    return isAddress(entry) && NetworkAddress::parse(entry, host, port);
}

QString TcpSerialDevice::deviceName() const
{
    return m_address;
}

bool TcpSerialDevice::setLineSettings(const LineSettings &)
{
    return true; // the device server's own settings apply
}

SerialDevice::OpenResult TcpSerialDevice::open()
{
    m_error.clear();
    QString host;
    quint16 port = 0;
    if (!parseAddress(m_address, &host, &port)) {
        m_error = QStringLiteral("not an address of the form tcp://HOST:PORT");
        return OpenResult::Missing;
    }
    if (m_opening || m_socket->state() != QAbstractSocket::UnconnectedState)
        return OpenResult::InUse;
    // The look-up and the connection go on in the event loop; connected() or failed() ends
    // them.
    m_opening = true;
    m_socket->connectToHost(host, port);
    return OpenResult::Pending;
}

void TcpSerialDevice::connected()
{
    if (!m_opening)
        return;
    m_opening = false;
    m_connected = true;
    // Commands are short and each waits for its reply: send every piece at once.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    emit openFinished(OpenResult::Opened);
}

void TcpSerialDevice::failed()
{
    if (!m_opening) {
        // A standing connection that fails (reset by the far end, network gone) is lost.
        if (m_connected && m_socket->state() != QAbstractSocket::ConnectedState)
            dropped();
        return;
    }
    m_opening = false;
    const QAbstractSocket::SocketError error = m_socket->error();
    m_error = m_socket->errorString();
    m_socket->abort();
    // A name that does not resolve is a device that does not exist; a refusal or a silent
    // host is a device that exists but cannot be used now.
    emit openFinished(error == QAbstractSocket::HostNotFoundError ? OpenResult::Missing
                                                                  : OpenResult::InUse);
}

void TcpSerialDevice::dropped()
{
    // Only a connection that stood can be lost; failures while connecting belong to open(),
    // and close() lets go of the connection before it is dropped.
    if (!m_connected)
        return;
    m_connected = false;
    m_error = m_socket->errorString();
    if (m_error.isEmpty() || m_socket->error() == QAbstractSocket::UnknownSocketError)
        m_error = QStringLiteral("the connection was closed by the device server");
    emit deviceLost();
}

void TcpSerialDevice::close()
{
    // Closing while the connection is still being made cancels it without openFinished.
    m_opening = false;
    m_connected = false;
    if (m_socket->state() != QAbstractSocket::UnconnectedState)
        m_socket->abort();
}

bool TcpSerialDevice::isOpen() const
{
    return m_connected && m_socket->state() == QAbstractSocket::ConnectedState;
}

void TcpSerialDevice::write(const QByteArray &bytes)
{
    if (!isOpen() || bytes.isEmpty())
        return;
    // Hands the piece to the system at once, as far as its buffer takes it; the rest goes out
    // from the event loop. Nothing waits here.
    m_socket->write(bytes);
    m_socket->flush();
}

QByteArray TcpSerialDevice::readAll()
{
    return m_socket->readAll();
}

qint64 TcpSerialDevice::bytesAvailable() const
{
    // Bytes already in the system's receive buffer count as waiting too, as on a serial line.
    int pending = 0;
    const qintptr handle = m_socket->socketDescriptor();
    if (handle >= 0 && ::ioctl(int(handle), FIONREAD, &pending) < 0)
        pending = 0;
    return m_socket->bytesAvailable() + pending;
}

qint64 TcpSerialDevice::bytesToWrite() const
{
    return m_socket->bytesToWrite();
}

QString TcpSerialDevice::errorString() const
{
    return m_error;
}

void TcpSerialDevice::discardInput()
{
    // What the device server had buffered from the line before this connection, or a greeting
    // of its own, belongs to no reply of this session. It is dropped where bytesAvailable counts
    // it: in the socket's buffer and in the system's.
    if (m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    m_socket->readAll();
    const int handle = int(m_socket->socketDescriptor());
    char bytes[4096];
    while (handle >= 0 && ::recv(handle, bytes, sizeof bytes, MSG_DONTWAIT) > 0) {
    }
}
