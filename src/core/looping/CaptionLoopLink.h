#pragma once

#include "core/protocol/CtrlACommand.h"

// What the caption loop needs of the encoder link: whether the port is open, the command queue,
// the start of a transaction and whether a reply is awaited.
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
};
