#include "link/TcpSerialDevice.h"

#include "link/NetworkAddress.h"

#include <QTcpSocket>

#include <sys/ioctl.h>

TcpSerialDevice::TcpSerialDevice(const QString &address, QObject *parent)
    : SerialDevice(parent), m_address(address), m_socket(new QTcpSocket(this))
{
    // Queued, so that the owner never sees a receive event while it is still inside write().
    connect(m_socket, &QTcpSocket::readyRead, this, &SerialDevice::readyRead, Qt::QueuedConnection);
    connect(m_socket, &QTcpSocket::disconnected, this, &TcpSerialDevice::dropped);
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

bool TcpSerialDevice::setLineSettings(const COMSettings &)
{
    return true; // the device server's own settings apply
}

SerialDevice::OpenResult TcpSerialDevice::open()
{
    m_lost = false;
    m_error.clear();
    QString host;
    quint16 port = 0;
    if (!parseAddress(m_address, &host, &port)) {
        m_error = QStringLiteral("not an address of the form tcp://HOST:PORT");
        return OpenResult::Missing;
    }
    if (m_socket->state() != QAbstractSocket::UnconnectedState)
        return OpenResult::InUse;

    // Opening blocks like the open of a serial port, bounded by the time-out: the link is
    // usable only once the connection stands.
    m_socket->connectToHost(host, port);
    if (m_socket->waitForConnected(ConnectTimeoutMs)) {
        // Commands are short and each waits for its reply: send every piece at once.
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        m_connected = true;
        return OpenResult::Opened;
    }
    const QAbstractSocket::SocketError error = m_socket->error();
    m_error = m_socket->errorString();
    m_socket->abort();
    // A name that does not resolve is a device that does not exist; a refusal or a silent
    // host is a device that exists but cannot be used now.
    return error == QAbstractSocket::HostNotFoundError ? OpenResult::Missing : OpenResult::InUse;
}

void TcpSerialDevice::dropped()
{
    // Only a connection that stood can be lost; failures while connecting belong to open(),
    // and close() lets go of the connection before it is dropped.
    if (!m_connected)
        return;
    m_connected = false;
    m_lost = true;
    m_error = m_socket->errorString();
    emit deviceLost();
}

void TcpSerialDevice::close()
{
    m_connected = false;
    m_lost = false;
    if (m_socket->state() != QAbstractSocket::UnconnectedState)
        m_socket->abort();
}

bool TcpSerialDevice::isOpen() const
{
    return m_socket->state() == QAbstractSocket::ConnectedState || m_lost;
}

void TcpSerialDevice::write(const QByteArray &bytes)
{
    if (m_socket->state() != QAbstractSocket::ConnectedState || bytes.isEmpty())
        return;
    m_socket->write(bytes);
    // Push the piece into the network now, so that a pause after it is a pause on the line.
    m_socket->flush();
    if (m_socket->bytesToWrite() > 0)
        m_socket->waitForBytesWritten(2000);
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
    // What the device server had buffered from the line before this connection belongs to no
    // reply of this session.
    if (m_socket->state() == QAbstractSocket::ConnectedState)
        m_socket->readAll();
}
