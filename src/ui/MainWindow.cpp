#include "ui/MainWindow.h"

#include "core/common/AppInfo.h"
#include "core/common/Clock.h"
#include "core/session/EncoderChannel.h"
#include "core/session/Sequencer.h"
#include "ui/AboutDialog.h"
#include "ui/AfterFirstPaint.h"
#include "ui/CcLoopingController.h"
#include "ui/ConfigFileController.h"
#include "ui/ConfigurationView.h"
#include "ui/DialogService.h"
#include "ui/EncoderActions.h"
#include "ui/HelpLauncher.h"
#include "ui/LinkMessages.h"
#include "ui/TrafficLogMenu.h"
#include "ui/dialogs/PortSettingsDialog.h"
#include "ui/plant/PlantWindow.h"
#include "ui/settings/PortSettingsStore.h"
#include "ui/tabs/PlantOptionsTab.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>

namespace {

// The two link buttons keep their mnemonic letter through every caption they show: Alt+C for
// Connect / Disconnect / Connecting..., Alt+G for Send Configuration / Sending... (Alt+F, Alt+V,
// Alt+S and Alt+H belong to the menus). The letters on the tab pages are chosen around these.
const QString kConnect = QStringLiteral("&Connect");
const QString kSendConfiguration = QStringLiteral("Send Confi&guration");

// Status panel widths, in twips as the layout was first drawn (1440 twips to the inch).
constexpr int kLinkPanelTwips = 1750;
constexpr int kTimePanelTwips = 800;

// The link-state image: two small squares, grey and red while disconnected, green when
// connected.
QPixmap squares(bool connected)
{
    QPixmap pixmap(22, 12);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.setBrush(connected ? QColor(0, 176, 0) : QColor(160, 160, 160));
    painter.drawRect(1, 1, 9, 9);
    painter.setBrush(connected ? QColor(0, 176, 0) : QColor(208, 0, 0));
    painter.drawRect(12, 1, 9, 9);
    return pixmap;
}

QLabel *plainLabel(const QString &name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// Text into whatever kind of box the tab put there, always as plain text.
void setBoxText(QWidget *box, const QString &text)
{
    if (auto *plain = qobject_cast<QPlainTextEdit *>(box))
        plain->setPlainText(text);
    else if (auto *rich = qobject_cast<QTextEdit *>(box))
        rich->setPlainText(text);
    else if (auto *line = qobject_cast<QLineEdit *>(box))
        line->setText(text);
    else if (auto *label = qobject_cast<QLabel *>(box))
        label->setText(text);
}

} // namespace

struct MainWindow::Private
{
    MainWindow *q = nullptr;
    DefaultInfo info;
    LocalTimeZoneSnapshot snapshot;
    Sequencer *sequencer = nullptr;
    LinkMessages *linkMessages = nullptr;
    ConfigurationView *view = nullptr;
    ConfigFileController *files = nullptr;
    EncoderActions *actions = nullptr;
    QTabWidget *tabMain = nullptr;
    QPushButton *cmdConnect = nullptr;
    QPushButton *cmdSendConfig = nullptr;
    QStatusBar *statBarMain = nullptr;
    QWidget *linkPanel = nullptr;
    QLabel *panels[3] = {};
    QLabel *imgSquares[2] = {};
    QLabel *lblSendProgress = nullptr;
    QProgressBar *prgSend = nullptr;
    int sendCommand = 0; // the send's progress as the sequencer last told it
    int sendTotal = 0;
    QTimer *timerSecondTick = nullptr;
    PortSettingsDialog *portSettings = nullptr;
    AboutDialog *about = nullptr;
    AfterFirstPaint *restOfPages = nullptr; // while pages wait for the first paint
    QPointer<PlantWindow> plant;

    template <typename T = QWidget> T *control(const QString &name) const
    {
        return q->findChild<T *>(name);
    }

    void buildControls();
    void buildStatusBar();
    void buildMenus();
    void buildPageParts();
    void showLinkImage(bool connected);
    void applyLinkState(Sequencer::LinkState state);
    void showSendProgress();
    void showConnecting();
    void showArticleList(const QString &text, const QStringList &names);
    void stopCaptionLoop();
    void enableTabFrame(int index);
    int twipsToPixels(int twips) const;
};

void MainWindow::Private::buildControls()
{
    auto *central = new QWidget(q);
    central->setObjectName(QStringLiteral("centralWidget"));
    tabMain = new QTabWidget(central);
    tabMain->setObjectName(QStringLiteral("tabMain"));

    cmdConnect = new QPushButton(kConnect, central);
    cmdConnect->setObjectName(QStringLiteral("cmdConnect"));
    cmdSendConfig = new QPushButton(kSendConfiguration, central);
    cmdSendConfig->setObjectName(QStringLiteral("cmdSendConfig"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdConnect);
    buttons->addWidget(cmdSendConfig);
    auto *layout = new QVBoxLayout(central);
    layout->addWidget(tabMain);
    layout->addLayout(buttons);
    q->setCentralWidget(central);

    QWidget::setTabOrder(tabMain, cmdConnect);
    QWidget::setTabOrder(cmdConnect, cmdSendConfig);
}

void MainWindow::Private::buildStatusBar()
{
    statBarMain = new QStatusBar(q);
    statBarMain->setObjectName(QStringLiteral("statBarMain"));
    statBarMain->setSizeGripEnabled(false);
    q->setStatusBar(statBarMain);

    linkPanel = new QWidget(statBarMain);
    linkPanel->setObjectName(QStringLiteral("statBarMainLinkPanel"));
    auto *linkLayout = new QHBoxLayout(linkPanel);
    linkLayout->setContentsMargins(2, 0, 2, 0);
    linkLayout->setSpacing(2);
    for (int i = 0; i < 2; ++i) {
        imgSquares[i] = new QLabel(linkPanel);
        imgSquares[i]->setObjectName(QStringLiteral("imgSquares_%1").arg(i));
        imgSquares[i]->setPixmap(squares(i == 1));
        linkLayout->addWidget(imgSquares[i]);
    }
    panels[0] = plainLabel(QStringLiteral("statBarMain_0"), linkPanel);
    linkLayout->addWidget(panels[0], 1);
    panels[1] = plainLabel(QStringLiteral("statBarMain_1"), statBarMain);
    panels[2] = plainLabel(QStringLiteral("statBarMain_2"), statBarMain);
    // A screen reader announces what the panels show (a label's own text is its accessible
    // name); the description says what each panel is.
    panels[0]->setAccessibleDescription(QStringLiteral("Link state"));
    panels[1]->setAccessibleDescription(QStringLiteral("Connected time"));
    panels[2]->setAccessibleDescription(QStringLiteral("Encoder"));

    statBarMain->addWidget(linkPanel);
    statBarMain->addWidget(panels[1]);
    statBarMain->addWidget(panels[2], 1);

    // The progress of Send Configuration, at the right end and only while it runs.
    lblSendProgress = plainLabel(QStringLiteral("lblSendProgress"), statBarMain);
    lblSendProgress->setAccessibleDescription(QStringLiteral("Send progress"));
    prgSend = new QProgressBar(statBarMain);
    prgSend->setObjectName(QStringLiteral("prgSend"));
    prgSend->setTextVisible(false); // the label beside it says it in words
    prgSend->setMaximumWidth(twipsToPixels(kTimePanelTwips * 2));
    // No taller than the text panels: the window's height is fixed, the bar must fit it.
    prgSend->setMaximumHeight(lblSendProgress->sizeHint().height());
    statBarMain->addPermanentWidget(lblSendProgress);
    statBarMain->addPermanentWidget(prgSend);
    showSendProgress();
}

void MainWindow::Private::buildMenus()
{
    struct Entry
    {
        const char *name;
        const char *caption;
    };
    auto addEntries = [](QMenu *menu, std::initializer_list<Entry> entries) {
        for (const Entry &entry : entries) {
            if (!entry.name) {
                menu->addSeparator();
                continue;
            }
            QAction *action = menu->addAction(QString::fromLatin1(entry.caption));
            action->setObjectName(QString::fromLatin1(entry.name));
        }
    };
    QMenuBar *bar = q->menuBar();

    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    // Every entry has a mnemonic, so that the menus work from the keyboard alone.
    addEntries(file, {{"mnuNew", "&New"},
                      {nullptr, nullptr},
                      {"mnuOpenFile", "&Open File..."},
                      {"mnuSaveFile", "&Save"},
                      {"mnuSaveFileAs", "Save &As..."},
                      {nullptr, nullptr},
                      {"mnuExit", "E&xit"}});
    QMenu *setup = bar->addMenu(QStringLiteral("&Setup"));
    setup->setObjectName(QStringLiteral("mnuSetup"));
    addEntries(setup, {{"mnuPortSettings", "&Port Settings"}});
    QMenu *help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    addEntries(help, {{"mnuHelpContents", "&Contents..."}, {"mnuAbout", "&About"}});

    control<QAction>(QStringLiteral("mnuNew"))->setShortcut(QKeySequence::New);
    control<QAction>(QStringLiteral("mnuOpenFile"))->setShortcut(QKeySequence::Open);
    control<QAction>(QStringLiteral("mnuSaveFile"))->setShortcut(QKeySequence::Save);
    control<QAction>(QStringLiteral("mnuExit"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
}

void MainWindow::Private::showLinkImage(bool connected)
{
    imgSquares[0]->setVisible(!connected);
    imgSquares[1]->setVisible(connected);
    panels[0]->setText(connected ? QStringLiteral(" Connected") : QStringLiteral(" Disconnected"));
}

void MainWindow::Private::applyLinkState(Sequencer::LinkState state)
{
    const QStringList articleButtons = {QStringLiteral("cmdRefreshArticles"),
                                        QStringLiteral("cmdInsArticle"),
                                        QStringLiteral("cmdRemoveArticle")};
    switch (state) {
    case Sequencer::LinkState::Disconnected:
        cmdConnect->setEnabled(true);
        cmdConnect->setText(kConnect);
        cmdSendConfig->setEnabled(true);
        cmdSendConfig->setText(kSendConfiguration);
        showLinkImage(false);
        panels[2]->clear();
        if (QWidget *list = control(QStringLiteral("txtArticleList")))
            setBoxText(list, QString());
        break;
    case Sequencer::LinkState::Connected:
        cmdConnect->setEnabled(true);
        cmdConnect->setText(QStringLiteral("Dis&connect"));
        cmdSendConfig->setEnabled(true);
        cmdSendConfig->setText(kSendConfiguration);
        for (const QString &name : articleButtons) {
            if (QWidget *button = control(name))
                button->setEnabled(true);
        }
        showLinkImage(true);
        break;
    case Sequencer::LinkState::Sending:
        cmdConnect->setEnabled(false);
        cmdSendConfig->setEnabled(false);
        cmdSendConfig->setText(QStringLiteral("Sendin&g..."));
        for (const QString &name : articleButtons) {
            if (QWidget *button = control(name))
                button->setEnabled(false);
        }
        break;
    }
}

// Shown during Send Configuration only: a single command (a button of the tabs, a caption loop
// line) is answered too soon for a progress to mean anything, and would only flicker.
void MainWindow::Private::showSendProgress()
{
    const bool shown =
        sendTotal > 0 && sequencer && sequencer->linkState() == Sequencer::LinkState::Sending;
    const QString text =
        shown ? QStringLiteral("Sending command %1 of %2").arg(sendCommand).arg(sendTotal)
              : QString();
    lblSendProgress->setText(text);
    prgSend->setAccessibleName(text);
    if (shown) {
        prgSend->setRange(0, sendTotal);
        prgSend->setValue(sendCommand);
    } else {
        prgSend->reset();
    }
    lblSendProgress->setVisible(shown);
    prgSend->setVisible(shown);
}

void MainWindow::Private::showConnecting()
{
    cmdConnect->setText(QStringLiteral("&Connecting..."));
    // A network port opens in the event loop: pressing the button again cancels that.
    cmdConnect->setEnabled(sequencer->channel()->portIsOpening());
}

void MainWindow::Private::showArticleList(const QString &text, const QStringList &names)
{
    if (QWidget *list = control(QStringLiteral("txtArticleList")))
        setBoxText(list, text);
    if (auto *combo = control<QComboBox>(QStringLiteral("cmbRemoveArticle"))) {
        combo->clear();
        combo->addItems(names);
    }
}

void MainWindow::Private::stopCaptionLoop()
{
    auto *loopTimer = control<QTimer>(QStringLiteral("timerCCLoopingTimeout"));
    auto *stop = control<QPushButton>(QStringLiteral("cmdCCLpLoopControl_1"));
    if (loopTimer && loopTimer->isActive() && stop)
        stop->click();
}

void MainWindow::Private::enableTabFrame(int index)
{
    if (QWidget *frame = control(QStringLiteral("fBorder_%1").arg(index)))
        frame->setEnabled(true);
}

int MainWindow::Private::twipsToPixels(int twips) const
{
    return qRound(twips * q->logicalDpiX() / 1440.0);
}

MainWindow::MainWindow(const DefaultInfo &info, Pages pages, QWidget *parent)
    : MainWindowParts(parent), d(new Private)
{
    d->q = this;
    d->info = info;
    setObjectName(QStringLiteral("frmMainWindow"));
    setWindowTitle(AppInfo::ApplicationTitle);
    d->buildControls();
    d->buildStatusBar();
    d->buildMenus();

    // The link: channel, queue and their timers.
    d->sequencer = new Sequencer(this);
    d->sequencer->setObjectName(QStringLiteral("sequencer"));
    d->linkMessages = new LinkMessages(d->sequencer, this);
    new TrafficLogMenu(d->sequencer, this); // View > Traffic Log, recording from now on
    if (auto *viewMenu = d->control<QMenu>(QStringLiteral("mnuView"))) {
        QAction *plant = viewMenu->addAction(QStringLiteral("&Plant"));
        plant->setObjectName(QStringLiteral("mnuPlant"));
        plant->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
        connect(plant, &QAction::triggered, this, &MainWindow::showPlantWindow);
    }
    PortSettingsStore::loadAppSettings(d->sequencer->channel(), &LoadPath, &CurrentConfigFile);
    d->snapshot = LocalTimeZoneSnapshot::take(QTimeZone::systemTimeZone(), Clock::instance().now());

    // A screen reader reads the whole window as soon as it is there: it gets every page at once.
    const bool firstPageFirst = pages == Pages::FirstPageFirst && !QAccessible::isActive();
    d->view = new ConfigurationView(d->tabMain, d->snapshot, this, firstPageFirst);
    d->view->setDefaults(d->info);
    d->sequencer->setConfigurationBuilder([this] { actions()->buildConfiguration(); });

    // The initial presentation.
    if (auto *zone = d->control<QLabel>(QStringLiteral("lblLocalTimezone_1")))
        zone->setText(d->snapshot.SignedOffsetText);
    d->cmdConnect->setText(kConnect);
    d->cmdSendConfig->setText(kSendConfiguration);
    d->showLinkImage(false);

    Sequencer *link = d->sequencer;
    connect(d->cmdConnect, &QPushButton::clicked, link, &Sequencer::toggleConnection);
    connect(d->cmdSendConfig, &QPushButton::clicked, d->linkMessages,
            &LinkMessages::sendConfiguration);
    connect(link, &Sequencer::linkStateChanged, this, [this](Sequencer::LinkState state) {
        d->applyLinkState(state);
        d->showSendProgress();
    });
    connect(link, &Sequencer::sendProgress, this, [this](int command, int total) {
        d->sendCommand = command;
        d->sendTotal = total;
        d->showSendProgress();
    });
    connect(link, &Sequencer::connecting, this, [this] { d->showConnecting(); });
    connect(link, &Sequencer::identificationChanged, d->panels[2], &QLabel::setText);
    connect(link, &Sequencer::connectedTimeChanged, d->panels[1], &QLabel::setText);
    connect(
        link, &Sequencer::articleListReceived, this,
        [this](const QString &text, const QStringList &names) { d->showArticleList(text, names); });
    connect(link, &Sequencer::operatorDisconnected, this, [this] { d->stopCaptionLoop(); });

    connect(d->control<QAction>(QStringLiteral("mnuExit")), &QAction::triggered, this,
            &MainWindow::quitProgram);
    connect(d->control<QAction>(QStringLiteral("mnuPortSettings")), &QAction::triggered, this,
            &MainWindow::showPortSettings);
    connect(d->control<QAction>(QStringLiteral("mnuHelpContents")), &QAction::triggered, this,
            &MainWindow::showHelpContents);
    connect(d->control<QAction>(QStringLiteral("mnuAbout")), &QAction::triggered, this,
            &MainWindow::showAbout);

    // F1 anywhere in the window, even inside a box that keeps its keys to itself.
    auto *tabHelp = new QAction(this);
    tabHelp->setObjectName(QStringLiteral("actTabHelp"));
    tabHelp->setShortcut(QKeySequence(Qt::Key_F1));
    tabHelp->setShortcutContext(Qt::WindowShortcut);
    // Shown at the head of the Help menu, so that F1 can be found there.
    tabHelp->setText(QStringLiteral("&Help on This Tab"));
    if (QMenu *help = d->control<QMenu>(QStringLiteral("mnuHelp")))
        help->insertAction(help->actions().value(0), tabHelp);
    addAction(tabHelp);
    connect(tabHelp, &QAction::triggered, this, &MainWindow::showTabHelp);

    connect(d->tabMain, &QTabWidget::currentChanged, this,
            [this](int index) { d->enableTabFrame(index); });

    d->timerSecondTick = new QTimer(this);
    d->timerSecondTick->setObjectName(QStringLiteral("timerSecondTick"));
    d->timerSecondTick->setInterval(1000);
    connect(d->timerSecondTick, &QTimer::timeout, this, &MainWindow::tick);
    d->timerSecondTick->start();
    tick();

    if (!d->view->hasAllPages())
        d->restOfPages = new AfterFirstPaint(
            d->view->plantOptions(), [this] { buildAllPages(); }, this);
    else
        d->buildPageParts();
}

// The parts that work on the controls of every page: the File menu with its change mark, the
// encoder buttons and the caption loop.
void MainWindow::Private::buildPageParts()
{
    files = new ConfigFileController(q);
    actions = new EncoderActions(q);
    auto *looping = new CcLoopingController(q);
    connect(q, &MainWindow::secondTick, looping, &CcLoopingController::secondTick);

    connect(control<QAction>(QStringLiteral("mnuNew")), &QAction::triggered, files,
            &ConfigFileController::newFile);
    connect(control<QAction>(QStringLiteral("mnuOpenFile")), &QAction::triggered, files,
            &ConfigFileController::openFile);
    connect(control<QAction>(QStringLiteral("mnuSaveFile")), &QAction::triggered, files,
            &ConfigFileController::saveFile);
    connect(control<QAction>(QStringLiteral("mnuSaveFileAs")), &QAction::triggered, files,
            &ConfigFileController::saveFileAs);
}

bool MainWindow::hasAllPages() const
{
    return d->files != nullptr;
}

void MainWindow::buildAllPages()
{
    if (hasAllPages())
        return;
    if (d->restOfPages) {
        d->restOfPages->deleteLater();
        d->restOfPages = nullptr;
    }
    d->view->buildRemainingPages();
    // The first page's part runs again with the rest; nothing could have changed it yet.
    d->view->setDefaults(d->info);
    d->buildPageParts();
    emit allPagesBuilt();
}

MainWindow::~MainWindow()
{
    // The children outlive d by a moment: silence what they could still report.
    d->timerSecondTick->stop();
    disconnect(d->tabMain, nullptr, this, nullptr);
    disconnect(d->sequencer, nullptr, this, nullptr);
    delete d;
}

Sequencer *MainWindow::sequencer() const
{
    return d->sequencer;
}

LinkMessages *MainWindow::linkMessages() const
{
    return d->linkMessages;
}

ConfigurationView *MainWindow::view() const
{
    return d->view;
}

ConfigFileController *MainWindow::files() const
{
    const_cast<MainWindow *>(this)->buildAllPages();
    return d->files;
}

EncoderActions *MainWindow::actions() const
{
    const_cast<MainWindow *>(this)->buildAllPages();
    return d->actions;
}

const LocalTimeZoneSnapshot &MainWindow::snapshot() const
{
    return d->snapshot;
}

const DefaultInfo &MainWindow::defaultInfo() const
{
    return d->info;
}

QTabWidget *MainWindow::tabMain() const
{
    return d->tabMain;
}

QTimer *MainWindow::timerSecondTick() const
{
    return d->timerSecondTick;
}

QPushButton *MainWindow::cmdConnect() const
{
    return d->cmdConnect;
}

QPushButton *MainWindow::cmdSendConfig() const
{
    return d->cmdSendConfig;
}

QLabel *MainWindow::textPanel(int index) const
{
    return index >= 0 && index < 3 ? d->panels[index] : nullptr;
}

QString MainWindow::tabHelpTopic(int tabIndex)
{
    static const QStringList topics = {
        QStringLiteral("Plant_Options"),    QStringLiteral("V-Chip"),
        QStringLiteral("Caption_Channels"), QStringLiteral("Web_TV"),
        QStringLiteral("Articles"),         QStringLiteral("CC_Looping"),
        QStringLiteral("CGMS-A_Insertion")};
    return topics.value(tabIndex, QStringLiteral("Overview"));
}

void MainWindow::offerLastFile()
{
    files()->startupOffer();
}

void MainWindow::openConfigurationFile(const QString &path)
{
    files()->trackChanges(true); // nothing to save yet: the window was just made
    d->files->openPath(QFileInfo(path).absoluteFilePath());
}

PlantWindow *MainWindow::plantWindow() const
{
    return d->plant;
}

void MainWindow::showPlantWindow()
{
    if (!d->plant) {
        d->plant = new PlantWindow(this);
        d->plant->openLastList();
    }
    d->plant->show();
    d->plant->raise();
    d->plant->activateWindow();
}

void MainWindow::openEncoderList(const QString &path)
{
    if (!d->plant)
        d->plant = new PlantWindow(this);
    d->plant->show();
    d->plant->raise();
    if (d->plant->promptSaveList())
        d->plant->openList(path);
}

void MainWindow::tick()
{
    const QDateTime now = Clock::instance().now();
    if (auto *time = d->control<QLabel>(QStringLiteral("lblLocalTime_1")))
        time->setText(now.toString(QStringLiteral("hh:mm:ss")));
    if (auto *date = d->control<QLabel>(QStringLiteral("lblLocalDate_1")))
        date->setText(
            QLocale(QLocale::English).toString(now.date(), QStringLiteral("MMM dd, yyyy")));
    emit secondTick();
    d->sequencer->secondTick();
}

void MainWindow::showPortSettings()
{
    try {
        if (!d->portSettings)
            d->portSettings = new PortSettingsDialog(d->sequencer, this);
        d->portSettings->exec();
    } catch (const std::exception &e) {
        DialogService::showError(this, QStringLiteral("Error on Port Settings Form"), QString(),
                                 QStringLiteral("frmMainWindow"), 0,
                                 QString::fromLocal8Bit(e.what()));
    }
}

void MainWindow::showHelpContents()
{
    HelpLauncher::showTopic(QStringLiteral("Overview.htm"));
}

void MainWindow::showAbout()
{
    // Made once; OK only hides it, so it comes back already filled.
    if (!d->about)
        d->about = new AboutDialog(this);
    d->about->open();
}

void MainWindow::quitProgram()
{
    close();
}

void MainWindow::showTabHelp()
{
    HelpLauncher::showTopic(tabHelpTopic(d->tabMain->currentIndex()) + QStringLiteral(".htm"));
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // The plant window asks its own questions (a run under way, a changed list) first.
    if ((d->plant && d->plant->isVisible() && !d->plant->close()) || !files()->closeRequest()) {
        event->ignore();
        return;
    }
    PortSettingsStore::saveAppSettings(d->sequencer->channel(), LoadPath, CurrentConfigFile);
    d->sequencer->releaseLink();
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window != this && window->isVisible())
            window->close();
    }
    event->accept();
}

void MainWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1) {
        showTabHelp();
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (isMinimized())
        return;
    d->linkPanel->setFixedWidth(d->twipsToPixels(kLinkPanelTwips));
    d->panels[1]->setFixedWidth(d->twipsToPixels(kTimePanelTwips));
    // Panel 3 stretches over the rest of the bar. The height just holds the tabs, the buttons
    // and the status bar; only the width is the operator's to choose.
    const int height = sizeHint().height();
    if (minimumHeight() != height || maximumHeight() != height)
        setFixedHeight(height);
}
