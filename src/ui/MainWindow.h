#pragma once

#include "core/common/LocalTimeZoneSnapshot.h"
#include "core/config/DefaultInfo.h"
#include "ui/MainWindowParts.h"

#include <QString>

class Sequencer;
class ConfigurationView;
class ConfigFileController;
class EncoderActions;
class QLabel;
class QPushButton;
class QTabWidget;
class QTimer;
class PlantWindow;
class PortSettingsDialog;

// The application's working window: seven feature tabs, the Connect and Send Configuration
// buttons, the status bar, the menus and the one-second tick. The tabs' controls and rules
// belong to ConfigurationView, the File menu to ConfigFileController, the encoder buttons to
// EncoderActions and the link to Sequencer; this class composes them.
class MainWindow : public MainWindowParts
{
    Q_OBJECT
public:
    // AllAtOnce builds every page before the constructor returns. FirstPageFirst builds the first
    // page only, so that the window is on the screen sooner, and the other six right after its
    // first paint (or before the first input, whichever comes first; at once when a screen
    // reader is active): allPagesBuilt() then tells that every control is there with its
    // default.
    enum class Pages
    {
        AllAtOnce,
        FirstPageFirst
    };

    explicit MainWindow(const DefaultInfo &info, Pages pages = Pages::AllAtOnce,
                        QWidget *parent = nullptr);
    ~MainWindow() override;

    bool hasAllPages() const;
    // Builds the pages that wait for the first paint now (nothing when they are built).
    void buildAllPages();

    Sequencer *sequencer() const override;
    LinkMessages *linkMessages() const override;
    ConfigurationView *view() const override;
    // The parts that work on every page; asking for them builds the pages that are not yet.
    ConfigFileController *files() const override;
    EncoderActions *actions() const;
    const LocalTimeZoneSnapshot &snapshot() const override;
    const DefaultInfo &defaultInfo() const override;
    QTabWidget *tabMain() const;
    QTimer *timerSecondTick() const;
    QPushButton *cmdConnect() const;
    QPushButton *cmdSendConfig() const;
    QLabel *textPanel(int index) const;

    // The help topic page of each tab, e.g. "Plant_Options".
    static QString tabHelpTopic(int tabIndex);

    QString CurrentConfigFile; // full path of the configuration file in use; "" when none
    QString LoadPath;          // starting folder of the open and save dialogs
    QString &currentConfigFile() override { return CurrentConfigFile; }
    QString &loadPath() override { return LoadPath; }

    // Offers to reload the last configuration file (the last step of the window's load).
    void offerLastFile();
    // Opens the configuration file as File > Open File... does once the file is chosen (a file
    // named on the command line, instead of the offer).
    void openConfigurationFile(const QString &path);
    // Shows the plant window with the encoder list at path; a list that does not read is
    // refused with its message.
    void openEncoderList(const QString &path);
    PlantWindow *plantWindow() const; // nullptr until View > Plant is first used

public slots:
    // The one-second tick: the clock labels, the caption loop's countdown, the link step.
    void tick();
    void showPortSettings();
    void showHelpContents();
    void showAbout();
    void quitProgram();
    // F1: the help page of the current tab.
    void showTabHelp();
    // View > Plant (Ctrl+Shift+P): the plant window, with the list last opened there.
    void showPlantWindow();

signals:
    void allPagesBuilt();
    // Step 2 of the one-second tick, between the clock labels and the link step (the caption
    // loop counts down on it).
    void secondTick();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Private;
    Private *d;
};
