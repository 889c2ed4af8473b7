#pragma once

#include "TabsWindow.h"

#include <QTest>

// Tables of which controls a choice opens: a row names the steps in order (as
// TabsWindow::apply takes them), then the controls that must be open and those that must be
// greyed afterwards. check() runs the current row in a window at a first start.
namespace EnablingRules {
inline void columns()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("open");
    QTest::addColumn<QString>("greyed");
}
inline void row(const char *name, const QString &steps, const QString &open, const QString &greyed)
{
    QTest::newRow(name) << steps << open << greyed;
}
inline void check()
{
    QFETCH(QString, steps);
    QFETCH(QString, open);
    QFETCH(QString, greyed);
    QCOMPARE(TabsWindow().enabledAfter(steps, open, greyed), QString());
}
} // namespace EnablingRules
