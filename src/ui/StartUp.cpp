#include "ui/StartUp.h"

#include "ui/MainWindow.h"
#include "ui/MessageBoxDialogs.h"
#include "ui/SplashScreen.h"
#include "ui/dialogs/DefaultInfoDialog.h"

#include <QApplication>

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
    m_defaultInfo = new DefaultInfoDialog;
    DefaultInfo info;
    if (m_defaultInfo->load(&info)) {
        delete m_defaultInfo;
        showMainWindow(info);
        return;
    }
    connect(m_defaultInfo, &QDialog::accepted, this, [this] {
        showMainWindow(m_defaultInfo->defaultInfo());
        m_defaultInfo->deleteLater();
    });
    connect(m_defaultInfo, &QDialog::rejected, this, &StartUp::declined);
    m_defaultInfo->show();
}

void StartUp::showMainWindow(const DefaultInfo &info)
{
    m_mainWindow = std::make_unique<MainWindow>(info);
    if (m_file.isEmpty()) {
        m_mainWindow->offerLastFile();
        m_mainWindow->show();
    } else if (m_file.endsWith(QLatin1String(".ini"), Qt::CaseInsensitive)) {
        m_mainWindow->offerLastFile();
        m_mainWindow->show();
        m_mainWindow->openEncoderList(m_file);
    } else {
        // Shown first, so that the field rules of the load can move the focus.
        m_mainWindow->show();
        m_mainWindow->openConfigurationFile(m_file);
    }
    QApplication::setQuitOnLastWindowClosed(true);
}
