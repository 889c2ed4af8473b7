#include "SendSession.h"
#include "DeviceChannel.h"

#include "Output.h"
#include "common/GlobalFunctions.h"
#include "link/CommInterface.h"
#include "link/Communications.h"
#include "link/Sequencer.h"
#include "link/TrafficLog.h"

#include <QEventLoop>
#include <QIODevice>

SendSession::SendSession(const QString &device, const COMSettings &line,
                         const QList<CtrlACommand> &commands)
    : m_device(device), m_line(line), m_commands(commands)
{
}

SendSession::Result SendSession::run()
{
    CommInterface *channel = channelForDevice(m_device, m_line);
    Sequencer sequencer(nullptr, channel);
    TrafficLog log;
    if (m_trafficLog) {
        log.attach(&sequencer);
        QObject::connect(&log, &QAbstractItemModel::rowsInserted,
                         [&](const QModelIndex &, int first, int last) {
                             for (int row = first; row <= last; ++row)
                                 m_trafficLog->write((log.line(row) + QLatin1Char('\n')).toUtf8());
                         });
    }

    QEventLoop loop;
    int result = -1;
    int sent = 0;
    const auto finish = [&](Result r) {
        result = r;
        loop.quit();
    };
    QObject::connect(&sequencer, &Sequencer::commandSent, [&](const CtrlACommand &command) {
        ++sent;
        Output::line(Output::timeStamp() + QStringLiteral(" > ") +
                     Output::escaped(command.wireBytes()));
    });
    QObject::connect(&sequencer, &Sequencer::replyReceived, [&](const QString &reply) {
        Output::line(Output::timeStamp() + QStringLiteral(" < ") +
                     Output::escaped(GlobalFunctions::ToSingleByte(reply)));
        // The reply arrives before the next command goes out: with nothing left to send and
        // every command sent, this one answered the last command.
        if (sent == m_commands.size() && sequencer.CommandQueue().isEmpty())
            finish(Answered);
    });
    QObject::connect(&sequencer, &Sequencer::timedOut, [&](bool) { finish(TimedOut); });

    // The whole list is queued before the port opens, so the one readiness query of the
    // connection starts the drain.
    for (const CtrlACommand &command : m_commands)
        sequencer.AddCommand(command);
    Output::line(
        QStringLiteral("device %1 at %2").arg(m_device, channel->getCOMSettings().settingsText()));
    sequencer.cmdConnect_Click();
    if (!channel->PortIsOpen())
        return PortNotOpened;
    if (channel->readyQueryPending()) {
        Output::line(Output::timeStamp() + QStringLiteral(" > ") +
                     Output::escaped(CtrlACommand::readinessQuery()));
    }
    if (result < 0)
        loop.exec();
    if (channel->PortIsOpen())
        channel->Disconnect();
    return static_cast<Result>(result);
}
