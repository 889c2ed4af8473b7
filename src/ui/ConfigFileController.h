#pragma once

#include <QObject>

class frmMainWindow;

// The File menu (New, Open File..., Save, Save As...), change tracking, the window title, the
// start-up offer to reload the last file and the close request with its save offer.
class ConfigFileController : public QObject
{
    Q_OBJECT
public:
    explicit ConfigFileController(frmMainWindow *window);
    ~ConfigFileController() override;

    // true when the window may close (asks to save changes, or "Are you sure you want to exit?").
    bool closeRequest();
    // The offer to reload CurrentConfigFile at start-up, then a snapshot.
    void startupOffer();

public slots:
    void mnuNew_Click();
    void mnuOpenFile_Click();
    void mnuSaveFile_Click();
    void mnuSaveFileAs_Click();

private:
    frmMainWindow *m_window;
};
