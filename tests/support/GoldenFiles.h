#pragma once

#include "Output.h"
#include "core/config/ConfigFields.h"

#include <QFile>
#include <QList>
#include <QPair>

// The folder of the golden files: configuration files beside what they must give.
inline QString goldenFile(const QString &name)
{
    return QStringLiteral(QUILLCAST_TEST_DATA "/") + name;
}

// A whole file; nothing when it cannot be read.
inline QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes a whole file; false when it cannot.
inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The lines of a golden text file.
inline QStringList goldenLines(const QString &name)
{
    return QString::fromUtf8(contentsOf(goldenFile(name)))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Every field of a configuration as "name=value" (arrays as "1,0,2"), in file order.
inline QStringList fieldTexts(const Configuration &c)
{
    QStringList all;
    for (const ConfigField &f : ConfigFields::all()) {
        QString value;
        if (auto text = std::get_if<QString Configuration::*>(&f.member))
            value = c.**text;
        else if (auto single = std::get_if<int Configuration::*>(&f.member))
            value = QString::number(c.**single);
        else
            for (int member : c.*std::get<QVector<int> Configuration::*>(f.member))
                value += (value.isEmpty() ? "" : ",") + QString::number(member);
        all << QString::fromLatin1(f.name) + QLatin1Char('=') + value;
    }
    return all;
}

// The configurations of tests/data/written.cases: "[name]" opens a case, each "field=value" line
// below it sets a field of a new configuration by its control name (arrays as "1,0,2"; in texts
// \r and \n stand for line breaks), and lines starting with "#" are comments. An unknown field name
// ends the reading with no cases.
inline QList<QPair<QString, Configuration>> readWrittenCases(const QString &path)
{
    QList<QPair<QString, Configuration>> cases;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return cases;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const int equals = line.indexOf(QLatin1Char('='));
        if (line.startsWith(QLatin1Char('[')))
            cases.append({line.mid(1, line.indexOf(QLatin1Char(']')) - 1), Configuration()});
        else if (line.startsWith(QLatin1Char('#')) || equals < 0 || cases.isEmpty())
            continue;
        else if (const ConfigField *field = ConfigFields::byName(line.left(equals)); !field)
            return {};
        else if (auto text = std::get_if<QString Configuration::*>(&field->member))
            cases.last().second.**text = line.mid(equals + 1)
                                             .replace(QLatin1String("\\r"), QLatin1String("\r"))
                                             .replace(QLatin1String("\\n"), QLatin1String("\n"));
        else if (auto single = std::get_if<int Configuration::*>(&field->member))
            cases.last().second.**single = line.mid(equals + 1).toInt();
        else {
            QVector<int> &values =
                cases.last().second.*std::get<QVector<int> Configuration::*>(field->member);
            values.clear();
            for (const QString &member : line.mid(equals + 1).split(QLatin1Char(',')))
                values.append(member.toInt());
        }
    }
    return cases;
}
