#include "ScriptedDialogs.h"
#include "ui/ConfigurationView.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
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

    // Each control of the configuration sits on its tab under its own name, with its caption
    // (its text, or the text of the label that names it), length limit and list entries.
    void controlsOnTheirTabs_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("maxLength"); // -1: no limit; 0: not a text box
        QTest::addColumn<QStringList>("entries");
        auto row = [](const QString &name, int tab, const QString &caption, int maxLength = 0,
                      const QStringList &entries = {}) {
            QTest::newRow(qPrintable(name)) << name << tab << caption << maxLength << entries;
        };
        auto group = [&row](const QString &name, int tab, const QStringList &captions) {
            for (int i = 0; i < captions.size(); ++i)
                row(QStringLiteral("%1_%2").arg(name).arg(i), tab, captions[i]);
        };
        const QStringList actions = {"Insert", "Block Upstream", "Pass Upstream"};
        const QStringList channels = {"CC1", "CC2", "CC3", "CC4", "T1", "T2", "T3", "T4"};
        const QString updateWhenSending = QStringLiteral("Update when Sending Configuation");
        QStringList hours, minutes;
        for (int i = 0; i < 60; ++i)
            (i < 24 ? hours : minutes) << QString::asprintf("%02d", i);
        minutes = hours + minutes;

        for (const char *check : {"chCtrlNetworkName", "chCtrlCallLetters", "chCtrlTSID",
                                  "chCtrlTimeOfDay", "chCtrlTimeZone"})
            row(check, 0, "Enable Control");
        for (const char *name :
             {"oNetworkName", "oCallLetters", "oTSID", "oTimeOfDay", "oTimezone"})
            group(name, 0, actions);
        row("txtNetworkName", 0, "Network Name:", 32);
        row("txtCallLetters", 0, "Call Letters:", 6);
        row("txtTSID", 0, "TSID (1 - 65535):", -1);
        row("oTimeOfDay_0", 0, "Insert");
        row("fEncoderClockSetup", 0, "Encoder Clock Set-up");
        row("chSyncClock", 0, "Sync Encoder with PC Date and Time");
        row("chDSInEffect", 0, "Daylight Saving is in Effect: ");
        row("chDSObserved", 0, "Daylight Saving is Observed: ");
        row("lblLocalTime_0", 0, "Local Time:");
        row("lblLocalDate_0", 0, "Local Date:");
        row("lblLocalTimezone_0", 0, "Local Timezone:");

        row("chCtrlProgramName", 1, "Enable Control");
        group("oProgramName", 1, actions);
        row("txtProgramName", 1, "Program Name:", 32);
        row("fProgramRating", 1, "Program Rating");
        row("chCtrlProgramRating", 1, "Enable Control");
        group("oProgramRating", 1, actions);
        row("cmbProgRatingSys", 1, "Rating System:", 0, {"MPA", "US-TV", "CDN-E", "CDN-Fr"});
        row("cmbProgramRating", 1, "Rating:", 0,
            {"None", "TV-Y", "TV-Y7", "TV-G", "TV-PG", "TV-14", "TV-MA"});
        row("lblProgramRatingFlags", 1, "FV     V     S      L      D");

        row("fCaptions", 2, "Test Captions/Text");
        row("lblCaptionChannel", 2, "Channel:");
        group("oSendCaptions", 2, channels);
        row("txtSendCaptions", 2, QString(), 32);
        row("cmdSendCaptions", 2, "Send");
        row("fDecoder", 2, "Decoder Settings");
        group("oDecoderSettings", 2, channels + QStringList{"XDS", "V-Chip", "Off"});
        row("chDecoderSend", 2, updateWhenSending);
        row("cmdDecoderSettings", 2, "Send Decoder Settings");
        row("fBlocking", 2, "Block Upstream Channels");
        group("chBlockingSettings", 2, {"CC1", "CC2", "CC3", "CC4", "XDS", "T1", "T2", "T3", "T4"});
        row("chBlockingSend", 2, updateWhenSending);
        row("cmdBlockingSettings", 2, "Send Block Settings");

        row("chCtrlWebTV", 3, "Enable Control");
        group("oWebTV", 3, {"Insert", "Pass Upstream"});
        row("txtWebURL", 3, "URL:", -1);
        row("txtWebDescription", 3, "Description (20 Char. Max):", 20);
        row("txtWebScript", 3, "Script Trigger (50 Char. Max):", 50);
        row("txtWebRepeat", 3, "Repeat Count (1 - 9999):", 20);
        row("cmbWebExpiryYear", 3, "Year:");
        row("cmbWebExpiryMonth", 3, "Month:", 0, {""});
        row("cmbWebExpiryDay", 3, "Day:", 0, {""});
        row("lblWebTV", 3,
            "NOTE:  Upstream WebTV can be blocked by blocking Text Channel 2.  This can be done in "
            "the 'Caption Channels' Tab under 'Blocking Settings'");
        row("cmdWebTVBlock", 3, "Jump to 'Caption Channels'");

        row("cmdRefreshArticles", 4, "Refresh Article List");
        row("fInsertArticle", 4, "Insert Article");
        group("oInsertArticles", 4, {"T1", "T2", "T3", "T4"});
        row("txtInsArticleRepeat", 4, "Repeat (1 - 9999):", 20);
        row("lblContinuousLoop", 4, "Note: '9999' will result in a Continuous Loop");
        row("cmdInsArticle", 4, "Load");
        row("fRemoveArticle", 4, "Remove Article");
        row("cmbRemoveArticle", 4, QString());
        row("cmdRemoveArticle", 4, "Remove");

        row("cmdCCLpBrowse", 5, "Browse");
        row("cmdCCLpViewFile", 5, "View Contents");
        row("cmdCCLpReloadFile", 5, "Reload File");
        row("lblCCLpCurFilePath", 5, "");
        row("lblCCLpCurFileName", 5, "");
        row("cmbCCLoopingTime_0", 5, "Hours:", 0, hours);
        row("cmbCCLoopingTime_1", 5, "Minutes:", 0, minutes);
        row("cmbCCLoopingTime_2", 5, "Seconds:", 0, minutes);
        row("chCCLpInfiniteTime", 5, "Continuous Loop");
        row("cmdCCLpLoopControl_0", 5, "Start Looping");
        row("cmdCCLpLoopControl_1", 5, "Stop Looping");
        row("lblCCLoopingLastSent", 5, "");
        row("lblCCLpTimeLeft", 5, "N/A");

        row("chCtrlCGMS", 6, "Enable Control");
        group("oCGMS", 6, actions);
        row("cmbCGMS", 6, "Copy-Guard Management System:", 0,
            {"Copying Permitted without Restriction", "One Generation of Copies may be made",
             "No Copying is Permitted"});
        row("cmbCGMSOptions", 6, "CGMS Options:", 0,
            {"Not Applicable", "No APS", "PSP On; Split Burst Off", "PSP On; 2 line Split Burst On",
             "PSP On; 4 line Split Burst On"});
        group("oCGMSASB", 6, {"Off", "On"});
    }
    void controlsOnTheirTabs()
    {
        QFETCH(QString, name);
        QFETCH(int, tab);
        QFETCH(QString, caption);
        QFETCH(int, maxLength);
        QFETCH(QStringList, entries);
        Window w;
        const QList<QWidget *> found = w.top.findChildren<QWidget *>(name);
        QCOMPARE(found.size(), 1);
        QWidget *control = found.first();
        QVERIFY(w.tabs->widget(tab)->isAncestorOf(control));

        QString shown;
        if (auto *button = qobject_cast<QAbstractButton *>(control))
            shown = button->text();
        else if (auto *label = qobject_cast<QLabel *>(control))
            shown = label->text();
        else if (auto *frame = qobject_cast<QGroupBox *>(control))
            shown = frame->title();
        else
            for (QLabel *label : w.top.findChildren<QLabel *>())
                if (label->buddy() == control && shown.isEmpty())
                    shown = label->text();
        if (!caption.isNull())
            QCOMPARE(shown, caption);

        if (auto *line = qobject_cast<QLineEdit *>(control))
            QCOMPARE(line->maxLength(), maxLength < 0 ? 32767 : maxLength);
        else if (auto *plain = qobject_cast<QPlainTextEdit *>(control)) {
            plain->setPlainText(QString(100, QLatin1Char('x')));
            QCOMPARE(plain->toPlainText().length(), maxLength);
        } else
            QCOMPARE(maxLength, 0);

        if (auto *list = qobject_cast<QComboBox *>(control)) {
            if (!entries.isEmpty()) {
                QStringList items;
                for (int i = 0; i < list->count(); ++i)
                    items << list->itemText(i);
                QCOMPARE(items, entries);
            }
        }
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
