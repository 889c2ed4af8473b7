#pragma once

#include "core/session/EncoderChannel.h"
#include "core/transport/LineSettings.h"
#include "core/transport/PortLine.h"

#include <QFile>
#include <QString>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <unistd.h>

// A channel over a port list of this one device, set to the given line; whoever makes a
// sequencer of it owns the channel and its port.
inline EncoderChannel *channelForDevice(const QString &device, const LineSettings &line)
{
    auto *port = new PortLine(QStringList{device});
    LineSettings settings = line;
    settings.port = static_cast<qint16>(port->portForDevice(device));
    auto *channel = new EncoderChannel(port);
    channel->setCOMSettings(settings);
    return channel;
}

// Why a device path could not be opened when the port gave no reason: the system's word on
// the path itself ("No such file or directory", "Permission denied"), else "".
inline QString pathProblem(const QString &device)
{
    if (device.contains(QLatin1String("://")))
        return QString();
    const QByteArray path = QFile::encodeName(device);
    if (::access(path.constData(), F_OK) != 0 || ::access(path.constData(), R_OK | W_OK) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    return QString();
}
