#include "ScriptedDialogs.h"
#include "ui/ConfigurationView.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QtTest>

// The Plant Options and program-name field rules, driven through the real tab widgets.
class tst_PlantOptionsRules : public QObject
{
    Q_OBJECT

private:
    struct Window
    {
        QWidget top;
        QTabWidget *tabs;
        ConfigurationView *view;

        explicit Window(bool daylight = false)
        {
            auto *layout = new QVBoxLayout(&top);
            tabs = new QTabWidget(&top);
            layout->addWidget(tabs);
            view = new ConfigurationView(tabs, LocalTimeZoneSnapshot::fromOffset(-300, daylight),
                                         &top);
            view->SetDefaults(
                {QStringLiteral("NBC"), QStringLiteral("WNBC"), QStringLiteral("1234")});
        }
        template <typename T> T *find(const QString &name) { return top.findChild<T *>(name); }
        QLineEdit *box(const QString &name) { return find<QLineEdit>(name); }
        QCheckBox *check(const QString &name) { return find<QCheckBox>(name); }
        QRadioButton *option(const QString &group, int member)
        {
            return find<QRadioButton>(QStringLiteral("%1_%2").arg(group).arg(member));
        }
        bool show()
        {
            top.show();
            top.activateWindow();
            return QTest::qWaitForWindowActive(&top);
        }
    };

    static bool isWhite(QWidget *w) { return w->palette().color(QPalette::Base) == Qt::white; }

private slots:
    void tabsAndFrames()
    {
        Window w;
        const QStringList captions = {"Plant Options", "V-Chip",     " Caption Channels", "Web TV",
                                      "Articles",      "CC Looping", "CGMS Insertion"};
        QCOMPARE(w.tabs->count(), 7);
        for (int i = 0; i < 7; ++i) {
            QCOMPARE(w.tabs->tabText(i), captions[i]);
            QCOMPARE(w.tabs->widget(i)->objectName(), QStringLiteral("fBorder_%1").arg(i));
        }
        for (int i = 0; i < 6; ++i)
            QVERIFY(w.find<QWidget>(QStringLiteral("fControl_%1").arg(i)));
        QCOMPARE(w.find<QLabel>("lblLocalTime_1")->text(), QStringLiteral("LOCAL TIME"));
        QCOMPARE(w.find<QLabel>("lblLocalTimezone_0")->text(), QStringLiteral("Local Timezone:"));
    }

    void defaults_data()
    {
        QTest::addColumn<bool>("daylight");
        QTest::newRow("standard time") << false;
        QTest::newRow("daylight time") << true;
    }
    void defaults()
    {
        QFETCH(bool, daylight);
        Window w(daylight);
        // Disturb everything, then reset again.
        w.check("chCtrlNetworkName")->setChecked(true);
        w.option("oNetworkName", 0)->setChecked(true);
        w.check("chSyncClock")->setChecked(true);
        w.check("chDSObserved")->setChecked(false);
        w.check("chCtrlTimeZone")->setChecked(true);
        w.view->SetDefaults({QStringLiteral("ABC"), QStringLiteral("WABC"), QStringLiteral("7")});

        QCOMPARE(w.box("txtNetworkName")->text(), QStringLiteral("ABC"));
        QCOMPARE(w.box("txtCallLetters")->text(), QStringLiteral("WABC"));
        QCOMPARE(w.box("txtTSID")->text(), QStringLiteral("7"));
        const QStringList groups = {"oNetworkName", "oCallLetters", "oTSID",
                                    "oTimeOfDay",   "oTimezone",    "oProgramName"};
        for (const QString &group : groups) {
            QVERIFY2(w.option(group, 2)->isChecked(), qPrintable(group));
            for (int i = 0; i < 3; ++i)
                QVERIFY2(!w.option(group, i)->isEnabled(), qPrintable(group));
        }
        for (const char *name : {"txtNetworkName", "txtCallLetters", "txtTSID", "txtProgramName"}) {
            QVERIFY2(!w.box(name)->isEnabled(), name);
            QVERIFY2(!isWhite(w.box(name)), name);
        }
        for (const char *name : {"chCtrlNetworkName", "chCtrlCallLetters", "chCtrlTSID",
                                 "chCtrlTimeOfDay", "chCtrlTimeZone", "chCtrlProgramName"}) {
            QVERIFY2(!w.check(name)->isChecked(), name);
            QVERIFY2(w.check(name)->isEnabled(), name);
        }
        QVERIFY(!w.check("chSyncClock")->isChecked());
        QVERIFY(w.check("chDSObserved")->isChecked());
        QCOMPARE(w.check("chDSInEffect")->isChecked(), daylight);
        QVERIFY(!w.check("chDSObserved")->isEnabled());
        QVERIFY(!w.check("chDSInEffect")->isEnabled());
        for (const char *name : {"lblLocalTime_0", "lblLocalTime_1", "lblLocalDate_0",
                                 "lblLocalDate_1", "lblLocalTimezone_0", "lblLocalTimezone_1"})
            QVERIFY2(!w.find<QLabel>(name)->isEnabled(), name);
    }

    void enableAndActionRules_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("group");
        QTest::addColumn<int>("action");
        const QStringList fields = {"NetworkName", "CallLetters", "TSID", "ProgramName"};
        for (const QString &field : fields) {
            for (int action = 0; action < 3; ++action)
                QTest::addRow("%s action %d", qPrintable(field), action)
                    << field << QStringLiteral("o") + field << action;
        }
    }
    void enableAndActionRules()
    {
        QFETCH(QString, field);
        QFETCH(QString, group);
        QFETCH(int, action);
        ScriptedDialogs dialogs;
        Window w;
        QVERIFY(w.show());
        QLineEdit *text = w.box("txt" + field);
        QCheckBox *enable = w.check("chCtrl" + field);
        w.tabs->setCurrentIndex(field == "ProgramName" ? 1 : 0);
        w.option(group, action)->setChecked(true);
        text->setText(QStringLiteral("ABCD"));
        text->setCursorPosition(0);

        enable->setChecked(true);
        for (int i = 0; i < 3; ++i)
            QVERIFY(w.option(group, i)->isEnabled());
        const bool insert = action == 0;
        QCOMPARE(text->isEnabled(), insert);
        QCOMPARE(isWhite(text), insert);
        if (insert) {
            QCOMPARE(QApplication::focusWidget(), text);
            QCOMPARE(text->cursorPosition(), 4);
        }

        // Clearing the box greys the group and the text whatever the action.
        enable->setChecked(false);
        for (int i = 0; i < 3; ++i)
            QVERIFY(!w.option(group, i)->isEnabled());
        QVERIFY(!text->isEnabled());
        QVERIFY(!isWhite(text));
        QVERIFY(enable->isEnabled());
    }

    void actionButtonsGreyTheBox()
    {
        Window w;
        w.check("chCtrlCallLetters")->setChecked(true);
        w.option("oCallLetters", 0)->setChecked(true);
        QVERIFY(w.box("txtCallLetters")->isEnabled());
        w.option("oCallLetters", 1)->setChecked(true);
        QVERIFY(!w.box("txtCallLetters")->isEnabled());
        w.option("oCallLetters", 0)->setChecked(true);
        QVERIFY(w.box("txtCallLetters")->isEnabled());
        w.option("oCallLetters", 2)->setChecked(true);
        QVERIFY(!w.box("txtCallLetters")->isEnabled());
    }

    void leaveChecks_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QString>("question"); // "" = no question
        const QString name = QStringLiteral("The Network Name must be 2 to 32 characters in length "
                                            "to be inserted.  Would you like to continue?");
        const QString calls = QStringLiteral("The Call Letters must be 3 to 6 characters in length "
                                             "to be inserted.  Would you like to continue?");
        const QString program =
            QStringLiteral("The Program Name must be 2 to 32 characters in "
                           "length to be inserted.  Would you like to continue?");
        const QString tsid = QStringLiteral("The Transmission ID (TSID) must be a numeric value "
                                            "from 1 to 65535 to be inserted.  Would you like to "
                                            "continue?");
        QTest::newRow("one letter between blanks") << "NetworkName"
                                                   << " A "
                                                   << "A" << name;
        QTest::newRow("network name long enough") << "NetworkName"
                                                  << " AB "
                                                  << "AB"
                                                  << "";
        QTest::newRow("two call letters") << "CallLetters"
                                          << "AB"
                                          << "AB" << calls;
        QTest::newRow("three call letters") << "CallLetters"
                                            << "ABC "
                                            << "ABC"
                                            << "";
        QTest::newRow("empty program name") << "ProgramName"
                                            << "  "
                                            << "" << program;
        QTest::newRow("program name") << "ProgramName"
                                      << "News"
                                      << "News"
                                      << "";
        QTest::newRow("empty TSID") << "TSID"
                                    << ""
                                    << "" << tsid;
        QTest::newRow("TSID 65536") << "TSID"
                                    << "65536"
                                    << "65536" << tsid;
        QTest::newRow("TSID 0") << "TSID"
                                << "0"
                                << "0" << tsid;
        QTest::newRow("TSID 65535") << "TSID"
                                    << "65535"
                                    << "65535"
                                    << "";
        QTest::newRow("TSID 1") << "TSID"
                                << "1"
                                << "1"
                                << "";
    }
    void leaveChecks()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, kept);
        QFETCH(QString, question);

        for (const auto answer : {DialogService::Answer::Yes, DialogService::Answer::No}) {
            ScriptedDialogs dialogs;
            dialogs.answers = {answer};
            Window w;
            QVERIFY(w.show());
            w.tabs->setCurrentIndex(field == "ProgramName" ? 1 : 0);
            QLineEdit *box = w.box("txt" + field);
            w.check("chCtrl" + field)->setChecked(true);
            w.option("o" + field, 0)->setChecked(true);
            QTRY_COMPARE(QApplication::focusWidget(), box);
            box->setText(text);

            QTest::keyClick(box, Qt::Key_Tab);
            QCOMPARE(box->text(), kept);
            if (question.isEmpty()) {
                QVERIFY(dialogs.shown.isEmpty());
                QVERIFY(QApplication::focusWidget() != box);
                QVERIFY(w.option("o" + field, 0)->isChecked());
                continue;
            }
            QCOMPARE(dialogs.texts(), QStringList{question});
            QCOMPARE(dialogs.shown.first().buttons, DialogService::Buttons::YesNo);
            QCOMPARE(dialogs.shown.first().icon, DialogService::Icon::Warning);
            if (answer == DialogService::Answer::Yes) {
                QTRY_COMPARE(QApplication::focusWidget(), box);
                QVERIFY(w.option("o" + field, 0)->isChecked());
                QVERIFY(box->isEnabled());
            } else {
                QVERIFY(w.option("o" + field, 2)->isChecked());
                QVERIFY(!box->isEnabled());
                QTest::qWait(20);
                QVERIFY(QApplication::focusWidget() != box);
            }
            // Only one question per leave, also for the box that briefly held the focus.
            QCOMPARE(dialogs.shown.size(), 1);
        }
    }

    void passUpstreamLeavesWithoutQuestion()
    {
        ScriptedDialogs dialogs;
        Window w;
        QVERIFY(w.show());
        QLineEdit *box = w.box("txtNetworkName");
        w.check("chCtrlNetworkName")->setChecked(true);
        w.option("oNetworkName", 0)->setChecked(true);
        box->setText(QStringLiteral("A"));
        // Leaving by clicking "Pass Upstream" itself greys the box; no question is due.
        w.option("oNetworkName", 2)->setFocus(Qt::MouseFocusReason);
        w.option("oNetworkName", 2)->setChecked(true);
        QVERIFY(dialogs.shown.size() <= 1);
        dialogs.clear();
        QVERIFY(!box->isEnabled());
        w.check("chCtrlCallLetters")->setFocus(Qt::TabFocusReason);
        QVERIFY(dialogs.shown.isEmpty());
    }

    void tsidKeyFilter()
    {
        Window w;
        QVERIFY(w.show());
        QLineEdit *box = w.box("txtTSID");
        w.check("chCtrlTSID")->setChecked(true);
        w.option("oTSID", 0)->setChecked(true);
        box->clear();
        QTest::keyClicks(box, QStringLiteral("1a2 B-3.x"));
        QCOMPARE(box->text(), QStringLiteral("123"));
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(box->text(), QStringLiteral("12"));
        QTest::keyClick(box, Qt::Key_Left);
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(box->text(), QStringLiteral("2"));
        // Pasted text is not filtered; the leave check deals with it.
        QApplication::clipboard()->setText(QStringLiteral("x9"));
        box->setCursorPosition(box->text().length());
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box->text(), QStringLiteral("2x9"));
    }

    void timeZoneRules_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("action");
        QTest::addColumn<bool>("sync");
        QTest::addColumn<bool>("observed");
        QTest::newRow("insert") << true << 0 << false << true;
        QTest::newRow("block") << true << 1 << false << false;
        QTest::newRow("pass") << true << 2 << false << false;
        QTest::newRow("insert, not enabled") << false << 0 << false << false;
        QTest::newRow("not enabled, clock synced") << false << 0 << true << true;
        QTest::newRow("pass, clock synced") << true << 2 << true << true;
    }
    void timeZoneRules()
    {
        QFETCH(bool, enabled);
        QFETCH(int, action);
        QFETCH(bool, sync);
        QFETCH(bool, observed);
        Window w;
        w.check("chSyncClock")->setChecked(sync);
        w.option("oTimezone", action)->setChecked(true);
        w.check("chCtrlTimeZone")->setChecked(enabled);
        QCOMPARE(w.option("oTimezone", 0)->isEnabled(), enabled);
        QCOMPARE(w.check("chDSObserved")->isEnabled(), observed);
        // Clearing the packet's box leaves it to the clock sync alone.
        w.check("chCtrlTimeZone")->setChecked(!enabled);
        w.check("chCtrlTimeZone")->setChecked(false);
        QCOMPARE(w.check("chDSObserved")->isEnabled(), sync);
    }

    void timeOfDayRule()
    {
        Window w;
        w.check("chCtrlTimeOfDay")->setChecked(true);
        for (int i = 0; i < 3; ++i)
            QVERIFY(w.option("oTimeOfDay", i)->isEnabled());
        w.check("chCtrlTimeOfDay")->setChecked(false);
        for (int i = 0; i < 3; ++i)
            QVERIFY(!w.option("oTimeOfDay", i)->isEnabled());
    }

    void syncClock()
    {
        Window w;
        const QStringList labels = {"lblLocalTime_0", "lblLocalTime_1",     "lblLocalDate_0",
                                    "lblLocalDate_1", "lblLocalTimezone_0", "lblLocalTimezone_1"};
        w.check("chDSInEffect")->setChecked(true);
        w.check("chSyncClock")->setChecked(true);
        QVERIFY(w.check("chDSObserved")->isEnabled());
        QVERIFY(w.check("chDSInEffect")->isEnabled());
        for (const QString &label : labels)
            QVERIFY(w.find<QLabel>(label)->isEnabled());
        w.check("chSyncClock")->setChecked(false);
        QVERIFY(!w.check("chDSObserved")->isEnabled());
        QVERIFY(!w.check("chDSInEffect")->isEnabled());
        QVERIFY(w.check("chDSInEffect")->isChecked()); // greyed boxes keep their values
        for (const QString &label : labels)
            QVERIFY(!w.find<QLabel>(label)->isEnabled());
    }

    void setControlEnabled()
    {
        QWidget root;
        auto *text = new QLineEdit(&root);
        ConfigurationView::SetControlEnabled(text, false);
        QVERIFY(!text->isEnabled());
        QVERIFY(!isWhite(text));
        ConfigurationView::SetControlEnabled(text, true);
        QVERIFY(text->isEnabled());
        QVERIFY(isWhite(text));

        // SetArrayEnabled works on members name_0, name_1, ... only.
        auto *single = new QCheckBox(&root);
        single->setObjectName(QStringLiteral("chSingle"));
        auto *first = new QCheckBox(&root);
        first->setObjectName(QStringLiteral("chPair_0"));
        auto *second = new QCheckBox(&root);
        second->setObjectName(QStringLiteral("chPair_1"));
        ConfigurationView::SetArrayEnabled(&root, QStringLiteral("chSingle"), false);
        QVERIFY(single->isEnabled());
        ConfigurationView::SetArrayEnabled(&root, QStringLiteral("chPair"), false);
        QVERIFY(!first->isEnabled());
        QVERIFY(!second->isEnabled());
    }

    // Every input of every tab carries a caption: a text box or list has a QLabel buddy, a
    // check or option button its own text (the content flags, which have none, their names).
    void everyInputIsNamed_data()
    {
        QTest::addColumn<int>("tab");
        for (int tab = 0; tab < 7; ++tab)
            QTest::addRow("tab %d", tab) << tab;
    }
    void everyInputIsNamed()
    {
        QFETCH(int, tab);
        Window w;
        QWidget *page = w.tabs->widget(tab);
        QHash<QWidget *, QLabel *> buddies;
        for (QLabel *label : w.top.findChildren<QLabel *>()) {
            if (label->buddy())
                buddies.insert(label->buddy(), label);
        }
        const QList<QWidget *> inputs = page->findChildren<QWidget *>();
        int checked = 0;
        for (QWidget *input : inputs) {
            const QString name = input->objectName();
            if (qobject_cast<QLineEdit *>(input) || qobject_cast<QPlainTextEdit *>(input) ||
                qobject_cast<QComboBox *>(input)) {
                if (qobject_cast<QComboBox *>(input->parentWidget()))
                    continue; // the editor inside a list
                QVERIFY2(buddies.contains(input), qPrintable(name));
                QVERIFY2(!buddies.value(input)->text().isEmpty(), qPrintable(name));
                ++checked;
            } else if (auto *button = qobject_cast<QAbstractButton *>(input)) {
                QVERIFY2(!button->text().isEmpty() || !button->accessibleName().isEmpty(),
                         qPrintable(name));
                ++checked;
            }
        }
        QVERIFY(checked > 0);
    }

    // The keyboard visits each tab's inputs as they are read: down the page, left to right
    // within a row, and on to the next column only when one column is done.
    void tabOrderRunsTopToBottom_data() { everyInputIsNamed_data(); }
    void tabOrderRunsTopToBottom()
    {
        QFETCH(int, tab);
        Window w;
        w.top.resize(900, 600);
        QVERIFY(w.show());
        w.tabs->setCurrentIndex(tab);
        QWidget *page = w.tabs->widget(tab);
        QCoreApplication::processEvents();

        auto focusable = [page](QWidget *widget) {
            return page->isAncestorOf(widget) && widget->isVisibleTo(page) &&
                   (widget->focusPolicy() & Qt::TabFocus) &&
                   (qobject_cast<QAbstractButton *>(widget) || qobject_cast<QLineEdit *>(widget) ||
                    qobject_cast<QPlainTextEdit *>(widget) || qobject_cast<QComboBox *>(widget)) &&
                   !qobject_cast<QComboBox *>(widget->parentWidget());
        };
        QList<QWidget *> chain;
        for (QWidget *widget = w.top.nextInFocusChain(); widget != &w.top;
             widget = widget->nextInFocusChain()) {
            if (focusable(widget))
                chain << widget;
        }
        int expected = 0;
        for (QWidget *widget : page->findChildren<QWidget *>())
            expected += focusable(widget) ? 1 : 0;
        QCOMPARE(chain.size(), expected);

        for (int i = 1; i < chain.size(); ++i) {
            const QRect a(chain[i - 1]->mapTo(page, QPoint()), chain[i - 1]->size());
            const QRect b(chain[i]->mapTo(page, QPoint()), chain[i]->size());
            const QByteArray step =
                (chain[i - 1]->objectName() + QStringLiteral(" -> ") + chain[i]->objectName())
                    .toUtf8();
            const bool nextColumn = b.left() >= a.right();
            const bool sameRow = qAbs(a.center().y() - b.center().y()) <= 4;
            if (sameRow)
                QVERIFY2(b.left() > a.left(), step.constData());
            else
                QVERIFY2(b.center().y() > a.center().y() || nextColumn, step.constData());
        }
    }

    void labelsNameTheirFields()
    {
        Window w;
        for (const char *name : {"txtNetworkName", "txtCallLetters", "txtTSID", "txtProgramName"}) {
            QWidget *box = w.box(name);
            bool found = false;
            for (QLabel *label : w.top.findChildren<QLabel *>())
                found = found || label->buddy() == box;
            QVERIFY2(found, name);
        }
        QCOMPARE(w.box("txtNetworkName")->maxLength(), 32);
        QCOMPARE(w.box("txtCallLetters")->maxLength(), 6);
        QCOMPARE(w.box("txtProgramName")->maxLength(), 32);
    }
};

QTEST_MAIN(tst_PlantOptionsRules)
#include "tst_plantoptions_rules.moc"
