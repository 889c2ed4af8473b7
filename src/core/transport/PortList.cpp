#include "core/transport/PortList.h"

#include "core/common/AppSettings.h"

#include <QSerialPortInfo>

namespace PortList {

QStringList configuredDevices()
{
    QStringList paths;
    const QString stored =
        AppSettings::get(QStringLiteral("COMSettings"), QStringLiteral("Devices"));
    for (const QString &entry : stored.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString path = entry.trimmed();
        if (!path.isEmpty())
            paths << path;
    }
    return paths;
}

QStringList systemDevices()
{
    QStringList paths;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        paths << info.systemLocation();
    paths.sort();
    return paths;
}

QStringList devices()
{
    QStringList paths;
    for (const QString &path : configuredDevices() + systemDevices()) {
        if (paths.size() == MaximumDevices)
            break;
        if (!paths.contains(path))
            paths << path;
    }
    return paths;
}

} // namespace PortList
