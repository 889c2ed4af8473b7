#pragma once

#include "core/session/EncoderList.h"

#include <QList>
#include <QString>
#include <QStringList>

// The encoders that the --device options name, for a plant send and for a schedule alike.
namespace DeviceOptions {

// One entry per device, named after it, on the command line's line settings and configuration.
// Returns "" when each text is a device and no two name the same encoder, else the problem, a
// wrong usage.
QString encoders(const QStringList &devices, const LineSettings &line, const QString &configuration,
                 QList<EncoderList::Entry> *entries);

} // namespace DeviceOptions
