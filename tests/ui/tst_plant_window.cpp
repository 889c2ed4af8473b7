#include "GoldenFiles.h"
#include "SimProcess.h"
#include "TabsWindow.h"

#include "core/session/EncoderList.h"
#include "core/session/TrafficLog.h"
#include "ui/ConfigFileController.h"
#include "ui/StartUp.h"
#include "ui/plant/EncoderEntryDialog.h"
#include "ui/plant/PlantTableModel.h"
#include "ui/plant/PlantWindow.h"

#include <QAccessible>
#include <QAction>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenuBar>
#include <QProcess>
#include <QProgressBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

// The plant window: the engine of quillcast-send behind a table of encoders.
class tst_PlantWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    const QString m_file = goldenFile("passed.qcf");

    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        return writeFile(path, bytes) ? path : QString();
    }
    static void trigger(PlantWindow *plant, const char *action)
    {
        auto *found = plant->findChild<QAction *>(QLatin1String(action));
        QVERIFY2(found && found->isEnabled(), action);
        found->trigger();
    }
    // A report without what differs from one run to the next.
    static QJsonArray withoutTimes(const QByteArray &report)
    {
        QJsonArray records;
        for (const QJsonValue &value : QJsonDocument::fromJson(report).array()) {
            QJsonObject record = value.toObject();
            record.remove(QStringLiteral("seconds"));
            records << record;
        }
        return records;
    }

private slots:
    void initTestCase() { TestSettings::wipe(); }

    // Three encoders, one silent, sent to through the window's actions: each state passes from
    // sending to programmed or to failed with its reason, the status bar counts them, and the
    // saved report is quillcast-send's for the same list.
    void sendToAll()
    {
        SimProcess first, second, silent;
        // 1200 baud lines: a send takes several ticks of the table.
        QVERIFY2(first.start({"--line-rate", "1200"}), qPrintable(first.errorString()));
        QVERIFY2(second.start({"--line-rate", "1200"}), qPrintable(second.errorString()));
        QVERIFY2(silent.start({"--silent"}), qPrintable(silent.errorString()));
        const QString list =
            write("plant.ini", "[studio-1]\ndevice=" + first.slavePath().toUtf8() +
                                   "\nconfiguration=" + m_file.toUtf8() +
                                   "\n[quiet one]\ndevice=" + silent.slavePath().toUtf8() +
                                   "\nconfiguration=" + m_file.toUtf8() +
                                   "\n[studio-3]\ndevice=" + second.slavePath().toUtf8() +
                                   "\nconfiguration=" + m_file.toUtf8() + "\n");
        TabsWindow w;
        w.top.openEncoderList(list);
        PlantWindow *plant = w.top.plantWindow();
        PlantTableModel *model = plant->model();
        QCOMPARE(model->rowCount(), 3);
        QList<QStringList> states(3);
        connect(model, &QAbstractItemModel::dataChanged, this,
                [&](const QModelIndex &first, const QModelIndex &last) {
                    for (int row = first.row(); row <= last.row(); ++row) {
                        if (states[row].value(states[row].size() - 1) != model->stateText(row))
                            states[row] << model->stateText(row);
                    }
                });

        trigger(plant, "actSendAll");
        QVERIFY(!plant->findChild<QAction *>("actSendAll")->isEnabled());
        QVERIFY(plant->findChild<QAction *>("actStop")->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(plant->progressText()->text(),
                                  QStringLiteral("2 of 3 encoders programmed, 1 failed"), 60000);
        QVERIFY(plant->findChild<QAction *>("actSendAll")->isEnabled());
        for (int row : {0, 2}) {
            QVERIFY2(states[row].filter(QRegularExpression("^sending \\d+ of \\d+$")).size() > 0,
                     qPrintable(states[row].join('|')));
            QCOMPARE(states[row].last(), QStringLiteral("programmed"));
            QVERIFY(!model->index(row, PlantTableModel::IdentificationColumn)
                         .data()
                         .toString()
                         .isEmpty());
        }
        QCOMPARE(states[1].last(), QStringLiteral("failed: did not answer in time"));
        // Not by colour alone: the text, a sign and a bold font.
        const QModelIndex failed = model->index(1, PlantTableModel::StateColumn);
        QVERIFY(failed.data(Qt::FontRole).value<QFont>().bold());
        QVERIFY(!failed.data(Qt::DecorationRole).value<QIcon>().isNull());
        QVERIFY(!model->index(0, 0).data(Qt::FontRole).isValid());
        QCOMPARE(model->index(1, PlantTableModel::ResultColumn).data().toString(),
                 QStringLiteral("the encoder did not answer in time"));
        const auto *bar = plant->findChild<QProgressBar *>("barPlantProgress");
        QCOMPARE(QAccessible::queryAccessibleInterface(const_cast<QProgressBar *>(bar))
                     ->text(QAccessible::Name),
                 plant->progressText()->text());

        const QString report = m_dir.filePath("window.json");
        w.dialogs.savePaths << report;
        trigger(plant, "actSaveReport");
        QProcess send;
        const QString sent = m_dir.filePath("send.json");
        send.start(QUILLCAST_TOOLS_DIR "/quillcast-send", {"--encoders", list, "--report", sent});
        QVERIFY(send.waitForFinished(60000));
        QCOMPARE(send.exitCode(), 4);
        QCOMPARE(withoutTimes(contentsOf(report)), withoutTimes(contentsOf(sent)));
        QCOMPARE(withoutTimes(contentsOf(report)).size(), 3);

        // The row's traffic is that encoder's alone.
        plant->table()->setCurrentIndex(plant->table()->model()->index(1, 0));
        trigger(plant, "actShowTraffic");
        auto *traffic = plant->findChild<QWidget *>("frmTrafficLog");
        QVERIFY(traffic && traffic->windowTitle().endsWith("quiet one"));
        QVERIFY(model->traffic(1)->text().contains("time-out"));
        QVERIFY(model->traffic(0)->rowCount() > 0 &&
                !model->traffic(0)->text().contains("time-out"));

        // Check asks the selected encoders to identify themselves, and sends nothing else.
        plant->table()->selectRow(0);
        plant->table()->selectionModel()->select(plant->table()->model()->index(1, 0),
                                                 QItemSelectionModel::Select |
                                                     QItemSelectionModel::Rows);
        trigger(plant, "actCheck");
        QTRY_VERIFY_WITH_TIMEOUT(plant->findChild<QAction *>("actCheck")->isEnabled(), 20000);
        QCOMPARE(model->stateText(0), QStringLiteral("answers"));
        QCOMPARE(model->stateText(1), QStringLiteral("failed: does not answer"));
        QCOMPARE(model->stateText(2), QStringLiteral("programmed"));
        QCOMPARE(plant->progressText()->text(),
                 QStringLiteral("1 of 2 encoders answered, 1 failed"));
    }

    // Stop starts nothing new and lets the command in flight finish: the encoders under way end
    // interrupted, short of their last command.
    void stopLetsCommandsInFlightFinish()
    {
        SimProcess encoder;
        QVERIFY2(encoder.start({"--line-rate", "1200"}), qPrintable(encoder.errorString()));
        const QString list =
            write("stop.ini", "[studio-1]\ndevice=" + encoder.slavePath().toUtf8() +
                                  "\nconfiguration=" + m_file.toUtf8() + "\n");
        TabsWindow w;
        w.top.openEncoderList(list);
        PlantWindow *plant = w.top.plantWindow();
        PlantTableModel *model = plant->model();
        trigger(plant, "actSendAll");
        QTRY_VERIFY_WITH_TIMEOUT(model->stateText(0).startsWith("sending 1 of"), 20000);
        trigger(plant, "actStop");
        QVERIFY(!plant->findChild<QAction *>("actStop")->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(plant->findChild<QAction *>("actSendAll")->isEnabled(), 20000);
        QCOMPARE(model->stateText(0), QStringLiteral("failed: interrupted"));
        QCOMPARE(plant->progressText()->text(),
                 QStringLiteral("0 of 1 encoders programmed, 1 failed"));
        QVERIFY(model->index(0, PlantTableModel::ResultColumn)
                    .data()
                    .toString()
                    .startsWith("interrupted after 2 of "));
    }

    // Entries added, edited and removed in the window, one with a name that needs escapes,
    // are saved and read back as they are; the list is opened again in a new window.
    void editedListReadsBack()
    {
        TabsWindow w;
        PlantWindow plant(&w.top);
        const QString list =
            write("edit.ini", "[a]\ndevice=/dev/ttyS7\n[b]\ndevice=tcp://127.0.0.1:4001\n");
        QVERIFY(plant.openList(list));
        EncoderEntryDialog dialog(plant.model()->entries());
        dialog.findChild<QLineEdit *>("txtEncoderName")->setText(" [x] #1; 50% \"y\"=z,");
        dialog.findChild<QComboBox *>("cmbEncoderDevice")->setEditText("rfc2217://127.0.0.1:2217");
        dialog.findChild<QComboBox *>("cmbEncoderBaud")->setCurrentText("9600");
        dialog.findChild<QComboBox *>("cmbEncoderParity")->setCurrentIndex(0);
        dialog.findChild<QLineEdit *>("txtEncoderConfiguration")->setText(m_file);
        QCOMPARE(dialog.check(), QString());
        plant.model()->addEntry(dialog.entry());
        EncoderList::Entry edited = plant.model()->entry(0);
        edited.device = "/dev/ttyS8";
        edited.line.dataBits = 8;
        edited.configuration = m_dir.filePath("late, news.qcf"); // quoted in the file
        plant.model()->setEntry(0, edited);
        plant.model()->removeEntry(1);
        const QString saved = m_dir.filePath("saved.ini");
        w.dialogs.savePaths << saved;
        trigger(&plant, "actSaveListAs");
        QVERIFY(!plant.isModified());
        // A configuration beside the list is shown by its name; the tip holds its whole path.
        const QModelIndex configuration =
            plant.model()->index(0, PlantTableModel::ConfigurationColumn);
        QCOMPARE(configuration.data().toString(), QStringLiteral("late, news.qcf"));
        QCOMPARE(configuration.data(Qt::ToolTipRole).toString(), edited.configuration);
        const EncoderList::Result back = EncoderList::read(saved, LineSettings(), QString(), false);
        QCOMPARE(back.problem, QString());
        QCOMPARE(back.entries.size(), 2);
        for (int i = 0; i < 2; ++i) {
            const EncoderList::Entry &e = plant.model()->entry(i);
            QCOMPARE(back.entries[i].name, e.name);
            QCOMPARE(back.entries[i].device, e.device);
            QCOMPARE(back.entries[i].line.settingsText(), e.line.settingsText());
            QCOMPARE(back.entries[i].configuration, e.configuration);
        }
        QCOMPARE(back.entries[1].name, QString("[x] #1; 50% \"y\"=z,"));
        PlantWindow again(&w.top);
        again.openLastList();
        QCOMPARE(again.model()->rowCount(), 2);
    }

    // A bad list is refused whole with the entry and line named, the table left as it was; a
    // bad entry is refused by the entry dialog with the list reader's words.
    void refusals_data()
    {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QStringList>("entry"); // name, device; the dialog's when given
        QTest::addColumn<QString>("message");
        const QByteArray good = "[good]\ndevice=/dev/ttyS7\n";
        QTest::newRow("list: unknown key") << good + "[bad]\ndevice=/dev/ttyS8\nspeed=9\n"
                                           << QStringList() << ":5: encoder \"bad\": unknown key";
        QTest::newRow("list: same device") << good + "[bad]\ndevice=ttyS7\n"
                                           << QStringList()
                                           << ":4: encoder \"bad\": device ttyS7 is also that of "
                                              "encoder \"good\"";
        QTest::newRow("list: listed twice") << good + "[good]\ndevice=/dev/ttyS9\n"
                                            << QStringList() << "encoder \"good\" is listed twice";
        QTest::newRow("entry: same name")
            << good << QStringList{"good", "/dev/ttyS9"} << "encoder \"good\" is listed twice";
        QTest::newRow("entry: same device") << good << QStringList{"new", "/dev/ttyS7"}
                                            << "device /dev/ttyS7 is also that of encoder \"good\"";
        QTest::newRow("entry: bad address") << good << QStringList{"new", "tcp://host"}
                                            << "device \"tcp://host\" is not of the form";
        QTest::newRow("entry: no name") << good << QStringList{" ", "/dev/ttyS9"} << "no name";
    }
    void refusals()
    {
        QFETCH(QByteArray, list);
        QFETCH(QStringList, entry);
        QFETCH(QString, message);
        TabsWindow w;
        PlantWindow plant(&w.top);
        const QString good = write("good.ini", "[one]\ndevice=/dev/ttyS5\n");
        QVERIFY(plant.openList(good));
        w.dialogs.clear();
        if (entry.isEmpty()) {
            w.dialogs.openPaths << write("bad.ini", list);
            trigger(&plant, "actOpenList");
            QCOMPARE(plant.listPath(), good);
            QCOMPARE(plant.model()->rowCount(), 1);
        } else {
            QVERIFY(plant.openList(write("bad.ini", list)));
            EncoderEntryDialog dialog(plant.model()->entries());
            dialog.findChild<QLineEdit *>("txtEncoderName")->setText(entry[0]);
            dialog.findChild<QComboBox *>("cmbEncoderDevice")->setEditText(entry[1]);
            dialog.accept();
            QVERIFY(dialog.result() != QDialog::Accepted);
        }
        QCOMPARE(w.dialogs.shown.size(), 1);
        QVERIFY2(w.dialogs.shown[0].contains(message), qPrintable(w.dialogs.shown[0]));
    }

    // quillcast FILE starts with the file open: a list in the plant window, a configuration in
    // the main window; one that does not read says what File > Open says of it.
    void openFromCommandLine_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("list") << "start.ini";
        QTest::newRow("configuration") << m_file;
        QTest::newRow("missing configuration") << m_dir.filePath("none.qcf");
        QTest::newRow("missing list") << m_dir.filePath("none.ini");
    }
    void openFromCommandLine()
    {
        QFETCH(QString, file);
        const QString list = write("start.ini", "[a]\ndevice=/dev/ttyS7\n");
        const bool isList = file.endsWith(".ini");
        file = file == "start.ini" ? list : file;
        QString expected; // File > Open's message on the file, if any
        {
            TabsWindow w;
            if (isList) {
                w.dialogs.openPaths << file;
                PlantWindow plant(&w.top);
                trigger(&plant, "actOpenList");
            } else {
                w.dialogs.openPaths << file;
                w.top.files()->openFile();
            }
            expected = w.dialogs.shown.join('|');
        }
        QCOMPARE(expected.isEmpty(), !file.contains("none"));
        TestSettings::wipe();
        DefaultInfo{"Quill Network", "KQIL", "77"}.saveDefaultInfo();
        ScriptedDialogs dialogs;
        StartUp startUp(false, file);
        startUp.start();
        MainWindow *window = startUp.mainWindow();
        QVERIFY(window && window->isVisible());
        // The file opens once every page of the window is there.
        QTRY_VERIFY(window->hasAllPages());
        QCoreApplication::processEvents();
        QCOMPARE(dialogs.shown.join('|'), expected);
        QCOMPARE(window->plantWindow() && window->plantWindow()->isVisible(), isList);
        if (file == list)
            QCOMPARE(window->plantWindow()->model()->rowCount(), 1);
        QCOMPARE(window->windowTitle().endsWith(file), file == m_file);
    }

    // Every control and action is named for a screen reader and reached by its own Alt+letter;
    // a changed list is asked about before the window closes.
    void accessible()
    {
        TabsWindow w;
        w.top.showPlantWindow();
        PlantWindow *plant = w.top.plantWindow();
        EncoderEntryDialog dialog({});
        for (QWidget *window : {static_cast<QWidget *>(plant), static_cast<QWidget *>(&dialog)}) {
            QStringList keys;
            // The menus' own actions among them.
            const QList<QAction *> actions = window->findChildren<QAction *>();
            for (QAbstractButton *button : window->findChildren<QAbstractButton *>())
                if (!button->text().isEmpty() && !button->inherits("QToolButton"))
                    keys << QKeySequence::mnemonic(button->text()).toString();
            for (QLabel *label : window->findChildren<QLabel *>())
                if (label->buddy())
                    keys << QKeySequence::mnemonic(label->text()).toString();
            for (QAction *action : actions)
                if (!action->text().isEmpty() && !action->isSeparator())
                    keys << QKeySequence::mnemonic(action->text()).toString();
            for (const QString &key : keys)
                QVERIFY2(key.startsWith("Alt+") && keys.count(key) == 1,
                         qPrintable(keys.join(' ')));
            for (QWidget *control : window->findChildren<QWidget *>()) {
                if (!(control->focusPolicy() & Qt::TabFocus) || control->inherits("QToolButton") ||
                    !control->isVisibleTo(window) || control->parent()->inherits("QComboBox"))
                    continue;
                const QString name =
                    QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
                QVERIFY2(!control->objectName().isEmpty() && !name.isEmpty() && !name.contains('&'),
                         control->metaObject()->className());
            }
        }
        QCOMPARE(QAccessible::queryAccessibleInterface(plant->table())->text(QAccessible::Name),
                 QStringLiteral("Encoders"));
        // Edit Encoder... through its dialog leaves the list changed: closing asks, Cancel keeps
        // the window open.
        LineSettings line;
        EncoderList::readLine("9600", "N", "8", &line);
        plant->model()->addEntry({"new", "/dev/ttyS9", line, QString()});
        plant->table()->selectRow(0);
        QTimer::singleShot(0, this, [plant] {
            auto *edit = plant->findChild<EncoderEntryDialog *>();
            edit->findChild<QLineEdit *>("txtEncoderName")->setText("renamed");
            edit->accept();
            if (edit->result() != QDialog::Accepted)
                edit->reject(); // and the comparison below fails
        });
        trigger(plant, "actEditEncoder");
        QVERIFY2(plant->model()->entry(0).name == "renamed", qPrintable(w.dialogs.shown.join('|')));
        QVERIFY(plant->isModified());
        w.dialogs.clear();
        w.dialogs.answers = {DialogService::Answer::Cancel, DialogService::Answer::No};
        QVERIFY(!plant->close());
        QVERIFY(plant->isVisible());
        QVERIFY(w.dialogs.shown.value(0).contains("Would you like to save those changes?"));
        QVERIFY(plant->close());
    }
};

QTEST_MAIN(tst_PlantWindow)
#include "tst_plant_window.moc"
