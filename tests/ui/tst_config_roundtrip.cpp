#include "FixedClock.h"
#include "FullConfiguration.h"
#include "ScriptedDialogs.h"
#include "TestSettings.h"
#include "config/ConfigCodec.h"
#include "config/ConfigFields.h"
#include "ui/ChangeTracker.h"
#include "ui/ConfigFileController.h"
#include "ui/ConfigurationBinder.h"
#include "ui/frmMainWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
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

} // namespace

class tst_ConfigRoundTrip : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { delete m_window; }
    void everyControlSurvivesSaveNewOpen_data();
    void everyControlSurvivesSaveNewOpen();
    void captionLoopFileReadsAsNamed_data();
    void captionLoopFileReadsAsNamed();
    void loadEnablesAsClicksDo_data();
    void loadEnablesAsClicksDo();

private:
    std::unique_ptr<QTemporaryDir> m_temp;
    FixedClock m_clock{QDateTime(QDate(2026, 6, 15), QTime(10, 0))};
    ScriptedDialogs m_dialogs;
    frmMainWindow *m_window = nullptr;

    void open(const QString &file)
    {
        m_dialogs.openPaths = {file};
        m_window->files()->mnuOpenFile_Click();
        QCOMPARE(m_dialogs.texts(), QStringList());
        QCOMPARE(m_window->CurrentConfigFile, file);
    }
};

void tst_ConfigRoundTrip::init()
{
    TestSettings::wipe();
    m_dialogs.clear();
    m_temp = std::make_unique<QTemporaryDir>();
    m_window = new frmMainWindow(DefaultInfo{"NBC", "WNBC", "4660"});
    m_window->files()->TrackChanges(true);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
}

void tst_ConfigRoundTrip::everyControlSurvivesSaveNewOpen_data()
{
    QTest::addColumn<int>("ratingSystem");
    QTest::addColumn<int>("rating");
    QTest::addColumn<QString>("loopFolder");
    QTest::newRow("US-TV rating with flags") << 1 << 4 << QStringLiteral("/data/captions/");
    QTest::newRow("Canadian French rating, long loop folder")
        << 3 << 4 << QStringLiteral("/srv/station/closed-captions/loops/evening/");
}

// Every configuration control away from its default goes through Save As, New and Open and
// comes back as it was, down to its enabled state and the loop file labels' tips.
void tst_ConfigRoundTrip::everyControlSurvivesSaveNewOpen()
{
    QFETCH(int, ratingSystem);
    QFETCH(int, rating);
    QFETCH(QString, loopFolder);
    const QVariantMap defaults = picture(m_window);
    Configuration full = fullConfiguration();
    full.cmbProgRatingSys = ratingSystem;
    full.cmbProgramRating = rating;
    if (ratingSystem != 1)
        full.chProgramRatingFlags.fill(0); // only US-TV ratings carry flags
    full.captionLoopFile = loopFolder + "loop.txt";
    full.chDSInEffect = defaults.value("chDSInEffect").toInt() ? 0 : 1; // the default follows today
    ConfigurationBinder::apply(m_window, full);
    QVERIFY(ConfigurationBinder::read(m_window) == full);
    QCOMPARE(m_dialogs.texts(), QStringList());
    const QVariantMap edited = picture(m_window);
    QCOMPARE(edited.value("lblCCLpCurFilePath").toString(),
             loopFolder.size() > 40 ? loopFolder.left(37) + "..." : loopFolder);
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
    m_dialogs.savePaths = {file};
    m_window->files()->mnuSaveFileAs_Click();
    m_window->files()->mnuNew_Click();
    QCOMPARE(m_dialogs.texts(), QStringList());
    QVERIFY(picture(m_window) != edited);
    open(file);

    const QVariantMap reloaded = picture(m_window);
    for (auto it = edited.cbegin(); it != edited.cend(); ++it)
        QVERIFY2(reloaded.value(it.key()) == it.value(),
                 qPrintable(QStringLiteral("%1: saved %2, reloaded %3")
                                .arg(it.key(), it.value().toString(),
                                     reloaded.value(it.key()).toString())));
    QCOMPARE(reloaded.keys(), edited.keys());
    QVERIFY(ConfigurationBinder::read(m_window) == full);
    QCOMPARE(QApplication::focusWidget(), m_window->findChild<QWidget *>("cmdConnect"));
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
    QVERIFY(out.open(QIODevice::WriteOnly) && out.write(ConfigCodec::encode(stored).bytes) > 0);
    out.close();
    open(file);

    const QList<QPair<QString, QString>> labels = {{"lblCCLpCurFilePath", folder},
                                                   {"lblCCLpCurFileName", name}};
    for (const auto &[labelName, expected] : labels) {
        auto *label = m_window->findChild<QLabel *>(labelName);
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

void tst_ConfigRoundTrip::loadEnablesAsClicksDo_data()
{
    QTest::addColumn<QString>("check");
    QTest::addColumn<QString>("group");
    QTest::addColumn<int>("action");
    QTest::addColumn<bool>("ticked");
    const QStringList fields = {"NetworkName:NetworkName",
                                "CallLetters:CallLetters",
                                "TSID:TSID",
                                "TimeOfDay:TimeOfDay",
                                "TimeZone:Timezone",
                                "ProgramName:ProgramName",
                                "ProgramRating:ProgramRating",
                                "WebTV:WebTV",
                                "CGMS:CGMS"};
    const QStringList actions = {"insert", "block", "pass"};
    for (const QString &field : fields) {
        const QString check = "chCtrl" + field.section(':', 0, 0);
        const QString group = "o" + field.section(':', 1, 1);
        for (int action = 0; action < (group == "oWebTV" ? 2 : 3); ++action) {
            for (bool ticked : {true, false}) {
                const QString name = QStringLiteral("%1 %2%3").arg(
                    group, actions.at(group == "oWebTV" && action ? 2 : action),
                    ticked ? "" : ", box clear");
                QTest::newRow(qPrintable(name)) << check << group << action << ticked;
            }
        }
    }
}

// Every control's enabled state after a load equals what clicking the same values in gives:
// the box ticked, Insert, the lists chosen, then the action, then the box cleared.
void tst_ConfigRoundTrip::loadEnablesAsClicksDo()
{
    QFETCH(QString, check);
    QFETCH(QString, group);
    QFETCH(int, action);
    QFETCH(bool, ticked);
    const auto find = [this](const QString &name) {
        auto *control = m_window->findChild<QAbstractButton *>(name);
        return control;
    };
    const auto enabledStates = [this] {
        QMap<QString, QVariant> states = picture(m_window);
        for (auto it = states.begin(); it != states.end();) {
            it = it.key().endsWith(".enabled") ? std::next(it) : states.erase(it);
        }
        return states;
    };
    m_window->findChild<QLineEdit *>("txtProgramName")->setText("News");
    find(check)->setChecked(true);
    find(group + "_0")->setChecked(true);
    if (group == "oProgramRating")
        m_window->findChild<QComboBox *>("cmbProgramRating")
            ->setCurrentIndex(4); // TV-PG: four flags
    if (group == "oCGMS")
        m_window->findChild<QComboBox *>("cmbCGMS")->setCurrentIndex(2);
    find(QStringLiteral("%1_%2").arg(group).arg(action))->setChecked(true);
    if (!ticked)
        find(check)->setChecked(false);
    const QMap<QString, QVariant> byHand = enabledStates();

    const QString file = m_temp->filePath("rules.qcf");
    m_dialogs.savePaths = {file};
    m_window->files()->mnuSaveFileAs_Click();
    m_window->files()->mnuNew_Click();
    m_dialogs.clear();
    open(file);
    QCOMPARE(enabledStates(), byHand);
}

QTEST_MAIN(tst_ConfigRoundTrip)
#include "tst_config_roundtrip.moc"
