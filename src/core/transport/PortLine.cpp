#include "core/transport/PortLine.h"

#include "core/common/GlobalFunctions.h"
#include "core/simulator/EncoderSimulator.h"
#include "core/transport/NetworkAddress.h"
#include "core/transport/PortList.h"
#include "core/transport/Rfc2217SerialDevice.h"
#include "core/transport/SerialPortDevice.h"
#include "core/transport/SimulatedDevice.h"
#include "core/transport/TcpSerialDevice.h"

#include <QFileInfo>
#include <QTimer>

namespace {

constexpr int PieceLength = 50;    // characters handed over before each pause
constexpr int LastPieceLimit = 51; // a rest this long or shorter goes out in one piece
constexpr int PauseMilliseconds = 20;

// A device path names a local serial device or a line of a serial device server on the
// network: written tcp://HOST:PORT a raw connection, rfc2217://HOST:PORT one that sets the line.
SerialDevice *makeDevice(const QString &path, QObject *parent)
{
    if (Rfc2217SerialDevice::isAddress(path))
        return new Rfc2217SerialDevice(path, parent);
    if (TcpSerialDevice::isAddress(path))
        return new TcpSerialDevice(path, parent);
    return new SerialPortDevice(path, parent);
}

} // namespace

// One piece of a paced write and whether the 20 ms pause follows it.
struct Piece
{
    QByteArray bytes;
    bool pauseAfter = false;
};

struct PortLine::Private
{
    std::function<QStringList()> source; // the device paths to list
    // The list is made when it is first needed, not at construction: a window that is only
    // being shown, or a session handed its device outright, has no use for a scan of the
    // system's ports.
    bool scanned = false;
    QStringList devices; // ports 1..devices.size(); the simulator follows them
    QStringList added;                   // typed by the operator; listed after every scan
    QList<bool> portAvailable;           // one entry per port, simulator included
    LineSettings settings;
    EncoderSimulator simulator;
    SerialDevice *device = nullptr; // the open (or opening) port, or nullptr
    bool opening = false;           // device's open goes on in the event loop
    QTimer *openTimer = nullptr;
    QList<Piece> pieces; // of paced writes, not yet handed to the device
    qsizetype piecesBytes = 0;
    QTimer *pauseTimer = nullptr;
    std::function<void(int)> pause; // in place of pauseTimer, when set
    std::function<void(const QByteArray &)> observer;
    std::function<SerialDevice *(const QString &)> deviceFactory;
};

PortLine::PortLine(QObject *parent) : PortLine(QStringList(), parent)
{
    d->source = &PortList::devices;
}

PortLine::PortLine(const QStringList &devices, QObject *parent)
    : QObject(parent), d(std::make_unique<Private>())
{
    d->source = [devices] { return devices; };
    d->openTimer = new QTimer(this);
    d->openTimer->setObjectName(QStringLiteral("timerOpenTimeout"));
    d->openTimer->setSingleShot(true);
    d->openTimer->setInterval(OpenTimeoutMs);
    connect(d->openTimer, &QTimer::timeout, this, [this] {
        if (!d->opening)
            return;
        const QString name = d->device->deviceName();
        dropDevice(); // cancels the open: no openFinished follows
        emit portOpenFailed(name,
                            QStringLiteral("no answer within %1 s").arg(OpenTimeoutMs / 1000));
    });
    d->pauseTimer = new QTimer(this);
    d->pauseTimer->setSingleShot(true);
    d->pauseTimer->setTimerType(Qt::PreciseTimer);
    connect(d->pauseTimer, &QTimer::timeout, this, [this] { sendPieces(); });
}

void PortLine::scanOnce() const
{
    if (!d->scanned)
        const_cast<PortLine *>(this)->refreshPorts();
}

void PortLine::refreshPorts()
{
    d->scanned = true;
    d->devices = d->source().mid(0, PortList::MaximumDevices);
    for (const QString &device : std::as_const(d->added)) {
        if (!d->devices.contains(device))
            d->devices << device;
    }
    d->portAvailable.clear();

    // A device counts as available when it exists. None is opened to find out: opening a
    // port may reset the device behind it or wait on it, and one that another program holds
    // is listed all the same (Connect then reports that it cannot be opened). Network lines
    // are not probed either: they count as there.
    for (const QString &path : std::as_const(d->devices)) {
        const bool network = NetworkAddress::isAddress(path);
        const QString local =
            path.contains(QLatin1Char('/')) ? path : QStringLiteral("/dev/") + path;
        d->portAvailable << (network || QFileInfo::exists(local));
    }
    d->portAvailable << true; // the simulated encoder is always there
}

PortLine::~PortLine()
{
    if (d->device) {
        d->device->disconnect(this);
        d->device->close();
    }
}

QString PortLine::simulatedDeviceName()
{
    return SimulatedDevice::name();
}

void PortLine::setCOMSettings(const LineSettings &settings)
{
    d->settings = settings;
}

const LineSettings &PortLine::getCOMSettings() const
{
    return d->settings;
}

int PortLine::totalPorts() const
{
    scanOnce();
    return d->devices.size() + 1;
}

bool PortLine::portIsAvailable(int port) const
{
    if (port < 1 || port > totalPorts())
        return false;
    return d->portAvailable.at(port - 1);
}

QString PortLine::portDevice(int port) const
{
    if (port < 1 || port > totalPorts())
        return QString();
    return port == simulatedPort() ? simulatedDeviceName() : d->devices.at(port - 1);
}

int PortLine::simulatedPort() const
{
    return totalPorts();
}

int PortLine::portForDevice(const QString &device) const
{
    if (device == simulatedDeviceName())
        return simulatedPort();
    scanOnce();
    return d->devices.indexOf(device) + 1;
}

int PortLine::addDevice(const QString &device)
{
    const int listed = portForDevice(device);
    if (listed > 0)
        return listed;
    // The simulated encoder stays the last entry. A typed entry is not held to the limit of
    // the scanned list: the operator asked for it by name.
    d->added << device;
    d->devices << device;
    d->portAvailable.insert(d->devices.size() - 1, true);
    return d->devices.size();
}

QString PortLine::deviceFor(const LineSettings &settings) const
{
    if (!settings.device.isEmpty())
        return settings.device;
    scanOnce();
    if (settings.port >= 1 && settings.port <= d->devices.size())
        return d->devices.at(settings.port - 1);
    return QString();
}

bool PortLine::openPort()
{
    const LineSettings &s = d->settings;
    if (s.parity.isEmpty() || s.baud == 0 || s.stopBits == 0 || s.dataBits == 0 || s.port == 0)
        return false;
    const QString path = deviceFor(s);
    if (path.isEmpty())
        return false;

    // Connecting while open re-opens with the current settings rather than keeping two
    // ports: the wrapper stands for one port at a time.
    closePort();

    SerialDevice *device = nullptr;
    if (path == simulatedDeviceName())
        device = new SimulatedDevice(&d->simulator, this);
    else if (d->deviceFactory)
        device = d->deviceFactory(path);
    else
        device = makeDevice(path, this);
    device->setParent(this);

    const SerialDevice::OpenResult result =
        device->setLineSettings(s) ? device->open() : SerialDevice::OpenResult::Failed;
    if (result == SerialDevice::OpenResult::Opened) {
        d->device = device;
        opened();
        return true;
    }
    if (result == SerialDevice::OpenResult::Pending) {
        d->device = device;
        d->opening = true;
        connect(device, &SerialDevice::openFinished, this,
                [this](SerialDevice::OpenResult finished) {
                    if (!d->opening)
                        return;
                    d->opening = false;
                    d->openTimer->stop();
                    if (finished == SerialDevice::OpenResult::Opened) {
                        opened();
                        return;
                    }
                    const QString name = d->device->deviceName();
                    const QString reason = d->device->errorString();
                    dropDevice();
                    emit portOpenFailed(name, reason);
                });
        if (device->openMayHang())
            d->openTimer->start();
        return true;
    }
    emit portOpenFailed(device->deviceName(), device->errorString());
    delete device;
    return false;
}

void PortLine::opened()
{
    SerialDevice *device = d->device;
    // Bytes left in the driver from an earlier session belong to no reply of this one.
    device->discardInput();
    connect(device, &SerialDevice::readyRead, this, &PortLine::charactersReceived);
    connect(device, &SerialDevice::deviceLost, this, [this, device] {
        // The device has closed itself; what was still to be written is dropped.
        d->pieces.clear();
        d->piecesBytes = 0;
        d->pauseTimer->stop();
        emit lineLost(device->deviceName(), device->errorString());
    });
    emit portOpened(device->deviceName());
}

// Lets go of the device, open or opening. It may be the sender of the signal being handled,
// so it is deleted from the event loop.
void PortLine::dropDevice()
{
    SerialDevice *device = d->device;
    d->device = nullptr;
    d->opening = false;
    d->openTimer->stop();
    d->pieces.clear();
    d->piecesBytes = 0;
    d->pauseTimer->stop();
    if (!device)
        return;
    device->disconnect(this);
    device->close();
    device->deleteLater();
}

void PortLine::closePort()
{
    if (!d->device)
        return;
    const QString name = d->device->deviceName();
    dropDevice();
    emit portClosed(name);
}

bool PortLine::portIsOpen() const
{
    return d->device && !d->opening && d->device->isOpen();
}

bool PortLine::portIsOpening() const
{
    return d->opening;
}

QTimer *PortLine::openTimer() const
{
    return d->openTimer;
}

QString PortLine::takeInput()
{
    if (!portIsOpen())
        return QString();
    return GlobalFunctions::fromSingleByte(d->device->readAll());
}

void PortLine::discardInput()
{
    if (portIsOpen())
        d->device->discardInput();
}

void PortLine::writeText(const QString &text)
{
    // Text for a closed port is dropped; the silence that follows is the sequencer's to notice.
    if (!portIsOpen())
        return;
    const QByteArray bytes = GlobalFunctions::toSingleByte(text);
    qsizetype queued = 0;
    while (bytes.size() - queued > LastPieceLimit) {
        d->pieces.append({bytes.mid(queued, PieceLength), true});
        queued += PieceLength;
    }
    d->pieces.append({bytes.mid(queued), false});
    d->piecesBytes += bytes.size();
    // A write that is still pacing sends this text after its own pieces.
    if (!d->pauseTimer->isActive())
        sendPieces();
}

// Hands the waiting pieces to the port until one is followed by a pause.
void PortLine::sendPieces()
{
    while (!d->pieces.isEmpty() && portIsOpen()) {
        const Piece piece = d->pieces.takeFirst();
        d->piecesBytes -= piece.bytes.size();
        if (d->observer)
            d->observer(piece.bytes);
        if (!d->device) // the observer disconnected
            return;
        d->device->write(piece.bytes);
        if (!piece.pauseAfter)
            continue;
        if (!d->pause) {
            d->pauseTimer->start(PauseMilliseconds);
            return;
        }
        d->pause(PauseMilliseconds);
    }
}

int PortLine::inputBufferCount() const
{
    return portIsOpen() ? int(qMin<qint64>(d->device->bytesAvailable(), 0x7FFF)) : 0;
}

int PortLine::outputBufferCount() const
{
    return portIsOpen() ? int(qMin<qint64>(d->device->bytesToWrite() + d->piecesBytes, 0x7FFF)) : 0;
}

EncoderSimulator *PortLine::simulatedEncoder() const
{
    auto *simulated = qobject_cast<SimulatedDevice *>(d->device);
    return simulated && simulated->isOpen() ? simulated->simulator() : nullptr;
}

void PortLine::setPause(std::function<void(int)> pause)
{
    d->pause = std::move(pause);
}

void PortLine::setWriteObserver(std::function<void(const QByteArray &)> observer)
{
    d->observer = std::move(observer);
}

void PortLine::setDeviceFactory(std::function<SerialDevice *(const QString &)> factory)
{
    d->deviceFactory = std::move(factory);
}
