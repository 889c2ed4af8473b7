#include "TcpServer.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

// A device server passes on what its serial line brought in packets, at most one per 20 ms of
// a slow line, rather than one per character.
SimulatedLine::Options gathering(SimulatedLine::Options options)
{
    options.gatherMs = 20;
    return options;
}

} // namespace

TcpServer::TcpServer(const SimulatedLine::Options &options, QObject *parent)
    : QObject(parent), m_line(new SimulatedLine(gathering(options), this)),
      m_server(new QTcpServer(this))
{
    // With no client connected the replies go nowhere, as a device server drops what its
    // serial line sends while nobody listens.
    m_line->setWriter([this](const QByteArray &bytes) -> qint64 {
        return m_client ? m_client->write(bytes) : bytes.size();
    });
    connect(m_line, &SimulatedLine::hungUp, this, &TcpServer::hangUp);
    connect(m_server, &QTcpServer::newConnection, this, &TcpServer::acceptClient);
}

TcpServer::~TcpServer() = default;

bool TcpServer::start(quint16 port)
{
    if (!m_line->openLogs()) {
        m_error = m_line->errorString();
        return false;
    }
    if (!m_server->listen(QHostAddress::LocalHost, port)) {
        m_error = m_server->errorString();
        return false;
    }
    return true;
}

QString TcpServer::address() const
{
    return QStringLiteral("tcp://127.0.0.1:%1").arg(m_server->serverPort());
}

void TcpServer::acceptClient()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        if (m_client) {
            socket->abort(); // the line is taken
            socket->deleteLater();
            continue;
        }
        m_client = socket;
        m_client->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            if (m_client == socket)
                m_line->receive(socket->readAll());
        });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            if (m_client == socket)
                m_client = nullptr;
            socket->deleteLater();
        });
    }
}

// The pulled cable: the client's connection closes at once, and whatever was on its way in
// either direction is lost.
void TcpServer::hangUp()
{
    QTcpSocket *socket = m_client;
    m_client = nullptr;
    if (socket) {
        socket->abort();
        socket->deleteLater();
    }
    m_line->restart();
}
