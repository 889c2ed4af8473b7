#pragma once

#include "core/protocol/TelnetFraming.h"
#include "core/transport/SerialDevice.h"

#include <QHash>
#include <QSet>

class QTcpSocket;
class QTimer;

// A serial line of a serial device server reached over Telnet with the COM Port Control Option
// (RFC 2217): a port entry written "rfc2217://HOST:PORT". Unlike a raw connection the line's
// speed and framing are set from the port settings, so the encoder's settings apply as on a
// local port.
//
// Opening is asynchronous: open() returns Pending, connects, agrees binary transmission and
// the COM Port option, sets baud rate, data size, parity and stop size, purges the server's
// buffers both ways, and reports Opened through openFinished once the server has confirmed
// the four settings with the values asked for, and the purge. A server that refuses the option,
// answers other settings, or does not confirm in time, is a port that cannot be opened.
class Rfc2217SerialDevice : public SerialDevice
{
    Q_OBJECT
public:
    explicit Rfc2217SerialDevice(const QString &address, QObject *parent = nullptr);
    ~Rfc2217SerialDevice() override;

    // True for a port entry of the form rfc2217://HOST:PORT (letter case ignored).
    static bool isAddress(const QString &entry);

    QString deviceName() const override;
    // Refuses settings the option cannot express (a parity letter other than E, O, N, M, S; data
    // bits outside 5 to 8; stop bits other than 1 or 2; no baud rate). While open the new
    // settings are sent at once.
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

    // Bounds of an open: the server must confirm the line settings within negotiationMs of the
    // connection, and the whole open, connection included, ends within openMs.
    static constexpr int NegotiationTimeoutMs = 3000;
    static constexpr int OpenTimeoutMs = 5000;
    void setTimeouts(int negotiationMs, int openMs);

private:
    enum class State
    {
        Closed,
        Connecting,
        Negotiating,
        Open,
        Lost // the server dropped the connection while open
    };
    void connected();
    void received();
    void dropped();
    void timedOut();
    QByteArray ingest(const QByteArray &bytes); // data bytes; handles the Telnet commands
    void negotiation(quint8 verb, quint8 option);
    void comPortAnswer(const QByteArray &payload);
    QByteArray settingValue(quint8 command) const; // as sent for a COM Port command
    QString answeredSettings() const;              // e.g. "9600,O,7,1"
    void sendLineSettings();
    void send(const QByteArray &bytes);
    void finishOpen(OpenResult result, const QString &reason = QString());

    QString m_address;
    QTcpSocket *m_socket;
    QTimer *m_timer;
    TelnetFraming m_framing;
    LineSettings m_settings;
    State m_state = State::Closed;
    QByteArray m_data;      // received line data, not yet read
    QSet<quint8> m_awaited; // COM Port commands sent while opening and not yet confirmed
    QHash<quint8, QByteArray> m_answers; // the values the server confirmed them with
    QSet<int> m_refused;                 // verb << 8 | option refused once already
    bool m_comPortSent = false;
    bool m_inOpen = false;    // inside open(): an immediate failure is reported afterwards
    quint64 m_generation = 0; // counts opens and closes, so that a late report is dropped
    int m_negotiationMs = NegotiationTimeoutMs;
    int m_openMs = OpenTimeoutMs;
    QString m_error;
};
