#include "ui/TrafficLogWindow.h"

#include "core/common/WholeFile.h"
#include "core/session/TrafficLog.h"
#include "ui/DialogService.h"
#include "ui/HelpLauncher.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStandardPaths>
#include <QVBoxLayout>

TrafficLogWindow::TrafficLogWindow(TrafficLog *log, QWidget *parent)
    : QWidget(parent, Qt::Window), m_log(log), m_list(new QListView(this))
{
    setObjectName(QStringLiteral("frmTrafficLog"));
    setWindowTitle(QStringLiteral("Traffic Log"));

    auto *caption = new QLabel(QStringLiteral("Commands and &replies:"), this);
    caption->setObjectName(QStringLiteral("lblTraffic"));
    caption->setBuddy(m_list);
    m_list->setAccessibleName(QStringLiteral("Commands and replies:"));
    m_list->setObjectName(QStringLiteral("lstTraffic"));
    // Every line has the same height, so the view never measures the rows it does not show.
    m_list->setUniformItemSizes(true);
    m_list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setModel(log);

    // Follow the newest line unless the operator has scrolled back to read.
    connect(log, &QAbstractItemModel::rowsAboutToBeInserted, this, [this] {
        const QScrollBar *bar = m_list->verticalScrollBar();
        m_following = bar->value() == bar->maximum();
    });
    connect(log, &QAbstractItemModel::rowsInserted, this, [this] {
        if (m_following && isVisible())
            m_list->scrollToBottom();
    });

    struct Button
    {
        const char *name;
        const char *caption;
        void (TrafficLogWindow::*slot)();
    };
    const Button buttons[] = {{"cmdClear", "C&lear", &TrafficLogWindow::clearLog},
                              {"cmdCopy", "&Copy", &TrafficLogWindow::copyLog},
                              {"cmdSaveAs", "&Save As...", &TrafficLogWindow::saveLogAs},
                              {"cmdClose", "Cl&ose", nullptr}};
    auto *row = new QHBoxLayout;
    row->addStretch();
    for (const Button &b : buttons) {
        auto *button = new QPushButton(QString::fromLatin1(b.caption), this);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setAutoDefault(false);
        if (b.slot)
            connect(button, &QPushButton::clicked, this, b.slot);
        else
            connect(button, &QPushButton::clicked, this, &QWidget::close);
        row->addWidget(button);
    }
    auto *copy = new QShortcut(QKeySequence::Copy, m_list, nullptr, nullptr, Qt::WidgetShortcut);
    connect(copy, &QShortcut::activated, this, &TrafficLogWindow::copyLog);
    auto *close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
    auto *help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this,
            [] { HelpLauncher::showTopic(QStringLiteral("Traffic_Log.htm")); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(m_list);
    layout->addLayout(row);
    resize(760, 420);
}

QListView *TrafficLogWindow::lstTraffic() const
{
    return m_list;
}

void TrafficLogWindow::clearLog()
{
    m_log->clear();
}

void TrafficLogWindow::copyLog()
{
    // The selected lines, or the whole log when nothing is selected.
    QGuiApplication::clipboard()->setText(m_log->text(m_list->selectionModel()->selectedRows()));
}

void TrafficLogWindow::saveLogAs()
{
    const QString path = DialogService::instance().saveFileName(
        this, QStringLiteral("Save Traffic Log"),
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
        QStringLiteral("Text Files (*.txt)|*.txt"));
    if (path.isEmpty())
        return;
    // Written whole or not at all: a failed save never leaves half a log behind.
    QString error;
    if (!WholeFile::write(path, m_log->text().toUtf8(), &error))
        DialogService::tell(this,
                            QStringLiteral("The traffic log could not be saved to ") + path +
                                QStringLiteral(": ") + error,
                            DialogService::Icon::Exclamation);
}
