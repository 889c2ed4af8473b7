#pragma once

#include "common/LocalTimeZoneSnapshot.h"
#include "config/DefaultInfo.h"

#include <QMainWindow>
#include <QString>

class Sequencer;
class ConfigurationView;
class ConfigFileController;
class EncoderActions;
class QTabWidget;
class QTimer;

// The application's working window: seven feature tabs, the Connect and Send Configuration
// buttons, the status bar, the menus and the one-second tick. The tabs' controls and rules
// belong to ConfigurationView, the File menu to ConfigFileController, the encoder buttons to
// EncoderActions and the link to Sequencer; this class composes them.
class frmMainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit frmMainWindow(const DefaultInfo &info, QWidget *parent = nullptr);
    ~frmMainWindow() override;

    Sequencer *sequencer() const;
    ConfigurationView *view() const;
    ConfigFileController *files() const;
    EncoderActions *actions() const;
    const LocalTimeZoneSnapshot &snapshot() const;
    const DefaultInfo &defaultInfo() const;
    QTabWidget *tabMain() const;
    QTimer *timerSecondTick() const;

    QString CurrentConfigFile; // full path of the configuration file in use; "" when none
    QString LoadPath;          // starting folder of the open and save dialogs

    // Offers to reload the last configuration file (the last step of the window's load).
    void offerLastFile();

public slots:
    void timerSecondTick_Timer();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Private;
    Private *d;
};
