#include "core/transport/SimulatedDevice.h"

#include "core/common/Clock.h"
#include "core/simulator/EncoderSimulator.h"

#include <QTimer>

SimulatedDevice::SimulatedDevice(EncoderSimulator *simulator, QObject *parent)
    : SerialDevice(parent), m_simulator(simulator)
{
}

QString SimulatedDevice::name()
{
    return QStringLiteral("Simulated encoder");
}

QString SimulatedDevice::deviceName() const
{
    return name();
}

bool SimulatedDevice::setLineSettings(const LineSettings &)
{
    return true; // the simulated encoder talks at any speed and framing
}

SerialDevice::OpenResult SimulatedDevice::open()
{
    m_open = true;
    return OpenResult::Opened;
}

void SimulatedDevice::close()
{
    m_open = false;
    m_received.clear();
    ++m_session;
}

bool SimulatedDevice::isOpen() const
{
    return m_open;
}

void SimulatedDevice::write(const QByteArray &bytes)
{
    if (!m_open || bytes.isEmpty())
        return;
    const QByteArray reply =
        m_simulator->receive(bytes, Clock::instance().now().toMSecsSinceEpoch());
    if (reply.isEmpty())
        return;
    const quint64 session = m_session;
    QTimer::singleShot(0, this, [this, reply, session] {
        if (session == m_session)
            deliver(reply);
    });
}

void SimulatedDevice::deliver(const QByteArray &reply)
{
    m_received += reply;
    emit readyRead();
}

QByteArray SimulatedDevice::readAll()
{
    QByteArray bytes;
    bytes.swap(m_received);
    return bytes;
}

void SimulatedDevice::discardInput()
{
    m_received.clear();
}

qint64 SimulatedDevice::bytesAvailable() const
{
    return m_received.size();
}

qint64 SimulatedDevice::bytesToWrite() const
{
    return 0; // handed to the simulator at once
}
