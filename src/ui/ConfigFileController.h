#pragma once

#include <QObject>
#include <QString>

class ChangeTracker;
class MainWindowParts;

// The File menu (New, Open File..., Save, Save As...), change tracking, the window title, the
// start-up offer to reload the last file and the close request with its save offer.
class ConfigFileController : public QObject
{
    Q_OBJECT
public:
    explicit ConfigFileController(MainWindowParts *window);
    ~ConfigFileController() override;

    // true when the window may close: asks first whether to exit while a send is under way, then
    // to save changes, or else "Are you sure you want to exit?".
    bool closeRequest();
    // The offer to reload CurrentConfigFile at start-up, then a snapshot.
    void startupOffer();

    // With takeSnapshot true records what every control shows; with false tells whether
    // anything differs from the last snapshot.
    bool trackChanges(bool takeSnapshot);
    // Offers to save a changed configuration; true when the caller may go on.
    bool promptSaveChanges();
    // Loads CurrentConfigFile into the window (nothing when it is "").
    void openCurrentFile();

    // The window's configuration to and from a file. loadConfiguration expects the defaults
    // to be in the controls and puts the focus on cmdConnect after a complete load.
    bool loadConfiguration(const QString &path);
    bool saveConfiguration(const QString &path);

    // The file dialogs: the chosen full path, or "" when cancelled. A chosen path's folder
    // becomes the starting folder of the next dialog of either kind.
    QString showOpenDialog(const QString &filter);
    QString showSaveDialog(const QString &filter);

    static const QString OpenFilter; // "Orvane Configuration Files (.qcf)|*.qcf"
    static const QString SaveFilter; // "Orvane Configuration File (.qcf)|*.qcf"

public slots:
    void newFile();
    void openFile();
    // Open File... of a file already chosen (the plant window's, the command line's): the
    // same question about changes first, the same messages when the file does not read.
    void openPath(const QString &path);
    void saveFile();
    void saveFileAs();

private:
    void setDefaults();
    void showFileInTitle();
    void saveCurrentFile();
    void rememberFolder(const QString &path);

    MainWindowParts *m_window;
    ChangeTracker *m_tracker;
};
