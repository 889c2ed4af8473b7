#include "ui/plant/PlantWindow.h"

#include "core/common/AppSettings.h"
#include "core/session/TrafficLog.h"
#include "ui/ConfigFileController.h"
#include "ui/DialogService.h"
#include "ui/HelpLauncher.h"
#include "ui/MainWindowParts.h"
#include "ui/TrafficLogWindow.h"
#include "ui/plant/EncoderEntryDialog.h"
#include "ui/plant/PlantSend.h"
#include "ui/plant/PlantTableModel.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QSortFilterProxyModel>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>

namespace {

using Icon = DialogService::Icon;

const QString kTitle = QStringLiteral("Plant");
// The settings store's section "Plant", key "LastList": the list last opened or saved.
const QString kPlantSection = QStringLiteral("Plant");
const QString kLastListKey = QStringLiteral("LastList");

} // namespace

const QString PlantWindow::ListFilter = QStringLiteral("Encoder Lists (.ini)|*.ini");
const QString PlantWindow::ReportFilter = QStringLiteral("Reports (.json)|*.json");

PlantWindow::PlantWindow(MainWindowParts *mainWindow)
    : QMainWindow(mainWindow, Qt::Window), m_mainWindow(mainWindow),
      m_model(new PlantTableModel(this)), m_sorted(new QSortFilterProxyModel(this)),
      m_table(new QTableView(this)), m_send(new PlantSend(m_model, this))
{
    setObjectName(QStringLiteral("frmPlant"));
    m_model->setObjectName(QStringLiteral("plantTable"));
    m_sorted->setSourceModel(m_model);
    m_table->setObjectName(QStringLiteral("tblEncoders"));
    m_table->setAccessibleName(QStringLiteral("Encoders"));
    m_table->setModel(m_sorted);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(-1, Qt::AscendingOrder); // the list's order until a header is clicked
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A row's menu works on the current row: a right click makes its row current, the Menu key
    // and Shift+F10 open it at the current row.
    m_table->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    // Every row has the same height: the view never measures rows it does not show.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setCentralWidget(m_table);

    buildMenus();
    buildStatusBar();
    connect(m_send, &PlantSend::started, this, &PlantWindow::updateActions);
    connect(m_send, &PlantSend::finished, this, &PlantWindow::updateActions);
    connect(m_model, &PlantTableModel::progressChanged, this, &PlantWindow::showProgress);
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &PlantWindow::updateActions);
    connect(m_model, &QAbstractItemModel::modelReset, this, &PlantWindow::updateActions);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &PlantWindow::updateActions);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &PlantWindow::updateActions);
    showListPath();
    updateActions();
    showProgress();
    resize(900, 420);
}

PlantWindow::~PlantWindow() = default;

QAction *PlantWindow::makeAction(const QString &name, const QString &caption,
                                 void (PlantWindow::*slot)())
{
    auto *action = new QAction(caption, this);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, slot);
    return action;
}

void PlantWindow::buildMenus()
{
    // Every mnemonic of the window is its own, menus and entries alike.
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuPlantFile"));
    QAction *open =
        makeAction(QStringLiteral("actOpenList"), QStringLiteral("&Open Encoder List..."),
                   &PlantWindow::openEncoderList);
    open->setShortcut(QKeySequence::Open);
    QAction *save = makeAction(QStringLiteral("actSaveList"), QStringLiteral("Save &List"),
                               &PlantWindow::saveListFile);
    save->setShortcut(QKeySequence::Save);
    file->addActions({open, save,
                      makeAction(QStringLiteral("actSaveListAs"),
                                 QStringLiteral("Save List &As..."), &PlantWindow::saveListAs)});
    file->addSeparator();
    file->addAction(makeAction(QStringLiteral("actSaveReport"), QStringLiteral("Save &Report..."),
                               &PlantWindow::saveReportAs));
    file->addSeparator();
    QAction *close = file->addAction(QStringLiteral("&Close"), this, &QWidget::close);
    close->setObjectName(QStringLiteral("actClosePlant"));
    close->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));

    QMenu *encoders = menuBar()->addMenu(QStringLiteral("&Encoders"));
    encoders->setObjectName(QStringLiteral("mnuPlantEncoders"));
    const QList<QAction *> run = {
        makeAction(QStringLiteral("actCheck"), QStringLiteral("Chec&k"),
                   &PlantWindow::checkSelected),
        makeAction(QStringLiteral("actSendSelected"), QStringLiteral("&Send to Selected"),
                   &PlantWindow::sendToSelected),
        makeAction(QStringLiteral("actSendAll"), QStringLiteral("Send &to All"),
                   &PlantWindow::sendToAll),
        makeAction(QStringLiteral("actStop"), QStringLiteral("Sto&p"), &PlantWindow::stopRun)};
    QAction *add = makeAction(QStringLiteral("actAddEncoder"), QStringLiteral("A&dd Encoder..."),
                              &PlantWindow::addEncoder);
    add->setShortcut(QKeySequence(Qt::Key_Insert));
    QAction *edit = makeAction(QStringLiteral("actEditEncoder"), QStringLiteral("Ed&it Encoder..."),
                               &PlantWindow::editEncoder);
    QAction *remove = makeAction(QStringLiteral("actRemoveEncoder"),
                                 QStringLiteral("Re&move Encoder"), &PlantWindow::removeEncoders);
    remove->setShortcut(QKeySequence::Delete);
    const QList<QAction *> row = {makeAction(QStringLiteral("actOpenConfiguration"),
                                             QStringLiteral("Open Configuration in Main &Window"),
                                             &PlantWindow::openConfiguration),
                                  makeAction(QStringLiteral("actShowTraffic"),
                                             QStringLiteral("Show Traffic Lo&g"),
                                             &PlantWindow::showTraffic)};
    encoders->addActions(run);
    encoders->addSeparator();
    encoders->addActions({add, edit, remove});
    encoders->addSeparator();
    encoders->addActions(row);
    m_table->addActions(row);

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuPlantHelp"));
    QAction *helpPage =
        makeAction(QStringLiteral("actPlantHelp"), QStringLiteral("Help o&n the Plant Window"),
                   &PlantWindow::showHelp);
    helpPage->setShortcut(QKeySequence(Qt::Key_F1));
    help->addAction(helpPage);

    auto *tools = addToolBar(QStringLiteral("Encoders"));
    tools->setObjectName(QStringLiteral("tbrPlant"));
    tools->setAccessibleName(QStringLiteral("Encoders"));
    tools->toggleViewAction()->setText(QStringLiteral("Tool&bar"));
    tools->addActions(run);
    tools->addSeparator();
    tools->addActions({add, edit, remove});
    // The actions' shortcuts work wherever the focus is in the window.
    for (QAction *action : findChildren<QAction *>())
        action->setShortcutContext(Qt::WindowShortcut);
}

void PlantWindow::buildStatusBar()
{
    auto *bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("statBarPlant"));
    setStatusBar(bar);
    m_progressText = new QLabel(bar);
    m_progressText->setObjectName(QStringLiteral("lblPlantProgress"));
    m_progressText->setTextFormat(Qt::PlainText);
    m_progress = new QProgressBar(bar);
    m_progress->setObjectName(QStringLiteral("barPlantProgress"));
    m_progress->setTextVisible(false);
    m_progress->setMaximumWidth(240);
    bar->addWidget(m_progressText, 1);
    bar->addPermanentWidget(m_progress);
}

bool PlantWindow::openList(const QString &path)
{
    LineSettings line;
    EncoderList::readLine(QStringLiteral("1200"), QStringLiteral("O"), QStringLiteral("7"), &line);
    // An entry without a configuration can still be checked; a send asks for one.
    const EncoderList::Result list = EncoderList::read(path, line, QString(), false);
    if (!list.problem.isEmpty()) {
        DialogService::tell(this, list.problem, Icon::Warning, kTitle);
        return false;
    }
    delete m_traffic; // its log goes with the rows
    m_send->forget();
    m_model->setEntries(list.entries);
    m_listPath = QFileInfo(path).absoluteFilePath();
    AppSettings::save(kPlantSection, kLastListKey, m_listPath);
    setModified(false);
    showListPath();
    return true;
}

void PlantWindow::openLastList()
{
    const QString path = AppSettings::get(kPlantSection, kLastListKey);
    LineSettings line;
    EncoderList::readLine(QStringLiteral("1200"), QStringLiteral("O"), QStringLiteral("7"), &line);
    if (!path.isEmpty() && EncoderList::read(path, line, QString(), false).problem.isEmpty())
        openList(path);
}

bool PlantWindow::saveList(const QString &path)
{
    QString problem;
    if (!EncoderList::write(path, m_model->entries(), &problem)) {
        DialogService::tell(this, path + QStringLiteral(": ") + problem, Icon::Warning, kTitle);
        return false;
    }
    m_listPath = QFileInfo(path).absoluteFilePath();
    AppSettings::save(kPlantSection, kLastListKey, m_listPath);
    setModified(false);
    showListPath();
    return true;
}

bool PlantWindow::saveReport(const QString &path)
{
    return m_send->saveReport(path);
}

bool PlantWindow::promptSaveList()
{
    if (!isModified())
        return true;
    const DialogService::Answer answer =
        DialogService::ask(this,
                           QStringLiteral("The encoder list has been changed.  Would you like to "
                                          "save those changes?"),
                           DialogService::Buttons::YesNoCancel, Icon::Warning, kTitle);
    if (answer == DialogService::Answer::Cancel)
        return false;
    if (answer == DialogService::Answer::No)
        return true;
    saveListFile();
    return !isModified(); // a failed or cancelled save keeps what would be lost
}

const PlantRun *PlantWindow::run() const
{
    return m_send->run();
}

bool PlantWindow::isRunning() const
{
    return m_send->isRunning();
}

void PlantWindow::openEncoderList()
{
    if (!promptSaveList())
        return;
    const QString path =
        DialogService::instance().openFileName(this, QStringLiteral("Open Encoder List"),
                                               QFileInfo(m_listPath).absolutePath(), ListFilter);
    if (!path.isEmpty())
        openList(path);
}

void PlantWindow::saveListFile()
{
    if (m_listPath.isEmpty())
        saveListAs();
    else
        saveList(m_listPath);
}

void PlantWindow::saveListAs()
{
    const QString path =
        DialogService::instance().saveFileName(this, QStringLiteral("Save Encoder List"),
                                               QFileInfo(m_listPath).absolutePath(), ListFilter);
    if (!path.isEmpty())
        saveList(path);
}

void PlantWindow::saveReportAs()
{
    const QString path = DialogService::instance().saveFileName(
        this, QStringLiteral("Save Report"), QFileInfo(m_listPath).absolutePath(), ReportFilter);
    if (!path.isEmpty())
        saveReport(path);
}

void PlantWindow::checkSelected()
{
    m_send->start(selectedRows(), true, m_listPath);
}

void PlantWindow::sendToSelected()
{
    m_send->start(selectedRows(), false, m_listPath);
}

void PlantWindow::sendToAll()
{
    QList<int> rows;
    for (int row = 0; row < m_model->rowCount(); ++row)
        rows << row;
    m_send->start(rows, false, m_listPath);
}

void PlantWindow::stopRun()
{
    m_send->stop();
    updateActions();
}

void PlantWindow::addEncoder()
{
    EncoderEntryDialog dialog(m_model->entries(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_model->addEntry(dialog.entry());
    setModified(true);
}

void PlantWindow::editEncoder()
{
    const int row = currentRow();
    if (row < 0 || isRunning())
        return;
    QList<EncoderList::Entry> others = m_model->entries();
    others.removeAt(row);
    EncoderEntryDialog dialog(others, this);
    dialog.setEntry(m_model->entry(row));
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_model->setEntry(row, dialog.entry());
    setModified(true);
}

void PlantWindow::removeEncoders()
{
    QList<int> rows = selectedRows();
    if (rows.isEmpty() || isRunning())
        return;
    // The run's rows would no longer be the table's: its report stays, its rows go.
    std::sort(rows.rbegin(), rows.rend());
    delete m_traffic;
    for (int row : std::as_const(rows))
        m_model->removeEntry(row);
    m_send->forget();
    setModified(true);
}

void PlantWindow::openConfiguration()
{
    const int row = currentRow();
    if (row < 0 || m_model->entry(row).configuration.isEmpty())
        return;
    // The main window's own way to a file: it asks first about changes of the one it shows.
    m_mainWindow->files()->openPath(m_model->entry(row).configuration);
    m_mainWindow->raise();
    m_mainWindow->activateWindow();
}

void PlantWindow::showTraffic()
{
    const int row = currentRow();
    if (row < 0)
        return;
    delete m_traffic;
    m_traffic = new TrafficLogWindow(m_model->traffic(row), this);
    m_traffic->setAttribute(Qt::WA_DeleteOnClose);
    m_traffic->setWindowTitle(QStringLiteral("Traffic Log - ") + m_model->entry(row).name);
    m_traffic->show();
    m_traffic->lstTraffic()->scrollToBottom();
}

void PlantWindow::showHelp()
{
    HelpLauncher::showTopic(QStringLiteral("Plant_Window.htm"));
}

void PlantWindow::closeEvent(QCloseEvent *event)
{
    if (isRunning() &&
        DialogService::ask(this,
                           QStringLiteral("A send to the encoders is under way.  Stop it and "
                                          "close the window?"),
                           DialogService::Buttons::YesNo, Icon::Exclamation,
                           kTitle) != DialogService::Answer::Yes) {
        event->ignore();
        return;
    }
    if (!promptSaveList()) {
        event->ignore();
        return;
    }
    stopRun();
    event->accept();
}

void PlantWindow::setModified(bool modified)
{
    setWindowModified(modified);
    updateActions();
}

void PlantWindow::showListPath()
{
    m_model->setListFolder(m_listPath.isEmpty() ? QString() : QFileInfo(m_listPath).absolutePath());
    setWindowTitle(kTitle + QStringLiteral(" - ") +
                   (m_listPath.isEmpty() ? QStringLiteral("(new list)") : m_listPath) +
                   QStringLiteral("[*]"));
}

void PlantWindow::updateActions()
{
    const bool running = isRunning();
    const bool selected = !selectedRows().isEmpty();
    const auto enable = [this](const char *name, bool on) {
        if (auto *action = findChild<QAction *>(QLatin1String(name)))
            action->setEnabled(on);
    };
    enable("actCheck", !running && selected);
    enable("actSendSelected", !running && selected);
    enable("actSendAll", !running && m_model->rowCount() > 0);
    enable("actStop", running && !m_send->isStopping());
    enable("actSaveReport", !running && m_send->run());
    enable("actOpenList", !running);
    enable("actAddEncoder", !running);
    enable("actEditEncoder", !running && currentRow() >= 0);
    enable("actRemoveEncoder", !running && selected);
    enable("actOpenConfiguration", currentRow() >= 0);
    enable("actShowTraffic", currentRow() >= 0);
}

void PlantWindow::showProgress()
{
    const int runs = m_model->runCount();
    const int failed = m_model->failedCount();
    QString text;
    if (runs == 0) {
        text = QStringLiteral("%1 encoders").arg(m_model->rowCount());
    } else if (isRunning()) {
        text = QStringLiteral("%1 of %2 encoders done, %3 failed")
                   .arg(m_model->doneCount())
                   .arg(runs)
                   .arg(failed);
    } else {
        // Once the run is over, the count says what it achieved, as quillcast-send's summary
        // does ("47 of 50 encoders programmed").
        text =
            QStringLiteral("%1 of %2 encoders %3")
                .arg(m_model->doneCount() - failed)
                .arg(runs)
                .arg(m_send->isCheck() ? QStringLiteral("answered") : QStringLiteral("programmed"));
        if (failed > 0)
            text += QStringLiteral(", %1 failed").arg(failed);
    }
    m_progressText->setText(text);
    m_progress->setRange(0, qMax(1, m_model->runCount()));
    m_progress->setValue(m_model->doneCount());
    // A screen reader hears what the bar stands for, as the label shows it.
    m_progress->setAccessibleName(text);
    if (!isRunning())
        updateActions();
}

QList<int> PlantWindow::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &index : m_table->selectionModel()->selectedRows())
        rows << m_sorted->mapToSource(index).row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

int PlantWindow::currentRow() const
{
    const QModelIndex index = m_table->currentIndex();
    return index.isValid() ? m_sorted->mapToSource(index).row() : -1;
}
