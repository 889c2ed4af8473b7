#pragma once

#include "ScriptedDialogs.h"
#include "TestSettings.h"
#include "core/session/Sequencer.h"
#include "ui/ConfigurationView.h"
#include "ui/MainWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

// The main window as at a first start (station NBC / WNBC / 4660, an empty settings store, the
// built-in simulated encoder as its port) or as at a later start (firstStart false: the settings
// the last window stored), its message boxes answered by `dialogs`, with look-ups of the
// controls by objectName. The one fixture of the window tests.
struct TabsWindow
{
    // A first start ends as the program's start-up does, with the (empty) offer of the last file.
    explicit TabsWindow(bool firstStart = true) : firstStart(startWith(firstStart))
    {
        if (firstStart)
            top.offerLastFile();
    }
    static bool startWith(bool emptySettings)
    {
        if (emptySettings)
            TestSettings::wipe();
        qputenv("QUILLCAST_SIMULATOR", "1");
        return emptySettings;
    }

    const bool firstStart;
    ScriptedDialogs dialogs;
    MainWindow top{
        DefaultInfo{QStringLiteral("NBC"), QStringLiteral("WNBC"), QStringLiteral("4660")}};
    QTabWidget *tabs = top.tabMain();
    ConfigurationView *view = top.view();

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

    void click(const QString &button) const { find<QAbstractButton>(button)->click(); }

    // Sets a control as an operator would: a text, a check box or option button (true), a list
    // entry (its index).
    void set(const QString &name, const QVariant &value) const
    {
        QWidget *control = find(name);
        if (auto *line = qobject_cast<QLineEdit *>(control))
            line->setText(value.toString());
        else if (auto *plain = qobject_cast<QPlainTextEdit *>(control))
            plain->setPlainText(value.toString());
        else if (auto *label = qobject_cast<QLabel *>(control))
            label->setText(value.toString());
        else if (auto *button = qobject_cast<QAbstractButton *>(control))
            button->setChecked(value.toBool());
        else if (auto *combo = qobject_cast<QComboBox *>(control))
            combo->setCurrentIndex(value.toInt());
    }

    // Sets controls in order, from "name=value name=value ...".
    void apply(const QString &steps) const
    {
        for (const QString &step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            set(step.section(QLatin1Char('='), 0, 0), step.section(QLatin1Char('='), 1));
    }

    // Ticks "Enable Control" of a packet field (chCtrl<field>) and picks its Insert (o<field>_0).
    void insert(const QString &field) const
    {
        check(QStringLiteral("chCtrl") + field)->setChecked(true);
        option(QStringLiteral("o") + field, 0)->setChecked(true);
    }

    // Those of the named controls that are enabled.
    QStringList enabledOf(QStringList names) const
    {
        names.removeIf([this](const QString &name) { return !find(name)->isEnabled(); });
        return names;
    }

    bool show()
    {
        top.show();
        top.activateWindow();
        return QTest::qWaitForWindowActive(&top);
    }

    Sequencer *link() const { return top.sequencer(); }
    QString panel(int index) const { return top.textPanel(index)->text(); }
    // Connects to the simulated encoder and waits for its answer.
    bool connect() const
    {
        top.cmdConnect()->click();
        return QTest::qWaitFor(
            [this] { return link()->linkState() == Sequencer::LinkState::Connected; }, 5000);
    }

    static QStringList texts(const QComboBox *list)
    {
        QStringList all;
        for (int i = 0; i < list->count(); ++i)
            all << list->itemText(i);
        return all;
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
