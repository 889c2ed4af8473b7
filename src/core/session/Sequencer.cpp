#include "core/session/Sequencer.h"

#include "core/common/GlobalFunctions.h"
#include "core/protocol/EncoderReplies.h"
#include "core/session/EncoderChannel.h"
#include "core/transport/PortLine.h"
#include "ui/DialogService.h"

#include <QTimer>

namespace {

const QString kNotConnectedQuestion = QStringLiteral(
    "A connection is not currently active.  Would you like to attempt to connect now?");
const QString kNoReplyPortOpen =
    QStringLiteral("Quillcast could not connect to the Encoder.  Please check the cabling and "
                   "that the COM Port settings match the Encoder Serial Port settings.");
const QString kNoReplyPortClosed =
    QStringLiteral("The connection could not be verified with the unit, and the port appears to "
                   "be closed.  Please connect and try again.");
const QString kPortNotOpened = QStringLiteral(
    "The port could not be opened.  Please check that the port it is not in use by another "
    "application.");

const QString kEncoderRestarted = QStringLiteral(
    "The Encoder restarted before it answered, and the commands sent to it may have been lost.  "
    "Please send the configuration again.");
const QString kReplyTooLong = QStringLiteral(
    "The Encoder's reply was too long, and the rest of the transaction has been cancelled.  "
    "Please check the cabling and the COM Port settings, and try again.");

constexpr int kReadinessTimeoutMs = 3000;
constexpr int kSendingMinimumMs = 2000;
constexpr int kKeepAliveSeconds = 300;

} // namespace

struct Sequencer::Private
{
    QWidget *dialogParent = nullptr;
    EncoderChannel *comm = nullptr;
    QList<CtrlACommand> queue;
    CtrlACommand current;
    QTimer *commTimeout = nullptr;
    QTimer *sendConfigDisable = nullptr;
    int connectedSeconds = 0;
    int state = -1;
    QString identification;
    std::function<void()> buildConfiguration;
    // A failure's message is up: nothing is sent and no reply is acted on meanwhile.
    bool reportingTimeout = false;
    // Connect was pressed and the port opens in the event loop.
    bool awaitingOpen = false;
    QString openError;            // the reason the last open failed
    bool connectingShown = false; // "Connecting..." shown since the last state was set
};

Sequencer::Sequencer(QWidget *dialogParent, QObject *parent)
    : Sequencer(dialogParent, new EncoderChannel, parent)
{
}

Sequencer::Sequencer(QWidget *dialogParent, EncoderChannel *channel, QObject *parent)
    : QObject(parent), d(new Private)
{
    d->dialogParent = dialogParent;
    d->comm = channel;
    d->comm->setParent(this);
    d->comm->setObjectName(QStringLiteral("CommIFace"));
    // Long article lists are cut short depending on the encoder model shown in panel 3.
    d->comm->setIdentificationSource([this] { return d->identification; });
    connect(d->comm, &EncoderChannel::replyReady, this, &Sequencer::handleReply);
    connect(d->comm, &EncoderChannel::replyTooLong, this, [this](qint64 received) {
        if (d->reportingTimeout)
            return;
        fail(Failure::ReplyTooLong, kReplyTooLong, true,
             QStringLiteral("over %1 characters without the prompt").arg(received), false);
    });
    // The end of an open and a lost line are acted on from the event loop, so that whoever
    // else listens to the port (the traffic log) has seen them before the link moves on.
    const PortLine *port = d->comm->port();
    connect(
        port, &PortLine::portOpened, this, [this] { portOpened(); }, Qt::QueuedConnection);
    connect(port, &PortLine::portOpenFailed, this, [this](const QString &, const QString &reason) {
        d->openError = reason; // read at once by toggleConnection when refused at once
        if (d->awaitingOpen)
            QMetaObject::invokeMethod(
                this, [this, reason] { portOpenFailed(reason); }, Qt::QueuedConnection);
    });
    connect(
        port, &PortLine::lineLost, this,
        [this](const QString &, const QString &reason) { lineLost(reason); }, Qt::QueuedConnection);

    d->commTimeout = new QTimer(this);
    d->commTimeout->setObjectName(QStringLiteral("timerCommTimeout"));
    d->commTimeout->setSingleShot(true);
    // A coarse timer may fire up to 5 % early; the encoder gets its full time.
    d->commTimeout->setTimerType(Qt::PreciseTimer);
    connect(d->commTimeout, &QTimer::timeout, this, &Sequencer::replyTimedOut);

    d->sendConfigDisable = new QTimer(this);
    d->sendConfigDisable->setObjectName(QStringLiteral("timerSendConfigDisable"));
    d->sendConfigDisable->setSingleShot(true);
    d->sendConfigDisable->setInterval(kSendingMinimumMs);
    connect(d->sendConfigDisable, &QTimer::timeout, this, &Sequencer::endSendingPeriod);
}

Sequencer::~Sequencer()
{
    delete d;
}

EncoderChannel *Sequencer::channel() const
{
    return d->comm;
}

QList<CtrlACommand> &Sequencer::commandQueue()
{
    return d->queue;
}

const CtrlACommand &Sequencer::CurrentCommand() const
{
    return d->current;
}

void Sequencer::addCommand(const QString &mode, const QString &args, const QString &content,
                           bool ctrlC, bool sendBlankContents)
{
    addCommand(CtrlACommand(mode, args, content, ctrlC, sendBlankContents));
}

void Sequencer::addCommand(const CtrlACommand &command)
{
    d->current = command;
    d->queue.append(command);
}

void Sequencer::startTransaction()
{
    // While the port opens, nothing can be sent and no reply time-out may run down (a network
    // open takes up to 5 s): the end of the open starts the transaction, for the commands
    // queued meanwhile too; a failed open empties the queue.
    if (d->comm->portIsOpening())
        return;
    d->commTimeout->start(kReadinessTimeoutMs);
    // A busy or closed line sends nothing: the pending reply or the time-out carries on.
    d->comm->isPortReady();
}

bool Sequencer::ensureConnected()
{
    // A port that is opening counts as connected: the callers' commands wait for the open.
    if (d->comm->portIsOpen() || d->comm->portIsOpening())
        return true;
    if (DialogService::ask(d->dialogParent, kNotConnectedQuestion, DialogService::Buttons::YesNo,
                           DialogService::Icon::Exclamation) != DialogService::Answer::Yes)
        return false;
    toggleConnection();
    return true;
}

void Sequencer::setLinkState(int state)
{
    if (state < 0 || state > 2)
        return;
    d->state = state;
    d->connectingShown = false;
    if (state == 0 && !d->identification.isEmpty()) {
        d->identification.clear();
        emit identificationChanged(d->identification);
    }
    emit linkStateChanged(state);
}

int Sequencer::linkState() const
{
    return d->state;
}

void Sequencer::setConfigurationBuilder(std::function<void()> build)
{
    d->buildConfiguration = std::move(build);
}

QTimer *Sequencer::timerCommTimeout() const
{
    return d->commTimeout;
}

QTimer *Sequencer::timerSendConfigDisable() const
{
    return d->sendConfigDisable;
}

int Sequencer::connectedSeconds() const
{
    return d->connectedSeconds;
}

QString Sequencer::identificationText() const
{
    return d->identification;
}

bool Sequencer::transactionInFlight() const
{
    return d->commTimeout->isActive();
}

bool Sequencer::isReportingFailure() const
{
    return d->reportingTimeout;
}

void Sequencer::releaseLink()
{
    d->commTimeout->stop();
    d->sendConfigDisable->stop();
    d->comm->closePort();
    d->queue.clear();
}

void Sequencer::handleReply(const QString &response)
{
    if (d->reportingTimeout)
        return; // too late: the link is given up once the message is read
    d->commTimeout->stop();
    emit replyReceived(response);

    // The start-up banner in place of a command's reply: the encoder was switched off and on,
    // the command is lost and so may be what the encoder had been sent before.
    if (!d->comm->replyAnsweredQuery() && EncoderReplies::isStartupBanner(response)) {
        fail(Failure::EncoderRestarted, kEncoderRestarted, false, QString(), false);
        return;
    }

    if (!d->queue.isEmpty()) {
        d->current = d->queue.takeFirst();
        d->commTimeout->start(
            EncoderReplies::commandTimeout(d->current.mode, d->comm->getCOMSettings().baud));
        d->comm->sendCommand(d->current);
        emit commandSent(d->current);
    } else if (!d->sendConfigDisable->isActive()) {
        setLinkState(1);
    }

    const QString identification = EncoderReplies::identificationFromReply(response);
    if (!identification.isNull()) {
        d->identification = identification;
        emit identificationChanged(identification);
    }

    if (EncoderReplies::isArticleList(response))
        emit articleListReceived(response.mid(2), EncoderReplies::articleNames(response));
}

void Sequencer::replyTimedOut()
{
    d->commTimeout->stop();
    emit replyTimeoutFired(d->commTimeout->interval());
    if (d->comm->portIsOpen()) {
        fail(Failure::TimedOut, kNoReplyPortOpen, true, QString(), false);
    } else {
        DialogService::tell(d->dialogParent, kNoReplyPortClosed, DialogService::Icon::Critical);
        emit timedOut(false);
    }
}

void Sequencer::fail(Failure failure, const QString &message, bool critical, const QString &detail,
                     bool closeFirst)
{
    d->commTimeout->stop();
    d->sendConfigDisable->stop();
    d->queue.clear();
    if (closeFirst)
        endLink();
    // The box is modal but the event loop runs on: a late reply, the keep-alive or another
    // failure must not act behind it, and once it is read the link is only ever closed.
    d->reportingTimeout = true;
    DialogService::tell(d->dialogParent, message,
                        critical ? DialogService::Icon::Critical
                                 : DialogService::Icon::Exclamation);
    d->reportingTimeout = false;
    d->queue.clear();
    endLink(); // even from the connecting and sending presentations
    if (failure == Failure::TimedOut)
        emit timedOut(true);
    emit transactionFailed(failure, detail);
}

// Closes the link (or lets go of an open that goes on) and shows it disconnected.
void Sequencer::endLink()
{
    d->awaitingOpen = false;
    d->commTimeout->stop();
    if (!d->comm->portIsOpen() && !d->comm->portIsOpening() && d->state == 0 && !d->connectingShown)
        return;
    d->comm->closePort();
    setLinkState(0);
    emit operatorDisconnected();
}

void Sequencer::disconnectLink()
{
    if (!d->comm->portIsOpen() && !d->comm->portIsOpening())
        return;
    endLink();
}

void Sequencer::toggleConnection()
{
    if (d->comm->portIsOpening()) {
        disconnectLink(); // pressed again while the port opens: cancelled
        return;
    }
    if (!d->comm->portIsOpen()) {
        d->openError.clear();
        if (!d->comm->openPort()) {
            DialogService::tell(d->dialogParent, kPortNotOpened, DialogService::Icon::Exclamation);
            emit transactionFailed(Failure::PortNotOpened, d->openError);
            return;
        }
        d->awaitingOpen = d->comm->portIsOpening();
        d->connectingShown = true;
        emit connecting();
        startTransaction(); // once open: at the end of the open when it goes on
        return;
    }
    disconnectLink();
}

void Sequencer::portOpened()
{
    if (!d->awaitingOpen)
        return; // opened at once: toggleConnection goes on
    d->awaitingOpen = false;
    startTransaction();
}

void Sequencer::portOpenFailed(const QString &reason)
{
    if (!d->awaitingOpen)
        return; // cancelled meanwhile
    // The open went on in the event loop and failed (refused, no such host, no answer in
    // time): whatever waited for it cannot be sent. Unlike a port refused at once, the
    // presentation showed "Connecting...": it returns to Disconnected with an empty queue.
    fail(Failure::PortNotOpened, kPortNotOpened, false, reason, true);
}

void Sequencer::lineLost(const QString &reason)
{
    // The port is gone (and closed by the wrapper): nothing more can arrive, so the
    // transaction ends now rather than at its time-out, and an idle link shows Disconnected.
    if (d->comm->portIsOpen() || d->comm->portIsOpening())
        return; // reconnected meanwhile: the lost line is history
    if (d->reportingTimeout) {
        d->comm->closePort(); // the box up already ends the link once read
        return;
    }
    fail(Failure::LineLost, kNoReplyPortClosed, true, reason, true);
}

void Sequencer::sendConfiguration()
{
    if (!ensureConnected()) {
        setLinkState(0);
        return;
    }
    if (!d->comm->portIsOpen() && !d->comm->portIsOpening()) {
        // The operator agreed to connect but the port would not open (that message has been
        // shown). Nothing can reach the encoder, so rather than sitting in the sending state
        // until a second, closed-port message, go back to the disconnected presentation with
        // an empty queue; the operator fixes the port and presses the button again.
        d->queue.clear();
        setLinkState(0);
        return;
    }
    // A port still opening: the commands wait in the queue and the end of the open sends the
    // readiness query (startTransaction does nothing meanwhile, so its 3000 ms cannot run out
    // during a 5 s connect); a failed open empties the queue and shows Disconnected.
    d->sendConfigDisable->start(kSendingMinimumMs);
    setLinkState(2);
    if (d->buildConfiguration)
        d->buildConfiguration();
    startTransaction();
}

void Sequencer::endSendingPeriod()
{
    d->sendConfigDisable->stop();
    if (d->reportingTimeout)
        return;
    // A link lost during the sending period stays disconnected.
    if (d->queue.isEmpty() && d->comm->portIsOpen())
        setLinkState(1);
}

void Sequencer::secondTick()
{
    if (d->reportingTimeout)
        return;
    if (d->comm->portIsOpen()) {
        emit connectedTimeChanged(GlobalFunctions::secondsToClockText(d->connectedSeconds));
        if (d->queue.isEmpty() && d->connectedSeconds != 0 &&
            d->connectedSeconds % kKeepAliveSeconds == 0)
            startTransaction(); // keep-alive: the encoder answers the readiness query
        ++d->connectedSeconds;
    } else if (d->connectedSeconds != 0) {
        d->connectedSeconds = 0;
        emit connectedTimeChanged(QString());
    }
}
