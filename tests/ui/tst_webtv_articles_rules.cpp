#include "EnablingRules.h"
#include "FixedClock.h"

#include <QApplication>
#include <QtTest>

// The Web TV, Articles and CC Looping field rules, driven through the real tab widgets.
class tst_WebTvArticlesRules : public QObject
{
    Q_OBJECT

    static QDateTime at(int year, int month, int day)
    {
        return QDateTime(QDate(year, month, day), QTime(23, 30));
    }
    static inline const QStringList webFields = {
        "txtWebURL",        "txtWebDescription", "txtWebScript",   "txtWebRepeat",
        "cmbWebExpiryYear", "cmbWebExpiryMonth", "cmbWebExpiryDay"};

private slots:
    // Passed upstream, with the expiry years counted from the year of the last reset.
    void webTvDefaults()
    {
        FixedClock clock(at(2026, 7, 4));
        TabsWindow w;
        QVERIFY(w.option("oWebTV", 1)->isChecked());
        QComboBox *years = w.list("cmbWebExpiryYear");
        QCOMPARE(years->itemText(1), QStringLiteral("2026"));
        clock.set(at(2027, 1, 1));
        years->setCurrentIndex(2);
        w.view->SetDefaults({});
        QCOMPARE(years->itemText(1) + years->currentText(), QStringLiteral("2027"));
        w.click("cmdWebTVBlock"); // leads to the Caption Channels tab
        QCOMPARE(w.tabs->currentIndex(), 2);
    }

    void enablingRules_data()
    {
        using EnablingRules::row;
        EnablingRules::columns();
        const QString web = webFields.join(' ');
        const QString times = TabsWindow::members("cmbCCLoopingTime", 3).join(' ');
        row("Web TV defaults", "", "", "oWebTV_0 " + web);
        row("Web TV inserted", "chCtrlWebTV=1 oWebTV_0=1", "oWebTV_0 " + web, "");
        row("Web TV pass upstream", "chCtrlWebTV=1 oWebTV_1=1", "oWebTV_0", web);
        row("Web TV insert, box clear", "oWebTV_0=1", "", web);
        row("continuous loop", "chCCLpInfiniteTime=1", "", times);
        row("timed loop", "chCCLpInfiniteTime=1 chCCLpInfiniteTime=0", times, "");
    }
    void enablingRules() { EnablingRules::check(); }

    // On leaving, blanks go from the ends of the URL, the description and the script, and a
    // URL without "http://" gets it, silently. A repeat count is typed as digits only and left
    // as typed, or refused with a message and the focus kept in the box.
    void leaveRules_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("message"); // "" = accepted
        const auto row = [](const char *name, const char *box, const char *typed, const char *left,
                            const QString &message = QString()) {
            QTest::newRow(name) << box << typed << left << message;
        };
        row("no scheme", "txtWebURL", "  www.example.com ", "http://www.example.com");
        row("scheme in capitals", "txtWebURL", "HTTP://A.TV", "HTTP://A.TV");
        row("description", "txtWebDescription", "  News ]  ", "News ]");
        row("script", "txtWebScript", "  go() ", "go()");
        const QString rule = QStringLiteral(" Repeat Count must be a number from 1 to 9999.");
        for (const char *box : {"txtWebRepeat", "txtInsArticleRepeat"}) {
            const QString message =
                (qstrcmp(box, "txtWebRepeat") == 0 ? "Web TV" : "Article") + rule;
            for (const char *text : {"0", "10000", "", "99999999999999999999"}) {
                QTest::addRow("%s '%s'", box, text)
                    << box << QString("x-:/" + QString(text) + " e") << text << message;
            }
            for (const char *text : {"1", "9999", "0012"}) // sent unchanged, leading zeros too
                QTest::addRow("%s '%s'", box, text) << box << text << text << QString();
        }
    }
    void leaveRules()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        TabsWindow w;
        QVERIFY(w.show());
        w.insert("WebTV");
        w.tabs->setCurrentIndex(box == "txtInsArticleRepeat" ? 4 : 3);
        QWidget *field = w.find(box);
        field->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), field);
        w.set(box, QString());
        QTest::keyClicks(field, typed);
        QTest::keyClick(field, Qt::Key_Tab);
        QTEST(field->property(box == "txtWebScript" ? "plainText" : "text").toString(), "left");
        QCOMPARE(w.dialogs.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QTRY_COMPARE(QApplication::focusWidget() == field, !message.isEmpty());
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

    // A reset puts the Articles channel and the loop's times and labels back (the loop's
    // buttons and "Continuous Loop" are the looping tab test's).
    void resetArticlesAndLoop()
    {
        TabsWindow w;
        w.apply("oInsertArticles_3=1 cmbCCLoopingTime_1=5 lblCCLpLineDelay=3");
        w.find("lblCCLpCurFileName")->setToolTip(QStringLiteral("loop.txt"));
        w.view->SetDefaults({});
        QVERIFY(w.option("oInsertArticles", 0)->isChecked());
        QCOMPARE(w.list("cmbCCLoopingTime_1")->currentIndex(), 0);
        QCOMPARE(w.find<QLabel>("lblCCLpLineDelay")->text() +
                     w.find("lblCCLpCurFileName")->toolTip(),
                 QString());
    }
};

QTEST_MAIN(tst_WebTvArticlesRules)
#include "tst_webtv_articles_rules.moc"
