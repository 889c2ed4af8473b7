#pragma once

#include "core/protocol/CtrlACommand.h"
#include "core/protocol/EncoderReplies.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class EncoderChannel;
class QTimer;
class QWidget;

// The command queue and the transaction sequencer: drains commandQueue one command per encoder
// reply, watches each step with one reply time-out, connects and disconnects, keeps the link
// alive every five minutes and reads the encoder identification and the article list out of
// the replies. It owns no widgets: it tells the window what to show through its signals.
class Sequencer : public QObject
{
    Q_OBJECT
public:
    // dialogParent parents the message boxes. The sequencer owns channel and the timers
    // "timerCommTimeout" and "timerSendConfigDisable" (found by objectName under the window).
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

    explicit Sequencer(QWidget *dialogParent, QObject *parent = nullptr);
    // With a channel made by the caller (ownership passes to the sequencer), e.g. over a
    // chosen port list.
    Sequencer(QWidget *dialogParent, EncoderChannel *channel, QObject *parent = nullptr);
    ~Sequencer() override;

    EncoderChannel *channel() const;
    QList<CtrlACommand> &commandQueue();
    const CtrlACommand &CurrentCommand() const;

    void addCommand(const QString &mode, const QString &args = QString(),
                    const QString &content = QString(), bool ctrlC = false,
                    bool sendBlankContents = false);
    void addCommand(const CtrlACommand &command);
    void startTransaction();
    bool ensureConnected();
    void setLinkState(int state);
    int linkState() const; // the last state set: 0, 1 or 2 (-1 before the first)

    // Runs buildConfiguration when "Send Configuration" is pressed.
    void setConfigurationBuilder(std::function<void()> build);

    QTimer *timerCommTimeout() const;
    QTimer *timerSendConfigDisable() const;
    int connectedSeconds() const;
    QString identificationText() const; // panel 3
    // A reply is awaited: the reply time-out runs.
    bool transactionInFlight() const;
    // A failure's message box is open: nothing is sent and no reply is acted on meanwhile.
    bool isReportingFailure() const;

    // Disconnects as the operator's Connect button does when the port is open; does nothing
    // otherwise (never connects).
    void disconnectLink();
    // Closing down: stops the timers, closes the port and drops the queue.
    void releaseLink();

    // For quillcast-send, which still reads the identification through the sequencer.
    static QString identificationFromReply(const QString &response)
    {
        return EncoderReplies::identificationFromReply(response);
    }

public slots:
    void toggleConnection();
    void sendConfiguration();
    void replyTimedOut();
    void endSendingPeriod();
    // The link step of the window's one-second tick.
    void secondTick();

signals:
    // The link presentation: 0 Disconnected, 1 Connected, 2 Sending.
    void linkStateChanged(int state);
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
    // The reply time-out fired; portWasOpen tells which message was shown.
    void timedOut(bool portWasOpen);
    // A transaction ended without its replies (after its message was read, in the window).
    // detail is the device's reason where there is one.
    void transactionFailed(Sequencer::Failure failure, const QString &detail);
    // The reply time-out has just fired, before its message and disconnect.
    void replyTimeoutFired(int intervalMs);

private slots:
    void handleReply(const QString &response);

private:
    void portOpened();
    void portOpenFailed(const QString &reason);
    void lineLost(const QString &reason);
    // Ends the link after a failure: the queue emptied, the message shown (nothing is sent and
    // no reply acted on while it is up), the link disconnected (before the message when
    // closeFirst), then transactionFailed.
    void fail(Failure failure, const QString &message, bool critical, const QString &detail,
              bool closeFirst);
    void endLink();

    struct Private;
    Private *d;
};
