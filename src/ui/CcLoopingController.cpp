#include "ui/CcLoopingController.h"

#include "core/common/ReadTextFile.h"
#include "core/looping/CaptionLoopScheduler.h"
#include "core/session/EncoderChannel.h"
#include "core/session/Sequencer.h"
#include "ui/ConfigFileController.h"
#include "ui/ConfigurationBinder.h"
#include "ui/ConfigurationView.h"
#include "ui/LinkMessages.h"
#include "ui/MainWindowParts.h"
#include "ui/ViewFileInEditor.h"
#include "ui/tabs/CcLoopingTab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <utility>

namespace {

const QString kTextFilter = QStringLiteral("Text Files (.txt)|*.txt");

QPushButton *loopButton(QWidget *window, int index)
{
    return window->findChild<QPushButton *>(QStringLiteral("cmdCCLpLoopControl_%1").arg(index));
}

} // namespace

CcLoopingController::CcLoopingController(MainWindowParts *window)
    : QObject(window), m_window(window), m_timer(window, QStringLiteral("timerCCLoopingTimeout")),
      m_link(window->sequencer()),
      m_scheduler(new CaptionLoopScheduler(&m_timer, &m_clock, &m_link, this))
{
    setObjectName(QStringLiteral("ccLooping"));
    connect(control<QPushButton>("cmdCCLpBrowse"), &QPushButton::clicked, this,
            &CcLoopingController::browseLoopFile);
    connect(control<QPushButton>("cmdCCLpViewFile"), &QPushButton::clicked, this,
            &CcLoopingController::viewLoopFile);
    connect(control<QPushButton>("cmdCCLpReloadFile"), &QPushButton::clicked, this,
            &CcLoopingController::reloadLoopFile);
    for (int index = 0; index < 2; ++index) {
        connect(loopButton(window, index), &QPushButton::clicked, this,
                [this, index] { controlLoop(index); });
    }

    connect(m_scheduler, &CaptionLoopScheduler::lineQueued, label("lblCCLoopingLastSent"),
            &QLabel::setText);
    connect(m_scheduler, &CaptionLoopScheduler::timeLeftChanged, label("lblCCLpTimeLeft"),
            &QLabel::setText);
    connect(m_scheduler, &CaptionLoopScheduler::completed, this, [this] {
        pressStop();
        tell(QStringLiteral("CC Looping has completed."), DialogService::Icon::Information);
    });
    connect(m_scheduler, &CaptionLoopScheduler::connectionLost, this, [this] {
        pressStop();
        tell(QStringLiteral("CC Looping: Connection to the unit has been lost!"),
             DialogService::Icon::Critical);
    });

    // A transaction that failed leaves the link given up once its message has been read: the
    // loop ends then as Disconnect ends it, without a message of its own on top.
    connect(window->sequencer(), &Sequencer::transactionFailed, this, [this] { pressStop(); });
    // A loop started while the port opens begins once the encoder has answered; an open that
    // fails or is cancelled ends it without a word (the open says its own).
    connect(window->sequencer(), &Sequencer::linkStateChanged, this,
            [this](Sequencer::LinkState state) {
                if (m_secondsAfterOpen == 0)
                    return;
                if (state == Sequencer::LinkState::Connected)
                    runLoop(std::exchange(m_secondsAfterOpen, 0));
                else if (state == Sequencer::LinkState::Disconnected)
                    pressStop();
            });

    // Loading a configuration file selects its caption loop file again.
    ConfigurationBinder::setCaptionLoopFileSelected([](QWidget *root, const QString &path) {
        if (auto *controller = root->findChild<CcLoopingController *>())
            controller->selectCCLoopingFile(path);
    });
}

CcLoopingController::~CcLoopingController()
{
    delete m_scheduler; // before the timer it runs on
}

template <typename T> T *CcLoopingController::control(const char *name) const
{
    return m_window->findChild<T *>(QLatin1String(name));
}

QLabel *CcLoopingController::label(const char *name) const
{
    return control<QLabel>(name);
}

void CcLoopingController::tell(const QString &text, DialogService::Icon icon)
{
    DialogService::tell(m_window, text, icon);
}

QString CcLoopingController::selectedPath() const
{
    return label("lblCCLpCurFilePath")->toolTip() + label("lblCCLpCurFileName")->toolTip();
}

bool CcLoopingController::clampToRange(int min, int max, int &value)
{
    return CaptionLoopFile::clampToRange(min, max, value);
}

void CcLoopingController::selectCCLoopingFile(const QString &path)
{
    if (path.isEmpty())
        return;
    ConfigurationBinder::showCaptionLoopFile(m_window, path);
    loadCCLoopingFile(readFile(path));
}

// A file too large to be read is refused with a message that names the limit; any other file
// that cannot be read changes nothing without a word, as a missing one does.
QStringList CcLoopingController::readFile(const QString &path)
{
    TextFileError error = TextFileError::None;
    const QStringList textFile = readTextFile(path, &error);
    if (error == TextFileError::TooLarge)
        tell(CaptionLoopFile::TooLargeMessage, DialogService::Icon::Exclamation);
    return textFile;
}

void CcLoopingController::loadCCLoopingFile(const QStringList &textFile)
{
    if (textFile.value(0).isEmpty())
        return;
    // The loop never sends from a list or with settings that are being replaced.
    pressStop();
    QLabel *settings[] = {label("lblCCLpLineDelay"), label("lblCCLpLoopDelay"),
                          label("lblCCLpCCChannel")};
    // The labels are what the operator sees: a setting is kept, or missing, as they show it.
    m_file.setSettings(
        {settings[0]->text().toInt(), settings[1]->text().toInt(), settings[2]->text().toInt()});
    m_file.load(textFile, [this](const QString &message) {
        tell(message, DialogService::Icon::Exclamation);
    });
    const CaptionLoopFile::Settings values = m_file.settings();
    settings[0]->setText(QString::number(values.lineDelay));
    settings[1]->setText(QString::number(values.loopDelay));
    settings[2]->setText(QString::number(values.channel));
    m_loadedPath = textFile.first();
}

void CcLoopingController::browseLoopFile()
{
    selectCCLoopingFile(m_window->files()->showOpenDialog(kTextFilter));
}

void CcLoopingController::viewLoopFile()
{
    viewFileInEditor(label("lblCCLpCurFilePath")->toolTip() + label("lblCCLpCurFileName")->text());
}

void CcLoopingController::reloadLoopFile()
{
    if (label("lblCCLpCurFileName")->toolTip().isEmpty()) {
        tell(QStringLiteral("No file selected to reload."), DialogService::Icon::Exclamation);
        return;
    }
    loadCCLoopingFile(readFile(selectedPath()));
}

void CcLoopingController::controlLoop(int index)
{
    if (index == 0)
        start();
    else
        stop();
}

void CcLoopingController::start()
{
    // A selected file that has never been read, or whose settings a reset has cleared since,
    // has nothing to send.
    const bool settingsSet = !label("lblCCLpLineDelay")->text().isEmpty() &&
                             !label("lblCCLpLoopDelay")->text().isEmpty() &&
                             !label("lblCCLpCCChannel")->text().isEmpty();
    if (label("lblCCLpCurFileName")->toolTip().isEmpty() || selectedPath() != m_loadedPath ||
        !settingsSet) {
        tell(QStringLiteral("Please select a CC Looping file."), DialogService::Icon::Exclamation);
        return;
    }
    CcLoopingTab *tab = m_window->view()->ccLooping();
    int seconds = CaptionLoopScheduler::Continuous;
    if (tab->isContinuous()) {
        label("lblCCLpTimeLeft")->setText(QStringLiteral("Continuous"));
    } else {
        const QList<QComboBox *> time = tab->loopingTime();
        seconds =
            time[0]->currentIndex() * 3600 + time[1]->currentIndex() * 60 + time[2]->currentIndex();
    }
    if (seconds == 0) {
        tell(QStringLiteral("Please select the amount of time to loop for."),
             DialogService::Icon::Exclamation);
        return;
    }
    if (!m_window->linkMessages()->ensureConnected())
        return;

    control<QWidget>("cmdCCLpBrowse")->setEnabled(false);
    control<QWidget>("cmdCCLpReloadFile")->setEnabled(false);
    for (QComboBox *list : tab->loopingTime())
        list->setEnabled(false);
    tab->infiniteTime()->setEnabled(false);
    tab->startButton()->setEnabled(false);
    tab->stopButton()->setEnabled(true);
    label("lblCCLoopingLastSent")->clear();
    // A network port opens in the event loop: a tick meanwhile would find it closed.
    if (m_window->sequencer()->channel()->portIsOpening())
        m_secondsAfterOpen = seconds;
    else
        runLoop(seconds);
}

void CcLoopingController::runLoop(int seconds)
{
    m_scheduler->start(m_file.lines(),
                       {label("lblCCLpLineDelay")->text().toInt(),
                        label("lblCCLpLoopDelay")->text().toInt(),
                        label("lblCCLpCCChannel")->text().toInt()},
                       seconds);
}

void CcLoopingController::stop()
{
    m_scheduler->stop();
    m_secondsAfterOpen = 0;
    CcLoopingTab *tab = m_window->view()->ccLooping();
    control<QWidget>("cmdCCLpBrowse")->setEnabled(true);
    control<QWidget>("cmdCCLpReloadFile")->setEnabled(true);
    tab->applyContinuousLoopRule();
    tab->infiniteTime()->setEnabled(true);
    tab->startButton()->setEnabled(true);
    tab->stopButton()->setEnabled(false);
    label("lblCCLpTimeLeft")->setText(QStringLiteral("N/A"));
}

// Stop as the operator presses it; nothing happens while the loop is idle.
void CcLoopingController::pressStop()
{
    loopButton(m_window, 1)->click();
}

void CcLoopingController::secondTick()
{
    m_scheduler->secondTick();
}
