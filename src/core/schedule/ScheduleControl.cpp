#include "core/schedule/ScheduleControl.h"

#include "core/schedule/ScheduleFile.h"
#include "core/schedule/ScheduleRunner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

ScheduleControlServer::ScheduleControlServer(ScheduleRunner *runner, QObject *parent)
    : QObject(parent), m_runner(runner), m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection())
            serve(socket);
    });
}

bool ScheduleControlServer::listen(const QString &path, QString *error)
{
    // A socket left by a run that ended without closing it.
    QLocalServer::removeServer(path);
    if (m_server->listen(path))
        return true;
    *error = m_server->errorString();
    return false;
}

void ScheduleControlServer::serve(QLocalSocket *socket)
{
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
        if (!socket->canReadLine()) {
            if (socket->bytesAvailable() > 65536)
                socket->abort(); // no request is that long
            return;
        }
        QStringList words;
        for (const QJsonValue &word : QJsonDocument::fromJson(socket->readLine()).array())
            words << word.toString();
        socket->write(handle(words).join(QLatin1Char('\n')).toUtf8() + '\n');
        socket->disconnectFromServer();
    });
}

QStringList ScheduleControlServer::handle(const QStringList &words)
{
    const QString command = words.value(0);
    const QStringList rest = words.mid(1);
    const QString ok = QStringLiteral("ok");
    if (command == QLatin1String("hold") && rest.isEmpty()) {
        m_runner->hold();
        return {ok};
    }
    if (command == QLatin1String("resume") &&
        (rest.isEmpty() || rest == QStringList{QStringLiteral("--shift")})) {
        m_runner->resume(!rest.isEmpty());
        return {ok};
    }
    if (command == QLatin1String("status") && rest.isEmpty())
        return QStringList{ok} + m_runner->statusLines();
    if (command == QLatin1String("override")) {
        QHash<QString, QString> fields;
        for (const QString &word : rest) {
            const int equals = int(word.indexOf(QLatin1Char('=')));
            if (equals < 1)
                return {QStringLiteral("refused: %1 is not COLUMN=VALUE").arg(word)};
            fields.insert(word.left(equals).trimmed().toLower(), word.mid(equals + 1).trimmed());
        }
        ScheduleEvent event;
        const QString problem = ScheduleFile::readEvent(fields, m_runner->encoderNames(), &event);
        if (!problem.isEmpty())
            return {QStringLiteral("refused: ") + problem};
        m_runner->override(event);
        return {ok};
    }
    return {QStringLiteral("refused: not a command: give hold, resume, resume --shift, "
                           "override COLUMN=VALUE... or status")};
}

void ScheduleControlClient::send(const QString &path, const QStringList &words)
{
    auto *socket = new QLocalSocket(this);
    auto *answer = new QByteArray;
    // A refused connection is told inside connectToServer(): the answer always comes from the
    // event loop, after send() has returned.
    const auto finish = [this, socket, answer](bool connected) {
        if (m_done)
            return;
        m_done = true;
        const QStringList lines =
            QString::fromUtf8(*answer).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        delete answer;
        const QString first = lines.value(0);
        bool ok = false;
        QStringList told;
        if (!connected)
            told << QStringLiteral("%1: no schedule answers there (%2)")
                        .arg(socket->serverName(), socket->errorString());
        else if ((ok = first == QLatin1String("ok")))
            told = lines.mid(1);
        else
            told << (first.isEmpty() ? QStringLiteral("no answer") : first);
        socket->deleteLater();
        QTimer::singleShot(0, this, [this, ok, told] { emit answered(ok, told); });
    };
    connect(socket, &QLocalSocket::connected, this, [socket, words] {
        socket->write(
            QJsonDocument(QJsonArray::fromStringList(words)).toJson(QJsonDocument::Compact) + '\n');
    });
    connect(socket, &QLocalSocket::readyRead, this,
            [socket, answer] { *answer += socket->readAll(); });
    connect(socket, &QLocalSocket::disconnected, this, [socket, answer, finish] {
        *answer += socket->readAll();
        finish(true);
    });
    connect(socket, &QLocalSocket::errorOccurred, this,
            [socket, finish](QLocalSocket::LocalSocketError e) {
                if (e != QLocalSocket::PeerClosedError ||
                    socket->state() == QLocalSocket::UnconnectedState)
                    finish(e == QLocalSocket::PeerClosedError);
            });
    socket->connectToServer(path);
}
