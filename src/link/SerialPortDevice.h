#pragma once

#include "link/SerialDevice.h"

class QSerialPort;

// A real serial device (or a pseudo-terminal) through QSerialPort. No flow control is set and
// the buffer sizes are the system's.
class SerialPortDevice : public SerialDevice
{
    Q_OBJECT
public:
    explicit SerialPortDevice(const QString &path, QObject *parent = nullptr);
    ~SerialPortDevice() override;

    QString deviceName() const override;
    bool setLineSettings(const COMSettings &settings) override;
    OpenResult open() override;
    void close() override;
    bool isOpen() const override;
    void write(const QByteArray &bytes) override;
    QByteArray readAll() override;
    void discardInput() override;
    qint64 bytesAvailable() const override;
    qint64 bytesToWrite() const override;

    const QSerialPort *port() const { return m_port; }

private:
    void lineLost(int error);

    QSerialPort *m_port;
    // The device vanished while open (unplugged adapter, closed pseudo-terminal). The port is
    // still reported open, as a vanished line is the encoder time-outs' to notice.
    bool m_lost = false;
};
