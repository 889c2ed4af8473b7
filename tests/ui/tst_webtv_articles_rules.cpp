#include "FixedClock.h"
#include "ScriptedDialogs.h"
#include "ui/ConfigurationView.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QtTest>

// The Web TV, Articles and CC Looping field rules, driven through the real tab widgets.
class tst_WebTvArticlesRules : public QObject
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
        QLineEdit *box(const QString &name) { return find<QLineEdit>(name); }
        QComboBox *list(const QString &name) { return find<QComboBox>(name); }
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
        void insertWebTv()
        {
            tabs->setCurrentIndex(3);
            find<QCheckBox>("chCtrlWebTV")->setChecked(true);
            option("oWebTV", 0)->setChecked(true);
        }
    };

    static QStringList texts(QComboBox *list)
    {
        QStringList all;
        for (int i = 0; i < list->count(); ++i)
            all << list->itemText(i);
        return all;
    }
    static QDateTime at(int year, int month, int day)
    {
        return QDateTime(QDate(year, month, day), QTime(23, 30));
    }

private slots:
    void webTvDefaults()
    {
        FixedClock clock(at(2026, 7, 4));
        Window w;
        QVERIFY(w.option("oWebTV", 1)->isChecked());
        QCOMPARE(w.option("oWebTV", 1)->text(), QStringLiteral("Pass Upstream"));
        QVERIFY(!w.option("oWebTV", 0)->isEnabled());
        QCOMPARE(w.box("txtWebRepeat")->text(), QStringLiteral("1"));
        for (const char *name : {"txtWebURL", "txtWebDescription", "txtWebScript", "txtWebRepeat",
                                 "cmbWebExpiryYear", "cmbWebExpiryMonth", "cmbWebExpiryDay"})
            QVERIFY2(!w.find<QWidget>(name)->isEnabled(), name);
        QComboBox *years = w.list("cmbWebExpiryYear");
        QCOMPARE(texts(years), (QStringList{"", "2026", "2027", "2028", "2029", "2030", "2031"}));
        QCOMPARE(years->currentIndex(), 0);
        QCOMPARE(years->itemData(3).toInt(), 2028);
        QCOMPARE(texts(w.list("cmbWebExpiryMonth")), QStringList{QString()});
        QCOMPARE(texts(w.list("cmbWebExpiryDay")), QStringList{QString()});

        // A reset in a later year counts from that year.
        clock.set(at(2027, 1, 1));
        years->setCurrentIndex(2);
        w.view->SetDefaults({});
        QCOMPARE(years->itemText(1), QStringLiteral("2027"));
        QCOMPARE(years->currentIndex(), 0);
    }

    void webTvEnableRule()
    {
        Window w;
        QVERIFY(w.show());
        w.box("txtWebURL")->setText(QStringLiteral("http://x"));
        w.insertWebTv();
        QVERIFY(w.box("txtWebURL")->isEnabled());
        QCOMPARE(w.box("txtWebURL")->palette().color(QPalette::Base), QColor(Qt::white));
        QVERIFY(w.list("cmbWebExpiryDay")->isEnabled());
        QCOMPARE(QApplication::focusWidget(), w.box("txtWebURL"));
        QCOMPARE(w.box("txtWebURL")->cursorPosition(), 8);

        w.option("oWebTV", 1)->setChecked(true);
        QVERIFY(!w.box("txtWebURL")->isEnabled());
        QVERIFY(!w.find<QWidget>("txtWebScript")->isEnabled());
        QVERIFY(w.option("oWebTV", 0)->isEnabled());
        w.option("oWebTV", 0)->setChecked(true);
        w.find<QCheckBox>("chCtrlWebTV")->setChecked(false);
        QVERIFY(!w.option("oWebTV", 0)->isEnabled());
        QVERIFY(!w.box("txtWebRepeat")->isEnabled());
    }

    void urlFix_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("left");
        QTest::newRow("no scheme") << "  www.example.com "
                                   << "http://www.example.com";
        QTest::newRow("empty") << ""
                               << "http://";
        QTest::newRow("scheme in capitals") << "HTTP://A.TV"
                                            << "HTTP://A.TV";
        QTest::newRow("scheme") << "http://a.tv"
                                << "http://a.tv";
        QTest::newRow("other scheme") << "ftp://a"
                                      << "http://ftp://a";
    }
    void urlFix()
    {
        QFETCH(QString, typed);
        QFETCH(QString, left);
        ScriptedDialogs dialogs;
        Window w;
        QVERIFY(w.show());
        w.insertWebTv();
        w.box("txtWebURL")->setText(typed);
        QTest::keyClick(w.box("txtWebURL"), Qt::Key_Tab);
        QCOMPARE(w.box("txtWebURL")->text(), left);
        QVERIFY(dialogs.shown.isEmpty());
        QCOMPARE(QApplication::focusWidget(), w.box("txtWebDescription"));
    }

    void descriptionAndScriptTrimmed()
    {
        Window w;
        QVERIFY(w.show());
        w.insertWebTv();
        w.box("txtWebDescription")->setFocus();
        w.box("txtWebDescription")->setText(QStringLiteral("  News ]  "));
        QTest::keyClick(w.box("txtWebDescription"), Qt::Key_Tab);
        QCOMPARE(w.box("txtWebDescription")->text(), QStringLiteral("News ]"));
        auto *script = w.find<QPlainTextEdit>("txtWebScript");
        QCOMPARE(QApplication::focusWidget(), script);
        script->setPlainText(QStringLiteral(" go() "));
        QTest::keyClick(script, Qt::Key_Tab);
        QCOMPARE(script->toPlainText(), QStringLiteral("go()"));
        QCOMPARE(QApplication::focusWidget(), w.box("txtWebRepeat"));
        QCOMPARE(w.box("txtWebDescription")->maxLength(), 20);
    }

    void scriptHoldsFiftyCharacters()
    {
        Window w;
        QVERIFY(w.show());
        w.insertWebTv();
        auto *script = w.find<QPlainTextEdit>("txtWebScript");
        script->setFocus();
        QTest::keyClicks(script, QString(45, QLatin1Char('a')));
        QTest::keyClicks(script, QStringLiteral("bcdefghijk"));
        QCOMPARE(script->toPlainText(), QString(45, QLatin1Char('a')) + QStringLiteral("bcdef"));
        script->setPlainText(QString(60, QLatin1Char('z')));
        QCOMPARE(script->toPlainText().length(), 50);
    }

    void repeatCounts_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("refused");
        const QStringList boxes = {"txtWebRepeat", "txtInsArticleRepeat"};
        for (const QString &box : boxes) {
            const char *b = box == boxes[0] ? "Web TV" : "Article";
            QTest::addRow("%s 0", b) << box << "0" << true;
            QTest::addRow("%s 10000", b) << box << "10000" << true;
            QTest::addRow("%s empty", b) << box << "" << true;
            QTest::addRow("%s too large to convert", b) << box << "99999999999999999999" << true;
            QTest::addRow("%s 1", b) << box << "1" << false;
            QTest::addRow("%s 9999", b) << box << "9999" << false;
            QTest::addRow("%s 0012", b) << box << "0012" << false;
        }
    }
    void repeatCounts()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(bool, refused);
        ScriptedDialogs dialogs;
        Window w;
        QVERIFY(w.show());
        const bool web = box == QLatin1String("txtWebRepeat");
        if (web)
            w.insertWebTv();
        else
            w.tabs->setCurrentIndex(4);
        QLineEdit *repeat = w.box(box);
        repeat->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), repeat);
        repeat->setText(text);
        QTest::keyClick(repeat, Qt::Key_Tab);
        QCOMPARE(repeat->text(), text); // sent unchanged, leading zeros included
        if (!refused) {
            QVERIFY(dialogs.shown.isEmpty());
            QVERIFY(QApplication::focusWidget() != repeat);
            return;
        }
        const QString message =
            web ? QStringLiteral("Web TV Repeat Count must be a number from 1 to 9999.")
                : QStringLiteral("Article Repeat Count must be a number from 1 to 9999.");
        QCOMPARE(dialogs.texts(), QStringList{message});
        QCOMPARE(dialogs.shown.first().icon, DialogService::Icon::Exclamation);
        QCOMPARE(dialogs.shown.first().buttons, DialogService::Buttons::Ok);
        QTRY_COMPARE(QApplication::focusWidget(), repeat);
        QCOMPARE(dialogs.shown.size(), 1);
    }

    void repeatKeyFilter_data()
    {
        QTest::addColumn<QString>("box");
        QTest::newRow("Web TV") << "txtWebRepeat";
        QTest::newRow("Article") << "txtInsArticleRepeat";
    }
    void repeatKeyFilter()
    {
        QFETCH(QString, box);
        Window w;
        QVERIFY(w.show());
        w.insertWebTv();
        QLineEdit *repeat = w.box(box);
        repeat->clear();
        QTest::keyClicks(repeat, QStringLiteral("9x9 -9+9e"));
        QCOMPARE(repeat->text(), QStringLiteral("9999"));
        QTest::keyClick(repeat, Qt::Key_Backspace);
        QCOMPARE(repeat->text(), QStringLiteral("999"));
        QCOMPARE(repeat->maxLength(), 20);
    }

    void expiryMonths_data()
    {
        QTest::addColumn<QDateTime>("today");
        QTest::addColumn<int>("yearEntry");
        QTest::addColumn<int>("firstMonth");
        QTest::newRow("current year starts at today's month") << at(2024, 3, 15) << 1 << 3;
        QTest::newRow("next year starts in January") << at(2024, 3, 15) << 2 << 1;
        QTest::newRow("December") << at(2025, 12, 31) << 1 << 12;
    }
    void expiryMonths()
    {
        QFETCH(QDateTime, today);
        QFETCH(int, yearEntry);
        QFETCH(int, firstMonth);
        FixedClock clock(today);
        Window w;
        w.insertWebTv();
        QComboBox *months = w.list("cmbWebExpiryMonth");
        w.list("cmbWebExpiryYear")->setCurrentIndex(yearEntry);
        QCOMPARE(months->count(), 1 + 13 - firstMonth);
        QCOMPARE(months->currentIndex(), 0);
        QCOMPARE(months->itemText(0), QString());
        QCOMPARE(months->itemText(1), QLocale::system().monthName(firstMonth));
        QCOMPARE(months->itemData(1).toInt(), firstMonth);
        QCOMPARE(months->itemData(months->count() - 1).toInt(), 12);
        QCOMPARE(texts(w.list("cmbWebExpiryDay")), QStringList{QString()});
    }

    void expiryDays_data()
    {
        QTest::addColumn<QDateTime>("today");
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("firstDay");
        QTest::addColumn<int>("lastDay");
        QTest::newRow("15 March: days 15..31") << at(2024, 3, 15) << 2024 << 3 << 15 << 31;
        QTest::newRow("April of this year from 1") << at(2024, 3, 15) << 2024 << 4 << 1 << 30;
        QTest::newRow("February of a leap year") << at(2026, 5, 1) << 2028 << 2 << 1 << 29;
        QTest::newRow("February of another year") << at(2026, 5, 1) << 2027 << 2 << 1 << 28;
        QTest::newRow("last day of the month") << at(2026, 6, 30) << 2026 << 6 << 30 << 30;
    }
    void expiryDays()
    {
        QFETCH(QDateTime, today);
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, firstDay);
        QFETCH(int, lastDay);
        FixedClock clock(today);
        Window w;
        w.insertWebTv();
        QComboBox *years = w.list("cmbWebExpiryYear");
        QComboBox *months = w.list("cmbWebExpiryMonth");
        QComboBox *days = w.list("cmbWebExpiryDay");
        years->setCurrentIndex(years->findData(year));
        months->setCurrentIndex(months->findData(month));
        QCOMPARE(days->count(), 1 + lastDay - firstDay + 1);
        QCOMPARE(days->currentIndex(), 0);
        QCOMPARE(days->itemText(1), QString::number(firstDay));
        QCOMPARE(days->itemText(days->count() - 1), QString::number(lastDay));

        // A change of year clears the finer choices.
        days->setCurrentIndex(1);
        years->setCurrentIndex(0);
        QCOMPARE(texts(months), QStringList{QString()});
        QCOMPARE(texts(days), QStringList{QString()});
    }

    void jumpToCaptionChannels()
    {
        Window w;
        w.tabs->setCurrentIndex(3);
        w.find<QPushButton>("cmdWebTVBlock")->click();
        QCOMPARE(w.tabs->currentIndex(), 2);
        QVERIFY(w.find<QLabel>("lblWebTV")
                    ->text()
                    .startsWith(QStringLiteral("NOTE:  Upstream WebTV can be blocked")));
    }

    void articleDefaults()
    {
        Window w;
        auto *list = w.find<QPlainTextEdit>("txtArticleList");
        list->setPlainText(QStringLiteral("Weather"));
        w.list("cmbRemoveArticle")->addItems({"Weather", "News"});
        w.option("oInsertArticles", 3)->setChecked(true);
        w.box("txtInsArticleRepeat")->setText(QStringLiteral("12"));
        w.view->SetDefaults({});
        QCOMPARE(list->toPlainText(), QString());
        QCOMPARE(w.list("cmbRemoveArticle")->count(), 0);
        QVERIFY(w.option("oInsertArticles", 0)->isChecked());
        QCOMPARE(w.box("txtInsArticleRepeat")->text(), QStringLiteral("1"));
        QVERIFY(list->font().fixedPitch() || list->font().styleHint() == QFont::Monospace);
    }

    void articleListTakesTyping()
    {
        Window w;
        QVERIFY(w.show());
        w.tabs->setCurrentIndex(4);
        auto *list = w.find<QPlainTextEdit>("txtArticleList");
        list->setPlainText(QStringLiteral("Weather"));
        list->setFocus();
        list->moveCursor(QTextCursor::End);
        QTest::keyClicks(list, QStringLiteral(" kept"));
        QCOMPARE(list->toPlainText(), QStringLiteral("Weather kept"));
        QCOMPARE(list->font().family(), QStringLiteral("Courier New"));
    }

    void continuousLoop()
    {
        Window w;
        auto *infinite = w.find<QCheckBox>("chCCLpInfiniteTime");
        QList<QComboBox *> lists;
        for (int i = 0; i < 3; ++i)
            lists << w.list(QStringLiteral("cmbCCLoopingTime_%1").arg(i));
        QCOMPARE(lists[0]->count(), 24);
        QCOMPARE(lists[2]->itemText(59), QStringLiteral("59"));
        infinite->setChecked(true);
        for (QComboBox *list : lists)
            QVERIFY(!list->isEnabled());
        infinite->setChecked(false);
        for (QComboBox *list : lists)
            QVERIFY(list->isEnabled());

        // A reset puts the times and the loop labels back and keeps "Continuous Loop".
        infinite->setChecked(true);
        lists[1]->setCurrentIndex(5);
        w.find<QLabel>("lblCCLpTimeLeft")->setText(QStringLiteral("00:00:04"));
        w.find<QLabel>("lblCCLpLineDelay")->setText(QStringLiteral("3"));
        w.find<QLabel>("lblCCLpCurFileName")->setToolTip(QStringLiteral("loop.txt"));
        w.find<QPushButton>("cmdCCLpLoopControl_0")->setEnabled(false);
        w.view->SetDefaults({});
        QVERIFY(infinite->isChecked());
        QCOMPARE(lists[1]->currentIndex(), 0);
        QCOMPARE(w.find<QLabel>("lblCCLpTimeLeft")->text(), QStringLiteral("N/A"));
        QCOMPARE(w.find<QLabel>("lblCCLpLineDelay")->text(), QString());
        QCOMPARE(w.find<QLabel>("lblCCLpCurFileName")->toolTip(), QString());
        QVERIFY(w.find<QPushButton>("cmdCCLpLoopControl_0")->isEnabled());
        QVERIFY(!w.find<QPushButton>("cmdCCLpLoopControl_1")->isEnabled());
        QCOMPARE(w.find<QLabel>("lblCCLpCurFilePath")->textFormat(), Qt::PlainText);
    }
};

QTEST_MAIN(tst_WebTvArticlesRules)
#include "tst_webtv_articles_rules.moc"
