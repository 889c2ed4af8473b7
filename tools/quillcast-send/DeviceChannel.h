#pragma once

#include "link/COMSettings.h"
#include "link/CommInterface.h"
#include "link/Communications.h"

#include <QString>
#include <QStringList>

// A channel over a port list of this one device, set to the given line; whoever makes a
// sequencer of it owns the channel and its port.
inline CommInterface *channelForDevice(const QString &device, const COMSettings &line)
{
    auto *port = new Communications(QStringList{device});
    COMSettings settings = line;
    settings.port = static_cast<qint16>(port->PortForDevice(device));
    auto *channel = new CommInterface(port);
    channel->setCOMSettings(settings);
    return channel;
}
