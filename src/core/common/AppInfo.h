#pragma once

#include <QString>

// Names and values that more than one part of the program shares.
namespace AppInfo {

inline const QString ApplicationTitle = QStringLiteral("Orvane Quillcast");
// The name of the desktop entry, the icon and the AppStream file.
inline const QString DesktopId = QStringLiteral("com.orvane.Quillcast");

// The per-user settings store is keyed by the title with every blank replaced by "-".
inline QString settingsAppName()
{
    QString name = ApplicationTitle;
    return name.replace(QLatin1Char(' '), QLatin1Char('-'));
}

inline QString versionText()
{
    return QStringLiteral("%1.%2.%3")
        .arg(QUILLCAST_VERSION_MAJOR)
        .arg(QUILLCAST_VERSION_MINOR)
        .arg(QUILLCAST_VERSION_PATCH);
}

} // namespace AppInfo
