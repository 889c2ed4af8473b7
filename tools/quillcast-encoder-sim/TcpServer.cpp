#include "TcpServer.h"

#include <QDateTime>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

TcpServer::TcpServer(const PtyServer::Options &options, QObject *parent)
    : QObject(parent), m_options(options), m_server(new QTcpServer(this))
{
    m_simulator.setSilent(options.silent);
    m_simulator.setMakerName(options.makerName);
    connect(m_server, &QTcpServer::newConnection, this, &TcpServer::acceptClient);
}

TcpServer::~TcpServer() = default;

bool TcpServer::start(quint16 port)
{
    const auto openLog = [this](QFile &file, const QString &path) {
        if (path.isEmpty())
            return true;
        file.setFileName(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
            return true;
        m_error = file.errorString();
        return false;
    };
    if (!openLog(m_log, m_options.logPath) || !openLog(m_chunkLog, m_options.chunkLogPath))
        return false;
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
        connect(m_client, &QTcpSocket::readyRead, this, &TcpServer::readClient);
        connect(m_client, &QTcpSocket::disconnected, this, [this, socket] {
            if (m_client == socket)
                m_client = nullptr;
            socket->deleteLater();
        });
    }
}

void TcpServer::readClient()
{
    if (!m_client)
        return;
    const QByteArray bytes = m_client->readAll();
    if (bytes.isEmpty())
        return;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    logLine(m_chunkLog, QByteArray::number(now) + '\t' + QByteArray::number(bytes.size()) + '\t' +
                            PtyServer::describe(bytes));

    const int before = m_simulator.received().size();
    const QByteArray answer = m_simulator.receive(bytes, now);
    const QList<EncoderSimulator::ReceivedCommand> commands = m_simulator.received();
    for (int i = before; i < commands.size(); ++i)
        logLine(m_log, QByteArray::number(commands.at(i).msecsSinceEpoch) + '\t' +
                           PtyServer::describe(commands.at(i).bytes));
    if (answer.isEmpty())
        return;
    if (m_options.replyDelay > 0)
        QTimer::singleShot(m_options.replyDelay, Qt::PreciseTimer, this,
                           [this, answer] { reply(answer); });
    else
        reply(answer);
}

void TcpServer::reply(const QByteArray &bytes)
{
    if (m_client)
        m_client->write(bytes);
}

void TcpServer::logLine(QFile &file, const QByteArray &line)
{
    if (!file.isOpen())
        return;
    file.write(line + '\n');
    file.flush();
}
