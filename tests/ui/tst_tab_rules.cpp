#include "DataRows.h"
#include "FixedClock.h"
#include "TabsWindow.h"
#include "core/config/ConfigFields.h"
#include "core/config/ConfigLists.h"

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
    // Which controls a choice opens: the steps in order, then the controls that must be open
    // and those that must be greyed afterwards (tests/data/enabling.rows).
    void enablingRules_data() { addRows("enabling", {"steps", "open", "greyed"}); }
    void enablingRules()
    {
        QFETCH(QString, steps);
        QFETCH(QString, open);
        QFETCH(QString, greyed);
        const TabsWindow w;
        w.apply(steps);
        QCOMPARE(w.enabledOf(rowNames(open + ' ' + greyed)), rowNames(open));
    }

    // Leaving a box under Insert. A packet field's box (the TSID typed as digits only) that
    // breaks its rule asks: Yes keeps the focus and Insert, No leaves with "Pass Upstream" and
    // the box greyed. Blanks go from the ends of the Web TV texts and a URL without "http://"
    // gets it, silently; a repeat count is typed as digits only and left as typed, or refused
    // with a message and the focus kept in the box (tests/data/leave.rows).
    void leaveRules_data() { addRows("leave", {"field", "box", "typed", "left", "message"}); }
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
        QCOMPARE(TabsWindow::texts(list), ConfigLists::ratingLists(system));
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
        w.view->setDefaults({});
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
