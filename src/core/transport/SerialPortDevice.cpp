#include "core/transport/SerialPortDevice.h"

#include "core/transport/LocalOpenQueue.h"

#include <QFile>
#include <QFileInfo>
#include <QSerialPort>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Characters still queued in the terminal driver of an open port (0 when the driver cannot
// tell, as pseudo-terminals do for output).
qint64 driverCount(QSerialPort *port, unsigned long request)
{
    if (!port->isOpen() || port->handle() < 0)
        return 0;
    int count = 0;
    if (::ioctl(port->handle(), request, &count) < 0)
        return 0;
    return count;
}

// A port that is closed gives back the line settings it found; a program that is killed leaves
// its own. A pseudo-terminal keeps them and always reads back 8 bits without parity, so the
// next open that asks for 7 bits and parity reads back exactly what was there before, takes the
// settings as refused and fails (EINVAL). Such a line is put back to raw 9600,N,8,1 once, so that
// the settings asked for can be seen to take effect. True when the line could be reset.
bool resetLeftoverLine(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    termios line{};
    bool reset = ::isatty(fd) && ::tcgetattr(fd, &line) == 0;
    if (reset) {
        ::cfmakeraw(&line);
        ::cfsetspeed(&line, B9600);
        line.c_cflag &= ~tcflag_t(PARODD | CLOCAL);
        line.c_iflag &= ~tcflag_t(IGNPAR);
        reset = ::tcsetattr(fd, TCSANOW, &line) == 0;
    }
    ::close(fd);
    return reset;
}

} // namespace

SerialPortDevice::SerialPortDevice(const QString &path, QObject *parent)
    : SerialDevice(parent), m_path(path), m_port(new QSerialPort(this))
{
    // A name without "/" is a device under /dev (ttyS0); a path is used as given. QSerialPort
    // looks for a relative path such as dev/ttyS0 under /dev, so it gets the absolute path.
    m_port->setPortName(path.contains(QLatin1Char('/')) ? QFileInfo(path).absoluteFilePath()
                                                        : path);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    // Queued, so that the owner never sees a receive event while it is still inside write().
    connect(m_port, &QSerialPort::readyRead, this, &SerialDevice::readyRead, Qt::QueuedConnection);
    connect(m_port, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError error) { lineLost(error); });
}

void SerialPortDevice::lineLost(int error)
{
    // A device that vanished or fails to read or write is lost: the port is closed at once (a
    // vanished device would keep signalling that it can be read, every read failing).
    if ((error != QSerialPort::ResourceError && error != QSerialPort::ReadError &&
         error != QSerialPort::WriteError) ||
        !m_port->isOpen())
        return;
    m_error = lossReason();
    close();
    emit deviceLost();
}

// What happened to a line that failed while open. The system's error text is that of the last
// call that failed, which after a hang-up is often an unrelated one ("Inappropriate ioctl for
// device"), so the line itself is asked.
QString SerialPortDevice::lossReason() const
{
    // The node of an unplugged adapter, or of a pseudo-terminal whose far end closed, is removed.
    if (!QFileInfo::exists(systemPath()))
        return QStringLiteral("the device went away");
    pollfd line{int(m_port->handle()), POLLIN, 0};
    if (::poll(&line, 1, 0) > 0 && (line.revents & (POLLHUP | POLLERR)))
        return QStringLiteral("the line was hung up");
    return m_port->errorString();
}

QString SerialPortDevice::systemPath() const
{
    return m_path.contains(QLatin1Char('/')) ? QFileInfo(m_path).absoluteFilePath()
                                             : QStringLiteral("/dev/") + m_path;
}

SerialPortDevice::~SerialPortDevice()
{
    close();
}

QString SerialPortDevice::deviceName() const
{
    return m_path;
}

QString SerialPortDevice::errorString() const
{
    return m_error;
}

bool SerialPortDevice::setLineSettings(const LineSettings &settings)
{
    if (settings.baud <= 0 || !m_port->setBaudRate(settings.baud))
        return false;

    // Mark and space are not offered by the settings dialog, but an edited settings store may
    // hold them; the line supports them, so they are honoured.
    const QString parity = settings.parity.toUpper();
    QSerialPort::Parity p;
    if (parity == QLatin1String("N"))
        p = QSerialPort::NoParity;
    else if (parity == QLatin1String("E"))
        p = QSerialPort::EvenParity;
    else if (parity == QLatin1String("O"))
        p = QSerialPort::OddParity;
    else if (parity == QLatin1String("M"))
        p = QSerialPort::MarkParity;
    else if (parity == QLatin1String("S"))
        p = QSerialPort::SpaceParity;
    else
        return false;

    QSerialPort::DataBits d;
    switch (settings.dataBits) {
    case 5:
        d = QSerialPort::Data5;
        break;
    case 6:
        d = QSerialPort::Data6;
        break;
    case 7:
        d = QSerialPort::Data7;
        break;
    case 8:
        d = QSerialPort::Data8;
        break;
    default:
        return false;
    }

    QSerialPort::StopBits s;
    switch (settings.stopBits) {
    case 1:
        s = QSerialPort::OneStop;
        break;
    case 2:
        s = QSerialPort::TwoStop;
        break;
    default:
        return false;
    }

    return m_port->setParity(p) && m_port->setDataBits(d) && m_port->setStopBits(s) &&
           m_port->setFlowControl(QSerialPort::NoFlowControl);
}

SerialDevice::OpenResult SerialPortDevice::open()
{
    m_error.clear();
    if (m_waitingForTurn)
        return OpenResult::InUse;
    const bool now = LocalOpenQueue::takeTurn(this, [this] {
        m_waitingForTurn = false;
        emit openFinished(openNow());
    });
    if (now)
        return openNow();
    m_waitingForTurn = true;
    return OpenResult::Pending;
}

SerialDevice::OpenResult SerialPortDevice::openNow()
{
    if (m_port->open(QIODevice::ReadWrite))
        return OpenResult::Opened;
    if (m_port->error() == QSerialPort::UnsupportedOperationError &&
        resetLeftoverLine(systemPath())) {
        m_port->clearError();
        if (m_port->open(QIODevice::ReadWrite))
            return OpenResult::Opened;
    }
    const QSerialPort::SerialPortError error = m_port->error();
    m_error = m_port->errorString();
    m_port->clearError();
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return OpenResult::Missing;
    case QSerialPort::PermissionError: // locked by another program, or access denied
    case QSerialPort::OpenError:       // already open through this object
        return OpenResult::InUse;
    default:
        return OpenResult::Failed;
    }
}

void SerialPortDevice::close()
{
    m_waitingForTurn = false;
    LocalOpenQueue::leave(this);
    if (m_port->isOpen())
        m_port->close();
}

bool SerialPortDevice::isOpen() const
{
    return m_port->isOpen();
}

void SerialPortDevice::write(const QByteArray &bytes)
{
    if (!m_port->isOpen() || bytes.isEmpty())
        return;
    m_port->write(bytes);
    // Push the piece into the driver now, so that a pause after it is a pause on the line;
    // what the driver does not take yet goes out from the event loop. Nothing waits here.
    m_port->flush();
}

QByteArray SerialPortDevice::readAll()
{
    return m_port->readAll();
}

void SerialPortDevice::discardInput()
{
    if (!m_port->isOpen())
        return;
    m_port->clear(QSerialPort::Input);
    m_port->readAll();
}

qint64 SerialPortDevice::bytesAvailable() const
{
    return m_port->bytesAvailable() + driverCount(m_port, FIONREAD);
}

qint64 SerialPortDevice::bytesToWrite() const
{
    return m_port->bytesToWrite() + driverCount(m_port, TIOCOUTQ);
}
