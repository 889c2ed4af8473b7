#include "EnablingRules.h"
#include "config/ConfigLists.h"

#include <QtTest>

// The rating and copy-management window rules, driven through the real tab widgets.
class tst_VChipCgmsRules : public QObject
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

private slots:
    void defaults()
    {
        TabsWindow w;
        QCOMPARE(w.list("cmbCGMS")->currentIndex(), 0);
        QCOMPARE(w.list("cmbCGMSOptions")->currentText(), ConfigLists::NotApplicable);
        QVERIFY(w.option("oProgramRating", 2)->isChecked() && w.option("oCGMS", 2)->isChecked() &&
                w.option("oCGMSASB", 0)->isChecked());
    }

    void flagsByUsTvRating_data()
    {
        QTest::addColumn<QString>("rating");
        QTest::addColumn<QString>("enabled");
        const char *rows[][2] = {{"None", ""},      {"TV-Y", ""},         {"TV-Y7", "FV"},
                                 {"TV-G", ""},      {"TV-PG", "V S L D"}, {"TV-14", "V S L D"},
                                 {"TV-MA", "V S L"}};
        for (const auto &row : rows)
            QTest::newRow(row[0]) << QString(row[0]) << QString(row[1]);
    }
    void flagsByUsTvRating()
    {
        QFETCH(QString, rating);
        TabsWindow w;
        w.insert("ProgramRating");
        QComboBox *list = w.list("cmbProgramRating");
        // Start from another rating with every flag checked, so the change must clear them.
        list->setCurrentText(rating == "TV-Y7" ? "TV-PG" : "TV-Y7");
        for (int i = 0; i < 5; ++i)
            flag(w, i)->setChecked(true);
        list->setCurrentText(rating);
        QTEST(flags(w, enabled), "enabled");
        QCOMPARE(flags(w, checked), QString());
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

    // Only US-TV has content flags: the other systems hide and clear them, and fill the
    // rating list with their own ratings.
    void ratingSystems_data()
    {
        QTest::addColumn<int>("system");
        QTest::addColumn<QString>("first");
        QTest::newRow("MPA") << 0 << "N/A";
        QTest::newRow("CDN-E") << 2 << "E";
        QTest::newRow("CDN-Fr") << 3 << "E";
    }
    void ratingSystems()
    {
        QFETCH(int, system);
        TabsWindow w;
        w.insert("ProgramRating");
        QComboBox *rating = w.list("cmbProgramRating");
        rating->setCurrentText(QStringLiteral("TV-14"));
        flag(w, 4)->setChecked(true);

        w.list("cmbProgRatingSys")->setCurrentIndex(system);
        QCOMPARE(TabsWindow::texts(rating), ConfigLists::RatingLists(system));
        QTEST(rating->currentText(), "first");
        QVERIFY(w.find("lblProgramRatingFlags")->isHidden());
        QCOMPARE(flags(w, &QCheckBox::isHidden), QStringLiteral("FV V S L D"));
        QCOMPARE(flags(w, checked) + flags(w, enabled), QString());
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

    void enablingRules_data()
    {
        using EnablingRules::row;
        EnablingRules::columns();
        const QString flags = TabsWindow::members("chProgramRatingFlags", 5).join(' ');
        const QString cgms = "oCGMS_0 oCGMS_2 cmbCGMS cmbCGMSOptions oCGMSASB_1";
        row("defaults", "", "",
            "oProgramRating_0 cmbProgRatingSys cmbProgramRating oCGMS_0 cmbCGMS cmbCGMSOptions "
            "oCGMSASB_0 oCGMSASB_1 " +
                flags);
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
    }
    void enablingRules() { EnablingRules::check(); }
};

QTEST_MAIN(tst_VChipCgmsRules)
#include "tst_vchip_cgms_rules.moc"
