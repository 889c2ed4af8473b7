#include "ui/StartUp.h"

#include "ui/FirstPaintStyle.h"
#include "ui/MainWindow.h"
#include "ui/MessageBoxDialogs.h"
#include "ui/SplashScreen.h"
#include "ui/dialogs/DefaultInfoDialog.h"

#include <QApplication>
#include <QTimer>

StartUp::StartUp(bool showSplash, const QString &file, QObject *parent)
    : QObject(parent), m_showSplash(showSplash), m_file(file),
      m_boxes(std::make_unique<MessageBoxDialogs>())
{
}

StartUp::~StartUp()
{
    delete m_splash;
    delete m_defaultInfo;
}

SplashScreen *StartUp::splash() const
{
    return m_splash.data();
}

DefaultInfoDialog *StartUp::defaultInfoDialog() const
{
    return m_defaultInfo.data();
}

MainWindow *StartUp::mainWindow() const
{
    return m_mainWindow.get();
}

void StartUp::start()
{
    // Between two windows of the start none is on screen; that must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);
    if (!m_showSplash) {
        showDefaultInfo();
        return;
    }
    m_splash = new SplashScreen;
    connect(m_splash, &SplashScreen::finished, this, [this] {
        showDefaultInfo();
        m_splash->deleteLater();
    });
    m_splash->show();
}

void StartUp::showDefaultInfo()
{
    // On every start after the first the defaults are stored: the dialog is not even built.
    DefaultInfo info;
    if (DefaultInfoDialog::load(&info)) {
        showMainWindow(info);
        return;
    }
    m_defaultInfo = new DefaultInfoDialog;
    connect(m_defaultInfo, &QDialog::accepted, this, [this] {
        showMainWindow(m_defaultInfo->defaultInfo());
        m_defaultInfo->deleteLater();
    });
    connect(m_defaultInfo, &QDialog::rejected, this, &StartUp::declined);
    m_defaultInfo->show();
}

void StartUp::showMainWindow(const DefaultInfo &info)
{
    // The window is on the screen with its first page; the others follow its first paint. The
    // offer of the last file (a question), or the file named on the command line, comes once
    // every page is there.
    FirstPaintStyle::install();
    m_mainWindow = std::make_unique<MainWindow>(info, MainWindow::Pages::FirstPageFirst);
    MainWindow *window = m_mainWindow.get();
    const auto openFiles = [this, window] {
        if (m_file.isEmpty()) {
            window->offerLastFile();
        } else if (m_file.endsWith(QLatin1String(".ini"), Qt::CaseInsensitive)) {
            window->offerLastFile();
            window->openEncoderList(m_file);
        } else {
            window->openConfigurationFile(m_file);
        }
    };
    if (window->hasAllPages())
        QTimer::singleShot(0, window, openFiles);
    else
        connect(window, &MainWindow::allPagesBuilt, window, openFiles, Qt::QueuedConnection);
    window->show();
    QApplication::setQuitOnLastWindowClosed(true);
}
