#pragma once

#include "core/config/Configuration.h"

#include <QVector>
#include <variant>

// The kinds of configuration field, by the control that holds them.
enum class ConfigFieldKind
{
    Text,          // a text box: its text
    Check,         // a check box: 0, 1 or 2
    OptionGroup,   // option buttons name_0..name_n-1: index of the selected one
    ListSelection, // a combo box: index of the selected entry
    CheckArray,    // check boxes name_0..: one 0/1 value per member
    ListArray,     // combo boxes name_0..: one entry index per member
};

// One stored field: its entry number in the current file format, the control's objectName,
// its kind, its member count (option groups and arrays) and where it lives in Configuration.
struct ConfigField
{
    int entry;
    const char *name;
    ConfigFieldKind kind;
    int members;
    std::variant<QString Configuration::*, int Configuration::*, QVector<int> Configuration::*>
        member;
};

namespace ConfigFields {

// The 49 entries of the current file format, in file order. Entry 43 (name "captionLoopFile")
// is the caption loop file's full path.
const QVector<ConfigField> &all();
// The field with the given entry number (1..49), or nullptr.
const ConfigField *byEntry(int entry);
// The field with the given control name, or nullptr.
const ConfigField *byName(const QString &name);
// The most characters the text box of a text field takes (0: no limit).
int textLimit(const ConfigField &field);

} // namespace ConfigFields
