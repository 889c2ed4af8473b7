#include "config/ConfigLists.h"
#include "ui/ConfigurationView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QtTest>

// The rating and copy-management window rules, driven through the real tab widgets.
class tst_VChipCgmsRules : public QObject
{
    Q_OBJECT

private:
    struct Window
    {
        QWidget top;
        QTabWidget *tabs;
        ConfigurationView *view;

        Window()
        {
            auto *layout = new QVBoxLayout(&top);
            tabs = new QTabWidget(&top);
            layout->addWidget(tabs);
            view =
                new ConfigurationView(tabs, LocalTimeZoneSnapshot::fromOffset(-300, false), &top);
            view->SetDefaults(
                {QStringLiteral("NBC"), QStringLiteral("WNBC"), QStringLiteral("1234")});
        }
        template <typename T> T *find(const QString &name) { return top.findChild<T *>(name); }
        QCheckBox *check(const QString &name) { return find<QCheckBox>(name); }
        QComboBox *list(const QString &name) { return find<QComboBox>(name); }
        QRadioButton *option(const QString &group, int member)
        {
            return find<QRadioButton>(QStringLiteral("%1_%2").arg(group).arg(member));
        }
        QCheckBox *flag(int i) { return check(QStringLiteral("chProgramRatingFlags_%1").arg(i)); }
        // "FV V S L D" as the letters of the enabled (or checked) flags.
        QString flags(bool checked)
        {
            static const QStringList letters = {"FV", "V", "S", "L", "D"};
            QStringList on;
            for (int i = 0; i < 5; ++i) {
                if (checked ? flag(i)->isChecked() : flag(i)->isEnabled())
                    on << letters[i];
            }
            return on.join(QLatin1Char(' '));
        }
        void insertRating()
        {
            check("chCtrlProgramRating")->setChecked(true);
            option("oProgramRating", 0)->setChecked(true);
        }
        void insertCgms()
        {
            check("chCtrlCGMS")->setChecked(true);
            option("oCGMS", 0)->setChecked(true);
        }
    };

private slots:
    void ratingDefaults()
    {
        Window w;
        QCOMPARE(w.list("cmbProgRatingSys")->currentIndex(), 1);
        QCOMPARE(w.list("cmbProgramRating")->currentText(), QStringLiteral("None"));
        QVERIFY(!w.list("cmbProgRatingSys")->isEnabled());
        QVERIFY(!w.list("cmbProgramRating")->isEnabled());
        QVERIFY(w.option("oProgramRating", 2)->isChecked());
        QVERIFY(!w.option("oProgramRating", 0)->isEnabled());
        QCOMPARE(w.flags(false), QString());
        QCOMPARE(w.find<QLabel>("lblProgramRatingFlags")->text(),
                 QStringLiteral("FV     V     S      L      D"));
    }

    void flagsByUsTvRating_data()
    {
        QTest::addColumn<QString>("rating");
        QTest::addColumn<QString>("enabled");
        QTest::newRow("None") << "None"
                              << "";
        QTest::newRow("TV-Y") << "TV-Y"
                              << "";
        QTest::newRow("TV-Y7") << "TV-Y7"
                               << "FV";
        QTest::newRow("TV-G") << "TV-G"
                              << "";
        QTest::newRow("TV-PG") << "TV-PG"
                               << "V S L D";
        QTest::newRow("TV-14") << "TV-14"
                               << "V S L D";
        QTest::newRow("TV-MA") << "TV-MA"
                               << "V S L";
    }
    void flagsByUsTvRating()
    {
        QFETCH(QString, rating);
        QFETCH(QString, enabled);
        Window w;
        w.insertRating();
        // Start from a rating with every other flag checked, so the change must clear them.
        w.list("cmbProgramRating")->setCurrentText(QStringLiteral("TV-PG"));
        for (int i = 1; i < 5; ++i)
            w.flag(i)->setChecked(true);
        w.list("cmbProgramRating")->setCurrentText(rating);
        if (rating == QLatin1String("TV-PG")) {
            w.list("cmbProgramRating")->setCurrentIndex(0);
            w.list("cmbProgramRating")->setCurrentText(rating);
        }
        QCOMPARE(w.list("cmbProgramRating")->currentText(), rating);
        QCOMPARE(w.flags(false), enabled);
        QCOMPARE(w.flags(true), QString());
    }

    void tvY7ThenTvMa()
    {
        Window w;
        w.insertRating();
        w.list("cmbProgramRating")->setCurrentText(QStringLiteral("TV-Y7"));
        w.flag(0)->setChecked(true);
        w.list("cmbProgramRating")->setCurrentText(QStringLiteral("TV-MA"));
        QVERIFY(!w.flag(0)->isChecked());
        QCOMPARE(w.flags(false), QStringLiteral("V S L"));
    }

    void flagsSurviveBlockThenInsert_data()
    {
        QTest::addColumn<Qt::CheckState>("state");
        QTest::newRow("checked") << Qt::Checked;
        // A configuration file may hold the grey value 2; it must not come back as 1.
        QTest::newRow("greyed") << Qt::PartiallyChecked;
    }
    void flagsSurviveBlockThenInsert()
    {
        QFETCH(Qt::CheckState, state);
        Window w;
        w.insertRating();
        w.list("cmbProgramRating")->setCurrentText(QStringLiteral("TV-PG"));
        w.flag(1)->setCheckState(state);
        w.flag(3)->setCheckState(state);

        w.option("oProgramRating", 1)->setChecked(true);
        QCOMPARE(w.flags(false), QString());
        QVERIFY(!w.list("cmbProgRatingSys")->isEnabled());
        QVERIFY(!w.list("cmbProgramRating")->isEnabled());
        QCOMPARE(w.flags(true), QStringLiteral("V L"));

        w.option("oProgramRating", 0)->setChecked(true);
        QVERIFY(w.list("cmbProgramRating")->isEnabled());
        QCOMPARE(w.flags(true), QStringLiteral("V L"));
        QCOMPARE(w.flags(false), QStringLiteral("V S L D"));
        QCOMPARE(w.flag(1)->checkState(), state);
        QCOMPARE(w.flag(3)->checkState(), state);

        // The enable box does the same.
        w.check("chCtrlProgramRating")->setChecked(false);
        QVERIFY(!w.option("oProgramRating", 0)->isEnabled());
        QCOMPARE(w.flags(false), QString());
        w.check("chCtrlProgramRating")->setChecked(true);
        QCOMPARE(w.flags(true), QStringLiteral("V L"));
        QCOMPARE(w.flag(3)->checkState(), state);
    }

    void ratingSystems_data()
    {
        QTest::addColumn<int>("system");
        QTest::addColumn<QString>("first");
        QTest::addColumn<bool>("flagsShown");
        QTest::newRow("MPA") << 0 << "N/A" << false;
        QTest::newRow("CDN-E") << 2 << "E" << false;
        QTest::newRow("CDN-Fr") << 3 << "E" << false;
    }
    void ratingSystems()
    {
        QFETCH(int, system);
        QFETCH(QString, first);
        QFETCH(bool, flagsShown);
        Window w;
        w.insertRating();
        w.list("cmbProgramRating")->setCurrentText(QStringLiteral("TV-14"));
        w.flag(4)->setChecked(true);

        w.list("cmbProgRatingSys")->setCurrentIndex(system);
        QComboBox *rating = w.list("cmbProgramRating");
        QStringList entries;
        for (int i = 0; i < rating->count(); ++i)
            entries << rating->itemText(i);
        QCOMPARE(entries, ConfigLists::RatingLists(system));
        QCOMPARE(rating->currentText(), first);
        QCOMPARE(!w.find<QLabel>("lblProgramRatingFlags")->isHidden(), flagsShown);
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(!w.flag(i)->isHidden(), flagsShown);
            QVERIFY(!w.flag(i)->isChecked());
            QVERIFY(!w.flag(i)->isEnabled());
        }

        // Back to US-TV: the flags come back, cleared.
        w.list("cmbProgRatingSys")->setCurrentIndex(1);
        QVERIFY(!w.find<QLabel>("lblProgramRatingFlags")->isHidden());
        QVERIFY(!w.flag(4)->isHidden());
        QCOMPARE(w.flags(true), QString());
        QCOMPARE(rating->currentText(), QStringLiteral("None"));
    }

    void cgmsDefaults()
    {
        Window w;
        QVERIFY(w.option("oCGMS", 2)->isChecked());
        QVERIFY(!w.check("chCtrlCGMS")->isChecked());
        QCOMPARE(w.list("cmbCGMS")->currentIndex(), 0);
        QCOMPARE(w.list("cmbCGMSOptions")->currentText(), ConfigLists::NotApplicable);
        QVERIFY(w.option("oCGMSASB", 0)->isChecked());
        for (QWidget *control :
             QList<QWidget *>{w.option("oCGMS", 0), w.list("cmbCGMS"), w.list("cmbCGMSOptions"),
                              w.option("oCGMSASB", 0), w.option("oCGMSASB", 1)})
            QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
    }

    void notApplicableComesAndGoes_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("first");
        QTest::addColumn<int>("entries");
        QTest::addColumn<bool>("open");
        QTest::newRow("copying permitted") << 0 << "Not Applicable" << 5 << false;
        QTest::newRow("one generation") << 1 << "Not Applicable" << 5 << false;
        QTest::newRow("no copying") << 2 << "No APS" << 4 << true;
    }
    void notApplicableComesAndGoes()
    {
        QFETCH(int, choice);
        QFETCH(QString, first);
        QFETCH(int, entries);
        QFETCH(bool, open);
        Window w;
        w.insertCgms();
        QComboBox *options = w.list("cmbCGMSOptions");
        // Come from the other side of the rule each time, with an APS choice made.
        w.list("cmbCGMS")->setCurrentIndex(choice == 2 ? 1 : 2);
        options->setCurrentIndex(3);
        w.list("cmbCGMS")->setCurrentIndex(choice);
        QCOMPARE(options->itemText(0), first);
        QCOMPARE(options->count(), entries);
        QCOMPARE(options->currentIndex(), 0);
        QCOMPARE(options->isEnabled(), open);
    }

    void cgmsGroupAndEnableRule()
    {
        Window w;
        w.insertCgms();
        w.list("cmbCGMS")->setCurrentIndex(2);
        w.list("cmbCGMSOptions")->setCurrentIndex(2);

        w.option("oCGMS", 1)->setChecked(true);
        for (QWidget *control :
             QList<QWidget *>{w.list("cmbCGMS"), w.option("oCGMSASB", 0), w.option("oCGMSASB", 1)})
            QVERIFY(!control->isEnabled());
        // A click of the group also resets the APS choice.
        QCOMPARE(w.list("cmbCGMSOptions")->currentIndex(), 0);
        QVERIFY(w.list("cmbCGMSOptions")->isEnabled()); // "No Copying" keeps the list open

        w.list("cmbCGMS")->setCurrentIndex(0);
        w.option("oCGMS", 0)->setChecked(true);
        QVERIFY(w.list("cmbCGMS")->isEnabled());
        QVERIFY(w.option("oCGMSASB", 1)->isEnabled());
        QVERIFY(!w.list("cmbCGMSOptions")->isEnabled());

        // The enable box alone opens every CGMS control, the APS list included.
        w.check("chCtrlCGMS")->setChecked(false);
        QVERIFY(!w.option("oCGMS", 0)->isEnabled());
        QVERIFY(!w.list("cmbCGMS")->isEnabled());
        QVERIFY(!w.list("cmbCGMSOptions")->isEnabled());
        w.check("chCtrlCGMS")->setChecked(true);
        QVERIFY(w.option("oCGMS", 2)->isEnabled());
        QVERIFY(w.list("cmbCGMSOptions")->isEnabled());
    }
};

QTEST_MAIN(tst_VChipCgmsRules)
#include "tst_vchip_cgms_rules.moc"
