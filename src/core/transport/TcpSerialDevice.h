#pragma once

#include "core/transport/SerialDevice.h"

class QTcpSocket;

// A serial line reached through a serial device server on the network: a port entry written
// "tcp://HOST:PORT" is a raw TCP connection to one of its lines. The device server sets the
// line's speed and framing, so the line settings are accepted and not applied. open() only
// starts the connection (name look-up included) and returns Pending; openFinished tells how it
// ended. The owner bounds how long it waits. A connection closed by the far end makes the port
// closed at once (deviceLost).
class TcpSerialDevice : public SerialDevice
{
    Q_OBJECT
public:
    explicit TcpSerialDevice(const QString &address, QObject *parent = nullptr);
    ~TcpSerialDevice() override;

    // True for a port entry of the form tcp://HOST:PORT (letter case of "tcp" ignored).
    static bool isAddress(const QString &entry);
    // Host and port of such an entry; false when it is not one (a port of 0 or above 65535, no
    // host).
    static bool parseAddress(const QString &entry, QString *host, quint16 *port);

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

private:
    void connected();
    void failed();
    void dropped();

    QString m_address;
    QTcpSocket *m_socket;
    QString m_error;
    bool m_opening = false;   // open() returned Pending and openFinished has not come yet
    bool m_connected = false; // the connection stands and close() has not been called since
};
