#pragma once

#include "core/simulator/EncoderSimulator.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QTimer;

// The encoder's end of one line, whatever carries it (a pseudo-terminal or a TCP connection):
// takes the bytes the transport read, lets them arrive as the simulated line would, feeds the
// simulator, writes the logs, and hands the replies back to the transport as fast as the line
// lets them out. Faults that live in the encoder (noise, a missing prompt, a reset, a huge
// reply) need nothing from the transport; a hang-up is reported with hungUp(), upon which the
// transport closes its connection and calls restart().
class SimulatedLine : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        QString logPath;      // one line per received command
        QString chunkLogPath; // one line per block of bytes read from the line
        int lineRate = 0;     // bits per second of the simulated line, both ways; 0 = no limit
        int replyDelay = 0;   // milliseconds between a command and its reply
        // With a line rate, the least time between two writes to the client: a device server
        // collects what its serial line brings for a while before it sends a packet.
        int gatherMs = 0;
        bool silent = false;
        bool makerName = true;
        EncoderSimulator::Faults faults;
        // A symbolic link to the current device, kept pointing at it across hang-ups; removed
        // when the server ends (pseudo-terminals only).
        QString linkPath;
    };

    // Hands bytes to the client; returns how many it took (fewer, or -1, when its buffer is
    // full: the rest is offered again a millisecond later).
    using Writer = std::function<qint64(const QByteArray &)>;

    explicit SimulatedLine(const Options &options, QObject *parent = nullptr);
    ~SimulatedLine() override;

    // Opens the log files; false (with errorString()) when one cannot be written.
    bool openLogs();
    QString errorString() const { return m_error; }
    const Options &options() const { return m_options; }

    void setWriter(Writer writer) { m_writer = std::move(writer); }
    // Bytes read from the client.
    void receive(const QByteArray &bytes);
    // A new line: whatever was on its way in either direction is lost, the encoder (which keeps
    // its articles) answers again.
    void restart();

    // "01 39 0D<TAB><SOH>9<CR>": the bytes in hexadecimal, then readable (the log line format).
    static QByteArray describe(const QByteArray &bytes);

signals:
    void hungUp();

private:
    void receiveDue();
    void sendDue();
    void handle(const QByteArray &bytes);
    void queueReply(const QByteArray &reply);
    qint64 perByteNs() const;
    void logLine(QFile &file, const QByteArray &line);

    Options m_options;
    EncoderSimulator m_simulator;
    Writer m_writer;
    QFile m_log;
    QFile m_chunkLog;
    QString m_error;
    // Counts the restarts, so that a reply delayed across one is not sent on the new line.
    quint64 m_generation = 0;

    // Bytes read that have not yet arrived over the simulated line.
    struct Incoming
    {
        char byte;
        qint64 arrivesAtNs;
    };
    QList<Incoming> m_input;
    QTimer *m_receiveTimer;
    qint64 m_inputArrivedAtNs = 0;

    // Output waiting for the simulated line, and when the line is free for the next byte.
    QByteArray m_output;
    QTimer *m_sendTimer;
    QElapsedTimer m_clock;
    qint64 m_lineFreeAtNs = 0;
};
