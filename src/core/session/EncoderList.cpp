#include "core/session/EncoderList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSettings>
#include <QUrl>

namespace EncoderList {

namespace {

const QString DeviceKey = QStringLiteral("device");
const QString BaudKey = QStringLiteral("baud");
const QString ParityKey = QStringLiteral("parity");
const QString DataBitsKey = QStringLiteral("data-bits");
const QString ConfigurationKey = QStringLiteral("configuration");

// The section headers in the order of the file (QSettings hands its groups back sorted).
QStringList sectionsInFileOrder(const QString &path)
{
    QStringList sections;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return sections;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.startsWith('[') && line.endsWith(']'))
            sections << QUrl::fromPercentEncoding(line.mid(1, line.size() - 2));
    }
    return sections;
}

} // namespace

QString readLine(const QString &baud, const QString &parity, const QString &dataBits,
                 LineSettings *line)
{
    // The encoder's own serial settings are the command line's defaults: 1200 baud, odd
    // parity, 7 data bits, 1 stop bit.
    bool ok = false;
    const int baudRate = baud.trimmed().toInt(&ok);
    if (!ok || baudRate <= 0)
        return QStringLiteral("--baud must be a positive number");
    const QString parityLetter = parity.trimmed().toUpper();
    if (parityLetter != QLatin1String("E") && parityLetter != QLatin1String("O") &&
        parityLetter != QLatin1String("N"))
        return QStringLiteral("--parity must be E, O or N");
    const QString bits = dataBits.trimmed();
    if (bits != QLatin1String("7") && bits != QLatin1String("8"))
        return QStringLiteral("--data-bits must be 7 or 8");
    line->baud = baudRate;
    line->parity = parityLetter;
    line->dataBits = static_cast<qint16>(bits.toInt());
    line->stopBits = 1;
    return QString();
}

bool checkDevice(const QString &device, QString *problem)
{
    if (device.trimmed().isEmpty()) {
        *problem = QStringLiteral("no device");
        return false;
    }
    const QString lower = device.trimmed().toLower();
    if (!lower.startsWith(QLatin1String("tcp://")) &&
        !lower.startsWith(QLatin1String("rfc2217://")))
        return true; // a device path: whether it opens is learnt when it is opened
    const QUrl url(device.trimmed(), QUrl::StrictMode);
    const int port = url.port(0);
    if (!url.isValid() || url.host().isEmpty() || port < 1 || port > 65535 ||
        !url.path().isEmpty() || url.hasQuery() || url.hasFragment() || !url.userInfo().isEmpty()) {
        *problem = QStringLiteral("device \"%1\" is not of the form %2://HOST:PORT")
                       .arg(device, url.scheme().toLower());
        return false;
    }
    return true;
}

QString deviceKey(const QString &device)
{
    const QString trimmed = device.trimmed();
    const QString lower = trimmed.toLower();
    if (lower.startsWith(QLatin1String("tcp://")) ||
        lower.startsWith(QLatin1String("rfc2217://"))) {
        const QUrl url(trimmed);
        return QStringLiteral("net:%1:%2").arg(url.host().toLower()).arg(url.port());
    }
    const QString canonical = QFileInfo(trimmed).canonicalFilePath();
    return QStringLiteral("file:") + (canonical.isEmpty()
                                          ? QDir::cleanPath(QFileInfo(trimmed).absoluteFilePath())
                                          : canonical);
}

Result read(const QString &path, const LineSettings &defaults, const QString &defaultConfiguration)
{
    Result result;
    const QFileInfo info(path);
    const auto refuse = [&](const QString &problem) {
        result.entries.clear();
        result.problem = path + QStringLiteral(": ") + problem;
        return result;
    };
    if (!info.isFile() || !info.isReadable())
        return refuse(QStringLiteral("the list of encoders cannot be read"));

    QSettings list(path, QSettings::IniFormat);
    if (list.status() != QSettings::NoError)
        return refuse(QStringLiteral("not a valid list of encoders (an INI file)"));
    if (!list.childKeys().isEmpty())
        return refuse(QStringLiteral("key \"%1\" outside any encoder's section")
                          .arg(list.childKeys().first()));

    // Groups in file order; any the header scan did not recognise follow in QSettings' order.
    QStringList groups;
    const QStringList known = list.childGroups();
    const QSet<QString> knownSet(known.begin(), known.end());
    QSet<QString> placed;
    for (const QString &section : sectionsInFileOrder(path)) {
        if (knownSet.contains(section) && !placed.contains(section)) {
            groups << section;
            placed.insert(section);
        }
    }
    for (const QString &group : known) {
        if (!placed.contains(group))
            groups << group;
    }
    if (groups.isEmpty())
        return refuse(QStringLiteral("no encoders: give one section per encoder"));

    static const QSet<QString> keys = {DeviceKey, BaudKey, ParityKey, DataBitsKey,
                                       ConfigurationKey};
    QHash<QString, QString> devices; // device key -> the entry that has it
    const QDir folder = info.absoluteDir();
    for (const QString &name : std::as_const(groups)) {
        const auto refuseEntry = [&](const QString &problem) {
            return refuse(QStringLiteral("encoder \"%1\": %2").arg(name, problem));
        };
        list.beginGroup(name);
        const QStringList present = list.childKeys();
        const QStringList nested = list.childGroups();
        QHash<QString, QString> values;
        QString problem;
        for (const QString &key : present) {
            const QVariant value = list.value(key);
            if (!keys.contains(key))
                problem = QStringLiteral("unknown key \"%1\"").arg(key);
            else if (value.typeId() != QMetaType::QString)
                problem = QStringLiteral("%1 holds more than one value").arg(key);
            else
                values.insert(key, value.toString());
            if (!problem.isEmpty())
                break;
        }
        list.endGroup();
        if (problem.isEmpty() && !nested.isEmpty())
            problem = QStringLiteral("unknown key \"%1/...\"").arg(nested.first());
        if (!problem.isEmpty())
            return refuseEntry(problem);

        Entry entry;
        entry.name = name;
        entry.device = values.value(DeviceKey).trimmed();
        if (!checkDevice(entry.device, &problem))
            return refuseEntry(problem);
        const QString key = deviceKey(entry.device);
        if (devices.contains(key))
            return refuseEntry(QStringLiteral("device %1 is also that of encoder \"%2\"")
                                   .arg(entry.device, devices.value(key)));
        devices.insert(key, name);

        entry.line = defaults;
        problem =
            readLine(values.value(BaudKey, QString::number(defaults.baud)),
                     values.value(ParityKey, defaults.parity),
                     values.value(DataBitsKey, QString::number(defaults.dataBits)), &entry.line);
        if (!problem.isEmpty())
            return refuseEntry(problem.mid(2)); // "baud must be...", without the dashes

        const QString configuration = values.value(ConfigurationKey).trimmed();
        if (values.contains(ConfigurationKey) && configuration.isEmpty())
            return refuseEntry(QStringLiteral("configuration is empty"));
        entry.configuration = configuration.isEmpty()
                                  ? defaultConfiguration
                                  : QDir::cleanPath(folder.absoluteFilePath(configuration));
        if (entry.configuration.isEmpty())
            return refuseEntry(QStringLiteral("no configuration: give a configuration key or "
                                              "FILE.qcf on the command line"));
        result.entries << entry;
    }
    return result;
}

} // namespace EncoderList
