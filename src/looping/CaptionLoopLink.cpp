#include "looping/CaptionLoopLink.h"

#include "link/CommInterface.h"
#include "link/Sequencer.h"

bool SequencerLoopLink::portIsOpen() const
{
    return m_sequencer->CommIFace()->PortIsOpen();
}

void SequencerLoopLink::addCommand(const CtrlACommand &command)
{
    m_sequencer->AddCommand(command);
}

int SequencerLoopLink::queueCount() const
{
    return m_sequencer->CommandQueue().size();
}

void SequencerLoopLink::startTransaction()
{
    m_sequencer->StartTransaction();
}

bool SequencerLoopLink::transactionInFlight() const
{
    return m_sequencer->transactionInFlight();
}

bool SequencerLoopLink::isReportingFailure() const
{
    return m_sequencer->isReportingFailure();
}
