#pragma once

#include "core/looping/CaptionLoopLink.h"

class Sequencer;

// The link of the window and of quillcast-send: the sequencer's queue and channel.
class SequencerLoopLink : public CaptionLoopLink
{
public:
    explicit SequencerLoopLink(Sequencer *sequencer) : m_sequencer(sequencer) {}
    bool portIsOpen() const override;
    void addCommand(const CtrlACommand &command) override;
    int queueCount() const override;
    void startTransaction() override;
    bool transactionInFlight() const override;

private:
    Sequencer *m_sequencer;
};
