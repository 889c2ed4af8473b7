#pragma once

#include "core/transport/LineSettings.h"

#include <QList>
#include <QString>

class EncoderChannel;

// The stored port settings ("LineSettings") and the two file-dialog values ("Application") of
// the per-user settings store, and the fixed lists of the Port Settings dialog.
namespace PortSettingsStore {

// One row of a dialog list: the text shown and the value it stands for.
struct ListRow
{
    QString text;
    QString value;
};

const QList<ListRow> &bauds();        // "1200" ... "57600"
const QList<ListRow> &parities();     // "Even" -> "E", "Odd" -> "O", "None" -> "N"
const QList<ListRow> &dataBitsList(); // "7" -> "7,1", "8" -> "8,1"

// The first row whose value equals value, letter case ignored; 0 when none does.
int findIndex(const QString &value, const QList<ListRow> &rows);

// The five port values as stored, each with its default when absent; a value that cannot be
// read as a number leaves its field 0.
LineSettings loadLineSettings();
// The folder the file dialogs start in when none is stored.
QString defaultLoadPath();

// Window load: hands the stored port settings to the channel and reads the dialogs' starting
// folder and the last configuration file.
void loadAppSettings(EncoderChannel *channel, QString *loadPath, QString *currentConfigFile);
// Window close: writes the channel's port settings, the starting folder and, when not empty,
// the last configuration file.
void saveAppSettings(const EncoderChannel *channel, const QString &loadPath,
                     const QString &currentConfigFile);

} // namespace PortSettingsStore
