#include "core/common/AppSettings.h"

#include "core/common/AppInfo.h"

namespace AppSettings {

std::unique_ptr<QSettings> open()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       AppInfo::settingsAppName());
}

QString get(const QString &section, const QString &key, const QString &defaultValue)
{
    auto settings = open();
    return settings->value(section + QLatin1Char('/') + key, defaultValue).toString();
}

void save(const QString &section, const QString &key, const QString &value)
{
    auto settings = open();
    settings->setValue(section + QLatin1Char('/') + key, value);
}

} // namespace AppSettings
