#pragma once

#include <QObject>
#include <QStringList>

class QLocalServer;
class QLocalSocket;
class ScheduleRunner;

// The local socket through which a running schedule is steered. A request is one line, a JSON
// array of the command's words; the answer is lines of text, the first "ok" or "refused: WHY",
// then the socket is closed. The commands: hold, resume, resume --shift,
// override COLUMN=VALUE..., status.
class ScheduleControlServer : public QObject
{
    Q_OBJECT
public:
    explicit ScheduleControlServer(ScheduleRunner *runner, QObject *parent = nullptr);

    // Listens on the socket path, which only its owner may use; false with the reason.
    bool listen(const QString &path, QString *error);
    QStringList handle(const QStringList &words);

private:
    void serve(QLocalSocket *socket);

    ScheduleRunner *m_runner;
    QLocalServer *m_server;
};

// Sends one command to a running schedule and hands back its answer.
class ScheduleControlClient : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    void send(const QString &path, const QStringList &words);

signals:
    // ok: the command was taken; lines: the answer after its first line, or why it failed.
    void answered(bool ok, const QStringList &lines);

private:
    bool m_done = false;
};
