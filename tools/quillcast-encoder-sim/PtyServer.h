#pragma once

#include "link/EncoderSimulator.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QObject>
#include <QString>

class QSocketNotifier;
class QTimer;

// Serves one EncoderSimulator on the master side of a pseudo-terminal. Clients open the slave
// device as if it were the encoder's serial port.
class PtyServer : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        QString logPath;      // one line per received command
        QString chunkLogPath; // one line per block of bytes read from the line
        int lineRate = 0;     // bits per second of the simulated line, both ways; 0 = no limit
        int replyDelay = 0;   // milliseconds between a command and its reply
        bool silent = false;
        bool makerName = true;
        EncoderSimulator::Faults faults;
        // A symbolic link to the current device, kept pointing at it across hang-ups; removed
        // when the server ends.
        QString linkPath;
    };

    explicit PtyServer(const Options &options, QObject *parent = nullptr);
    ~PtyServer() override;

    // Creates the pseudo-terminal; false (with errorString()) when the system refuses.
    bool start();
    // Closes the line, as a pulled cable would, and opens a new one at once (see linkPath).
    bool hangUp();
    QString slavePath() const { return m_slavePath; }
    QString errorString() const { return m_error; }

    // "01 39 0D<TAB><SOH>9<CR>": the bytes in hexadecimal, then readable (the log line format).
    static QByteArray describe(const QByteArray &bytes);

private slots:
    void readMaster();
    void receiveDue();
    void sendDue();

private:
    bool openLine();
    void closeLine();
    bool pointLink();
    void handle(const QByteArray &bytes);
    void queueReply(const QByteArray &reply);
    qint64 perByteNs() const;
    void logLine(QFile &file, const QByteArray &line);

    Options m_options;
    EncoderSimulator m_simulator;
    int m_master = -1;
    int m_slave = -1; // held open so that the master never reads end-of-file between clients
    QString m_slavePath;
    QString m_error;
    QSocketNotifier *m_notifier = nullptr;
    QFile m_log;
    QFile m_chunkLog;

    // Bytes read from the terminal that have not yet arrived over the simulated line.
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
