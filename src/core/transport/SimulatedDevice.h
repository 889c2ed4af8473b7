#pragma once

#include "core/transport/SerialDevice.h"

class EncoderSimulator;

// The "Simulated encoder" port entry: bytes written go straight into an in-process
// EncoderSimulator; its replies come back through the event loop (a 0 ms timer), the way a
// real receive event would.
class SimulatedDevice : public SerialDevice
{
    Q_OBJECT
public:
    // The simulator belongs to the caller and must outlive this device.
    explicit SimulatedDevice(EncoderSimulator *simulator, QObject *parent = nullptr);

    static QString name(); // "Simulated encoder"

    QString deviceName() const override;
    bool setLineSettings(const LineSettings &settings) override;
    OpenResult open() override;
    void close() override;
    bool isOpen() const override;
    void write(const QByteArray &bytes) override;
    QByteArray readAll() override;
    void discardInput() override;
    qint64 bytesAvailable() const override;
    qint64 bytesToWrite() const override;

    EncoderSimulator *simulator() const { return m_simulator; }

private:
    void deliver(const QByteArray &reply);

    EncoderSimulator *m_simulator;
    QByteArray m_received;
    bool m_open = false;
    // Bumped on close so that replies still in flight from an earlier session are dropped.
    quint64 m_session = 0;
};
