#include "ui/tabs/CcLoopingTab.h"

#include "core/config/ConfigLists.h"
#include "ui/tabs/ControlEnabling.h"
#include "ui/tabs/TabWidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPushButton *button(const QString &name, const QString &text, QWidget *parent)
{
    auto *push = new QPushButton(text, parent);
    push->setObjectName(name);
    return push;
}

QLabel *plain(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

CcLoopingTab::CcLoopingTab(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fBorder_5"));

    // Load a File
    auto *fileFrame = new QGroupBox(QStringLiteral("Load a File"), this);
    fileFrame->setObjectName(QStringLiteral("fCCLpLoadFile"));
    QPushButton *browse =
        button(QStringLiteral("cmdCCLpBrowse"), QStringLiteral("&Browse"), fileFrame);
    QLabel *path =
        TabWidgets::valueLabel(QStringLiteral("lblCCLpCurFilePath"), QString(), fileFrame);
    QLabel *name =
        TabWidgets::valueLabel(QStringLiteral("lblCCLpCurFileName"), QString(), fileFrame);
    m_fileLabels = {path, name};
    QPushButton *view =
        button(QStringLiteral("cmdCCLpViewFile"), QStringLiteral("Vie&w Contents"), fileFrame);
    QPushButton *reload =
        button(QStringLiteral("cmdCCLpReloadFile"), QStringLiteral("R&eload File"), fileFrame);
    auto *reloadNote = plain(
        QStringLiteral("Please Note:  If changes are made to the above Caption File, the file must "
                       "be reloaded for these changes to take affect.  This can be done using the "
                       "'Reload File' button."),
        fileFrame);
    reloadNote->setWordWrap(true);
    QLabel *lineDelay =
        TabWidgets::valueLabel(QStringLiteral("lblCCLpLineDelay"), QString(), fileFrame);
    QLabel *loopDelay =
        TabWidgets::valueLabel(QStringLiteral("lblCCLpLoopDelay"), QString(), fileFrame);
    QLabel *channel =
        TabWidgets::valueLabel(QStringLiteral("lblCCLpCCChannel"), QString(), fileFrame);
    m_settings = {lineDelay, loopDelay, channel};

    auto *fileButtons = new QHBoxLayout;
    fileButtons->addWidget(view);
    fileButtons->addWidget(reload);
    fileButtons->addStretch();

    auto *fileGrid = new QGridLayout(fileFrame);
    fileGrid->setContentsMargins(12, 12, 12, 12);
    fileGrid->setVerticalSpacing(6);
    fileGrid->addWidget(
        TabWidgets::caption(QStringLiteral("Select a Caption File to &Load:"), browse, fileFrame),
        0, 0);
    fileGrid->addWidget(browse, 0, 1, Qt::AlignLeft);
    fileGrid->addWidget(TabWidgets::caption(QStringLiteral("File Path:"), path, fileFrame), 1, 0);
    fileGrid->addWidget(path, 1, 1);
    fileGrid->addWidget(TabWidgets::caption(QStringLiteral("Filename:"), name, fileFrame), 2, 0);
    fileGrid->addWidget(name, 2, 1);
    fileGrid->addLayout(fileButtons, 3, 1);
    fileGrid->addWidget(reloadNote, 4, 0, 1, 2);
    fileGrid->setRowMinimumHeight(5, 6);
    fileGrid->addWidget(
        TabWidgets::caption(QStringLiteral("&Delay after each line (seconds, 1 - 60):"), lineDelay,
                            fileFrame),
        6, 0);
    fileGrid->addWidget(lineDelay, 6, 1, Qt::AlignLeft);
    fileGrid->addWidget(
        TabWidgets::caption(QStringLiteral("Delay after each l&oop (seconds, 1 - 60):"), loopDelay,
                            fileFrame),
        7, 0);
    fileGrid->addWidget(loopDelay, 7, 1, Qt::AlignLeft);
    fileGrid->addWidget(
        TabWidgets::caption(QStringLiteral("Closed C&aption Channel:"), channel, fileFrame), 8, 0);
    fileGrid->addWidget(channel, 8, 1, Qt::AlignLeft);
    fileGrid->setColumnStretch(1, 1);
    fileGrid->setRowStretch(9, 1);
    // The path label abbreviates its text beyond 40 characters; leave room for that much in
    // an average font width, so that the window still fits a 1024 x 768 screen.
    path->setMinimumWidth(path->fontMetrics().averageCharWidth() * 40);

    // Looping time and control
    auto *loopFrame = new QGroupBox(QStringLiteral("Looping"), this);
    loopFrame->setObjectName(QStringLiteral("fCCLpLooping"));
    const QStringList timeCaptions = {QStringLiteral("Ho&urs:"), QStringLiteral("&Minutes:"),
                                      QStringLiteral("Seco&nds:")};
    auto *timeRow = new QHBoxLayout;
    timeRow->setSpacing(6);
    for (int i = 0; i < 3; ++i) {
        QComboBox *list =
            TabWidgets::comboBox(QStringLiteral("cmbCCLoopingTime_%1").arg(i), loopFrame);
        list->addItems(ConfigLists::loopingTimeEntries(i));
        m_time << list;
        if (i > 0)
            timeRow->addSpacing(12);
        timeRow->addWidget(TabWidgets::caption(timeCaptions[i], list, loopFrame));
        timeRow->addWidget(list);
    }
    timeRow->addStretch();
    m_infinite = new QCheckBox(QStringLiteral("Cont&inuous Loop"), loopFrame);
    m_infinite->setObjectName(QStringLiteral("chCCLpInfiniteTime"));
    m_start =
        button(QStringLiteral("cmdCCLpLoopControl_0"), QStringLiteral("Sta&rt Looping"), loopFrame);
    m_stop =
        button(QStringLiteral("cmdCCLpLoopControl_1"), QStringLiteral("S&top Looping"), loopFrame);
    m_stop->setEnabled(false);
    QLabel *lastSent =
        TabWidgets::valueLabel(QStringLiteral("lblCCLoopingLastSent"), QString(), loopFrame);
    m_timeLeft =
        TabWidgets::valueLabel(QStringLiteral("lblCCLpTimeLeft"), QStringLiteral("N/A"), loopFrame);

    auto *controlRow = new QHBoxLayout;
    controlRow->addWidget(m_start);
    controlRow->addWidget(m_stop);
    controlRow->addStretch();

    auto *loopGrid = new QGridLayout(loopFrame);
    loopGrid->setContentsMargins(12, 12, 12, 12);
    loopGrid->setVerticalSpacing(6);
    loopGrid->addWidget(plain(QStringLiteral("Select the amount of time to loop for:"), loopFrame),
                        0, 0, 1, 2);
    loopGrid->addLayout(timeRow, 1, 0, 1, 2);
    loopGrid->addWidget(m_infinite, 2, 0, 1, 2);
    loopGrid->setRowMinimumHeight(3, 6);
    loopGrid->addLayout(controlRow, 4, 0, 1, 2);
    loopGrid->addWidget(
        TabWidgets::caption(QStringLiteral("Last Closed Caption Line Sent:"), lastSent, loopFrame),
        5, 0);
    loopGrid->addWidget(lastSent, 5, 1);
    loopGrid->addWidget(
        TabWidgets::caption(QStringLiteral("Time Remaining:"), m_timeLeft, loopFrame), 6, 0);
    loopGrid->addWidget(m_timeLeft, 6, 1, Qt::AlignLeft);
    loopGrid->setColumnStretch(1, 1);
    loopGrid->setRowStretch(7, 1);
    lastSent->setMinimumWidth(
        lastSent->fontMetrics().horizontalAdvance(QString(32, QLatin1Char('M'))) / 2);

    auto *page = new QHBoxLayout(this);
    page->setContentsMargins(12, 12, 12, 12);
    page->setSpacing(12);
    page->addWidget(fileFrame, 1);
    page->addWidget(loopFrame, 1);

    QList<QWidget *> order{browse, view, reload};
    for (QComboBox *list : m_time)
        order << list;
    order << m_infinite << m_start << m_stop;
    TabWidgets::chainTabOrder(order);

    // The rule follows every change of state, greyed included (greyed to checked does not
    // toggle). A greyed box comes only from a loaded value: once changed it keeps to checked and
    // unchecked.
    connect(m_infinite, &QCheckBox::stateChanged, this, [this](int state) {
        if (state != Qt::PartiallyChecked)
            m_infinite->setTristate(false);
        applyContinuousLoopRule();
    });
}

bool CcLoopingTab::isContinuous() const
{
    // Only a value of exactly 1 (checked) asks for an endless loop; a greyed box does not.
    return m_infinite->checkState() == Qt::Checked;
}

void CcLoopingTab::applyContinuousLoopRule()
{
    const bool timed = !isContinuous();
    for (QComboBox *list : m_time)
        ControlEnabling::setControlEnabled(list, timed);
}

void CcLoopingTab::resetLoopState()
{
    // A running loop stops first, as by its Stop button: a reset takes its file and settings.
    if (m_stop->isEnabled())
        m_stop->click();
    for (QLabel *label : m_fileLabels) {
        label->setText(QString());
        label->setToolTip(QString());
    }
    for (QLabel *label : m_settings)
        label->clear();
    m_timeLeft->setText(QStringLiteral("N/A"));
    m_start->setEnabled(true);
    m_stop->setEnabled(false);
}
