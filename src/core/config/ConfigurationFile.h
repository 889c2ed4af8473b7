#pragma once

#include "core/config/Configuration.h"

#include <QList>
#include <QString>
#include <stdexcept>

// Reading and writing ".qcf" configuration files on top of ConfigCodec. What a load or a save
// has to tell the operator is returned as data, for the caller to show or print.
namespace ConfigurationFile {

// One thing a load has to say, in the order it arose. A question asks whether to go on past an
// import error: Yes goes on to the next message, No abandons the load.
struct Message
{
    enum Kind
    {
        Warning,
        Question
    };
    Kind kind;
    QString text;
};

struct LoadResult
{
    // false: the file could not be read or is no configuration file; its message says which.
    bool readable = false;
    QList<Message> messages;
    // The file applied over the start values, as it stands when every question is answered Yes.
    Configuration configuration;
};

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

// Reads the file and applies it over start (the values before loading: the defaults).
LoadResult loadConfiguration(const QString &path, const Configuration &start);
// Writes the configuration; the file is replaced whole or not at all. true on success; false
// with the operator's message in failureMessage. Throws BuildError when the file cannot be
// built.
bool saveConfiguration(const QString &path, const Configuration &configuration,
                       QString *failureMessage = nullptr);

} // namespace ConfigurationFile
