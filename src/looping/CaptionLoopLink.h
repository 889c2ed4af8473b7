#pragma once

#include "link/CtrlACommand.h"

class Sequencer;

// What the caption loop needs of the encoder link: whether the port is open, the command queue
// and the start of a transaction.
class CaptionLoopLink
{
public:
    virtual ~CaptionLoopLink() = default;
    virtual bool portIsOpen() const = 0;
    virtual void addCommand(const CtrlACommand &command) = 0;
    virtual int queueCount() const = 0;
    virtual void startTransaction() = 0;
};

// The link of the window and of quillcast-send: the sequencer's queue and channel.
class SequencerLoopLink : public CaptionLoopLink
{
public:
    explicit SequencerLoopLink(Sequencer *sequencer) : m_sequencer(sequencer) {}
    bool portIsOpen() const override;
    void addCommand(const CtrlACommand &command) override;
    int queueCount() const override;
    void startTransaction() override;

private:
    Sequencer *m_sequencer;
};
