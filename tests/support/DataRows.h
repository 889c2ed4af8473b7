#pragma once

#include "GoldenFiles.h"

#include <QRegularExpression>
#include <QTest>
#include <initializer_list>

// A field of a rows file as the text it stands for: blanks around it dropped unless it is written
// in double quotes; \r, \n, \t and \xHH stand for those characters, a backslash before any other
// character for that character (\| for a bar, \\ for a backslash).
inline QString rowField(QString field)
{
    field = field.trimmed();
    if (field.size() >= 2 && field.startsWith(QLatin1Char('"')) && field.endsWith(QLatin1Char('"')))
        field = field.mid(1, field.size() - 2);
    QString text;
    for (int i = 0; i < field.size(); ++i) {
        if (field[i] != QLatin1Char('\\') || i + 1 == field.size()) {
            text += field[i];
            continue;
        }
        const QChar c = field[++i];
        if (c == QLatin1Char('x')) {
            text += QChar(field.mid(i + 1, 2).toUShort(nullptr, 16));
            i += 2;
        } else {
            text += c == 'r' ? QChar('\r') : c == 'n' ? QChar('\n') : c == 't' ? QChar('\t') : c;
        }
    }
    return text;
}

// The rows of a data-driven test from tests/data/NAME.rows: one line a row, its fields separated
// by "|", the first the row's name, then one text column each; "#" starts a comment line.
inline void addRows(const QString &name, std::initializer_list<const char *> columns)
{
    for (const char *column : columns) // a name QtTest keeps: a literal
        QTest::addColumn<QString>(column);
    static const QRegularExpression bar(QStringLiteral("(?<!\\\\)\\|"));
    for (const QString &line : goldenLines(name + QStringLiteral(".rows"))) {
        const QStringList fields = line.split(bar);
        if (line.startsWith(QLatin1Char('#')) || fields.size() != int(columns.size()) + 1) {
            QVERIFY2(line.startsWith(QLatin1Char('#')), qPrintable("not a row: " + line));
            continue;
        }
        QTestData &row = QTest::newRow(qPrintable(rowField(fields[0])));
        for (int i = 1; i < fields.size(); ++i)
            row << rowField(fields[i]);
    }
}

// A list of names separated by blanks, "NAME_0..N" standing for NAME_0 to NAME_N.
inline QStringList rowNames(const QString &field)
{
    QStringList names;
    static const QRegularExpression range(QStringLiteral("^(.*_)(\\d+)\\.\\.(\\d+)$"));
    for (const QString &name : field.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch m = range.match(name);
        if (!m.hasMatch())
            names << name;
        for (int i = m.captured(2).toInt(); m.hasMatch() && i <= m.captured(3).toInt(); ++i)
            names << m.captured(1) + QString::number(i);
    }
    return names;
}
