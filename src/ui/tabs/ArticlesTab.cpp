#include "ui/tabs/ArticlesTab.h"

#include "ui/DialogService.h"
#include "ui/tabs/DigitKeyFilter.h"
#include "ui/tabs/LeaveCheck.h"
#include "ui/tabs/TabWidgets.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

ArticlesTab::ArticlesTab(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fBorder_4"));

    auto *refresh = new QPushButton(QStringLiteral("&Refresh Article List"), this);
    refresh->setObjectName(QStringLiteral("cmdRefreshArticles"));
    m_list = new QPlainTextEdit(this);
    m_list->setObjectName(QStringLiteral("txtArticleList"));
    // The box shows the encoder's reply. It stays an ordinary text box the operator may scribble
    // in (notes on the articles, say); what it holds is no part of the configuration and the
    // next reply replaces it.
    m_list->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_list->setTabChangesFocus(true);
    QFont fixed(QStringLiteral("Courier New"));
    fixed.setStyleHint(QFont::Monospace);
    fixed.setFixedPitch(true);
    m_list->setFont(fixed);
    m_list->setMinimumHeight(140);

    // Insert Article
    auto *insert = new QGroupBox(QStringLiteral("Insert Article"), this);
    insert->setObjectName(QStringLiteral("fInsertArticle"));
    m_channel = TabWidgets::optionGroup(
        QStringLiteral("oInsertArticles"),
        {QStringLiteral("T1"), QStringLiteral("T2"), QStringLiteral("T3"), QStringLiteral("T4")},
        insert);
    m_repeat = TabWidgets::lineEdit(QStringLiteral("txtInsArticleRepeat"), 20, insert);
    m_repeat->setMaximumWidth(80);
    auto *note =
        new QLabel(QStringLiteral("Note: '9999' will result in a Continuous Loop"), insert);
    note->setObjectName(QStringLiteral("lblContinuousLoop"));
    auto *load = new QPushButton(QStringLiteral("&Load"), insert);
    load->setObjectName(QStringLiteral("cmdInsArticle"));
    auto *channels = new QHBoxLayout;
    channels->setSpacing(16);
    for (QWidget *button : TabWidgets::members(m_channel))
        channels->addWidget(button);
    channels->addStretch();
    auto *insertGrid = new QGridLayout(insert);
    insertGrid->setContentsMargins(12, 12, 12, 12);
    insertGrid->setVerticalSpacing(8);
    insertGrid->addWidget(
        TabWidgets::caption(QStringLiteral("Ch&annel:"), m_channel->button(0), insert), 0, 0);
    insertGrid->addLayout(channels, 0, 1);
    insertGrid->addWidget(
        TabWidgets::caption(QStringLiteral("Re&peat (1 - 9999):"), m_repeat, insert), 1, 0);
    insertGrid->addWidget(m_repeat, 1, 1, Qt::AlignLeft);
    insertGrid->addWidget(note, 2, 0, 1, 2);
    insertGrid->addWidget(load, 3, 0, 1, 2, Qt::AlignLeft);
    insertGrid->setColumnStretch(1, 1);

    // Remove Article
    auto *remove = new QGroupBox(QStringLiteral("Remove Article"), this);
    remove->setObjectName(QStringLiteral("fRemoveArticle"));
    m_remove = TabWidgets::comboBox(QStringLiteral("cmbRemoveArticle"), remove);
    m_remove->setMinimumContentsLength(16);
    auto *removeButton = new QPushButton(QStringLiteral("Re&move"), remove);
    removeButton->setObjectName(QStringLiteral("cmdRemoveArticle"));
    auto *removeGrid = new QGridLayout(remove);
    removeGrid->setContentsMargins(12, 12, 12, 12);
    removeGrid->setVerticalSpacing(8);
    removeGrid->addWidget(TabWidgets::caption(QStringLiteral("Ar&ticle:"), m_remove, remove), 0, 0);
    removeGrid->addWidget(m_remove, 0, 1);
    removeGrid->addWidget(removeButton, 1, 0, 1, 2, Qt::AlignLeft);
    removeGrid->setRowStretch(2, 1);
    removeGrid->setColumnStretch(1, 1);

    auto *frames = new QHBoxLayout;
    frames->setSpacing(12);
    frames->addWidget(insert, 3);
    frames->addWidget(remove, 2);

    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(12, 12, 12, 12);
    page->setSpacing(8);
    // The list's caption names the box for the keyboard and screen readers; the button that
    // refreshes it stands on the same line.
    auto *listRow = new QHBoxLayout;
    listRow->addWidget(TabWidgets::caption(QStringLiteral("Article L&ist:"), m_list, this), 0,
                       Qt::AlignBottom);
    listRow->addStretch();
    listRow->addWidget(refresh);
    page->addLayout(listRow);
    page->addWidget(m_list, 1);
    page->addLayout(frames);

    TabWidgets::chainTabOrder(QList<QWidget *>{refresh, m_list} << TabWidgets::members(m_channel)
                                                                << m_repeat << load << m_remove
                                                                << removeButton);

    DigitKeyFilter::install(m_repeat);
    LeaveCheck::install(m_repeat, [this] { return checkRepeat(); });
}

bool ArticlesTab::checkRepeat()
{
    bool ok = false;
    const int count = m_repeat->text().toInt(&ok);
    if (ok && count >= 1 && count <= 9999)
        return false;
    DialogService::tell(m_repeat,
                        QStringLiteral("Article Repeat Count must be a number from 1 to 9999."),
                        DialogService::Icon::Exclamation);
    return true;
}
