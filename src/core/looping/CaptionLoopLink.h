#pragma once

#include "core/protocol/CtrlACommand.h"

class Sequencer;

// What the caption loop needs of the encoder link: whether the port is open, the command queue,
// the start of a transaction, whether a reply is awaited and whether a failure is being reported.
class CaptionLoopLink
{
public:
    virtual ~CaptionLoopLink() = default;
    virtual bool portIsOpen() const = 0;
    virtual void addCommand(const CtrlACommand &command) = 0;
    virtual int queueCount() const = 0;
    virtual void startTransaction() = 0;
    // A reply is awaited: its time-out runs, and a new transaction would cut it short.
    virtual bool transactionInFlight() const = 0;
    // A failure's message is open; the link is given up once the operator has read it.
    virtual bool isReportingFailure() const = 0;
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
    bool transactionInFlight() const override;
    bool isReportingFailure() const override;

private:
    Sequencer *m_sequencer;
};
