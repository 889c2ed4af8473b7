#include "FixedClock.h"
#include "TabsWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QtTest>

// The Plant Options and program-name field rules, the length limits of the text boxes, and the
// captions and keyboard order of every tab's inputs, driven through the real window.
class tst_PlantOptionsRules : public QObject
{
    Q_OBJECT

    static inline const QStringList clockLabels = {"lblLocalTime_0",     "lblLocalTime_1",
                                                   "lblLocalDate_0",     "lblLocalDate_1",
                                                   "lblLocalTimezone_0", "lblLocalTimezone_1"};

    // What names a control to the operator: its own text, or that of the label it is buddy of.
    static QString captionOf(QWidget *control)
    {
        QString shown = shownCaptionOf(control);
        return shown.remove(QLatin1Char('&'));
    }
    static QString shownCaptionOf(QWidget *control)
    {
        if (auto *button = qobject_cast<QAbstractButton *>(control))
            return button->text().isEmpty() ? button->accessibleName() : button->text();
        if (auto *label = qobject_cast<QLabel *>(control))
            return label->text();
        if (auto *frame = qobject_cast<QGroupBox *>(control))
            return frame->title();
        for (QLabel *label : control->window()->findChildren<QLabel *>()) {
            if (label->buddy() == control)
                return label->text();
        }
        return QString();
    }

private slots:
    void defaults_data()
    {
        QTest::addColumn<bool>("daylight");
        QTest::newRow("standard time") << false;
        QTest::newRow("daylight time") << true;
    }
    void defaults()
    {
        QFETCH(bool, daylight);
        FixedClock clock(QDateTime(QDate(2026, daylight ? 7 : 12, 1), QTime(12, 0)));
        TabsWindow w;
        // Disturb everything, then reset again.
        w.insert("NetworkName");
        w.check("chSyncClock")->setChecked(true);
        w.check("chDSObserved")->setChecked(false);
        w.check("chCtrlTimeZone")->setChecked(true);
        w.view->SetDefaults({QStringLiteral("ABC"), QStringLiteral("WABC"), QStringLiteral("7")});

        QCOMPARE((QStringList{w.box("txtNetworkName")->text(), w.box("txtCallLetters")->text(),
                              w.box("txtTSID")->text()}),
                 (QStringList{"ABC", "WABC", "7"}));
        const QStringList boxes = {"txtNetworkName", "txtCallLetters", "txtTSID", "txtProgramName"};
        QStringList greyed = boxes + clockLabels + QStringList{"chDSObserved", "chDSInEffect"};
        for (const char *group :
             {"oNetworkName", "oCallLetters", "oTSID", "oTimeOfDay", "oTimezone", "oProgramName"}) {
            QVERIFY2(w.option(group, 2)->isChecked(), group);
            greyed += TabsWindow::members(group, 3);
        }
        QCOMPARE(w.enabledOf(greyed), QStringList());
        for (const QString &box : boxes)
            QVERIFY2(!TabsWindow::isWhite(w.box(box)), qPrintable(box));
        const QStringList checks = {"chCtrlNetworkName", "chCtrlCallLetters", "chCtrlTSID",
                                    "chCtrlTimeOfDay",   "chCtrlTimeZone",    "chCtrlProgramName"};
        QCOMPARE(w.enabledOf(checks), checks);
        for (const QString &check : checks)
            QVERIFY2(!w.check(check)->isChecked(), qPrintable(check));
        QCOMPARE(
            (QList<bool>{w.check("chSyncClock")->isChecked(), w.check("chDSObserved")->isChecked(),
                         w.check("chDSInEffect")->isChecked()}),
            (QList<bool>{false, true, daylight}));
    }

    void enableAndActionRules_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("action");
        for (const char *field : {"NetworkName", "CallLetters", "TSID", "ProgramName"})
            for (int action = 0; action < 3; ++action)
                QTest::addRow("%s action %d", field, action) << QString(field) << action;
    }
    void enableAndActionRules()
    {
        QFETCH(QString, field);
        QFETCH(int, action);
        TabsWindow w;
        QVERIFY(w.show());
        QLineEdit *text = w.box("txt" + field);
        QCheckBox *enable = w.check("chCtrl" + field);
        const QStringList group = TabsWindow::members("o" + field, 3);
        w.tabs->setCurrentIndex(field == "ProgramName" ? 1 : 0);
        w.option("o" + field, action)->setChecked(true);
        text->setText(QStringLiteral("1234"));
        text->setCursorPosition(0);

        enable->setChecked(true);
        QCOMPARE(w.enabledOf(group), group);
        QCOMPARE(text->isEnabled(), action == 0);
        QCOMPARE(TabsWindow::isWhite(text), action == 0);
        if (action == 0) {
            QCOMPARE(QApplication::focusWidget(), text);
            QCOMPARE(text->cursorPosition(), 4);
        }
        // With the box ticked, the action alone opens or greys the text.
        const int next = (action + 1) % 3;
        w.option("o" + field, next)->setChecked(true);
        QCOMPARE(text->isEnabled(), next == 0);

        // Clearing the box greys the group and the text whatever the action.
        enable->setChecked(false);
        QCOMPARE(w.enabledOf(group + QStringList{text->objectName()}), QStringList());
        QVERIFY(!TabsWindow::isWhite(text));
        QVERIFY(enable->isEnabled());
    }

    void leaveChecks_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QString>("question"); // "" = no question
        const QString more = QStringLiteral(" to be inserted.  Would you like to continue?");
        const QString name = "The Network Name must be 2 to 32 characters in length" + more;
        const QString calls = "The Call Letters must be 3 to 6 characters in length" + more;
        const QString program = "The Program Name must be 2 to 32 characters in length" + more;
        const QString tsid =
            "The Transmission ID (TSID) must be a numeric value from 1 to 65535" + more;
        auto row = [](const char *tag, const char *field, const char *text, const char *kept,
                      const QString &question) {
            QTest::newRow(tag) << field << text << kept << question;
        };
        row("one letter between blanks", "NetworkName", " A ", "A", name);
        row("two call letters", "CallLetters", "AB", "AB", calls);
        row("three call letters", "CallLetters", "ABC ", "ABC", "");
        row("empty program name", "ProgramName", "  ", "", program);
        row("empty TSID", "TSID", "", "", tsid);
        row("TSID 65536", "TSID", "65536", "65536", tsid);
        row("TSID 0", "TSID", "0", "0", tsid);
        row("TSID 65535", "TSID", "65535", "65535", "");
    }
    void leaveChecks()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, kept);
        QFETCH(QString, question);
        for (const auto answer : {DialogService::Answer::Yes, DialogService::Answer::No}) {
            TabsWindow w;
            w.dialogs.answers = {answer};
            ScriptedDialogs &dialogs = w.dialogs;
            QVERIFY(w.show());
            w.tabs->setCurrentIndex(field == "ProgramName" ? 1 : 0);
            QLineEdit *box = w.box("txt" + field);
            w.insert(field);
            QTRY_COMPARE(QApplication::focusWidget(), box);
            box->setText(text);

            QTest::keyClick(box, Qt::Key_Tab);
            QCOMPARE(box->text(), kept);
            // Yes keeps the focus and Insert; No leaves with "Pass Upstream" and the box greyed.
            const bool asked = !question.isEmpty();
            const bool passed = asked && answer == DialogService::Answer::No;
            QVERIFY(w.option("o" + field, passed ? 2 : 0)->isChecked());
            QCOMPARE(box->isEnabled(), !passed);
            QTest::qWait(20);
            QTRY_COMPARE(QApplication::focusWidget() == box, asked && !passed);
            // One question per leave, also for the box that briefly held the focus.
            QCOMPARE(dialogs.texts(), asked ? QStringList{question} : QStringList());
            if (asked) {
                QCOMPARE(dialogs.shown.first().buttons, DialogService::Buttons::YesNo);
                QCOMPARE(dialogs.shown.first().icon, DialogService::Icon::Warning);
            }
        }
    }

    void passUpstreamLeavesWithoutQuestion()
    {
        TabsWindow w;
        ScriptedDialogs &dialogs = w.dialogs;
        QVERIFY(w.show());
        w.insert("NetworkName");
        w.box("txtNetworkName")->setText(QStringLiteral("A"));
        // Leaving by clicking "Pass Upstream" itself greys the box; no question is due.
        w.option("oNetworkName", 2)->setFocus(Qt::MouseFocusReason);
        w.option("oNetworkName", 2)->setChecked(true);
        QVERIFY(dialogs.shown.size() <= 1);
        dialogs.clear();
        QVERIFY(!w.box("txtNetworkName")->isEnabled());
        w.check("chCtrlCallLetters")->setFocus(Qt::TabFocusReason);
        QVERIFY(dialogs.shown.isEmpty());
    }

    void tsidKeyFilter()
    {
        TabsWindow w;
        QVERIFY(w.show());
        QLineEdit *box = w.box("txtTSID");
        w.insert("TSID");
        box->clear();
        QTest::keyClicks(box, QStringLiteral("1a2 B-3.x"));
        QCOMPARE(box->text(), QStringLiteral("123"));
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClick(box, Qt::Key_Left);
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(box->text(), QStringLiteral("2"));
        // A line edit types the character of Alt+letter too.
        QTest::keyClick(box, Qt::Key_A, Qt::AltModifier);
        QTest::keyClick(box, Qt::Key_B, Qt::AltModifier | Qt::ShiftModifier);
        QCOMPARE(box->text(), QStringLiteral("2"));
        // Pasted text is not filtered; the leave check deals with it.
        QApplication::clipboard()->setText(QStringLiteral("x9"));
        box->setCursorPosition(box->text().length());
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box->text(), QStringLiteral("2x9"));
    }

    // Which controls a choice opens: the steps in order, then the controls that must be open
    // and those that must be greyed.
    void enablingRules_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("open");
        QTest::addColumn<QString>("greyed");
        const auto row = [](const char *name, const char *steps, const QString &open,
                            const QString &greyed) {
            QTest::newRow(name) << QString(steps) << open << greyed;
        };
        const QString clock = clockLabels.join(' ') + " chDSInEffect";
        const QString timeOfDay = TabsWindow::members("oTimeOfDay", 3).join(' ');
        row("time zone inserted", "oTimezone_0=1 chCtrlTimeZone=1", "oTimezone_0 chDSObserved", "");
        row("time zone blocked", "oTimezone_1=1 chCtrlTimeZone=1", "oTimezone_0", "chDSObserved");
        row("time zone passed", "chCtrlTimeZone=1", "oTimezone_0", "chDSObserved");
        row("time zone not enabled", "oTimezone_0=1", "", "oTimezone_0 chDSObserved");
        row("clock synced", "chSyncClock=1 oTimezone_0=1", "chDSObserved " + clock, "oTimezone_0");
        row("clock synced, time zone passed", "chSyncClock=1 chCtrlTimeZone=1", "chDSObserved", "");
        row("time zone cleared, clock synced",
            "chSyncClock=1 oTimezone_0=1 chCtrlTimeZone=1 chCtrlTimeZone=0", "chDSObserved",
            "oTimezone_0");
        row("clock sync cleared", "chSyncClock=1 chSyncClock=0", "", "chDSObserved " + clock);
        row("time of day enabled", "chCtrlTimeOfDay=1", timeOfDay, "");
        row("time of day cleared", "chCtrlTimeOfDay=1 chCtrlTimeOfDay=0", "", timeOfDay);
    }
    void enablingRules()
    {
        QFETCH(QString, steps);
        QFETCH(QString, open);
        QFETCH(QString, greyed);
        TabsWindow w;
        QCOMPARE(w.enabledAfter(steps, open, greyed), QString());
    }

    void lengthLimits_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("limit"); // 0: none
        const QList<QPair<const char *, int>> limits = {
            {"txtNetworkName", 32},      {"txtCallLetters", 6},   {"txtTSID", 0},
            {"txtProgramName", 32},      {"txtSendCaptions", 32}, {"txtWebURL", 0},
            {"txtWebDescription", 20},   {"txtWebScript", 50},    {"txtWebRepeat", 20},
            {"txtInsArticleRepeat", 20}, {"txtArticleList", 0}};
        for (const auto &[name, limit] : limits)
            QTest::newRow(name) << QString(name) << limit;
    }
    // What the box holds after 100 pasted characters.
    void lengthLimits()
    {
        QFETCH(QString, name);
        QFETCH(int, limit);
        TabsWindow w;
        QString text; // ten 0s, ten 1s, ... ten 9s
        for (char digit = '0'; digit <= '9'; ++digit)
            text += QString(10, QLatin1Char(digit));
        w.set(name, text);
        QWidget *box = w.find(name);
        const QString held = qobject_cast<QLineEdit *>(box)
                                 ? qobject_cast<QLineEdit *>(box)->text()
                                 : qobject_cast<QPlainTextEdit *>(box)->toPlainText();
        QCOMPARE(held, limit ? text.left(limit) : text); // the excess goes from the end
    }

    // Every input of every tab carries a caption: a text box or list has a QLabel buddy, a
    // check or option button its own text (the content flags, which have none, their names).
    // The keyboard visits the inputs as they are read: down the page, left to right within a
    // row, and on to the next column only when one column is done.
    void inputsNamedAndInReadingOrder_data()
    {
        QTest::addColumn<int>("tab");
        for (int tab = 0; tab < 7; ++tab)
            QTest::addRow("tab %d", tab) << tab;
    }
    void inputsNamedAndInReadingOrder()
    {
        QFETCH(int, tab);
        TabsWindow w;
        w.top.resize(900, 600);
        QVERIFY(w.show());
        w.tabs->setCurrentIndex(tab);
        QWidget *page = w.tabs->widget(tab);
        QCoreApplication::processEvents();

        QList<QWidget *> inputs;
        for (QWidget *widget : page->findChildren<QWidget *>()) {
            if (qobject_cast<QComboBox *>(widget->parentWidget()) ||
                !(qobject_cast<QAbstractButton *>(widget) || qobject_cast<QLineEdit *>(widget) ||
                  qobject_cast<QPlainTextEdit *>(widget) || qobject_cast<QComboBox *>(widget)))
                continue; // not an input, or the editor inside a list
            QVERIFY2(!captionOf(widget).isEmpty(), qPrintable(widget->objectName()));
            if (widget->isVisibleTo(page) && (widget->focusPolicy() & Qt::TabFocus))
                inputs << widget;
        }
        QVERIFY(!inputs.isEmpty());

        QList<QWidget *> chain;
        for (QWidget *widget = w.top.nextInFocusChain(); widget != &w.top;
             widget = widget->nextInFocusChain()) {
            if (inputs.contains(widget))
                chain << widget;
        }
        QCOMPARE(chain.size(), inputs.size());
        for (int i = 1; i < chain.size(); ++i) {
            const QRect a(chain[i - 1]->mapTo(page, QPoint()), chain[i - 1]->size());
            const QRect b(chain[i]->mapTo(page, QPoint()), chain[i]->size());
            const QByteArray step =
                (chain[i - 1]->objectName() + " -> " + chain[i]->objectName()).toUtf8();
            if (qAbs(a.center().y() - b.center().y()) <= 4) // same row
                QVERIFY2(b.left() > a.left(), step.constData());
            else
                QVERIFY2(b.center().y() > a.center().y() || b.left() >= a.right(),
                         step.constData());
        }
    }
};

QTEST_MAIN(tst_PlantOptionsRules)
#include "tst_plantoptions_rules.moc"
