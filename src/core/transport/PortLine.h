#pragma once

#include "core/transport/LineSettings.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class SerialDevice;
class EncoderSimulator;
class QTimer;

// The only code that touches a serial port. Port n (1-based) is the n-th entry of a list made at
// construction: first the device paths named in the settings store (section "LineSettings", key
// "Devices", separated by ";"), then the system's serial ports sorted by name, 16 entries at
// most; after them, always, the built-in simulated encoder as one more entry. The list is made
// when it is first asked for and again by refreshPorts. Connect opens a device by its path, so a port
// stays the same device when the list changes; the simulated encoder is opened only when the
// settings name it, never as a list position. Nothing here waits: a network port opens in the
// event loop (portIsOpening), bounded by OpenTimeoutMs; a local port opens at once or, when many
// open together, at its turn from the event loop; long output is paced with timers.
class PortLine : public QObject
{
    Q_OBJECT
public:
    explicit PortLine(QObject *parent = nullptr);
    // For tests: a port list given outright (the simulated encoder is still appended).
    PortLine(const QStringList &devices, QObject *parent = nullptr);
    ~PortLine() override;

    static QString simulatedDeviceName(); // "Simulated encoder"

    void setCOMSettings(const LineSettings &settings);
    const LineSettings &getCOMSettings() const;

    int totalPorts() const;                         // entries of the port list, simulator included
    bool portIsAvailable(int port) const;           // 1..totalPorts
    QString portDevice(int port) const;             // device path, or simulatedDeviceName()
    int simulatedPort() const;                      // the simulator's port number (the last entry)
    int portForDevice(const QString &device) const; // 0 when not listed
    // Lists one more device (a network address typed by the operator) before the simulated
    // encoder and returns its port number; a device already listed keeps its number.
    int addDevice(const QString &device);
    // Scans the system's ports again (adapters plugged in or removed since the last scan).
    // A device counts as available when it exists; none is opened to find out.
    void refreshPorts();
    // The device Connect opens for these settings: their device, or else the real device at
    // list entry port; empty when there is none.
    QString deviceFor(const LineSettings &settings) const;

    // Opens deviceFor(getCOMSettings()). True when the port is open afterwards, or is opening
    // (portIsOpening: a network port, or a local one waiting for its turn to open; portOpened or
    // portOpenFailed follows from the event loop, for a network port at the latest after
    // OpenTimeoutMs). False when it could not be opened (portOpenFailed has been emitted).
    bool openPort();
    // Closes the port if open, or cancels an open that goes on (no portOpenFailed follows).
    void closePort();
    bool portIsOpen() const;
    bool portIsOpening() const;
    QString takeInput(); // all waiting characters, removed from the buffer
    // Drops every waiting character, in the program and in the system (inputBufferCount is 0).
    void discardInput();
    // Paced write: pieces of 50 characters, each flushed to the line, with a 20 ms pause after
    // each piece while more than 51 characters remain; the rest goes in one piece. Returns
    // after the first piece: the others follow from 20 ms single-shot timers, and a later text
    // goes out after them.
    void writeText(const QString &text);
    int inputBufferCount() const;
    // Characters handed to the port and not yet transmitted, and the pieces of a paced write
    // that still wait for their turn.
    int outputBufferCount() const;

    // How long an open that goes on in the event loop may take, name look-up included.
    static constexpr int OpenTimeoutMs = 5000;
    // The open time-out ("timerOpenTimeout"): runs while a network port is opening.
    QTimer *openTimer() const;

    // The in-process simulated encoder while the simulated port is open, else nullptr.
    EncoderSimulator *simulatedEncoder() const;

    // Replaces the 20 ms pause timer with a call made in its place; the next piece goes out as
    // soon as it returns (tests record the pieces, fuzzing skips the pauses). Empty restores
    // the timer.
    void setPause(std::function<void(int milliseconds)> pause);
    // Observes every piece handed to the port (tests).
    void setWriteObserver(std::function<void(const QByteArray &piece)> observer);
    // Makes the device of a listed port when it is opened, in place of a serial port (tests
    // and fuzzing feed the channel bytes of their own this way); empty restores serial ports.
    void setDeviceFactory(std::function<SerialDevice *(const QString &path)> factory);

signals:
    void charactersReceived();
    // The port opened, could not be opened (with the device's reason, when it gives one), was
    // closed by Disconnect (or its open cancelled), or vanished while open (unplugged,
    // connection dropped, device error: the port is closed by then).
    void portOpened(const QString &device);
    void portOpenFailed(const QString &device, const QString &reason);
    void portClosed(const QString &device);
    void lineLost(const QString &device, const QString &reason);

private:
    void scanOnce() const; // the first scan, when the list is first needed
    void opened();
    void dropDevice();
    void sendPieces();

    struct Private;
    std::unique_ptr<Private> d;
};
