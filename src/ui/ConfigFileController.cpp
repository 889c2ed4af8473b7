#include "ui/ConfigFileController.h"

#include "core/common/AppInfo.h"
#include "core/config/ConfigurationFile.h"
#include "core/session/Sequencer.h"
#include "ui/ChangeTracker.h"
#include "ui/ConfigurationBinder.h"
#include "ui/ConfigurationView.h"
#include "ui/DialogService.h"
#include "ui/MainWindowParts.h"

#include <QDir>
#include <exception>

namespace {

using Answer = DialogService::Answer;
using Buttons = DialogService::Buttons;
using Icon = DialogService::Icon;

// Unexpected failures end the command and are reported with the shared error report, titled
// "Error". A configuration too large for the file format is one of them.
void reportFailure(QWidget *parent, const QString &heading, const std::exception &failure)
{
    const bool build = dynamic_cast<const ConfigurationFile::BuildError *>(&failure) != nullptr;
    DialogService::showError(
        parent, heading, QString(),
        build ? QStringLiteral("SaveConfiguration") : QStringLiteral("Quillcast"),
        build ? ConfigurationFile::BuildError::Number : 0, QString::fromLocal8Bit(failure.what()));
}

QString sendUnderwayQuestion(int toGo)
{
    return QStringLiteral("A send to the Encoder is under way: %1 still to go.  Are you sure you "
                          "want to exit?")
        .arg(toGo == 1 ? QStringLiteral("1 command is")
                       : QStringLiteral("%1 commands are").arg(toGo));
}

} // namespace

const QString ConfigFileController::OpenFilter =
    QStringLiteral("Orvane Configuration Files (.qcf)|*.qcf");
const QString ConfigFileController::SaveFilter =
    QStringLiteral("Orvane Configuration File (.qcf)|*.qcf");

ConfigFileController::ConfigFileController(MainWindowParts *window)
    : QObject(window), m_window(window), m_tracker(new ChangeTracker(window))
{
}

ConfigFileController::~ConfigFileController()
{
    delete m_tracker;
}

bool ConfigFileController::trackChanges(bool takeSnapshot)
{
    return m_tracker->trackChanges(takeSnapshot);
}

bool ConfigFileController::closeRequest()
{
    try {
        // A send under way ends with the window: the operator hears so first, whatever else is
        // asked, and No lets the send run on.
        const int toGo = m_window->sequencer()->commandsToGo();
        if (toGo > 0 && DialogService::ask(m_window, sendUnderwayQuestion(toGo), Buttons::YesNo,
                                           Icon::Exclamation) != Answer::Yes)
            return false;
        if (trackChanges(false))
            return promptSaveChanges();
        return toGo > 0 ||
               DialogService::ask(m_window, QStringLiteral("Are you sure you want to exit?"),
                                  Buttons::YesNo, Icon::None) == Answer::Yes;
    } catch (const std::exception &failure) {
        // The window stays open, so that the unsaved changes are not lost with it.
        reportFailure(m_window, QStringLiteral("Error saving file"), failure);
        return false;
    }
}

void ConfigFileController::startupOffer()
{
    try {
        QString &current = m_window->currentConfigFile();
        if (!current.isEmpty()) {
            const Answer answer = DialogService::ask(
                m_window, QStringLiteral("Would you like to load ") + current + QStringLiteral("?"),
                Buttons::YesNo, Icon::Information);
            if (answer == Answer::Yes) {
                // The window is visible while the file loads, so that the field rules can
                // move the focus; the start-up sequence shows it for good afterwards.
                const bool wasVisible = m_window->isVisible();
                m_window->show();
                openCurrentFile();
                if (!wasVisible)
                    m_window->hide();
            } else {
                current.clear();
            }
        }
        trackChanges(true);
    } catch (const std::exception &failure) {
        reportFailure(m_window, QStringLiteral("Error opening file"), failure);
    }
}

bool ConfigFileController::promptSaveChanges()
{
    QString &current = m_window->currentConfigFile();
    if (trackChanges(false)) {
        if (current.isEmpty()) {
            const Answer answer = DialogService::ask(
                m_window, QStringLiteral("Would you like to save the current Configuration?"),
                Buttons::YesNoCancel, Icon::Warning);
            if (answer == Answer::Cancel)
                return false;
            if (answer == Answer::Yes) {
                current = showSaveDialog(SaveFilter);
                if (current.isEmpty())
                    return false;
                if (!saveConfiguration(current)) {
                    current.clear();
                    return false;
                }
            }
        } else {
            const Answer answer = DialogService::ask(
                m_window,
                QStringLiteral("Changes have been made to the current file.  Would you like to "
                               "save those changes?"),
                Buttons::YesNoCancel, Icon::Warning);
            if (answer == Answer::Cancel)
                return false;
            // A failed write has shown its message. The operation that asked (Exit, New, Open)
            // is called off, so the edits it would throw away are still there to be saved
            // elsewhere.
            if (answer == Answer::Yes && !saveConfiguration(current))
                return false;
        }
    }
    trackChanges(true);
    return true;
}

void ConfigFileController::newFile()
{
    try {
        if (!promptSaveChanges())
            return;
        m_window->currentConfigFile().clear();
        setDefaults();
        trackChanges(true);
    } catch (const std::exception &failure) {
        reportFailure(m_window, QStringLiteral("Error creating new file"), failure);
    }
}

void ConfigFileController::openFile()
{
    try {
        if (!promptSaveChanges())
            return;
        m_window->currentConfigFile() = showOpenDialog(OpenFilter);
        openCurrentFile();
    } catch (const std::exception &failure) {
        reportFailure(m_window, QStringLiteral("Error opening file"), failure);
    }
}

void ConfigFileController::openPath(const QString &path)
{
    try {
        if (!promptSaveChanges())
            return;
        rememberFolder(path);
        m_window->currentConfigFile() = path;
        openCurrentFile();
    } catch (const std::exception &failure) {
        reportFailure(m_window, QStringLiteral("Error opening file"), failure);
    }
}

void ConfigFileController::saveFile()
{
    try {
        if (m_window->currentConfigFile().isEmpty())
            m_window->currentConfigFile() = showSaveDialog(SaveFilter);
        saveCurrentFile();
    } catch (const std::exception &failure) {
        reportFailure(m_window, QStringLiteral("Error saving file"), failure);
    }
}

void ConfigFileController::saveFileAs()
{
    try {
        m_window->currentConfigFile() = showSaveDialog(SaveFilter);
        saveCurrentFile();
    } catch (const std::exception &failure) {
        reportFailure(m_window, QStringLiteral("Error saving file"), failure);
    }
}

void ConfigFileController::openCurrentFile()
{
    QString &current = m_window->currentConfigFile();
    if (current.isEmpty())
        return;
    // Fields that the file does not hold start from their defaults.
    setDefaults();
    if (loadConfiguration(current)) {
        showFileInTitle();
    } else {
        setDefaults();
        current.clear();
    }
    trackChanges(true);
}

bool ConfigFileController::loadConfiguration(const QString &path)
{
    const ConfigurationFile::LoadResult loaded =
        ConfigurationFile::loadConfiguration(path, ConfigurationBinder::read(m_window));
    for (const ConfigurationFile::Message &message : loaded.messages) {
        if (message.kind == ConfigurationFile::Message::Warning)
            DialogService::tell(m_window, message.text, Icon::Warning);
        else if (DialogService::ask(m_window, message.text, Buttons::YesNo, Icon::Warning) !=
                 Answer::Yes)
            return false;
    }
    if (!loaded.readable)
        return false;
    ConfigurationBinder::apply(m_window, loaded.configuration);
    if (auto *connect = m_window->findChild<QWidget *>(QStringLiteral("cmdConnect")))
        connect->setFocus();
    return true;
}

bool ConfigFileController::saveConfiguration(const QString &path)
{
    QString failure;
    if (ConfigurationFile::saveConfiguration(path, ConfigurationBinder::read(m_window), &failure))
        return true;
    DialogService::tell(m_window, failure, Icon::Warning);
    return false;
}

QString ConfigFileController::showOpenDialog(const QString &filter)
{
    const QString path = DialogService::instance().openFileName(
        m_window, QStringLiteral("Open File"), m_window->loadPath(), filter);
    rememberFolder(path);
    return path;
}

QString ConfigFileController::showSaveDialog(const QString &filter)
{
    const QString path = DialogService::instance().saveFileName(
        m_window, QStringLiteral("Save File"), m_window->loadPath(), filter);
    rememberFolder(path);
    return path;
}

void ConfigFileController::setDefaults()
{
    m_window->view()->setDefaults(m_window->defaultInfo());
}

// Steps shared by Save and Save As once the file name is known: the title names the file
// only after a successful write. A write that failed leaves the edits unsaved: no snapshot is
// taken, so that New, Open and Exit still offer to save them.
void ConfigFileController::saveCurrentFile()
{
    QString &current = m_window->currentConfigFile();
    if (!current.isEmpty()) {
        if (!saveConfiguration(current)) {
            current.clear();
            return;
        }
        showFileInTitle();
    }
    trackChanges(true);
}

void ConfigFileController::showFileInTitle()
{
    m_window->setWindowTitle(AppInfo::ApplicationTitle + QStringLiteral(" - ") +
                             m_window->currentConfigFile());
}

void ConfigFileController::rememberFolder(const QString &path)
{
    if (path.isEmpty())
        return;
    const int cut = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QDir::separator()));
    m_window->loadPath() = path.left(cut + 1);
}
