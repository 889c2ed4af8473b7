#include "DeviceOptions.h"

#include <QHash>

QString DeviceOptions::encoders(const QStringList &devices, const LineSettings &line,
                                const QString &configuration, QList<EncoderList::Entry> *entries)
{
    QHash<QString, QString> seen; // device key: the text that named it first
    for (const QString &device : devices) {
        QString problem;
        if (!EncoderList::checkDevice(device, &problem))
            return QStringLiteral("--device: ") + problem;
        const QString key = EncoderList::deviceKey(device);
        if (seen.contains(key))
            return QStringLiteral("--device %1 names the encoder of --device %2 again")
                .arg(device, seen.value(key));
        seen.insert(key, device);
        entries->append(EncoderList::Entry{device, device, line, configuration});
    }
    return QString();
}
