#include "ui/HelpWindow.h"

#include "core/common/AppInfo.h"
#include "core/common/AppSettings.h"
#include "ui/DialogService.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QRegularExpression>
#include <QStatusBar>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>

namespace {

QAction *action(QObject *parent, const char *name, const QString &text,
                const QList<QKeySequence> &keys)
{
    auto *act = new QAction(text, parent);
    act->setObjectName(QString::fromLatin1(name));
    act->setShortcuts(keys);
    return act;
}

} // namespace

HelpWindow::HelpWindow(QWidget *parent) : QMainWindow(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(AppInfo::ApplicationTitle + QStringLiteral(" Help"));
    // Closing help never ends the program, and the window is kept for the next request.
    setAttribute(Qt::WA_QuitOnClose, false);

    txtHelp = new QTextBrowser(this);
    txtHelp->setObjectName(QStringLiteral("txtHelp"));
    txtHelp->setAccessibleName(QStringLiteral("Help page"));
    txtHelp->setOpenLinks(false);
    setCentralWidget(txtHelp);

    auto *mnuClose = action(this, "mnuClose", QStringLiteral("&Close"),
                            {QKeySequence::Close, QKeySequence(Qt::Key_Escape)});
    auto *mnuBack = action(this, "mnuBack", QStringLiteral("&Back"), {QKeySequence::Back});
    auto *mnuForward =
        action(this, "mnuForward", QStringLiteral("&Forward"), {QKeySequence::Forward});
    auto *mnuContents = action(this, "mnuContents", QStringLiteral("&Contents"),
                               {QKeySequence(Qt::ALT | Qt::Key_Home)});
    mnuBack->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
    mnuForward->setIcon(style()->standardIcon(QStyle::SP_ArrowForward));
    mnuContents->setIcon(style()->standardIcon(QStyle::SP_DirHomeIcon));
    mnuBack->setEnabled(false);
    mnuForward->setEnabled(false);
    // The keys work whichever bars are shown.
    addActions({mnuClose, mnuBack, mnuForward, mnuContents});

    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    file->addAction(mnuClose);
    QMenu *go = menuBar()->addMenu(QStringLiteral("&Go"));
    go->setObjectName(QStringLiteral("mnuGo"));
    go->addActions({mnuBack, mnuForward, mnuContents});

    tbNavigation = addToolBar(QStringLiteral("Navigation"));
    tbNavigation->setObjectName(QStringLiteral("tbNavigation"));
    tbNavigation->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    tbNavigation->setMovable(false);
    tbNavigation->addActions({mnuBack, mnuForward, mnuContents});

    addToolBarBreak();
    tbAddress = addToolBar(QStringLiteral("Address"));
    tbAddress->setObjectName(QStringLiteral("tbAddress"));
    tbAddress->setMovable(false);
    auto *lblAddress = new QLabel(QStringLiteral("&Address:"), tbAddress);
    lblAddress->setObjectName(QStringLiteral("lblAddress"));
    txtAddress = new QLineEdit(tbAddress);
    txtAddress->setObjectName(QStringLiteral("txtAddress"));
    txtAddress->setReadOnly(true);
    lblAddress->setBuddy(txtAddress);
    tbAddress->addWidget(lblAddress);
    tbAddress->addWidget(txtAddress);

    statusBar()->setObjectName(QStringLiteral("sbHelp"));

    connect(mnuClose, &QAction::triggered, this, &QWidget::close);
    connect(mnuBack, &QAction::triggered, txtHelp, &QTextBrowser::backward);
    connect(mnuForward, &QAction::triggered, txtHelp, &QTextBrowser::forward);
    connect(mnuContents, &QAction::triggered, this, &HelpWindow::showContents);
    connect(txtHelp, &QTextBrowser::backwardAvailable, mnuBack, &QAction::setEnabled);
    connect(txtHelp, &QTextBrowser::forwardAvailable, mnuForward, &QAction::setEnabled);
    connect(txtHelp, &QTextBrowser::anchorClicked, this, &HelpWindow::openLink);
    connect(txtHelp, &QTextBrowser::sourceChanged, this, &HelpWindow::showLocation);
    connect(txtHelp, &QTextBrowser::highlighted, this, [this](const QUrl &link) {
        statusBar()->showMessage(link.isEmpty() ? QString()
                                                : link.toDisplayString(QUrl::PreferLocalFile));
    });
}

void HelpWindow::applyOptions(const HelpLauncher::WindowOptions &options)
{
    using Flag = HelpLauncher::WindowOptions;
    tbAddress->setVisible(options.Flags & Flag::AddressBar);
    menuBar()->setVisible(options.Flags & Flag::MenuBar);
    tbNavigation->setVisible(options.Flags & Flag::ToolBar);
    statusBar()->setVisible(options.Flags & Flag::StatusBar);

    // Place and size: the left and top of the window, the width and height of what it shows.
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    QPoint place = pos();
    QSize size = this->size();
    if (options.Top >= 0)
        place.setY(options.Top);
    if (options.Width > 0)
        size.setWidth(options.Width);
    if (options.Height > 0)
        size.setHeight(options.Height);
    if (options.Left >= 0)
        place.setX(options.Left);
    resize(size);
    if (options.Top >= 0 || options.Left >= 0)
        move(place);
    if (!(options.Flags & Flag::Resizable))
        setFixedSize(size);
}

void HelpWindow::showUrl(const QUrl &url)
{
    const QFileInfo file(url.toLocalFile());
    m_startPage = QUrl::fromLocalFile(file.absoluteFilePath());
    QUrl target = url;
    static const QRegularExpression topicName(QStringLiteral("^[A-Za-z0-9_-]+\\.htm$"));
    if (topicName.match(url.fragment()).hasMatch()) {
        const QFileInfo topic(file.dir().filePath(url.fragment()));
        if (topic.isFile())
            target = QUrl::fromLocalFile(topic.absoluteFilePath());
    }
    if (!QFileInfo(target.toLocalFile()).isFile()) {
        // The path is where an installed program keeps its pages (see findHelpFilePath).
        txtHelp->setPlainText(
            QStringLiteral("The help pages were not found at\n") +
            QDir::toNativeSeparators(file.absoluteFilePath()) +
            QStringLiteral("\n\nReinstall Quillcast, or name the folder that holds the pages in "
                           "the key Path of section [Help] of ") +
            QDir::toNativeSeparators(AppSettings::open()->fileName()) + QStringLiteral("."));
        txtAddress->setText(url.toDisplayString(QUrl::PreferLocalFile));
        return;
    }
    txtHelp->setSource(target);
    showLocation();
}

QUrl HelpWindow::source() const
{
    return txtHelp->source();
}

void HelpWindow::showContents()
{
    if (!m_startPage.isEmpty())
        showUrl(m_startPage);
}

void HelpWindow::openLink(const QUrl &link)
{
    const QUrl target = txtHelp->source().resolved(link);
    if (target.isLocalFile())
        txtHelp->setSource(target);
    else
        DialogService::instance().openUrl(target);
}

void HelpWindow::showLocation()
{
    const QUrl page = txtHelp->source();
    txtAddress->setText(page.toDisplayString(QUrl::PreferLocalFile));
    const QString title = txtHelp->documentTitle();
    setWindowTitle(title.isEmpty() ? AppInfo::ApplicationTitle + QStringLiteral(" Help") : title);
}
