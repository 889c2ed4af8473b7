#include "FixedClock.h"
#include "TabsWindow.h"

#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

// The Web TV, Articles and CC Looping field rules, driven through the real tab widgets.
class tst_WebTvArticlesRules : public QObject
{
    Q_OBJECT

    static QDateTime at(int year, int month, int day)
    {
        return QDateTime(QDate(year, month, day), QTime(23, 30));
    }
    static void insertWebTv(TabsWindow &w)
    {
        w.tabs->setCurrentIndex(3);
        w.insert("WebTV");
    }
    static inline const QStringList webFields = {
        "txtWebURL",        "txtWebDescription", "txtWebScript",   "txtWebRepeat",
        "cmbWebExpiryYear", "cmbWebExpiryMonth", "cmbWebExpiryDay"};
    static inline const QStringList blank = {QString()};

private slots:
    void webTvDefaults()
    {
        FixedClock clock(at(2026, 7, 4));
        TabsWindow w;
        QVERIFY(w.option("oWebTV", 1)->isChecked());
        QCOMPARE(w.enabledOf(webFields + QStringList{"oWebTV_0"}), QStringList());
        QCOMPARE(w.box("txtWebRepeat")->text(), QStringLiteral("1"));
        QComboBox *years = w.list("cmbWebExpiryYear");
        QCOMPARE(years->itemText(1), QStringLiteral("2026"));
        QCOMPARE(years->currentIndex(), 0);
        QCOMPARE(TabsWindow::texts(w.list("cmbWebExpiryMonth")), blank);
        QCOMPARE(TabsWindow::texts(w.list("cmbWebExpiryDay")), blank);

        // A reset in a later year counts from that year.
        clock.set(at(2027, 1, 1));
        years->setCurrentIndex(2);
        w.view->SetDefaults({});
        QCOMPARE(years->itemText(1), QStringLiteral("2027"));
        QCOMPARE(years->currentIndex(), 0);
    }

    void webTvEnableRule()
    {
        TabsWindow w;
        QVERIFY(w.show());
        QLineEdit *url = w.box("txtWebURL");
        url->setText(QStringLiteral("http://x"));
        insertWebTv(w);
        QCOMPARE(w.enabledOf(webFields), webFields);
        QVERIFY(TabsWindow::isWhite(url));
        QCOMPARE(QApplication::focusWidget(), url);
        QCOMPARE(url->cursorPosition(), 8);
    }

    // Which controls a choice opens: the steps in order, then the controls that must be open
    // and those that must be greyed.
    void enablingRules_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("open");
        QTest::addColumn<QString>("greyed");
        const QString web = webFields.join(' ');
        const QString times = TabsWindow::members("cmbCCLoopingTime", 3).join(' ');
        QTest::newRow("Web TV pass upstream") << "chCtrlWebTV=1 oWebTV_1=1"
                                              << "oWebTV_0" << web;
        QTest::newRow("Web TV cleared") << "oWebTV_0=1 chCtrlWebTV=1 chCtrlWebTV=0"
                                        << ""
                                        << "oWebTV_0 " + web;
        QTest::newRow("continuous loop") << "chCCLpInfiniteTime=1"
                                         << "" << times;
        QTest::newRow("timed loop") << "chCCLpInfiniteTime=1 chCCLpInfiniteTime=0" << times << "";
    }
    void enablingRules()
    {
        QFETCH(QString, steps);
        QFETCH(QString, open);
        QFETCH(QString, greyed);
        TabsWindow w;
        QCOMPARE(w.enabledAfter(steps, open, greyed), QString());
    }

    void urlFix_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("left");
        const char *rows[][3] = {{"no scheme", "  www.example.com ", "http://www.example.com"},
                                 {"empty", "", "http://"},
                                 {"scheme in capitals", "HTTP://A.TV", "HTTP://A.TV"},
                                 {"scheme", "http://a.tv", "http://a.tv"},
                                 {"other scheme", "ftp://a", "http://ftp://a"}};
        for (const auto &row : rows)
            QTest::newRow(row[0]) << QString(row[1]) << QString(row[2]);
    }
    void urlFix()
    {
        QFETCH(QString, typed);
        QFETCH(QString, left);
        TabsWindow w;
        ScriptedDialogs &dialogs = w.dialogs;
        QVERIFY(w.show());
        insertWebTv(w);
        w.box("txtWebURL")->setText(typed);
        QTest::keyClick(w.box("txtWebURL"), Qt::Key_Tab);
        QCOMPARE(w.box("txtWebURL")->text(), left);
        QVERIFY(dialogs.shown.isEmpty());
        QCOMPARE(QApplication::focusWidget(), w.box("txtWebDescription"));
    }

    void descriptionAndScript()
    {
        TabsWindow w;
        QVERIFY(w.show());
        insertWebTv(w);
        QLineEdit *description = w.box("txtWebDescription");
        description->setFocus();
        description->setText(QStringLiteral("  News ]  "));
        QTest::keyClick(description, Qt::Key_Tab);
        QCOMPARE(description->text(), QStringLiteral("News ]"));

        auto *script = w.find<QPlainTextEdit>("txtWebScript");
        QTest::keyClicks(script, QStringLiteral("  go() "));
        QTest::keyClick(script, Qt::Key_Tab);
        QCOMPARE(script->toPlainText(), QStringLiteral("go()")); // trimmed on leaving
    }

    // A repeat count is typed as digits only and left as typed, or refused with a message and
    // the focus kept in the box.
    void repeatCounts_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message"); // "" = accepted
        const QString rule = QStringLiteral(" Repeat Count must be a number from 1 to 9999.");
        for (const char *box : {"txtWebRepeat", "txtInsArticleRepeat"}) {
            const QString message =
                (qstrcmp(box, "txtWebRepeat") == 0 ? "Web TV" : "Article") + rule;
            QTest::addRow("%s 0", box) << box << "0" << message;
            QTest::addRow("%s 10000", box) << box << "10000" << message;
            QTest::addRow("%s empty", box) << box << "" << message;
            QTest::addRow("%s too large to convert", box)
                << box << "99999999999999999999" << message;
            QTest::addRow("%s 1", box) << box << "1" << QString();
            QTest::addRow("%s 0012", box) << box << "0012" << QString();
        }
    }
    void repeatCounts()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, message);
        TabsWindow w;
        ScriptedDialogs &dialogs = w.dialogs;
        QVERIFY(w.show());
        if (box == QLatin1String("txtWebRepeat"))
            insertWebTv(w);
        else
            w.tabs->setCurrentIndex(4);
        QLineEdit *repeat = w.box(box);
        repeat->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), repeat);
        repeat->clear();
        QTest::keyClicks(repeat, "x-" + text + " e");
        QCOMPARE(repeat->text(), text);
        QTest::keyClick(repeat, Qt::Key_Tab);
        QCOMPARE(repeat->text(), text); // sent unchanged, leading zeros included
        if (message.isEmpty()) {
            QVERIFY(dialogs.shown.isEmpty());
            QVERIFY(QApplication::focusWidget() != repeat);
            return;
        }
        QTRY_COMPARE(QApplication::focusWidget(), repeat);
        QCOMPARE(dialogs.texts(), QStringList{message});
        QCOMPARE(dialogs.shown.first().icon, DialogService::Icon::Exclamation);
        QCOMPARE(dialogs.shown.first().buttons, DialogService::Buttons::Ok);
    }

    // Months start at today's month in this year, days at today in this month.
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
        insertWebTv(w);
        QComboBox *years = w.list("cmbWebExpiryYear");
        QComboBox *months = w.list("cmbWebExpiryMonth");
        QComboBox *days = w.list("cmbWebExpiryDay");
        years->setCurrentIndex(years->findData(year));
        QCOMPARE(months->currentIndex(), 0);
        QCOMPARE(months->count(), 1 + 13 - firstMonth);
        QCOMPARE(months->itemText(1), QLocale::system().monthName(firstMonth));
        QCOMPARE(months->itemData(1).toInt(), firstMonth);
        QCOMPARE(TabsWindow::texts(days), blank);
        months->setCurrentIndex(months->findData(month));
        QCOMPARE(days->currentIndex(), 0);
        QCOMPARE(days->count(), 1 + lastDay - firstDay + 1);
        QCOMPARE(days->itemText(1), QString::number(firstDay));
        QCOMPARE(days->itemText(days->count() - 1), QString::number(lastDay));

        // A change of year clears the finer choices.
        days->setCurrentIndex(1);
        years->setCurrentIndex(0);
        QCOMPARE(TabsWindow::texts(months), blank);
        QCOMPARE(TabsWindow::texts(days), blank);
    }

    void jumpToCaptionChannels()
    {
        TabsWindow w;
        w.tabs->setCurrentIndex(3);
        w.find<QPushButton>("cmdWebTVBlock")->click();
        QCOMPARE(w.tabs->currentIndex(), 2);
    }

    void articles()
    {
        TabsWindow w;
        QVERIFY(w.show());
        w.tabs->setCurrentIndex(4);
        auto *list = w.find<QPlainTextEdit>("txtArticleList");
        QCOMPARE(list->font().family(), QStringLiteral("Courier New"));
        list->setPlainText(QStringLiteral("Weather"));
        list->setFocus();
        list->moveCursor(QTextCursor::End);
        QTest::keyClicks(list, QStringLiteral(" kept"));
        QCOMPARE(list->toPlainText(), QStringLiteral("Weather kept"));

        w.list("cmbRemoveArticle")->addItems({"Weather", "News"});
        w.option("oInsertArticles", 3)->setChecked(true);
        w.box("txtInsArticleRepeat")->setText(QStringLiteral("12"));
        w.view->SetDefaults({});
        QCOMPARE(list->toPlainText(), QString());
        QCOMPARE(w.list("cmbRemoveArticle")->count(), 0);
        QVERIFY(w.option("oInsertArticles", 0)->isChecked());
        QCOMPARE(w.box("txtInsArticleRepeat")->text(), QStringLiteral("1"));
    }

    void continuousLoop()
    {
        TabsWindow w;
        QCheckBox *infinite = w.check("chCCLpInfiniteTime");
        // A reset puts the times and the loop labels back and keeps "Continuous Loop".
        infinite->setChecked(true);
        w.list("cmbCCLoopingTime_1")->setCurrentIndex(5);
        w.find<QLabel>("lblCCLpTimeLeft")->setText(QStringLiteral("00:00:04"));
        w.find<QLabel>("lblCCLpLineDelay")->setText(QStringLiteral("3"));
        w.find<QLabel>("lblCCLpCurFileName")->setToolTip(QStringLiteral("loop.txt"));
        w.find("cmdCCLpLoopControl_0")->setEnabled(false);
        w.view->SetDefaults({});
        QVERIFY(infinite->isChecked());
        QCOMPARE(w.list("cmbCCLoopingTime_1")->currentIndex(), 0);
        QCOMPARE(w.find<QLabel>("lblCCLpTimeLeft")->text(), QStringLiteral("N/A"));
        QCOMPARE(w.find<QLabel>("lblCCLpLineDelay")->text(), QString());
        QCOMPARE(w.find<QLabel>("lblCCLpCurFileName")->toolTip(), QString());
        QCOMPARE(w.enabledOf(TabsWindow::members("cmdCCLpLoopControl", 2)),
                 QStringList{"cmdCCLpLoopControl_0"});
        QCOMPARE(w.find<QLabel>("lblCCLpCurFilePath")->textFormat(), Qt::PlainText);
    }
};

QTEST_MAIN(tst_WebTvArticlesRules)
#include "tst_webtv_articles_rules.moc"
