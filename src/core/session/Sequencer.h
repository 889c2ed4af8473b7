#pragma once

#include "core/protocol/CtrlACommand.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class EncoderChannel;
class QTimer;

// The command queue and the transaction sequencer: drains commandQueue one command per encoder
// reply, watches each step with one reply time-out, connects and disconnects, keeps the link
// alive every five minutes and reads the encoder identification and the article list out of
// the replies. It asks and shows nothing itself: whoever presents the link (the window, a
// command-line session) learns of every state and failure through its signals.
class Sequencer : public QObject
{
    Q_OBJECT
public:
    // The link's presentation.
    enum class LinkState
    {
        Disconnected,
        Connected,
        Sending
    };
    Q_ENUM(LinkState)

    // Why a transaction ended without its replies; every failure also leaves the link
    // disconnected (or never connected) with the queue emptied.
    enum class Failure
    {
        PortNotOpened,    // Connect could not open the port
        TimedOut,         // no complete reply in time
        LineLost,         // the port went away while open (connection closed, device error)
        EncoderRestarted, // the encoder's start-up banner came in place of a reply
        ReplyTooLong      // a reply outgrew the receive cap
    };
    Q_ENUM(Failure)

    // The sequencer owns its channel and the timers "timerCommTimeout" and
    // "timerSendConfigDisable" (found by objectName under the window).
    explicit Sequencer(QObject *parent = nullptr);
    // With a channel made by the caller (ownership passes to the sequencer), e.g. over a
    // chosen port list.
    explicit Sequencer(EncoderChannel *channel, QObject *parent = nullptr);
    ~Sequencer() override;

    EncoderChannel *channel() const;
    QList<CtrlACommand> &commandQueue();

    void addCommand(const QString &mode, const QString &args = QString(),
                    const QString &content = QString(), bool ctrlC = false,
                    bool sendBlankContents = false);
    void addCommand(const CtrlACommand &command);
    // Queues the commands in their order and, when the link was idle (nothing queued, no reply
    // awaited), starts a transaction; otherwise they go out in their turn, and an awaited reply
    // keeps its time-out. The caller has made sure a connection exists or has been asked for.
    void sendCommands(const QList<CtrlACommand> &commands);
    void startTransaction();
    // Whether the port is open or opening: the commands of an opening port wait for the open.
    bool isConnected() const;
    void setLinkState(LinkState state);
    LinkState linkState() const; // the last state set (Disconnected before the first)

    // Runs buildConfiguration when "Send Configuration" is pressed.
    void setConfigurationBuilder(std::function<void()> build);

    QTimer *timerCommTimeout() const;
    QTimer *timerSendConfigDisable() const;
    int connectedSeconds() const;
    // A reply is awaited: the reply time-out runs.
    bool transactionInFlight() const;

    // The send under way: the commands asked for since the queue was last drained, how many of
    // them the encoder has answered, and how many are still to go (queued, or awaiting their
    // reply).
    int commandsAsked() const;
    int commandsAnswered() const;
    int commandsToGo() const;
    // Drops the commands still queued, e.g. when the port they were meant for is given up.
    void dropCommands();

    // Disconnects as the operator's Connect button does when the port is open; does nothing
    // otherwise (never connects).
    void disconnectLink();
    // Closing down: stops the timers, closes the port and drops the queue.
    void releaseLink();

public slots:
    // Connect and Disconnect: opens a closed port (and asks the encoder whether it is ready),
    // cancels an open under way, closes an open port.
    void toggleConnection();
    // Send Configuration, once the caller has made sure a connection exists or was asked for:
    // the sending state for at least 2 s, the configuration builder's commands, a transaction.
    void sendConfiguration();
    void replyTimedOut();
    void endSendingPeriod();
    // The link step of the window's one-second tick.
    void secondTick();

signals:
    void linkStateChanged(Sequencer::LinkState state);
    // Connect pressed and the port opened, or is opening (channel()->portIsOpening(): the
    // Connect button then stays enabled, and pressing it again cancels the open).
    void connecting();
    void identificationChanged(const QString &text); // panel 3
    void connectedTimeChanged(const QString &text);  // panel 2 ("" to empty it)
    // An article-list reply: the text for txtArticleList and the names for cmbRemoveArticle.
    void articleListReceived(const QString &text, const QStringList &names);
    // The operator disconnected (the caption loop stops on this).
    void operatorDisconnected();
    // A command was handed to the channel (after its time-out was armed).
    void commandSent(const CtrlACommand &command);
    // A complete encoder reply arrived (before the next command is sent).
    void replyReceived(const QString &response);
    // The reply time-out fired. With the port open the link has been given up (and
    // transactionFailed follows); with the port closed the queue and the state are kept.
    void timedOut(bool portWasOpen);
    // A transaction ended without its replies. Sent once the failure's effects are complete
    // (the queue emptied, the link closed and shown disconnected), so that nothing can act on
    // the link while a front-end reports it. detail is the device's reason where there is one.
    void transactionFailed(Sequencer::Failure failure, const QString &detail);
    // The reply time-out has just fired, before its message and disconnect.
    void replyTimeoutFired(int intervalMs);
    // How far the send under way has got: command is the number (from 1) of the command in
    // flight, or of the next to go while the encoder is asked whether it is ready; total is the
    // number of commands of the send. (0, 0) once no send is under way: every command answered,
    // a failure, the commands dropped or the link closed. Sent on each change only.
    void sendProgress(int command, int total);

private slots:
    void handleReply(const QString &response);

private:
    void portOpened();
    void portOpenFailed(const QString &reason);
    void lineLost(const QString &reason);
    // Ends the link after a failure: the timers stopped, the queue emptied, the link closed and
    // shown disconnected, then transactionFailed.
    void fail(Failure failure, const QString &detail);
    void endLink();
    // Sends sendProgress when the send's progress has changed since it was last sent.
    void reportProgress();

    struct Private;
    Private *d;
};
