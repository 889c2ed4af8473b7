#pragma once

#include "config/ConfigFields.h"

#include <QFile>
#include <QList>
#include <QPair>
#include <QTextStream>

// The configurations of tests/data/written.cases: "[name]" opens a case, each "field=value" line
// below it sets a field of a new configuration by its control name (arrays as "1,0,2"), and
// lines starting with "#" are comments. An unknown field name ends the reading with no cases.
inline QList<QPair<QString, Configuration>> readWrittenCases(const QString &path)
{
    QList<QPair<QString, Configuration>> cases;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return cases;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.startsWith(QLatin1Char('['))) {
            cases.append({line.mid(1, line.indexOf(QLatin1Char(']')) - 1), Configuration()});
            continue;
        }
        const int equals = line.indexOf(QLatin1Char('='));
        if (line.startsWith(QLatin1Char('#')) || equals < 0 || cases.isEmpty())
            continue;
        const ConfigField *field = ConfigFields::byName(line.left(equals));
        if (!field)
            return {};
        const QString value = line.mid(equals + 1);
        Configuration &c = cases.last().second;
        if (auto text = std::get_if<QString Configuration::*>(&field->member)) {
            c.**text = value;
        } else if (auto single = std::get_if<int Configuration::*>(&field->member)) {
            c.**single = value.toInt();
        } else if (auto values = std::get_if<QVector<int> Configuration::*>(&field->member)) {
            (c.**values).clear();
            for (const QString &member : value.split(QLatin1Char(',')))
                (c.**values).append(member.toInt());
        }
    }
    return cases;
}
