#include "link/Communications.h"

#include "common/GlobalFunctions.h"
#include "link/EncoderSimulator.h"
#include "link/PortList.h"
#include "link/SerialPortDevice.h"
#include "link/SimulatedDevice.h"

#include <QThread>

namespace {

constexpr int PieceLength = 50;    // characters handed over before each pause
constexpr int LastPieceLimit = 51; // a rest this long or shorter goes out in one piece
constexpr int PauseMilliseconds = 20;

} // namespace

struct Communications::Private
{
    QStringList devices;       // ports 1..devices.size(); the simulator follows them
    QList<bool> portAvailable; // one entry per port, simulator included
    COMSettings settings;
    EncoderSimulator simulator;
    SerialDevice *device = nullptr; // the open port, or nullptr
    std::function<void(int)> pause = [](int ms) { QThread::msleep(ms); };
    std::function<void(const QByteArray &)> observer;
    std::function<SerialDevice *(const QString &)> deviceFactory;
};

Communications::Communications(QObject *parent) : Communications(PortList::devices(), parent) {}

Communications::Communications(const QStringList &devices, QObject *parent)
    : QObject(parent), d(std::make_unique<Private>())
{
    d->devices = devices.mid(0, PortList::MaximumDevices);

    // Each device is opened and closed once. A port that exists but is held elsewhere still
    // counts; the first failure that says nothing about existence ends the scan, leaving that
    // port and all after it unavailable.
    bool scanning = true;
    for (const QString &path : std::as_const(d->devices)) {
        bool available = false;
        if (scanning) {
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

bool Communications::Connect()
{
    const COMSettings &s = d->settings;
    if (s.parity.isEmpty() || s.baud == 0 || s.StopBits == 0 || s.dataBits == 0 || s.port == 0)
        return false;
    if (s.port < 1 || s.port > TotalPorts())
        return false;

    // Connecting while open re-opens with the current settings rather than keeping two
    // ports: the wrapper stands for one port at a time.
    Disconnect();

    SerialDevice *device = nullptr;
    if (s.port == SimulatedPort())
        device = new SimulatedDevice(&d->simulator, this);
    else if (d->deviceFactory)
        device = d->deviceFactory(d->devices.at(s.port - 1));
    else
        device = new SerialPortDevice(d->devices.at(s.port - 1), this);
    device->setParent(this);

    if (!device->setLineSettings(s) || device->open() != SerialDevice::OpenResult::Opened) {
        delete device;
        return false;
    }
    connect(device, &SerialDevice::readyRead, this, &Communications::CharactersRx);
    d->device = device;
    return true;
}

void Communications::Disconnect()
{
    if (!d->device)
        return;
    d->device->close();
    delete d->device;
    d->device = nullptr;
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
