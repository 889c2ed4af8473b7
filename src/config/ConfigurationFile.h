#pragma once

#include "config/Configuration.h"

#include <QString>

class QWidget;

// Reading and writing ".qcf" configuration files on top of ConfigCodec, with the operator's
// messages and questions (through DialogService, parented to dialogParent).
namespace ConfigurationFile {

// Applies the file to configuration, which holds the values before loading (the defaults).
// true when the load completed, also after the operator chose to continue past import errors.
bool LoadConfiguration(const QString &path, Configuration &configuration, QWidget *dialogParent);
// Writes the configuration; the file is replaced whole or not at all. true on success.
bool SaveConfiguration(const QString &path, const Configuration &configuration,
                       QWidget *dialogParent);

} // namespace ConfigurationFile
