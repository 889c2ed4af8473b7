#include "EnablingRules.h"

#include <QApplication>
#include <QClipboard>
#include <QtTest>

// The Plant Options and program-name field rules and the length limits of the text boxes,
// driven through the real window.
class tst_PlantOptionsRules : public QObject
{
    Q_OBJECT

    static inline const QStringList clockLabels = {"lblLocalTime_0",     "lblLocalTime_1",
                                                   "lblLocalDate_0",     "lblLocalDate_1",
                                                   "lblLocalTimezone_0", "lblLocalTimezone_1"};

private slots:
    // A reset after the choices were disturbed.
    void defaults()
    {
        TabsWindow w;
        w.apply("chCtrlNetworkName=1 oNetworkName_0=1 chSyncClock=1 chDSObserved=0 "
                "chCtrlTimeZone=1");
        w.view->SetDefaults({QStringLiteral("ABC"), QStringLiteral("WABC"), QStringLiteral("7")});

        QCOMPARE(w.box("txtNetworkName")->text() + w.box("txtCallLetters")->text() +
                     w.box("txtTSID")->text(),
                 QStringLiteral("ABCWABC7"));
        QStringList greyed = clockLabels + QStringLiteral("chDSObserved chDSInEffect txtTSID "
                                                          "txtNetworkName txtCallLetters "
                                                          "txtProgramName")
                                               .split(' ');
        for (const char *group :
             {"oNetworkName", "oCallLetters", "oTSID", "oTimeOfDay", "oTimezone", "oProgramName"}) {
            QVERIFY2(w.option(group, 2)->isChecked(), group);
            greyed += TabsWindow::members(group, 3);
        }
        QCOMPARE(w.enabledOf(greyed), QStringList());
        QVERIFY(w.check("chDSObserved")->isChecked());
    }

    // Leaving a box under Insert (the TSID typed as digits only): Yes keeps the focus and
    // Insert; No leaves with "Pass Upstream" and the box greyed.
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
        row("TSID 65536, typed with other keys", "TSID", "6a5 5-36", "65536", tsid);
        row("TSID 0, typed with other keys", "TSID", "/0:", "0", tsid);
        row("TSID 65535", "TSID", "65535", "65535", "");
        row("TSID 1", "TSID", "1", "1", "");
    }
    void leaveChecks()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, question);
        for (const auto answer : {DialogService::Answer::Yes, DialogService::Answer::No}) {
            TabsWindow w;
            w.dialogs.answers = {answer};
            QVERIFY(w.show());
            w.tabs->setCurrentIndex(field == "ProgramName" ? 1 : 0);
            QLineEdit *box = w.box("txt" + field);
            w.insert(field);
            QTRY_COMPARE(QApplication::focusWidget(), box);
            box->clear();
            QTest::keyClicks(box, text);

            QTest::keyClick(box, Qt::Key_Tab);
            QTEST(box->text(), "kept");
            const bool asked = !question.isEmpty();
            const bool passed = asked && answer == DialogService::Answer::No;
            QVERIFY(w.option("o" + field, passed ? 2 : 0)->isChecked());
            QCOMPARE(box->isEnabled(), !passed);
            QTest::qWait(20);
            QTRY_COMPARE(QApplication::focusWidget() == box, asked && !passed);
            // One question per leave, also for the box that briefly held the focus.
            QCOMPARE(w.dialogs.texts(), asked ? QStringList{question} : QStringList());
        }
    }

    // Keys that type nothing pass the digits-only key filter: Ctrl+V pastes what it pastes (the
    // leave check deals with it), Home moves the cursor.
    void tsidFilterPassesKeysThatTypeNothing()
    {
        TabsWindow w;
        w.insert("TSID");
        QApplication::clipboard()->setText(QStringLiteral("x9"));
        QTest::keyClick(w.box("txtTSID"), Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(w.box("txtTSID"), Qt::Key_Home);
        QTest::keyClicks(w.box("txtTSID"), "1");
        QCOMPARE(w.box("txtTSID")->text(), QStringLiteral("14660x9"));
    }

    void enablingRules_data()
    {
        using EnablingRules::row;
        EnablingRules::columns();
        const QString clock = clockLabels.join(' ') + " chDSInEffect";
        const QString timeOfDay = TabsWindow::members("oTimeOfDay", 3).join(' ');
        const QString name = TabsWindow::members("oNetworkName", 3).join(' ');
        row("field ticked under Insert", "oNetworkName_0=1 chCtrlNetworkName=1",
            "txtNetworkName " + name, "");
        row("field ticked under Block", "oNetworkName_1=1 chCtrlNetworkName=1", name,
            "txtNetworkName");
        row("field Insert, then Pass", "chCtrlNetworkName=1 oNetworkName_0=1 oNetworkName_2=1",
            name, "txtNetworkName");
        row("field Insert, box clear", "oNetworkName_0=1", "", "txtNetworkName " + name);
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
    void enablingRules() { EnablingRules::check(); }

    // What a box holds after 100 pasted characters: the excess goes from the end.
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
    void lengthLimits()
    {
        QFETCH(QString, name);
        QFETCH(int, limit);
        TabsWindow w;
        const QString text = QStringLiteral("0123456789").repeated(10);
        w.set(name, text);
        QWidget *box = w.find(name);
        QCOMPARE(box->property(qobject_cast<QLineEdit *>(box) ? "text" : "plainText").toString(),
                 limit ? text.left(limit) : text);
    }
};

QTEST_MAIN(tst_PlantOptionsRules)
#include "tst_plantoptions_rules.moc"
