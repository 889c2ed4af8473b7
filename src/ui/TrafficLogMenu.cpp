#include "ui/TrafficLogMenu.h"

#include "core/session/TrafficLog.h"
#include "ui/TrafficLogWindow.h"

#include <QAction>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

TrafficLogMenu::TrafficLogMenu(const Sequencer *sequencer, QMainWindow *window)
    : QObject(window), m_mainWindow(window), m_log(new TrafficLog(this))
{
    setObjectName(QStringLiteral("trafficLogMenu"));
    m_log->setObjectName(QStringLiteral("trafficLog"));
    m_log->attach(sequencer);

    // File, View, Setup, Help.
    auto *view = new QMenu(QStringLiteral("&View"), window);
    view->setObjectName(QStringLiteral("mnuView"));
    QAction *entry = view->addAction(QStringLiteral("&Traffic Log"));
    entry->setObjectName(QStringLiteral("mnuTrafficLog"));
    entry->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(entry, &QAction::triggered, this, &TrafficLogMenu::showTrafficLog);
    QMenuBar *bar = window->menuBar();
    const auto *setup = bar->findChild<QMenu *>(QStringLiteral("mnuSetup"));
    if (setup)
        bar->insertMenu(setup->menuAction(), view);
    else
        bar->addMenu(view);
}

void TrafficLogMenu::showTrafficLog()
{
    if (!m_window)
        m_window = new TrafficLogWindow(m_log, m_mainWindow);
    m_window->show();
    m_window->lstTraffic()->scrollToBottom();
    m_window->raise();
    m_window->activateWindow();
}
