#include "ui/tabs/CgmsTab.h"

#include "core/config/ConfigLists.h"
#include "ui/tabs/ControlEnabling.h"
#include "ui/tabs/TabWidgets.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

CgmsTab::CgmsTab(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fBorder_6"));

    auto *frame = new QGroupBox(QStringLiteral("CGMS-A Packet"), this);
    frame->setObjectName(QStringLiteral("fCGMS"));
    m_check = new QCheckBox(QStringLiteral("&Enable Control"), frame);
    m_check->setObjectName(QStringLiteral("chCtrlCGMS"));
    m_group = TabWidgets::packetActionGroup(QStringLiteral("oCGMS"), frame);
    TabWidgets::nameWithField(m_check, m_group, frame->title());
    m_cgms = TabWidgets::comboBox(QStringLiteral("cmbCGMS"), frame);
    m_cgms->addItems(ConfigLists::cgmsChoices());
    m_options = TabWidgets::comboBox(QStringLiteral("cmbCGMSOptions"), frame);
    m_options->addItems(ConfigLists::cgmsOptionsFor(m_cgms->currentIndex()));
    m_asb = TabWidgets::optionGroup(QStringLiteral("oCGMSASB"),
                                    {QStringLiteral("Off"), QStringLiteral("On")}, frame);

    auto *options = new QHBoxLayout;
    options->setSpacing(16);
    for (QWidget *button : TabWidgets::members(m_group))
        options->addWidget(button);
    options->addStretch();
    auto *asbRow = new QHBoxLayout;
    asbRow->setSpacing(16);
    for (QWidget *button : TabWidgets::members(m_asb))
        asbRow->addWidget(button);
    asbRow->addStretch();

    auto *grid = new QGridLayout(frame);
    grid->setContentsMargins(12, 12, 12, 12);
    grid->setVerticalSpacing(8);
    grid->addWidget(m_check, 0, 0, 1, 2);
    grid->addLayout(options, 1, 0, 1, 2);
    grid->setRowMinimumHeight(2, 6);
    grid->addWidget(
        TabWidgets::caption(QStringLiteral("Copy-Guard &Management System:"), m_cgms, frame), 3, 0);
    grid->addWidget(m_cgms, 3, 1);
    grid->addWidget(TabWidgets::caption(QStringLiteral("CGMS &Options:"), m_options, frame), 4, 0);
    grid->addWidget(m_options, 4, 1);
    grid->addWidget(
        TabWidgets::caption(QStringLiteral("&Analog Source Bit (ASB):"), m_asb->button(0), frame),
        5, 0);
    grid->addLayout(asbRow, 5, 1);
    grid->setColumnStretch(2, 1);

    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(12, 12, 12, 12);
    page->addWidget(frame);
    page->addStretch();

    TabWidgets::chainTabOrder(QList<QWidget *>{m_check} << TabWidgets::members(m_group) << m_cgms
                                                        << m_options << TabWidgets::members(m_asb));

    connect(m_check, &QCheckBox::toggled, this, [this] { applyEnableRule(); });
    connect(m_group, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (!checked)
            return;
        setCgmsControlsEnabled(id == 0 && m_check->checkState() != Qt::Unchecked);
        applyCgmsChoice();
    });
    connect(m_cgms, &QComboBox::currentIndexChanged, this, [this] { applyCgmsChoice(); });
    applyCgmsChoice();
}

bool CgmsTab::insertSelected() const
{
    return m_group->button(0)->isChecked();
}

void CgmsTab::applyEnableRule()
{
    const bool on = m_check->checkState() != Qt::Unchecked;
    ControlEnabling::setArrayEnabled(this, QStringLiteral("oCGMS"), on);
    setCgmsControlsEnabled(on && insertSelected());
}

void CgmsTab::applyCgmsChoice()
{
    const QString &notApplicable = ConfigLists::NotApplicable;
    if (m_cgms->currentIndex() == ConfigLists::NoCopyingIsPermitted) {
        // Only while the packet's box is ticked: set from code (a file load) while it is not,
        // the choice leaves the list greyed as the box's rule made it.
        ControlEnabling::setControlEnabled(m_options, m_check->checkState() != Qt::Unchecked);
        if (m_options->itemText(0) == notApplicable)
            m_options->removeItem(0);
    } else {
        ControlEnabling::setControlEnabled(m_options, false);
        m_options->setCurrentIndex(0);
        if (m_options->itemText(0) != notApplicable)
            m_options->insertItem(0, notApplicable);
    }
    m_options->setCurrentIndex(0);
}

void CgmsTab::setCgmsControlsEnabled(bool enable)
{
    ControlEnabling::setControlEnabled(m_cgms, enable);
    ControlEnabling::setControlEnabled(m_options, enable);
    for (QWidget *button : TabWidgets::members(m_asb))
        ControlEnabling::setControlEnabled(button, enable);
}
