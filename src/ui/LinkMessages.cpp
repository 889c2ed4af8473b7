#include "ui/LinkMessages.h"

#include "core/session/Sequencer.h"
#include "ui/DialogService.h"

#include <QWidget>

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

} // namespace

LinkMessages::LinkMessages(Sequencer *sequencer, QWidget *dialogParent)
    : QObject(sequencer), m_sequencer(sequencer), m_parent(dialogParent)
{
    using Icon = DialogService::Icon;
    connect(sequencer, &Sequencer::timedOut, this, [this](bool portWasOpen) {
        if (!portWasOpen) // with the port open, the failure that follows says it
            DialogService::tell(m_parent, kNoReplyPortClosed, Icon::Critical);
    });
    connect(sequencer, &Sequencer::transactionFailed, this, [this](Sequencer::Failure failure) {
        switch (failure) {
        case Sequencer::Failure::PortNotOpened:
            DialogService::tell(m_parent, kPortNotOpened, Icon::Exclamation);
            break;
        case Sequencer::Failure::TimedOut:
            DialogService::tell(m_parent, kNoReplyPortOpen, Icon::Critical);
            break;
        case Sequencer::Failure::LineLost:
            DialogService::tell(m_parent, kNoReplyPortClosed, Icon::Critical);
            break;
        case Sequencer::Failure::EncoderRestarted:
            DialogService::tell(m_parent, kEncoderRestarted, Icon::Exclamation);
            break;
        case Sequencer::Failure::ReplyTooLong:
            DialogService::tell(m_parent, kReplyTooLong, Icon::Critical);
            break;
        }
    });
}

bool LinkMessages::ensureConnected()
{
    if (m_sequencer->isConnected())
        return true;
    if (DialogService::ask(m_parent, kNotConnectedQuestion, DialogService::Buttons::YesNo,
                           DialogService::Icon::Exclamation) != DialogService::Answer::Yes)
        return false;
    m_sequencer->toggleConnection();
    return true;
}

void LinkMessages::sendConfiguration()
{
    if (!ensureConnected()) {
        m_sequencer->setLinkState(Sequencer::LinkState::Disconnected);
        return;
    }
    m_sequencer->sendConfiguration();
}
