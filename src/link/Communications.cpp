#include "link/Communications.h"

#include "common/GlobalFunctions.h"
#include "link/EncoderSimulator.h"
#include "link/NetworkAddress.h"
#include "link/PortList.h"
#include "link/Rfc2217SerialDevice.h"
#include "link/SerialPortDevice.h"
#include "link/SimulatedDevice.h"
#include "link/TcpSerialDevice.h"

#include <QThread>

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

struct Communications::Private
{
    std::function<QStringList()> source; // the device paths to list
    QStringList devices;                 // ports 1..devices.size(); the simulator follows them
    QStringList added;                   // typed by the operator; listed after every scan
    QList<bool> portAvailable;           // one entry per port, simulator included
    COMSettings settings;
    EncoderSimulator simulator;
    SerialDevice *device = nullptr; // the open port, or nullptr
    std::function<void(int)> pause = [](int ms) { QThread::msleep(ms); };
    std::function<void(const QByteArray &)> observer;
    std::function<SerialDevice *(const QString &)> deviceFactory;
};

Communications::Communications(QObject *parent) : Communications(QStringList(), parent)
{
    d->source = &PortList::devices;
    RefreshPorts();
}

Communications::Communications(const QStringList &devices, QObject *parent)
    : QObject(parent), d(std::make_unique<Private>())
{
    d->source = [devices] { return devices; };
    RefreshPorts();
}

void Communications::RefreshPorts()
{
    d->devices = d->source().mid(0, PortList::MaximumDevices);
    for (const QString &device : std::as_const(d->added)) {
        if (!d->devices.contains(device))
            d->devices << device;
    }
    d->portAvailable.clear();

    // Each device is opened and closed once. A port that exists but is held elsewhere still
    // counts; the first failure that says nothing about existence ends the scan, leaving that
    // port and all after it unavailable.
    bool scanning = true;
    const QString openDevice = d->device ? d->device->deviceName() : QString();
    for (const QString &path : std::as_const(d->devices)) {
        bool available = path == openDevice; // held by this object: it exists
        if (NetworkAddress::isAddress(path)) {
            // Network lines are not probed: a probe would wait on every device server that
            // is down, and many servers take one client at a time. They count as there.
            available = true;
        } else if (scanning && !available) {
            SerialPortDevice probe(path);
            switch (probe.open()) {
            case SerialDevice::OpenResult::Opened:
                probe.close();
                available = true;
                break;
            case SerialDevice::OpenResult::InUse:
                available = true;
                break;
            case SerialDevice::OpenResult::Missing:
                break;
            case SerialDevice::OpenResult::Failed:
            case SerialDevice::OpenResult::Pending: // a local port opens at once
                scanning = false;
                break;
            }
        }
        d->portAvailable << available;
    }
    d->portAvailable << true; // the simulated encoder is always there
}

Communications::~Communications()
{
    Disconnect();
}

QString Communications::simulatedDeviceName()
{
    return SimulatedDevice::name();
}

void Communications::setCOMSettings(const COMSettings &settings)
{
    d->settings = settings;
}

const COMSettings &Communications::getCOMSettings() const
{
    return d->settings;
}

int Communications::TotalPorts() const
{
    return d->devices.size() + 1;
}

bool Communications::PortIsAvailable(int port) const
{
    if (port < 1 || port > TotalPorts())
        return false;
    return d->portAvailable.at(port - 1);
}

QString Communications::PortDevice(int port) const
{
    if (port < 1 || port > TotalPorts())
        return QString();
    return port == SimulatedPort() ? simulatedDeviceName() : d->devices.at(port - 1);
}

int Communications::SimulatedPort() const
{
    return TotalPorts();
}

int Communications::PortForDevice(const QString &device) const
{
    if (device == simulatedDeviceName())
        return SimulatedPort();
    return d->devices.indexOf(device) + 1;
}

int Communications::AddDevice(const QString &device)
{
    const int listed = PortForDevice(device);
    if (listed > 0)
        return listed;
    // The simulated encoder stays the last entry. A typed entry is not held to the limit of
    // the scanned list: the operator asked for it by name.
    d->added << device;
    d->devices << device;
    d->portAvailable.insert(d->devices.size() - 1, true);
    return d->devices.size();
}

QString Communications::DeviceFor(const COMSettings &settings) const
{
    if (!settings.device.isEmpty())
        return settings.device;
    if (settings.port >= 1 && settings.port <= d->devices.size())
        return d->devices.at(settings.port - 1);
    return QString();
}

bool Communications::Connect()
{
    const COMSettings &s = d->settings;
    if (s.parity.isEmpty() || s.baud == 0 || s.StopBits == 0 || s.dataBits == 0 || s.port == 0)
        return false;
    const QString path = DeviceFor(s);
    if (path.isEmpty())
        return false;

    // Connecting while open re-opens with the current settings rather than keeping two
    // ports: the wrapper stands for one port at a time.
    Disconnect();

    SerialDevice *device = nullptr;
    if (path == simulatedDeviceName())
        device = new SimulatedDevice(&d->simulator, this);
    else if (d->deviceFactory)
        device = d->deviceFactory(path);
    else
        device = makeDevice(path, this);
    device->setParent(this);

    if (!device->setLineSettings(s) || device->open() != SerialDevice::OpenResult::Opened) {
        emit portOpenFailed(device->deviceName(), device->errorString());
        delete device;
        return false;
    }
    // Bytes left in the driver from an earlier session belong to no reply of this one.
    device->discardInput();
    connect(device, &SerialDevice::readyRead, this, &Communications::CharactersRx);
    connect(device, &SerialDevice::deviceLost, this,
            [this, device] { emit lineLost(device->deviceName(), device->errorString()); });
    d->device = device;
    emit portOpened(device->deviceName());
    return true;
}

void Communications::Disconnect()
{
    if (!d->device)
        return;
    const QString name = d->device->deviceName();
    d->device->close();
    delete d->device;
    d->device = nullptr;
    emit portClosed(name);
}

bool Communications::PortIsOpen() const
{
    return d->device && d->device->isOpen();
}

QString Communications::GetInput()
{
    if (!PortIsOpen())
        return QString();
    return GlobalFunctions::FromSingleByte(d->device->readAll());
}

void Communications::SetOutput(const QString &text)
{
    // Text for a closed port is dropped; the silence that follows is the sequencer's to notice.
    if (!PortIsOpen())
        return;
    const QByteArray bytes = GlobalFunctions::ToSingleByte(text);
    auto send = [this](const QByteArray &piece) {
        if (d->observer)
            d->observer(piece);
        d->device->write(piece);
    };
    qsizetype sent = 0;
    while (bytes.size() - sent > LastPieceLimit) {
        send(bytes.mid(sent, PieceLength));
        sent += PieceLength;
        d->pause(PauseMilliseconds);
    }
    send(bytes.mid(sent));
}

int Communications::GetInputBufferCount() const
{
    return PortIsOpen() ? int(qMin<qint64>(d->device->bytesAvailable(), 0x7FFF)) : 0;
}

int Communications::GetOutputBufferCount() const
{
    return PortIsOpen() ? int(qMin<qint64>(d->device->bytesToWrite(), 0x7FFF)) : 0;
}

EncoderSimulator *Communications::simulatedEncoder() const
{
    auto *simulated = qobject_cast<SimulatedDevice *>(d->device);
    return simulated && simulated->isOpen() ? simulated->simulator() : nullptr;
}

void Communications::setPause(std::function<void(int)> pause)
{
    d->pause = pause ? std::move(pause) : [](int ms) { QThread::msleep(ms); };
}

void Communications::setWriteObserver(std::function<void(const QByteArray &)> observer)
{
    d->observer = std::move(observer);
}

void Communications::setDeviceFactory(std::function<SerialDevice *(const QString &)> factory)
{
    d->deviceFactory = std::move(factory);
}
