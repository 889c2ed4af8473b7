#pragma once

#include "SimulatedLine.h"

#include <QObject>
#include <QString>

class QTcpServer;
class QTcpSocket;

// Serves one simulated encoder as a serial device server does one serial line: a raw TCP port,
// on the loopback address only, one client at a time (a second client is turned away). The
// encoder keeps its articles across connections, as a real one does. A hang-up closes the
// client's connection; the server keeps listening and the next connection is a fresh line.
class TcpServer : public QObject
{
    Q_OBJECT
public:
    explicit TcpServer(const SimulatedLine::Options &options, QObject *parent = nullptr);
    ~TcpServer() override;

    // Opens the logs and listens on 127.0.0.1 at the port (0: any free port); false (with
    // errorString()) when the port cannot be had.
    bool start(quint16 port);
    QString address() const; // "tcp://127.0.0.1:PORT"
    QString errorString() const { return m_error; }

private:
    void acceptClient();
    void hangUp();

    SimulatedLine *m_line;
    QTcpServer *m_server;
    QTcpSocket *m_client = nullptr;
    QString m_error;
};
