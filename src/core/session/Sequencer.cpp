#include "core/session/Sequencer.h"

#include "core/common/GlobalFunctions.h"
#include "core/protocol/EncoderReplies.h"
#include "core/session/EncoderChannel.h"
#include "core/transport/PortLine.h"

#include <QTimer>

namespace {

constexpr int kReadinessTimeoutMs = 3000;
constexpr int kSendingMinimumMs = 2000;
constexpr int kKeepAliveSeconds = 300;

} // namespace

struct Sequencer::Private
{
    EncoderChannel *comm = nullptr;
    QList<CtrlACommand> queue;
    CtrlACommand current;
    QTimer *commTimeout = nullptr;
    QTimer *sendConfigDisable = nullptr;
    int connectedSeconds = 0;
    LinkState state = LinkState::Disconnected;
    QString identification;
    std::function<void()> buildConfiguration;
    // Connect was pressed and the port opens in the event loop.
    bool awaitingOpen = false;
    QString openError;            // the reason the last open failed
    bool connectingShown = false; // "Connecting..." shown since the last state was set
    int asked = 0;                // commands queued since the queue was last drained
    int answered = 0;             // replies to them
    int reportedCommand = 0;      // the progress last sent by sendProgress
    int reportedTotal = 0;
};

Sequencer::Sequencer(QObject *parent) : Sequencer(new EncoderChannel, parent) {}

Sequencer::Sequencer(EncoderChannel *channel, QObject *parent) : QObject(parent), d(new Private)
{
    d->comm = channel;
    d->comm->setParent(this);
    d->comm->setObjectName(QStringLiteral("CommIFace"));
    // Long article lists are cut short depending on the encoder model shown in panel 3.
    d->comm->setIdentificationSource([this] { return d->identification; });
    connect(d->comm, &EncoderChannel::replyReady, this, &Sequencer::handleReply);
    connect(d->comm, &EncoderChannel::replyTooLong, this, [this](qint64 received) {
        fail(Failure::ReplyTooLong,
             QStringLiteral("over %1 characters without the prompt").arg(received));
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

void Sequencer::addCommand(const QString &mode, const QString &args, const QString &content,
                           bool ctrlC, bool sendBlankContents)
{
    addCommand(CtrlACommand(mode, args, content, ctrlC, sendBlankContents));
}

void Sequencer::addCommand(const CtrlACommand &command)
{
    d->current = command;
    d->queue.append(command);
    ++d->asked;
}

void Sequencer::sendCommands(const QList<CtrlACommand> &commands)
{
    // A reply on its way (a long article list) is let finish with its own time-out: a new
    // transaction would put that back to the readiness query's short one.
    const bool idle = d->queue.isEmpty() && !transactionInFlight();
    for (const CtrlACommand &command : commands)
        addCommand(command);
    if (idle && !commands.isEmpty())
        startTransaction();
    reportProgress();
}

void Sequencer::startTransaction()
{
    // While the port opens, nothing can be sent and no reply time-out may run down (a network
    // open takes up to 5 s): the end of the open starts the transaction, for the commands
    // queued meanwhile too; a failed open empties the queue.
    reportProgress();
    if (d->comm->portIsOpening())
        return;
    d->commTimeout->start(kReadinessTimeoutMs);
    // A busy or closed line sends nothing: the pending reply or the time-out carries on.
    d->comm->isPortReady();
}

bool Sequencer::isConnected() const
{
    return d->comm->portIsOpen() || d->comm->portIsOpening();
}

void Sequencer::setLinkState(LinkState state)
{
    d->state = state;
    d->connectingShown = false;
    if (state == LinkState::Disconnected && !d->identification.isEmpty()) {
        d->identification.clear();
        emit identificationChanged(d->identification);
    }
    emit linkStateChanged(state);
}

Sequencer::LinkState Sequencer::linkState() const
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

bool Sequencer::transactionInFlight() const
{
    return d->commTimeout->isActive();
}

int Sequencer::commandsAsked() const
{
    return d->asked;
}

int Sequencer::commandsAnswered() const
{
    return d->answered;
}

int Sequencer::commandsToGo() const
{
    const bool commandAwaited = transactionInFlight() && !d->comm->readyQueryPending();
    return int(d->queue.size()) + (commandAwaited ? 1 : 0);
}

void Sequencer::dropCommands()
{
    d->queue.clear();
    d->asked = d->answered = 0;
    reportProgress();
}

void Sequencer::reportProgress()
{
    // A send is under way while commands are asked for and the port is there to carry them;
    // the command in flight is the one after those answered.
    const bool underWay = d->asked > 0 && isConnected();
    const int total = underWay ? d->asked : 0;
    const int command = underWay ? qMin(d->answered + 1, d->asked) : 0;
    if (command == d->reportedCommand && total == d->reportedTotal)
        return;
    d->reportedCommand = command;
    d->reportedTotal = total;
    emit sendProgress(command, total);
}

void Sequencer::releaseLink()
{
    d->commTimeout->stop();
    d->sendConfigDisable->stop();
    d->comm->closePort();
    dropCommands();
}

void Sequencer::handleReply(const QString &response)
{
    if (!d->comm->portIsOpen())
        return; // the link was given up or closed meanwhile: the reply is history
    d->commTimeout->stop();
    if (!d->comm->replyAnsweredQuery() && d->answered < d->asked)
        ++d->answered;
    emit replyReceived(response);

    // The start-up banner in place of a command's reply: the encoder was switched off and on,
    // the command is lost and so may be what the encoder had been sent before.
    if (!d->comm->replyAnsweredQuery() && EncoderReplies::isStartupBanner(response)) {
        fail(Failure::EncoderRestarted, QString());
        return;
    }

    if (!d->queue.isEmpty()) {
        d->current = d->queue.takeFirst();
        d->commTimeout->start(
            EncoderReplies::commandTimeout(d->current.mode, d->comm->getCOMSettings().baud));
        d->comm->sendCommand(d->current);
        emit commandSent(d->current);
    } else {
        d->asked = d->answered = 0; // the send is complete
        if (!d->sendConfigDisable->isActive())
            setLinkState(LinkState::Connected);
    }

    const QString identification = EncoderReplies::identificationFromReply(response);
    if (!identification.isNull()) {
        d->identification = identification;
        emit identificationChanged(identification);
    }

    if (EncoderReplies::isArticleList(response))
        emit articleListReceived(response.mid(2), EncoderReplies::articleNames(response));
    reportProgress();
}

void Sequencer::replyTimedOut()
{
    d->commTimeout->stop();
    emit replyTimeoutFired(d->commTimeout->interval());
    if (d->comm->portIsOpen())
        fail(Failure::TimedOut, QString());
    else
        emit timedOut(false);
}

void Sequencer::fail(Failure failure, const QString &detail)
{
    // Everything the failure ends is ended before anyone hears of it: a front-end that reports
    // it with a modal box runs the event loop meanwhile, and by then no late reply, keep-alive
    // or caption loop line can find a link to act on.
    d->commTimeout->stop();
    d->sendConfigDisable->stop();
    dropCommands();
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
    if (d->queue.isEmpty()) // a command that awaited its reply is lost with the link
        d->asked = d->answered = 0;
    if (!d->comm->portIsOpen() && !d->comm->portIsOpening() &&
        d->state == LinkState::Disconnected && !d->connectingShown) {
        reportProgress();
        return;
    }
    d->comm->closePort();
    reportProgress(); // before the presentation turns to Disconnected
    setLinkState(LinkState::Disconnected);
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
            // Refused at once: the presentation is left as it was.
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
    // What came while the open went on (a device server's greeting) answers nothing, and would
    // keep the readiness query from going out.
    d->comm->port()->discardInput();
    startTransaction();
}

void Sequencer::portOpenFailed(const QString &reason)
{
    if (!d->awaitingOpen)
        return; // cancelled meanwhile
    // The open went on in the event loop and failed (refused, no such host, no answer in
    // time): whatever waited for it cannot be sent. Unlike a port refused at once, the
    // presentation showed "Connecting...": it returns to Disconnected with an empty queue.
    fail(Failure::PortNotOpened, reason);
}

void Sequencer::lineLost(const QString &reason)
{
    // The port is gone (and closed by the wrapper): nothing more can arrive, so the
    // transaction ends now rather than at its time-out, and an idle link shows Disconnected.
    if (d->comm->portIsOpen() || d->comm->portIsOpening())
        return; // reconnected meanwhile: the lost line is history
    fail(Failure::LineLost, reason);
}

void Sequencer::sendConfiguration()
{
    if (!isConnected()) {
        // Not connected, or the operator agreed to connect but the port would not open (that
        // failure has been reported). Nothing can reach the encoder, so rather than sitting in
        // the sending state until a second, closed-port message, go back to the disconnected
        // presentation with an empty queue; the operator fixes the port and presses again.
        dropCommands();
        setLinkState(LinkState::Disconnected);
        return;
    }
    // A port still opening: the commands wait in the queue and the end of the open sends the
    // readiness query (startTransaction does nothing meanwhile, so its 3000 ms cannot run out
    // during a 5 s connect); a failed open empties the queue and shows Disconnected.
    d->sendConfigDisable->start(kSendingMinimumMs);
    setLinkState(LinkState::Sending);
    if (d->buildConfiguration)
        d->buildConfiguration();
    // Pressed while a reply is awaited: that reply's step sends the configuration.
    if (!transactionInFlight())
        startTransaction();
    reportProgress();
}

void Sequencer::endSendingPeriod()
{
    d->sendConfigDisable->stop();
    // A link lost during the sending period stays disconnected.
    if (d->queue.isEmpty() && d->comm->portIsOpen())
        setLinkState(LinkState::Connected);
}

void Sequencer::secondTick()
{
    if (d->comm->portIsOpen()) {
        emit connectedTimeChanged(GlobalFunctions::secondsToClockText(d->connectedSeconds));
        if (d->queue.isEmpty() && !transactionInFlight() && d->connectedSeconds != 0 &&
            d->connectedSeconds % kKeepAliveSeconds == 0)
            startTransaction(); // keep-alive: the encoder answers the readiness query
        ++d->connectedSeconds;
    } else if (d->connectedSeconds != 0) {
        d->connectedSeconds = 0;
        emit connectedTimeChanged(QString());
    }
}
