#pragma once

#include "core/config/DefaultInfo.h"

#include <QObject>
#include <QPointer>
#include <memory>

class DefaultInfoDialog;
class MainWindow;
class SplashScreen;
class MessageBoxDialogs;

// The windows of a start, one after the other: the splash window, the default-information
// dialog (which closes at once when the defaults are stored), then the main window. A file named
// on the command line is opened there: an encoder list (.ini) in the plant window, else a
// configuration file, in place of the offer to reload the last one.
class StartUp : public QObject
{
    Q_OBJECT
public:
    explicit StartUp(bool showSplash, const QString &file = QString(), QObject *parent = nullptr);
    ~StartUp() override;

    void start();

    // The window of each step while it is there, else nullptr.
    SplashScreen *splash() const;
    DefaultInfoDialog *defaultInfoDialog() const;
    MainWindow *mainWindow() const;

signals:
    // Exit or the close box in the default-information dialog: the program ends.
    void declined();

private:
    void showDefaultInfo();
    void showMainWindow(const DefaultInfo &info);

    bool m_showSplash;
    QString m_file;
    std::unique_ptr<MessageBoxDialogs> m_boxes; // the program's message boxes and file dialogs
    QPointer<SplashScreen> m_splash;
    QPointer<DefaultInfoDialog> m_defaultInfo;
    std::unique_ptr<MainWindow> m_mainWindow;
};
