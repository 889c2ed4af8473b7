#include "ui/settings/PortSettingsStore.h"

#include "core/common/AppSettings.h"
#include "core/common/GlobalFunctions.h"
#include "core/session/EncoderChannel.h"
#include "core/transport/NetworkAddress.h"
#include "core/transport/PortLine.h"

#include <QDir>
#include <QStandardPaths>
#include <limits>

namespace {

const QString kComSection = QStringLiteral("COMSettings");
const QString kAppSection = QStringLiteral("Application");

// A stored number: blanks around it are allowed, a fraction is rounded, anything else (or a
// value out of the field's range) is not a number and leaves the field alone.
template <typename Field> void readNumber(const QString &key, const QString &fallback, Field *field)
{
    bool ok = false;
    const double value = AppSettings::get(kComSection, key, fallback).trimmed().toDouble(&ok);
    if (!ok)
        return;
    const qint64 rounded = GlobalFunctions::roundHalfEven(value);
    if (rounded < std::numeric_limits<Field>::min() || rounded > std::numeric_limits<Field>::max())
        return;
    *field = Field(rounded);
}

bool simulatorRequested()
{
    return qEnvironmentVariable("QUILLCAST_SIMULATOR") == QLatin1String("1");
}

} // namespace

namespace PortSettingsStore {

const QList<ListRow> &bauds()
{
    static const QList<ListRow> rows = {{"1200", "1200"},  {"2400", "2400"},   {"4800", "4800"},
                                        {"9600", "9600"},  {"19200", "19200"}, {"38400", "38400"},
                                        {"57600", "57600"}};
    return rows;
}

const QList<ListRow> &parities()
{
    static const QList<ListRow> rows = {{"Even", "E"}, {"Odd", "O"}, {"None", "N"}};
    return rows;
}

const QList<ListRow> &dataBitsList()
{
    static const QList<ListRow> rows = {{"7", "7,1"}, {"8", "8,1"}};
    return rows;
}

int findIndex(const QString &value, const QList<ListRow> &rows)
{
    for (int i = 0; i < rows.size(); ++i) {
        if (rows.at(i).value.compare(value, Qt::CaseInsensitive) == 0)
            return i;
    }
    return 0;
}

LineSettings loadLineSettings()
{
    LineSettings settings;
    readNumber(QStringLiteral("Port"), QStringLiteral("1"), &settings.port);
    readNumber(QStringLiteral("Baud"), QStringLiteral("1200"), &settings.baud);
    settings.parity = AppSettings::get(kComSection, QStringLiteral("Parity"), QStringLiteral("O"));
    readNumber(QStringLiteral("Data Bits"), QStringLiteral("7"), &settings.dataBits);
    readNumber(QStringLiteral("Stop Bits"), QStringLiteral("1"), &settings.stopBits);
    return settings;
}

QString defaultLoadPath()
{
    // Not beside the program: once installed, the program's own folder is not writable, and
    // the configuration files are the operator's documents.
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
           QStringLiteral("/Quillcast Data Files/");
}

void loadAppSettings(EncoderChannel *channel, QString *loadPath, QString *currentConfigFile)
{
    LineSettings settings = loadLineSettings();

    // Port numbers follow the order of the port list, which changes as adapters come and go;
    // the device path stored beside the number is the port. A stored device is kept even when
    // it is missing now: connecting then fails and says so.
    PortLine *ports = channel->port();
    settings.device = AppSettings::get(kComSection, QStringLiteral("Device"));
    // A network address typed in the dialog last time is listed again.
    if (NetworkAddress::isAddress(settings.device))
        ports->addDevice(settings.device);
    // The simulated encoder is a choice: made in the Port Settings dialog, or asked for in the
    // environment at a first start, before any port has been stored.
    const bool nothingStored = settings.device.isEmpty() &&
                               AppSettings::get(kComSection, QStringLiteral("Port")).isEmpty();
    if (nothingStored && simulatorRequested())
        settings.device = PortLine::simulatedDeviceName();
    const int devicePort = settings.device.isEmpty() ? 0 : ports->portForDevice(settings.device);
    if (devicePort > 0)
        settings.port = qint16(devicePort);
    channel->setCOMSettings(settings);

    const QString defaultPath = defaultLoadPath();
    *loadPath = AppSettings::get(kAppSection, QStringLiteral("Load Path"), defaultPath);
    if (*loadPath == defaultPath)
        QDir().mkpath(defaultPath);
    *currentConfigFile = AppSettings::get(kAppSection, QStringLiteral("Last File"));
}

void saveAppSettings(const EncoderChannel *channel, const QString &loadPath,
                     const QString &currentConfigFile)
{
    const LineSettings &settings = channel->getCOMSettings();
    AppSettings::save(kComSection, QStringLiteral("Port"), QString::number(settings.port));
    AppSettings::save(kComSection, QStringLiteral("Baud"), QString::number(settings.baud));
    AppSettings::save(kComSection, QStringLiteral("Parity"), settings.parity);
    AppSettings::save(kComSection, QStringLiteral("Data Bits"), QString::number(settings.dataBits));
    AppSettings::save(kComSection, QStringLiteral("Stop Bits"), QString::number(settings.stopBits));
    const QString device = channel->port()->deviceFor(settings);
    if (!device.isEmpty())
        AppSettings::save(kComSection, QStringLiteral("Device"), device);
    AppSettings::save(kAppSection, QStringLiteral("Load Path"), loadPath);
    if (!currentConfigFile.isEmpty())
        AppSettings::save(kAppSection, QStringLiteral("Last File"), currentConfigFile);
}

} // namespace PortSettingsStore
