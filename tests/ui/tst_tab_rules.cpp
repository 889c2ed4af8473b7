#include "FixedClock.h"
#include "TabsWindow.h"
#include "config/ConfigFields.h"
#include "config/ConfigLists.h"

#include <QApplication>
#include <QClipboard>
#include <QtTest>

// The field rules of the tabs, driven through the real window: Plant Options and program name,
// rating and copy management, Web TV, Articles and CC Looping, and the length limits of the
// text boxes.
class tst_TabRules : public QObject
{
    Q_OBJECT

    static QCheckBox *flag(const TabsWindow &w, int i)
    {
        return w.check(QStringLiteral("chProgramRatingFlags_%1").arg(i));
    }
    // "FV V S L D" as the letters of the flags in the given state.
    static QString flags(const TabsWindow &w, bool (QCheckBox::*state)() const)
    {
        QStringList on;
        for (int i = 0; i < 5; ++i)
            if ((flag(w, i)->*state)())
                on << QStringList{"FV", "V", "S", "L", "D"}[i];
        return on.join(QLatin1Char(' '));
    }
    static constexpr auto checked = &QCheckBox::isChecked;
    static constexpr auto enabled = &QCheckBox::isEnabled;

    static QDateTime at(int year, int month, int day)
    {
        return QDateTime(QDate(year, month, day), QTime(23, 30));
    }

private slots:
    // Which controls a choice opens: a row names the steps in order (as TabsWindow::apply takes
    // them), then the controls that must be open and those that must be greyed afterwards.
    void enablingRules_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("open");
        QTest::addColumn<QStringList>("greyed");
        const auto row = [](const char *name, const QString &steps, const QString &open,
                            const QString &greyed) {
            QTest::newRow(name) << steps << open.split(' ', Qt::SkipEmptyParts)
                                << greyed.split(' ', Qt::SkipEmptyParts);
        };
        const QString clock = "lblLocalTime_0 lblLocalTime_1 lblLocalDate_0 lblLocalDate_1 "
                              "lblLocalTimezone_0 lblLocalTimezone_1 chDSInEffect";
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
        const QString flags = TabsWindow::members("chProgramRatingFlags", 5).join(' ');
        const QString cgms = "oCGMS_0 oCGMS_2 cmbCGMS cmbCGMSOptions oCGMSASB_1";
        const QString web = "txtWebURL txtWebDescription txtWebScript txtWebRepeat "
                            "cmbWebExpiryYear cmbWebExpiryMonth cmbWebExpiryDay";
        row("defaults", "", "",
            "oProgramRating_0 cmbProgRatingSys cmbProgramRating oCGMS_0 cmbCGMS cmbCGMSOptions "
            "oCGMSASB_0 oCGMSASB_1 oWebTV_0 " +
                flags + ' ' + web);
        row("rating blocked",
            "chCtrlProgramRating=1 oProgramRating_0=1 cmbProgramRating=4 oProgramRating_1=1", "",
            "cmbProgRatingSys cmbProgramRating " + flags);
        // Set from code with the box clear, as a file load does, the choices open nothing.
        row("rating Insert, box clear", "oProgramRating_0=1 cmbProgramRating=4", "",
            "cmbProgRatingSys cmbProgramRating " + flags);
        row("CGMS Insert, box clear", "oCGMS_0=1 cmbCGMS=2", "",
            "cmbCGMS cmbCGMSOptions oCGMSASB_1");
        row("CGMS blocked, no copying keeps the APS list",
            "chCtrlCGMS=1 oCGMS_0=1 cmbCGMS=2 oCGMS_1=1", "cmbCGMSOptions",
            "cmbCGMS oCGMSASB_0 oCGMSASB_1");
        row("CGMS inserted, copying permitted", "chCtrlCGMS=1 oCGMS_0=1 cmbCGMS=0",
            "cmbCGMS oCGMSASB_1", "cmbCGMSOptions");
        row("CGMS enable box opens all under Insert",
            "chCtrlCGMS=1 oCGMS_0=1 chCtrlCGMS=0 chCtrlCGMS=1", cgms, "");
        row("CGMS enable box cleared", "chCtrlCGMS=1 oCGMS_0=1 chCtrlCGMS=0", "", cgms);
        row("CGMS passed, enable box again", "chCtrlCGMS=1 oCGMS_2=1 chCtrlCGMS=0 chCtrlCGMS=1",
            "oCGMS_0 oCGMS_2", "cmbCGMS cmbCGMSOptions oCGMSASB_1");
        const QString times = TabsWindow::members("cmbCCLoopingTime", 3).join(' ');
        row("Web TV inserted", "chCtrlWebTV=1 oWebTV_0=1", "oWebTV_0 " + web, "");
        row("Web TV pass upstream", "chCtrlWebTV=1 oWebTV_1=1", "oWebTV_0", web);
        row("Web TV insert, box clear", "oWebTV_0=1", "", web);
        row("continuous loop", "chCCLpInfiniteTime=1", "", times);
        row("timed loop", "chCCLpInfiniteTime=1 chCCLpInfiniteTime=0", times, "");
    }
    void enablingRules()
    {
        QFETCH(QString, steps);
        QFETCH(QStringList, open);
        QFETCH(QStringList, greyed);
        const TabsWindow w;
        w.apply(steps);
        QCOMPARE(w.enabledOf(open + greyed), open);
    }

    // Leaving a box under Insert. A packet field's box (the TSID typed as digits only) that
    // breaks its rule asks: Yes keeps the focus and Insert, No leaves with "Pass Upstream" and
    // the box greyed. Blanks go from the ends of the Web TV texts and a URL without "http://"
    // gets it, silently; a repeat count is typed as digits only and left as typed, or refused
    // with a message and the focus kept in the box.
    void leaveRules_data()
    {
        QTest::addColumn<QString>("field"); // the packet whose Insert is chosen
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("message"); // "" = none
        const QString more = QStringLiteral(" to be inserted.  Would you like to continue?");
        const QString name = "The Network Name must be 2 to 32 characters in length" + more;
        const QString calls = "The Call Letters must be 3 to 6 characters in length" + more;
        const QString program = "The Program Name must be 2 to 32 characters in length" + more;
        const QString tsid =
            "The Transmission ID (TSID) must be a numeric value from 1 to 65535" + more;
        const auto row = [](const char *tag, const char *field, const QString &box,
                            const QString &typed, const QString &left, const QString &message) {
            QTest::newRow(tag) << field << box << typed << left << message;
        };
        row("one letter between blanks", "NetworkName", "txtNetworkName", " A ", "A", name);
        row("two call letters", "CallLetters", "txtCallLetters", "AB", "AB", calls);
        row("three call letters", "CallLetters", "txtCallLetters", "ABC ", "ABC", "");
        row("empty program name", "ProgramName", "txtProgramName", "  ", "", program);
        row("empty TSID", "TSID", "txtTSID", "", "", tsid);
        row("TSID 65536, typed with other keys", "TSID", "txtTSID", "6a5 5-36", "65536", tsid);
        row("TSID 0, typed with other keys", "TSID", "txtTSID", "/0:", "0", tsid);
        row("TSID 65535", "TSID", "txtTSID", "65535", "65535", "");
        row("TSID 1", "TSID", "txtTSID", "1", "1", "");
        row("no scheme", "WebTV", "txtWebURL", "  www.example.com ", "http://www.example.com", "");
        row("scheme in capitals", "WebTV", "txtWebURL", "HTTP://A.TV", "HTTP://A.TV", "");
        row("description", "WebTV", "txtWebDescription", "  News ]  ", "News ]", "");
        row("script", "WebTV", "txtWebScript", "  go() ", "go()", "");
        const QString rule = QStringLiteral(" Repeat Count must be a number from 1 to 9999.");
        for (const char *box : {"txtWebRepeat", "txtInsArticleRepeat"}) {
            const QString message =
                (qstrcmp(box, "txtWebRepeat") == 0 ? "Web TV" : "Article") + rule;
            for (const char *text : {"0", "10000", "", "99999999999999999999"})
                row(qPrintable(QStringLiteral("%1 '%2'").arg(box, text)), "WebTV", box,
                    "x-:/" + QString(text) + " e", text, message);
            for (const char *text : {"1", "9999", "0012"}) // sent unchanged, leading zeros too
                row(qPrintable(QStringLiteral("%1 '%2'").arg(box, text)), "WebTV", box, text, text,
                    "");
        }
    }
    void leaveRules()
    {
        QFETCH(QString, field);
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        const bool asks = message.endsWith('?');
        for (const auto answer : {DialogService::Answer::Yes, DialogService::Answer::No}) {
            TabsWindow w;
            w.dialogs.answers = {answer};
            QVERIFY(w.show());
            QWidget *input = w.find(box);
            for (int tab = 0; tab < w.tabs->count(); ++tab)
                if (w.tabs->widget(tab)->isAncestorOf(input))
                    w.tabs->setCurrentIndex(tab);
            w.insert(field);
            if (box != "txt" + field) // Insert moves the focus into the field's own box
                input->setFocus();
            QTRY_COMPARE(QApplication::focusWidget(), input);
            w.set(box, QString());
            QTest::keyClicks(input, typed);
            QTest::keyClick(input, Qt::Key_Tab);
            QTEST(input->property(box == "txtWebScript" ? "plainText" : "text").toString(), "left");
            const bool passed = asks && answer == DialogService::Answer::No;
            QVERIFY(w.option("o" + field, passed ? 2 : 0)->isChecked());
            QCOMPARE(input->isEnabled(), !passed);
            QTest::qWait(20);
            QTRY_COMPARE(QApplication::focusWidget() == input, !message.isEmpty() && !passed);
            // One message per leave, also for the box that briefly held the focus.
            QCOMPARE(w.dialogs.texts(), message.isEmpty() ? QStringList() : QStringList{message});
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

    // Every text box of a field takes as many characters as a file may put in it: of 100 pasted
    // characters the excess goes from the end.
    void lengthLimits()
    {
        TabsWindow w;
        const QString text = QStringLiteral("0123456789").repeated(10);
        for (const ConfigField &field : ConfigFields::all()) {
            QWidget *box = w.top.findChild<QWidget *>(field.name);
            if (!box || field.kind != ConfigFieldKind::Text)
                continue;
            w.set(field.name, text);
            const int limit = ConfigFields::textLimit(field);
            QCOMPARE(
                box->property(qobject_cast<QLineEdit *>(box) ? "text" : "plainText").toString(),
                limit ? text.left(limit) : text);
        }
    }
    // A US-TV rating opens its own content flags; the other systems fill the rating list with
    // their own ratings (the first chosen) and hide the flags. Either way every flag is cleared.
    void flagsByRating_data()
    {
        QTest::addColumn<int>("system");
        QTest::addColumn<QString>("rating"); // chosen, or the first of another system's list
        QTest::addColumn<QString>("enabled");
        const char *rows[][2] = {{"None", ""},      {"TV-Y", ""},         {"TV-Y7", "FV"},
                                 {"TV-G", ""},      {"TV-PG", "V S L D"}, {"TV-14", "V S L D"},
                                 {"TV-MA", "V S L"}};
        for (const auto &row : rows)
            QTest::newRow(row[0]) << 1 << QString(row[0]) << QString(row[1]);
        QTest::newRow("MPA") << 0 << "N/A"
                             << "";
        QTest::newRow("CDN-E") << 2 << "E"
                               << "";
        QTest::newRow("CDN-Fr") << 3 << "E"
                                << "";
    }
    void flagsByRating()
    {
        QFETCH(int, system);
        QFETCH(QString, rating);
        TabsWindow w;
        w.insert("ProgramRating");
        QComboBox *list = w.list("cmbProgramRating");
        // Start from another rating with every flag checked, so the change must clear them.
        list->setCurrentText(rating == "TV-Y7" ? "TV-PG" : "TV-Y7");
        for (int i = 0; i < 5; ++i)
            flag(w, i)->setChecked(true);
        w.list("cmbProgRatingSys")->setCurrentIndex(system);
        if (system == 1)
            list->setCurrentText(rating);
        QCOMPARE(TabsWindow::texts(list), ConfigLists::RatingLists(system));
        QCOMPARE(list->currentText(), rating);
        QTEST(flags(w, enabled), "enabled");
        QCOMPARE(flags(w, checked), QString());
        QCOMPARE(w.find("lblProgramRatingFlags")->isHidden(), system != 1);
        QCOMPARE(flags(w, &QCheckBox::isHidden), QString(system != 1 ? "FV V S L D" : ""));
    }

    // Blocking greys the flags; Insert brings back their states, the grey value 2 that a
    // configuration file may hold included.
    void flagsSurviveBlockThenInsert_data()
    {
        QTest::addColumn<Qt::CheckState>("state");
        QTest::newRow("checked") << Qt::Checked;
        QTest::newRow("greyed") << Qt::PartiallyChecked;
    }
    void flagsSurviveBlockThenInsert()
    {
        QFETCH(Qt::CheckState, state);
        TabsWindow w;
        w.insert("ProgramRating");
        w.list("cmbProgramRating")->setCurrentText(QStringLiteral("TV-PG"));
        flag(w, 1)->setCheckState(state);
        flag(w, 3)->setCheckState(state);

        w.option("oProgramRating", 1)->setChecked(true);
        QCOMPARE(flags(w, enabled), QString());
        w.option("oProgramRating", 0)->setChecked(true);
        QCOMPARE(flags(w, enabled), QStringLiteral("V S L D"));
        QCOMPARE(flags(w, checked), QStringLiteral("V L"));
        QCOMPARE(flag(w, 3)->checkState(), state);
    }

    // Coming from the other side of the rule each time, with an APS choice made.
    void notApplicableComesAndGoes_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("first");
        QTest::addColumn<int>("entries");
        QTest::newRow("copying permitted") << 0 << "Not Applicable" << 5;
        QTest::newRow("one generation") << 1 << "Not Applicable" << 5;
        QTest::newRow("no copying") << 2 << "No APS" << 4;
    }
    void notApplicableComesAndGoes()
    {
        QFETCH(int, choice);
        TabsWindow w;
        w.insert("CGMS");
        QComboBox *options = w.list("cmbCGMSOptions");
        w.list("cmbCGMS")->setCurrentIndex(choice == 2 ? 1 : 2);
        options->setCurrentIndex(3);
        w.list("cmbCGMS")->setCurrentIndex(choice);
        QTEST(options->itemText(0), "first");
        QTEST(options->count(), "entries");
        QCOMPARE(options->currentIndex(), 0);
        QCOMPARE(options->isEnabled(), choice == 2);
    }

    // The expiry years counted from the year of the last reset.
    void webTvDefaults()
    {
        FixedClock clock(at(2026, 7, 4));
        TabsWindow w;
        QComboBox *years = w.list("cmbWebExpiryYear");
        QCOMPARE(years->itemText(1), QStringLiteral("2026"));
        clock.set(at(2027, 1, 1));
        years->setCurrentIndex(2);
        w.view->SetDefaults({});
        QCOMPARE(years->itemText(1) + years->currentText(), QStringLiteral("2027"));
        w.click("cmdWebTVBlock"); // leads to the Caption Channels tab
        QCOMPARE(w.tabs->currentIndex(), 2);
    }

    // Months start at today's month in this year, days at today in this month; a change of
    // year clears the finer choices.
    void expiryDates_data()
    {
        QTest::addColumn<QDateTime>("today");
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("firstMonth");
        QTest::addColumn<int>("firstDay");
        QTest::addColumn<int>("lastDay");
        QTest::newRow("15 March") << at(2024, 3, 15) << 2024 << 3 << 3 << 15 << 31;
        QTest::newRow("April of this year") << at(2024, 3, 15) << 2024 << 4 << 3 << 1 << 30;
        QTest::newRow("31 December") << at(2025, 12, 31) << 2025 << 12 << 12 << 31 << 31;
        QTest::newRow("February of a leap year") << at(2026, 5, 1) << 2028 << 2 << 1 << 1 << 29;
    }
    void expiryDates()
    {
        QFETCH(QDateTime, today);
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, firstMonth);
        QFETCH(int, firstDay);
        QFETCH(int, lastDay);
        FixedClock clock(today);
        TabsWindow w;
        w.insert("WebTV");
        QComboBox *years = w.list("cmbWebExpiryYear");
        QComboBox *months = w.list("cmbWebExpiryMonth");
        QComboBox *days = w.list("cmbWebExpiryDay");
        years->setCurrentIndex(years->findData(year));
        QCOMPARE(months->count(), 1 + 13 - firstMonth);
        QCOMPARE(days->count(), 1); // the blank choice alone
        months->setCurrentIndex(months->findData(month));
        QCOMPARE(days->count(), 1 + lastDay - firstDay + 1);
        QCOMPARE(days->itemText(days->count() - 1), QString::number(lastDay));

        days->setCurrentIndex(1);
        years->setCurrentIndex(0);
        QCOMPARE(months->count() + days->count(), 2);
    }
};

QTEST_MAIN(tst_TabRules)
#include "tst_tab_rules.moc"
