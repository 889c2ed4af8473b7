#include "core/session/SequencerLoopLink.h"

#include "core/session/EncoderChannel.h"
#include "core/session/Sequencer.h"

bool SequencerLoopLink::portIsOpen() const
{
    return m_sequencer->channel()->portIsOpen();
}

void SequencerLoopLink::addCommand(const CtrlACommand &command)
{
    m_sequencer->addCommand(command);
}

int SequencerLoopLink::queueCount() const
{
    return m_sequencer->commandQueue().size();
}

void SequencerLoopLink::startTransaction()
{
    m_sequencer->startTransaction();
}

bool SequencerLoopLink::transactionInFlight() const
{
    return m_sequencer->transactionInFlight();
}
