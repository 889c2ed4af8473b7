#pragma once

#include "link/COMSettings.h"
#include "link/CtrlACommand.h"

#include <QList>
#include <QString>

// Sends a list of commands to the encoder on one device, exactly as the window does: the same
// sequencer opens the port, sends one readiness query and then one command per reply, and
// watches every step with its reply time-out. Each command sent and each reply received is
// written to standard output with a time stamp.
class QIODevice;

class SendSession
{
public:
    enum Result
    {
        Answered = 0,      // every command got its reply
        PortNotOpened = 3, // the device could not be opened
        TimedOut = 4       // a reply did not come in time
    };

    SendSession(const QString &device, const COMSettings &line,
                const QList<CtrlACommand> &commands);

    // Also writes the traffic log's lines (the Traffic Log window's format) to the device.
    void setTrafficLog(QIODevice *file) { m_trafficLog = file; }

    Result run();

private:
    QString m_device;
    COMSettings m_line;
    QList<CtrlACommand> m_commands;
    QIODevice *m_trafficLog = nullptr;
};
