#pragma once

#include "core/common/LocalTimeZoneSnapshot.h"
#include "core/protocol/CtrlACommand.h"
#include "core/session/EncoderList.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// The commands of the configuration files of a plant, each file read and built once however
// many encoders name it, loaded onto the window's defaults: the plant's identification from the
// settings store and the daylight state of the zone snapshot, with the year lists counted from
// today. quillcast-send and the plant window read them alike.
class PlantConfigurations
{
public:
    struct Loaded
    {
        bool ok = false;
        QString problem;   // why the file was refused
        QStringList notes; // what a load that went through had to say (an older file converted)
        QList<CtrlACommand> commands;
    };

    explicit PlantConfigurations(const LocalTimeZoneSnapshot &zone);

    // The file at path, read on first asking. No one is there to answer a question of the load:
    // the first one refuses the file, as No would. Texts are made one line each.
    const Loaded &of(const QString &path);
    bool contains(const QString &path) const { return m_loaded.contains(path); }
    // Every file read so far, in the order they were first asked for.
    const QStringList &paths() const { return m_paths; }

    // Reads the configuration of every entry (entries without one are skipped: a check needs
    // none). Where is how an entry's file is named in a problem or note, e.g. for a list
    // 'plant.ini: encoder "studio-a": /srv/a.qcf'. "" when every file reads, else the first
    // problem as "WHERE: problem"; each file's notes are added to *notes once, as "WHERE: note".
    using Where = std::function<QString(const EncoderList::Entry &)>;
    QString readEntries(const QList<EncoderList::Entry> &entries, const Where &where,
                        QStringList *notes);
    // Where for the entries of the list at listPath.
    static Where inList(const QString &listPath);

    static Loaded load(const QString &path, const LocalTimeZoneSnapshot &zone);

private:
    LocalTimeZoneSnapshot m_zone;
    QHash<QString, Loaded> m_loaded;
    QStringList m_paths;
};
