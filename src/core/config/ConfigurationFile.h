#pragma once

#include "core/config/Configuration.h"

#include <QString>
#include <stdexcept>

class QWidget;

// Reading and writing ".qcf" configuration files on top of ConfigCodec, with the operator's
// messages and questions (through DialogService, parented to dialogParent).
namespace ConfigurationFile {

// A configuration that cannot be put into a file at all (longer than the format's 32767
// bytes, or a list index outside 0..255). Thrown by saveConfiguration before anything is
// written; the File menu command that asked reports it.
class BuildError : public std::runtime_error
{
public:
    explicit BuildError(const QString &description) : std::runtime_error(description.toStdString())
    {
    }
    static constexpr int Number = 6; // reported like an overflow
};

// Applies the file to configuration, which holds the values before loading (the defaults).
// true when the load completed, also after the operator chose to continue past import errors.
bool loadConfiguration(const QString &path, Configuration &configuration, QWidget *dialogParent);
// Writes the configuration; the file is replaced whole or not at all. true on success; false
// after the write-failure message. Throws BuildError when the file cannot be built.
bool saveConfiguration(const QString &path, const Configuration &configuration,
                       QWidget *dialogParent);

} // namespace ConfigurationFile
