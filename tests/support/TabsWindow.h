#pragma once

#include "ui/ConfigurationView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>

// The seven configuration tabs in a window of their own, reset as at a fresh start (station
// NBC / WNBC / 1234, local time zone UTC-5), with look-ups of the controls by objectName.
struct TabsWindow
{
    QWidget top;
    QTabWidget *tabs = new QTabWidget(&top);
    ConfigurationView *view;

    explicit TabsWindow(bool daylight = false)
        : view(new ConfigurationView(tabs, LocalTimeZoneSnapshot::fromOffset(-300, daylight), &top))
    {
        (new QVBoxLayout(&top))->addWidget(tabs);
        view->SetDefaults({QStringLiteral("NBC"), QStringLiteral("WNBC"), QStringLiteral("1234")});
    }

    template <typename T = QWidget> T *find(const QString &name) const
    {
        T *found = top.findChild<T *>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    QLineEdit *box(const QString &name) const { return find<QLineEdit>(name); }
    QCheckBox *check(const QString &name) const { return find<QCheckBox>(name); }
    QComboBox *list(const QString &name) const { return find<QComboBox>(name); }
    QRadioButton *option(const QString &group, int member) const
    {
        return find<QRadioButton>(QStringLiteral("%1_%2").arg(group).arg(member));
    }

    // Ticks "Enable Control" of a packet field (chCtrl<field>) and picks its Insert (o<field>_0).
    void insert(const QString &field) const
    {
        check(QStringLiteral("chCtrl") + field)->setChecked(true);
        option(QStringLiteral("o") + field, 0)->setChecked(true);
    }

    // Those of the named controls that are enabled.
    QStringList enabledOf(const QStringList &names) const
    {
        QStringList enabled;
        for (const QString &name : names) {
            if (find(name)->isEnabled())
                enabled << name;
        }
        return enabled;
    }

    bool show()
    {
        top.show();
        top.activateWindow();
        return QTest::qWaitForWindowActive(&top);
    }

    static QStringList texts(const QComboBox *list)
    {
        QStringList all;
        for (int i = 0; i < list->count(); ++i)
            all << list->itemText(i);
        return all;
    }
    static bool isWhite(const QWidget *w)
    {
        return w->palette().color(QPalette::Base) == Qt::white;
    }
    // name_0 .. name_(count-1)
    static QStringList members(const QString &name, int count)
    {
        QStringList all;
        for (int i = 0; i < count; ++i)
            all << QStringLiteral("%1_%2").arg(name).arg(i);
        return all;
    }
};
