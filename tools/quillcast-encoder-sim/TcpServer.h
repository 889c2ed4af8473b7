#pragma once

#include "PtyServer.h"
#include "link/EncoderSimulator.h"

#include <QFile>
#include <QObject>
#include <QString>

class QTcpServer;
class QTcpSocket;

// Serves one EncoderSimulator as a serial device server does one serial line: a raw TCP port,
// on the loopback address only, one client at a time (a second client is turned away). The
// encoder keeps its state across connections, as a real one does.
class TcpServer : public QObject
{
    Q_OBJECT
public:
    // Uses the log paths, reply delay, silence and maker name of the options; there is no line
    // to model.
    explicit TcpServer(const PtyServer::Options &options, QObject *parent = nullptr);
    ~TcpServer() override;

    // Listens on 127.0.0.1 at the port (0: any free port); false (with errorString()) when
    // the port cannot be had.
    bool start(quint16 port);
    QString address() const; // "tcp://127.0.0.1:PORT"
    QString errorString() const { return m_error; }

private:
    void acceptClient();
    void readClient();
    void reply(const QByteArray &bytes);
    void logLine(QFile &file, const QByteArray &line);

    PtyServer::Options m_options;
    EncoderSimulator m_simulator;
    QTcpServer *m_server;
    QTcpSocket *m_client = nullptr;
    QFile m_log;
    QFile m_chunkLog;
    QString m_error;
};
