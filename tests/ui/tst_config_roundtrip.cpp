#include "FixedClock.h"
#include "ScriptedDialogs.h"
#include "TestSettings.h"
#include "config/ConfigCodec.h"
#include "config/ConfigFields.h"
#include "ui/ChangeTracker.h"
#include "ui/ConfigFileController.h"
#include "ui/ConfigurationBinder.h"
#include "ui/frmMainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextDocumentFragment>
#include <QToolTip>
#include <QtTest>

Q_DECLARE_METATYPE(Configuration)

namespace {

// What every named control of the window shows: its tracked value, its enabled state and,
// for labels, the tool tip that holds a caption loop file's full folder and name.
QMap<QString, QVariant> picture(QWidget *window)
{
    QMap<QString, QVariant> values;
    for (QWidget *control : window->findChildren<QWidget *>()) {
        const QString name = control->objectName();
        const QVariant value = ChangeTracker::trackedValue(control);
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) || !value.isValid())
            continue;
        values.insert(name, value);
        values.insert(name + QStringLiteral(".enabled"), control->isEnabled());
        if (qobject_cast<QLabel *>(control))
            values.insert(name + QStringLiteral(".toolTip"), control->toolTip());
    }
    return values;
}

struct Window
{
    QWidget *w;

    template <typename T> T *find(const QString &name) const
    {
        T *control = w->findChild<T *>(name);
        if (!control)
            qWarning("no control %s", qPrintable(name));
        return control;
    }
    void text(const QString &name, const QString &value) const
    {
        if (auto *plain = w->findChild<QPlainTextEdit *>(name))
            plain->setPlainText(value);
        else
            find<QLineEdit>(name)->setText(value);
    }
    void check(const QString &name, bool value) const { find<QCheckBox>(name)->setChecked(value); }
    void option(const QString &group, int member) const
    {
        find<QRadioButton>(group + QStringLiteral("_%1").arg(member))->setChecked(true);
    }
    void list(const QString &name, int index) const
    {
        find<QComboBox>(name)->setCurrentIndex(index);
    }
    void label(const QString &name, const QString &caption, const QString &toolTip) const
    {
        find<QLabel>(name)->setText(caption);
        find<QLabel>(name)->setToolTip(toolTip);
    }
};

} // namespace

class tst_ConfigRoundTrip : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void everyControlSurvivesSaveNewOpen_data();
    void everyControlSurvivesSaveNewOpen();
    void captionLoopFileReadsAsNamed_data();
    void captionLoopFileReadsAsNamed();

private:
    std::unique_ptr<QTemporaryDir> m_temp;
    FixedClock *m_clock = nullptr;
    ScriptedDialogs *m_dialogs = nullptr;
    frmMainWindow *m_window = nullptr;
};

void tst_ConfigRoundTrip::init()
{
    TestSettings::wipe();
    m_temp = std::make_unique<QTemporaryDir>();
    m_clock = new FixedClock(QDateTime(QDate(2026, 6, 15), QTime(10, 0)));
    m_dialogs = new ScriptedDialogs;
    m_window = new frmMainWindow(DefaultInfo{"NBC", "WNBC", "4660"});
    m_window->files()->TrackChanges(true);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
}

void tst_ConfigRoundTrip::cleanup()
{
    delete m_window;
    delete m_dialogs;
    delete m_clock;
}

void tst_ConfigRoundTrip::everyControlSurvivesSaveNewOpen_data()
{
    QTest::addColumn<int>("ratingSystem");
    QTest::addColumn<int>("rating");
    QTest::addColumn<QVector<int>>("flags");
    QTest::addColumn<QString>("loopFolder");
    QTest::addColumn<QString>("loopFolderCaption");

    QTest::newRow("US-TV rating with flags")
        << 1 << 4 << QVector<int>{0, 1, 0, 1, 1} << QStringLiteral("/data/captions/")
        << QStringLiteral("/data/captions/");
    const QString longFolder = QStringLiteral("/srv/station/closed-captions/loops/evening/");
    QTest::newRow("Canadian French rating, long loop folder")
        << 3 << 4 << QVector<int>(5, 0) << longFolder << longFolder.left(37) + "...";
}

void tst_ConfigRoundTrip::everyControlSurvivesSaveNewOpen()
{
    QFETCH(int, ratingSystem);
    QFETCH(int, rating);
    QFETCH(QVector<int>, flags);
    QFETCH(QString, loopFolder);
    QFETCH(QString, loopFolderCaption);
    const Window w{m_window};
    const QVariantMap defaults = picture(m_window);

    // Every configuration control away from its default, as an operator would set them: the
    // texts first, so that no box is left empty while the focus moves on.
    w.text("txtNetworkName", "ABCD");
    w.text("txtCallLetters", "KABC");
    w.text("txtTSID", "1234");
    w.text("txtProgramName", "Evening News");
    w.text("txtSendCaptions", "Test caption");
    w.text("txtWebURL", "http://example.org/");
    w.text("txtWebDescription", "Example");
    w.text("txtWebScript", "go()");
    w.text("txtWebRepeat", "12");
    w.text("txtInsArticleRepeat", "250");
    for (const char *packet : {"NetworkName", "CallLetters", "TSID", "TimeOfDay", "TimeZone",
                               "ProgramName", "ProgramRating", "WebTV", "CGMS"})
        w.check(QStringLiteral("chCtrl") + QLatin1String(packet), true);
    w.option("oNetworkName", 0);
    w.option("oCallLetters", 1);
    w.option("oTSID", 0);
    w.option("oTimeOfDay", 1);
    w.option("oTimezone", 0);
    w.option("oProgramName", 0);
    w.option("oProgramRating", 0);
    w.option("oWebTV", 0);
    w.option("oCGMS", 0);
    w.check("chSyncClock", true);
    w.check("chDSObserved", false);
    w.check("chDSInEffect", !w.find<QCheckBox>("chDSInEffect")->isChecked());

    w.list("cmbProgRatingSys", ratingSystem);
    w.list("cmbProgramRating", rating);
    for (int i = 0; i < flags.size(); ++i) {
        if (flags[i])
            w.check(QStringLiteral("chProgramRatingFlags_%1").arg(i), true);
    }

    w.option("oSendCaptions", 6);
    w.option("oDecoderSettings", 9);
    w.check("chDecoderSend", true);
    w.check("chBlockingSend", true);
    for (int i : {0, 2, 4, 6, 8})
        w.check(QStringLiteral("chBlockingSettings_%1").arg(i), true);

    w.list("cmbWebExpiryYear", 2);  // 2027
    w.list("cmbWebExpiryMonth", 3); // March
    w.list("cmbWebExpiryDay", 5);   // the 5th

    w.option("oInsertArticles", 3);

    w.list("cmbCCLoopingTime_0", 23);
    w.list("cmbCCLoopingTime_1", 59);
    w.list("cmbCCLoopingTime_2", 58);
    w.check("chCCLpInfiniteTime", true);
    w.label("lblCCLpCurFilePath", loopFolderCaption, loopFolder);
    w.label("lblCCLpCurFileName", "loop.txt", "loop.txt");

    w.list("cmbCGMS", 2);
    w.list("cmbCGMSOptions", 3);
    w.option("oCGMSASB", 1);

    QCOMPARE(m_dialogs->texts(), QStringList());
    const QVariantMap edited = picture(m_window);
    const Configuration editedValues = ConfigurationBinder::read(m_window);
    QCOMPARE(editedValues.cmbProgramRating, rating);
    QCOMPARE(editedValues.chProgramRatingFlags, flags);
    QCOMPARE(editedValues.captionLoopFile, loopFolder + "loop.txt");
    QCOMPARE(editedValues.webExpiryYearValue, 2027);
    QCOMPARE(editedValues.webExpiryDayValue, 5);
    // Everything the file holds differs from the defaults (the caption loop time lists and the
    // infinite-loop box are the only controls compared through their values alone).
    for (const ConfigField &field : ConfigFields::all()) {
        const QString name = QLatin1String(field.name);
        const bool member = field.kind == ConfigFieldKind::OptionGroup ||
                            field.kind == ConfigFieldKind::CheckArray ||
                            field.kind == ConfigFieldKind::ListArray;
        if (!member && defaults.contains(name) && field.entry != 37 && field.entry != 12)
            QVERIFY2(defaults[name] != edited[name], field.name);
    }

    const QString file = m_temp->filePath(QStringLiteral("roundtrip.qcf"));
    m_dialogs->savePaths = {file};
    m_window->files()->mnuSaveFileAs_Click();
    QCOMPARE(m_dialogs->texts(), QStringList());
    QCOMPARE(m_window->CurrentConfigFile, file);

    m_window->files()->mnuNew_Click();
    QCOMPARE(m_dialogs->texts(), QStringList());
    QVERIFY(ConfigurationBinder::read(m_window) != editedValues);
    QVERIFY(picture(m_window) != edited);

    m_dialogs->openPaths = {file};
    m_window->files()->mnuOpenFile_Click();
    QCOMPARE(m_dialogs->texts(), QStringList());
    QCOMPARE(m_window->CurrentConfigFile, file);

    const QVariantMap reloaded = picture(m_window);
    for (auto it = edited.cbegin(); it != edited.cend(); ++it)
        QVERIFY2(reloaded.value(it.key()) == it.value(),
                 qPrintable(QStringLiteral("%1: saved %2, reloaded %3")
                                .arg(it.key(), it.value().toString(),
                                     reloaded.value(it.key()).toString())));
    QCOMPARE(reloaded.keys(), edited.keys());
    QVERIFY(ConfigurationBinder::read(m_window) == editedValues);
    QCOMPARE(QApplication::focusWidget(), w.find<QWidget>("cmdConnect"));
    QVERIFY(!m_window->files()->TrackChanges(false));
}

void tst_ConfigRoundTrip::captionLoopFileReadsAsNamed_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::newRow("markup in the folder") << "/data/<b>bold</b>/"
                                          << "loop.txt";
    QTest::newRow("markup in the name") << "/data/"
                                        << "<i>x.txt";
    QTest::newRow("an entity") << "/data/a&amp;b/"
                               << "loop.txt";
    QTest::newRow("plain") << "/data/captions/"
                           << "loop.txt";
}

// The caption loop file comes from the configuration file: its folder and name appear in the
// labels' captions and tips exactly as stored, never interpreted as markup.
void tst_ConfigRoundTrip::captionLoopFileReadsAsNamed()
{
    QFETCH(QString, folder);
    QFETCH(QString, name);
    Configuration stored = ConfigurationBinder::read(m_window);
    stored.captionLoopFile = folder + name;
    const QString file = m_temp->filePath(QStringLiteral("loop.qcf"));
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(ConfigCodec::encode(stored).bytes);
    out.close();

    m_dialogs->openPaths = {file};
    m_window->files()->mnuOpenFile_Click();
    QCOMPARE(m_dialogs->texts(), QStringList());

    const Window w{m_window};
    const QList<QPair<QString, QString>> labels = {{"lblCCLpCurFilePath", folder},
                                                   {"lblCCLpCurFileName", name}};
    for (const auto &[labelName, expected] : labels) {
        auto *label = w.find<QLabel>(labelName);
        QCOMPARE(label->text(), expected);
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QCOMPARE(label->toolTip(), expected);

        const QPoint inside(2, 2);
        QHelpEvent help(QEvent::ToolTip, inside, label->mapToGlobal(inside));
        QApplication::sendEvent(label, &help);
        QTRY_VERIFY(QToolTip::isVisible());
        // What the tip shows, read the way Qt reads a tip.
        const QString tip = QToolTip::text();
        const QString shown =
            Qt::mightBeRichText(tip) ? QTextDocumentFragment::fromHtml(tip).toPlainText() : tip;
        QCOMPARE(shown, expected);
        QToolTip::hideText();
    }
}

QTEST_MAIN(tst_ConfigRoundTrip)
#include "tst_config_roundtrip.moc"
