#include "ScriptedDialogs.h"
#include "TabsWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QtTest>

// The Plant Options and program-name field rules, and the names, captions and keyboard order of
// every tab's controls, driven through the real tab widgets.
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
    void tabs()
    {
        TabsWindow w;
        QStringList captions, names;
        for (int i = 0; i < w.tabs->count(); ++i) {
            captions << w.tabs->tabText(i);
            names << w.tabs->widget(i)->objectName();
        }
        QCOMPARE(captions, (QStringList{"Plant Options", "V-Chip", " Caption Channels", "Web TV",
                                        "Articles", "CC Looping", "CGMS Insertion"}));
        QCOMPARE(names, TabsWindow::members("fBorder", 7));
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
        TabsWindow w(daylight);
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
        ScriptedDialogs dialogs;
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
        row("network name long enough", "NetworkName", " AB ", "AB", "");
        row("two call letters", "CallLetters", "AB", "AB", calls);
        row("three call letters", "CallLetters", "ABC ", "ABC", "");
        row("empty program name", "ProgramName", "  ", "", program);
        row("program name", "ProgramName", "News", "News", "");
        row("empty TSID", "TSID", "", "", tsid);
        row("TSID 65536", "TSID", "65536", "65536", tsid);
        row("TSID 0", "TSID", "0", "0", tsid);
        row("TSID 65535", "TSID", "65535", "65535", "");
        row("TSID 1", "TSID", "1", "1", "");
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
            TabsWindow w;
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
        ScriptedDialogs dialogs;
        TabsWindow w;
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
        TabsWindow w;
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

    void timeOfDayAndClockSync()
    {
        TabsWindow w;
        const QStringList timeOfDay = TabsWindow::members("oTimeOfDay", 3);
        w.check("chCtrlTimeOfDay")->setChecked(true);
        QCOMPARE(w.enabledOf(timeOfDay), timeOfDay);
        w.check("chCtrlTimeOfDay")->setChecked(false);
        QCOMPARE(w.enabledOf(timeOfDay), QStringList());

        const QStringList clock = clockLabels + QStringList{"chDSInEffect", "chDSObserved"};
        w.check("chDSInEffect")->setChecked(true);
        w.check("chSyncClock")->setChecked(true);
        QCOMPARE(w.enabledOf(clock), clock);
        w.check("chSyncClock")->setChecked(false);
        QCOMPARE(w.enabledOf(clock), QStringList());
        QVERIFY(w.check("chDSInEffect")->isChecked()); // greyed boxes keep their values
    }

    // Each control sits on its tab under its own name, with its caption (its text, or the text
    // of the label that names it) and length limit.
    void controlsOnTheirTabs_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("caption"); // null: not checked
        QTest::addColumn<int>("maxLength");   // -1: no limit; 0: not a text box
        // Per tab: "names=caption#limit"; several blank-separated names share a caption,
        // "a|b|.." are the captions of the members name_0, name_1, .., "?" is not checked and
        // a missing "#limit" means no text box (#-1: no limit).
        const QString actions = QStringLiteral("Insert|Block Upstream|Pass Upstream");
        const QString update = QStringLiteral("Update when Sending Configuation");
        const QStringList pages[] = {
            {"chCtrlNetworkName chCtrlCallLetters chCtrlTSID chCtrlTimeOfDay chCtrlTimeZone="
             "Enable Control",
             "oNetworkName oCallLetters oTSID oTimeOfDay oTimezone=" + actions,
             "txtNetworkName=Network Name:#32", "txtCallLetters=Call Letters:#6",
             "txtTSID=TSID (1 - 65535):#-1",
             "fControl_0 fControl_1 fControl_2 fControl_3 fControl_4=?",
             "fEncoderClockSetup=Encoder Clock Set-up",
             "chSyncClock=Sync Encoder with PC Date and Time",
             "chDSInEffect=Daylight Saving is in Effect: ",
             "chDSObserved=Daylight Saving is Observed: ", "lblLocalTime_0=Local Time:",
             "lblLocalTime_1=LOCAL TIME",
             "lblLocalDate_0=Local Date:", "lblLocalTimezone_0=Local Timezone:"},
            {"chCtrlProgramName chCtrlProgramRating=Enable Control",
             "oProgramName oProgramRating=" + actions, "txtProgramName=Program Name:#32",
             "fControl_5=?", "fProgramRating=Program Rating", "cmbProgRatingSys=Rating System:",
             "cmbProgramRating=Rating:", "lblProgramRatingFlags=FV     V     S      L      D"},
            {"fCaptions=Test Captions/Text",
             "lblCaptionChannel=Channel:", "oSendCaptions=CC1|CC2|CC3|CC4|T1|T2|T3|T4",
             "txtSendCaptions=?#32", "cmdSendCaptions=Send", "fDecoder=Decoder Settings",
             "oDecoderSettings=CC1|CC2|CC3|CC4|T1|T2|T3|T4|XDS|V-Chip|Off",
             "chDecoderSend chBlockingSend=" + update, "cmdDecoderSettings=Send Decoder Settings",
             "fBlocking=Block Upstream Channels",
             "chBlockingSettings=CC1|CC2|CC3|CC4|XDS|T1|T2|T3|T4",
             "cmdBlockingSettings=Send Block Settings"},
            {"chCtrlWebTV=Enable Control", "oWebTV=Insert|Pass Upstream", "txtWebURL=URL:#-1",
             "txtWebDescription=Description (20 Char. Max):#20",
             "txtWebScript=Script Trigger (50 Char. Max):#50",
             "txtWebRepeat=Repeat Count (1 - 9999):#20",
             "cmbWebExpiryYear=Year:", "cmbWebExpiryMonth=Month:", "cmbWebExpiryDay=Day:",
             "lblWebTV=NOTE:  Upstream WebTV can be blocked by blocking Text Channel 2.  This can "
             "be done in the 'Caption Channels' Tab under 'Blocking Settings'",
             "cmdWebTVBlock=Jump to 'Caption Channels'"},
            {"cmdRefreshArticles=Refresh Article List", "txtArticleList=?#-1",
             "fInsertArticle=Insert Article", "oInsertArticles=T1|T2|T3|T4",
             "txtInsArticleRepeat=Repeat (1 - 9999):#20",
             "lblContinuousLoop=Note: '9999' will result in a Continuous Loop",
             "cmdInsArticle=Load", "fRemoveArticle=Remove Article", "cmbRemoveArticle=?",
             "cmdRemoveArticle=Remove"},
            {"cmdCCLpBrowse=Browse", "cmdCCLpViewFile=View Contents",
             "cmdCCLpReloadFile=Reload File",
             "lblCCLpCurFilePath lblCCLpCurFileName lblCCLoopingLastSent=",
             "cmbCCLoopingTime=Hours:|Minutes:|Seconds:", "chCCLpInfiniteTime=Continuous Loop",
             "cmdCCLpLoopControl=Start Looping|Stop Looping", "lblCCLpTimeLeft=N/A"},
            {"chCtrlCGMS=Enable Control", "oCGMS=" + actions,
             "cmbCGMS=Copy-Guard Management System:", "cmbCGMSOptions=CGMS Options:",
             "oCGMSASB=Off|On"}};
        for (int tab = 0; tab < 7; ++tab) {
            for (const QString &entry : pages[tab]) {
                const QString names = entry.section(QLatin1Char('='), 0, 0);
                const QString rest = entry.section(QLatin1Char('='), 1);
                const int limit =
                    rest.contains(QLatin1Char('#')) ? rest.section(QLatin1Char('#'), 1).toInt() : 0;
                const QStringList captions = rest.section(QLatin1Char('#'), 0, 0).split('|');
                for (const QString &name : names.split(QLatin1Char(' '))) {
                    for (int i = 0; i < captions.size(); ++i) {
                        const QString member =
                            captions.size() == 1 ? name : QStringLiteral("%1_%2").arg(name).arg(i);
                        const QString caption = captions[i] == "?" ? QString() : captions[i];
                        QTest::newRow(qPrintable(member)) << member << tab << caption << limit;
                    }
                }
            }
        }
    }
    void controlsOnTheirTabs()
    {
        QFETCH(QString, name);
        QFETCH(int, tab);
        QFETCH(QString, caption);
        QFETCH(int, maxLength);
        TabsWindow w;
        const QList<QWidget *> found = w.top.findChildren<QWidget *>(name);
        QCOMPARE(found.size(), 1);
        QWidget *control = found.first();
        QVERIFY(w.tabs->widget(tab)->isAncestorOf(control));

        if (!caption.isNull())
            QCOMPARE(captionOf(control), caption);
        if (auto *line = qobject_cast<QLineEdit *>(control))
            QCOMPARE(line->maxLength(), maxLength < 0 ? 32767 : maxLength);
        else if (auto *plain = qobject_cast<QPlainTextEdit *>(control)) {
            plain->setPlainText(QString(100, QLatin1Char('x')));
            QCOMPARE(plain->toPlainText().length(), maxLength < 0 ? 100 : maxLength);
        } else
            QCOMPARE(maxLength, 0);
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
