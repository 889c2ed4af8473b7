#include "core/session/EncoderList.h"

#include "core/common/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>

#include <sys/stat.h>

namespace EncoderList {

namespace {

const QString DeviceKey = QStringLiteral("device");
const QString BaudKey = QStringLiteral("baud");
const QString ParityKey = QStringLiteral("parity");
const QString DataBitsKey = QStringLiteral("data-bits");
const QString ConfigurationKey = QStringLiteral("configuration");

// One section of the list as written: its name, its keys and the lines they are on.
struct Section
{
    QString name;
    int line = 0;
    QHash<QString, QString> values;
    QHash<QString, int> lines;
};

// A line without its comment: from a # or ; after a blank, outside double quotes.
QString withoutComment(const QString &line)
{
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        if (line[i] == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && i > 0 && line[i - 1].isSpace() &&
                 (line[i] == QLatin1Char('#') || line[i] == QLatin1Char(';')))
            return line.left(i).trimmed();
    }
    return line.trimmed();
}

// A section name that reads back as itself: what read() would trim, take for a comment, a
// bracket or an escape is written as %XX.
QByteArray sectionName(const QString &name)
{
    QByteArray text = name.toUtf8().toPercentEncoding(" !$&'()*+,/:<>?@^`{|}");
    if (text.startsWith(' '))
        text.replace(0, 1, "%20");
    if (text.endsWith(' '))
        text.replace(text.size() - 1, 1, "%20");
    return text;
}

// A value that reads back as itself: quoted when it holds a comma, a comment sign or blanks at
// its ends.
bool valueText(const QString &value, QByteArray *text)
{
    if (value.contains(QLatin1Char('"')) || value.contains(QLatin1Char('\n')) ||
        value.contains(QLatin1Char('\r')))
        return false;
    const bool quote = value.contains(QLatin1Char(',')) || value.contains(QLatin1Char('#')) ||
                       value.contains(QLatin1Char(';')) || value != value.trimmed();
    *text = quote ? '"' + value.toUtf8() + '"' : value.toUtf8();
    return true;
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
        !lower.startsWith(QLatin1String("rfc2217://"))) {
        // Any other scheme, or a network path, would be opened as a file and fail only then.
        static const QRegularExpression scheme(QStringLiteral("^[a-z][a-z0-9+.-]*:"));
        if (scheme.match(lower).hasMatch() || lower.startsWith(QLatin1String("//"))) {
            *problem = QStringLiteral("device \"%1\" is neither a device path nor "
                                      "tcp://HOST:PORT or rfc2217://HOST:PORT")
                           .arg(device);
            return false;
        }
        return true; // a device path: whether it opens is learnt when it is opened
    }
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
    // The port opens a name without a slash in /dev, as the serial port layer does.
    const QFileInfo file(trimmed.contains(QLatin1Char('/')) ? trimmed
                                                            : QStringLiteral("/dev/") + trimmed);
    const QString canonical = file.canonicalFilePath();
    return QStringLiteral("file:") +
           (canonical.isEmpty() ? QDir::cleanPath(file.absoluteFilePath()) : canonical);
}

Result read(const QString &path, const LineSettings &defaults, const QString &defaultConfiguration,
            bool needConfiguration)
{
    Result result;
    const auto refuseAt = [&](int line, const QString &problem) {
        result.entries.clear();
        result.problem = (line > 0 ? QStringLiteral("%1:%2: ").arg(path).arg(line)
                                   : path + QStringLiteral(": ")) +
                         problem;
        return result;
    };
    // A file, or a pipe such as <(...) or a FIFO, read once.
    struct stat s = {};
    const bool statted = ::stat(QFile::encodeName(path).constData(), &s) == 0;
    const bool pipe = statted && S_ISFIFO(s.st_mode);
    QFile file(path);
    if (!statted || !(S_ISREG(s.st_mode) || pipe) || !file.open(QIODevice::ReadOnly))
        return refuseAt(0, QStringLiteral("the list of encoders cannot be read"));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));

    static const QSet<QString> keys = {DeviceKey, BaudKey, ParityKey, DataBitsKey,
                                       ConfigurationKey};
    QList<Section> sections;
    QHash<QString, int> sectionLines; // name -> the line of its header
    for (int i = 0; i < lines.size(); ++i) {
        const int number = i + 1;
        QString text = lines[i].trimmed();
        if (i == 0 && text.startsWith(QChar(0xFEFF)))
            text = text.mid(1).trimmed();
        if (text.isEmpty() || text.startsWith(QLatin1Char('#')) ||
            text.startsWith(QLatin1Char(';')))
            continue;
        text = withoutComment(text);
        if (text.startsWith(QLatin1Char('['))) {
            if (!text.endsWith(QLatin1Char(']')) || text.size() < 3)
                return refuseAt(number, QStringLiteral("not a section header [NAME]"));
            const QString name = QUrl::fromPercentEncoding(text.mid(1, text.size() - 2).toUtf8());
            if (sectionLines.contains(name))
                return refuseAt(number, QStringLiteral("encoder \"%1\" is listed twice (first at "
                                                       "line %2)")
                                            .arg(name)
                                            .arg(sectionLines.value(name)));
            sectionLines.insert(name, number);
            sections << Section{name, number, {}, {}};
            continue;
        }
        const int equals = text.indexOf(QLatin1Char('='));
        if (equals < 0)
            return refuseAt(number, QStringLiteral("not a section header [NAME] nor a line "
                                                   "KEY = VALUE"));
        const QString key = text.left(equals).trimmed();
        QString value = text.mid(equals + 1).trimmed();
        if (sections.isEmpty())
            return refuseAt(number,
                            QStringLiteral("key \"%1\" outside any encoder's section").arg(key));
        Section &section = sections.last();
        const auto refuseKey = [&](const QString &problem) {
            return refuseAt(number,
                            QStringLiteral("encoder \"%1\": %2").arg(section.name, problem));
        };
        if (!keys.contains(key))
            return refuseKey(QStringLiteral("unknown key \"%1\"").arg(key));
        if (section.lines.contains(key))
            return refuseKey(QStringLiteral("%1 is given twice (first at line %2)")
                                 .arg(key)
                                 .arg(section.lines.value(key)));
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) &&
            value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        else if (value.contains(QLatin1Char(',')))
            return refuseKey(QStringLiteral("%1 holds more than one value").arg(key));
        section.values.insert(key, value);
        section.lines.insert(key, number);
    }
    if (sections.isEmpty())
        return refuseAt(0, QStringLiteral("no encoders: give one section per encoder"));

    QHash<QString, QString> devices; // device key -> the entry that has it
    // A pipe has no folder of its own: its configurations are relative to the working folder.
    const QDir folder = pipe ? QDir::current() : QFileInfo(path).absoluteDir();
    for (const Section &section : std::as_const(sections)) {
        const auto refuseEntry = [&](const QString &key, const QString &problem) {
            return refuseAt(section.lines.value(key, section.line),
                            QStringLiteral("encoder \"%1\": %2").arg(section.name, problem));
        };
        const QHash<QString, QString> &values = section.values;
        QString problem;
        Entry entry;
        entry.name = section.name;
        entry.device = values.value(DeviceKey).trimmed();
        if (!checkDevice(entry.device, &problem))
            return refuseEntry(DeviceKey, problem);
        const QString key = deviceKey(entry.device);
        if (devices.contains(key))
            return refuseEntry(DeviceKey, QStringLiteral("device %1 is also that of encoder \"%2\"")
                                              .arg(entry.device, devices.value(key)));
        devices.insert(key, entry.name);

        entry.line = defaults;
        problem =
            readLine(values.value(BaudKey, QString::number(defaults.baud)),
                     values.value(ParityKey, defaults.parity),
                     values.value(DataBitsKey, QString::number(defaults.dataBits)), &entry.line);
        if (!problem.isEmpty()) { // "baud must be...", without the dashes
            const QString key = problem.mid(2).section(QLatin1Char(' '), 0, 0);
            return refuseEntry(key, problem.mid(2));
        }

        const QString configuration = values.value(ConfigurationKey).trimmed();
        if (values.contains(ConfigurationKey) && configuration.isEmpty())
            return refuseEntry(ConfigurationKey, QStringLiteral("configuration is empty"));
        entry.configuration = configuration.isEmpty()
                                  ? defaultConfiguration
                                  : QDir::cleanPath(folder.absoluteFilePath(configuration));
        if (entry.configuration.isEmpty() && needConfiguration)
            return refuseEntry(QString(), QStringLiteral("no configuration: give a configuration "
                                                         "key or FILE.qcf on the command line"));
        result.entries << entry;
    }
    return result;
}

bool write(const QString &path, const QList<Entry> &entries, QString *problem)
{
    const QDir folder = QFileInfo(path).absoluteDir();
    QByteArray bytes;
    for (const Entry &entry : entries) {
        const QString configuration = entry.configuration.isEmpty()
                                          ? QString()
                                          : folder.relativeFilePath(entry.configuration);
        const QList<QPair<QString, QString>> values = {
            {DeviceKey, entry.device},
            {BaudKey, QString::number(entry.line.baud)},
            {ParityKey, entry.line.parity},
            {DataBitsKey, QString::number(entry.line.dataBits)},
            {ConfigurationKey, configuration}};
        if (!bytes.isEmpty())
            bytes += '\n';
        bytes += '[' + sectionName(entry.name) + "]\n";
        for (const auto &[key, value] : values) {
            if (key == ConfigurationKey && value.isEmpty())
                continue;
            QByteArray text;
            if (!valueText(value, &text)) {
                *problem = QStringLiteral("encoder \"%1\": the %2 holds a double quote or a line "
                                          "break, which a list cannot hold")
                               .arg(entry.name, key);
                return false;
            }
            bytes += key.toUtf8() + " = " + text + '\n';
        }
    }
    return WholeFile::write(path, bytes, problem);
}

} // namespace EncoderList
