#pragma once

#include "ui/HelpWindowOptions.h"

#include <QMainWindow>
#include <QUrl>

class QAction;
class QLineEdit;
class QTextBrowser;
class QToolBar;

// The program's help window: the help pages in a browser pane with Back, Forward and Contents,
// an address bar, a menu bar, a tool bar and a status bar, each shown as the window options
// say. One window serves every request.
class HelpWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *parent = nullptr);

    // Bars, frame, place and size.
    void applyOptions(const HelpLauncher::WindowOptions &options);
    // Opens a help URL. The start page with a topic page after "#" opens the topic page
    // itself, which is what the start page's script does in a web browser.
    void showUrl(const QUrl &url);

    QTextBrowser *browser() const { return txtHelp; }
    // The page on show, e.g. file:///usr/share/quillcast/Help Files/Overview.htm.
    QUrl source() const;

public slots:
    void showContents();

private:
    void openLink(const QUrl &link);
    void showLocation();

    QTextBrowser *txtHelp;
    QLineEdit *txtAddress;
    QToolBar *tbAddress;
    QToolBar *tbNavigation;
    QUrl m_startPage;
};
