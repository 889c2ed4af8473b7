#pragma once

#include <QSettings>
#include <QString>
#include <memory>

// The per-user settings store, under the application name "Orvane-Quillcast".
// Sections are "LineSettings", "Application", "Default Info", "Plant" (the plant window's last
// list) and "Main Window" (the room its pages took at the last start).
namespace AppSettings {

std::unique_ptr<QSettings> open();
// A value from section/key, or the default when the key is absent.
QString get(const QString &section, const QString &key, const QString &defaultValue = QString());
void save(const QString &section, const QString &key, const QString &value);

} // namespace AppSettings
