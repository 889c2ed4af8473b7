#include "core/session/PlantConfigurations.h"

#include "core/commands/ControlProcessing.h"
#include "core/config/ConfigurationFile.h"
#include "core/config/DefaultInfo.h"

#include <QFileInfo>

PlantConfigurations::PlantConfigurations(const LocalTimeZoneSnapshot &zone) : m_zone(zone) {}

const PlantConfigurations::Loaded &PlantConfigurations::of(const QString &path)
{
    auto it = m_loaded.find(path);
    if (it == m_loaded.end()) {
        it = m_loaded.insert(path, load(path, m_zone));
        m_paths << path;
    }
    return *it;
}

QString PlantConfigurations::readEntries(const QList<EncoderList::Entry> &entries,
                                         const Where &where, QStringList *notes)
{
    for (const EncoderList::Entry &entry : entries) {
        if (entry.configuration.isEmpty())
            continue;
        const bool known = contains(entry.configuration);
        const Loaded &loaded = of(entry.configuration);
        if (!loaded.ok)
            return where(entry) + QStringLiteral(": ") + loaded.problem;
        if (!known) {
            for (const QString &note : loaded.notes)
                *notes << where(entry) + QStringLiteral(": ") + note;
        }
    }
    return QString();
}

PlantConfigurations::Where PlantConfigurations::inList(const QString &listPath)
{
    return [listPath](const EncoderList::Entry &entry) {
        return QStringLiteral("%1: encoder \"%2\": %3")
            .arg(listPath, entry.name, entry.configuration);
    };
}

PlantConfigurations::Loaded PlantConfigurations::load(const QString &path,
                                                      const LocalTimeZoneSnapshot &zone)
{
    Loaded loaded;
    if (!QFileInfo::exists(path)) {
        loaded.problem = QStringLiteral("the file does not exist");
        return loaded;
    }
    const ConfigurationFile::LoadResult result = ConfigurationFile::loadConfiguration(
        path, Configuration::defaults(DefaultInfo::loadDefaultInfo(nullptr), zone.InDaylightTime));
    for (const ConfigurationFile::Message &message : result.messages) {
        // Message texts may hold line breaks; one line each keeps a list of them readable.
        QString line = message.text;
        line.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\n'), ' ');
        if (message.kind == ConfigurationFile::Message::Question || !result.readable) {
            loaded.problem = line;
            return loaded;
        }
        loaded.notes << line;
    }
    if (!result.readable) {
        loaded.problem = QStringLiteral("not a readable configuration file");
        return loaded;
    }
    loaded.ok = true;
    ControlProcessing::Context context;
    context.zone = zone;
    ControlProcessing(result.configuration, context, [&loaded](const CtrlACommand &command) {
        loaded.commands << command;
    }).buildConfiguration();
    return loaded;
}
