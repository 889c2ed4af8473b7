#pragma once

#include <QMainWindow>
#include <QString>

class ConfigFileController;
class ConfigurationView;
class LinkMessages;
class Sequencer;
struct DefaultInfo;
struct LocalTimeZoneSnapshot;

// The main window as its parts (the File menu, the encoder buttons, the caption loop) see it:
// the window they parent their boxes to and find their controls in, and the objects it owns.
// The window implements it and hands itself to each part; the parts never know the window's
// own class.
class MainWindowParts : public QMainWindow
{
public:
    using QMainWindow::QMainWindow;

    virtual Sequencer *sequencer() const = 0;
    virtual LinkMessages *linkMessages() const = 0;
    virtual ConfigurationView *view() const = 0;
    virtual ConfigFileController *files() const = 0;
    virtual const LocalTimeZoneSnapshot &snapshot() const = 0;
    virtual const DefaultInfo &defaultInfo() const = 0;
    // Full path of the configuration file in use ("" when none) and the starting folder of the
    // open and save dialogs.
    virtual QString &currentConfigFile() = 0;
    virtual QString &loadPath() = 0;
};
