#pragma once

#include "core/transport/SerialDevice.h"

class QSerialPort;

// A real serial device (or a pseudo-terminal) through QSerialPort. No flow control is set and
// the buffer sizes are the system's. open() opens at once when its turn has come
// (LocalOpenQueue), else it returns Pending and the port opens at its turn from the event loop.
// A device that vanishes or fails while open (unplugged adapter, hang-up, read or write error)
// is closed at once and reported with deviceLost.
class SerialPortDevice : public SerialDevice
{
    Q_OBJECT
public:
    explicit SerialPortDevice(const QString &path, QObject *parent = nullptr);
    ~SerialPortDevice() override;

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
    QString errorString() const override;
    bool openMayHang() const override { return false; }

    const QSerialPort *port() const { return m_port; }

private:
    OpenResult openNow();
    void lineLost(int error);
    QString lossReason() const;
    QString systemPath() const; // the device's path in the file system

    QString m_path; // as given: the port list knows the device by it
    QSerialPort *m_port;
    QString m_error;
    bool m_waitingForTurn = false; // open() returned Pending
};
