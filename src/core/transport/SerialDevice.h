#pragma once

#include "core/transport/LineSettings.h"

#include <QByteArray>
#include <QObject>
#include <QString>

// One entry of the port list as PortLine sees it: something that opens, closes, takes
// bytes for the line and hands back the bytes that arrived. readyRead is always delivered
// through the event loop, never from inside write(), so a paced write is never interrupted by
// a receive event.
class SerialDevice : public QObject
{
    Q_OBJECT
public:
    enum class OpenResult
    {
        Opened,
        InUse,   // held by this or another program, locked, or access denied: the port exists
        Missing, // no such device
        Failed,  // any other failure
        Pending  // opening goes on in the event loop; openFinished tells how it ended
    };
    Q_ENUM(OpenResult)

    explicit SerialDevice(QObject *parent = nullptr) : QObject(parent) {}

    virtual QString deviceName() const = 0;
    // Line parameters for the next open; false when the device cannot take them.
    virtual bool setLineSettings(const LineSettings &settings) = 0;
    virtual OpenResult open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Hands the bytes to the line as far as the system takes them now and returns at once;
    // the rest follows from the event loop (bytesToWrite counts it).
    virtual void write(const QByteArray &bytes) = 0;
    virtual QByteArray readAll() = 0;
    // Drops whatever was received and not read yet, in the program and in the driver.
    virtual void discardInput() = 0;
    virtual qint64 bytesAvailable() const = 0; // received, not yet read
    virtual qint64 bytesToWrite() const = 0;   // handed over, not yet transmitted
    // Why the last open failed or the line was lost, when the device can tell.
    virtual QString errorString() const { return QString(); }
    // Whether an open that goes on waits for something that may never answer (a host on the
    // network), so that its owner bounds it with a time-out. A local port that waits for its turn
    // to open always gets it.
    virtual bool openMayHang() const { return true; }

signals:
    // Ends an open() that returned Pending, exactly once, with Opened or the failure (reason
    // in errorString()). A close() while pending cancels the open without this signal.
    void openFinished(SerialDevice::OpenResult result);
    void readyRead();
    // The device vanished while open (unplugged adapter, dropped network connection).
    void deviceLost();
};
