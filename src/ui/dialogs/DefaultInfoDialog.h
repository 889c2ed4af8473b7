#pragma once

#include "core/config/DefaultInfo.h"

#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

// Asks once per user for the plant's default network name, call letters and TSID, which every
// configuration reset puts into the main window. The boxes start empty; stored values are
// never shown.
class DefaultInfoDialog : public QDialog
{
    Q_OBJECT
public:
    explicit DefaultInfoDialog(QWidget *parent = nullptr);

    // The dialog's load: sets up help (this is the first window that can ask for it), then
    // reads the stored defaults. true with info filled when all three are stored; the dialog
    // is then never shown, nor need it be built.
    static bool load(DefaultInfo *info);

    // The stored defaults when all three are there (the dialog is never seen); otherwise asks
    // for them. true with info filled after OK, false after Exit or the close box.
    static bool obtain(DefaultInfo *info, QWidget *parent = nullptr);

    // The values accepted by OK.
    DefaultInfo defaultInfo() const { return m_info; }

public slots:
    void confirm();
    void quitProgram();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QFrame *fContainer;
    QLabel *lblDefaultInfo[3];
    QLineEdit *txtNetworkName;
    QLineEdit *txtCallLetters;
    QLineEdit *txtTSID;
    QPushButton *cmdOk;
    QPushButton *cmdExit;
    DefaultInfo m_info;
};
