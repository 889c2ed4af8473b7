#pragma once

#include "core/protocol/CtrlACommand.h"
#include "core/transport/LineSettings.h"

#include <QJsonArray>
#include <QList>
#include <QObject>
#include <QString>
#include <vector>

class LogFile;
class SendSession;

// Sends to every encoder of a plant at once: one session (its own channel and sequencer) per
// encoder, all in the one event loop, at most `jobs` of them open at a time, started in list
// order. One encoder's failure never stops or slows the others. Each encoder's result is
// printed as it finishes, then a summary.
class PlantRun : public QObject
{
    Q_OBJECT
public:
    struct Encoder
    {
        QString name;
        QString device;
        QString configuration;
        LineSettings line;
        QList<CtrlACommand> commands;
    };

    // single: one encoder given by --device alone, with the command-by-command transcript and
    // no summary.
    PlantRun(const QList<Encoder> &encoders, int jobs, bool single, LogFile *log,
             QObject *parent = nullptr);
    ~PlantRun() override;

    void start();

    // 0 when every encoder was programmed, else the status of the first failed one in list
    // order.
    int exitStatus() const;
    // One record per encoder, in list order.
    QJsonArray report() const;

signals:
    void finished();

private:
    void startNext();
    void sessionFinished(int index);

    QList<Encoder> m_encoders;
    std::vector<SendSession *> m_sessions;
    int m_jobs;
    bool m_single;
    LogFile *m_log;
    int m_next = 0;
    int m_running = 0;
    int m_done = 0;
};
