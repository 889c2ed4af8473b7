#include "ui/tabs/PlantOptionsTab.h"

#include "ui/tabs/ControlEnabling.h"
#include "ui/tabs/DigitKeyFilter.h"
#include "ui/tabs/LeaveCheck.h"
#include "ui/tabs/PacketField.h"
#include "ui/tabs/TabWidgets.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

PlantOptionsTab::PlantOptionsTab(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fBorder_0"));

    // The TSID box has no length limit of its own: the leave check judges the number, and a
    // configuration file may hold a longer text that must come back unchanged.
    m_networkName = new PacketField(
        {"fControl_0", "chCtrlNetworkName", "oNetworkName", "txtNetworkName", "Net&work Name:", 32},
        this);
    m_callLetters = new PacketField(
        {"fControl_1", "chCtrlCallLetters", "oCallLetters", "txtCallLetters", "Call &Letters:", 6},
        this);
    m_tsid = new PacketField(
        {"fControl_2", "chCtrlTSID", "oTSID", "txtTSID", "TS&ID (1 - 65535):", 0}, this);
    m_timeOfDay = new PacketField(
        {"fControl_3", "chCtrlTimeOfDay", "oTimeOfDay", QString(), "&Time of Day Packet:", 0},
        this);
    m_timeZone = new PacketField(
        {"fControl_4", "chCtrlTimeZone", "oTimezone", QString(), "Time&zone Packet:", 0}, this);

    // The five "Enable Control" boxes share one caption, so each takes a different letter of it.
    m_networkName->check()->setText(QStringLiteral("&Enable Control"));
    m_callLetters->check()->setText(QStringLiteral("Ena&ble Control"));
    m_tsid->check()->setText(QStringLiteral("En&able Control"));
    m_timeOfDay->check()->setText(QStringLiteral("Enable Cont&rol"));
    m_timeZone->check()->setText(QStringLiteral("E&nable Control"));

    m_networkName->installLengthCheck(
        2, QStringLiteral("The Network Name must be 2 to 32 characters in length to be inserted.  "
                          "Would you like to continue?"));
    m_callLetters->installLengthCheck(
        3, QStringLiteral("The Call Letters must be 3 to 6 characters in length to be inserted.  "
                          "Would you like to continue?"));
    DigitKeyFilter::install(m_tsid->textBox());
    LeaveCheck::install(m_tsid->textBox(), [this] { return checkTsid(); });

    connect(m_timeOfDay->check(), &QCheckBox::toggled, this, [this] { applyTimeOfDayRule(); });
    connect(m_timeZone->check(), &QCheckBox::toggled, this, [this] { applyTimeZoneRule(); });
    connect(m_timeZone->group(), &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            applyTimeZoneActionRule();
    });

    auto *fields = new QVBoxLayout;
    fields->setSpacing(6);
    for (PacketField *field : {m_networkName, m_callLetters, m_tsid, m_timeOfDay, m_timeZone})
        fields->addWidget(field);
    fields->addStretch();

    auto *clock = new QVBoxLayout;
    clock->addWidget(buildClockSetup());
    clock->addStretch();

    auto *page = new QHBoxLayout(this);
    page->setContentsMargins(12, 12, 12, 12);
    page->setSpacing(12);
    page->addLayout(fields, 3);
    page->addLayout(clock, 2);

    QList<QWidget *> order;
    for (PacketField *field : {m_networkName, m_callLetters, m_tsid, m_timeOfDay, m_timeZone})
        order << field->focusChain();
    order << m_syncClock << m_dsInEffect << m_dsObserved;
    TabWidgets::chainTabOrder(order);
}

QLabel *PlantOptionsTab::clockLabel(const QString &name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    m_clockLabels << label;
    return label;
}

QGroupBox *PlantOptionsTab::buildClockSetup()
{
    auto *box = new QGroupBox(QStringLiteral("Encoder Clock Set-up"), this);
    box->setObjectName(QStringLiteral("fEncoderClockSetup"));

    m_syncClock = new QCheckBox(QStringLiteral("S&ync Encoder with PC Date and Time"), box);
    m_syncClock->setObjectName(QStringLiteral("chSyncClock"));
    // The daylight-saving captions end in ": " with the box after them.
    m_dsInEffect = new QCheckBox(QStringLiteral("&Daylight Saving is in Effect: "), box);
    m_dsInEffect->setObjectName(QStringLiteral("chDSInEffect"));
    m_dsInEffect->setLayoutDirection(Qt::RightToLeft);
    m_dsObserved = new QCheckBox(QStringLiteral("Daylight Saving is &Observed: "), box);
    m_dsObserved->setObjectName(QStringLiteral("chDSObserved"));
    m_dsObserved->setLayoutDirection(Qt::RightToLeft);

    // Order of setClockControlsEnabled: time, time zone, date.
    QLabel *time0 =
        clockLabel(QStringLiteral("lblLocalTime_0"), QStringLiteral("Local Time:"), box);
    QLabel *time1 = clockLabel(QStringLiteral("lblLocalTime_1"), QStringLiteral("LOCAL TIME"), box);
    QLabel *zone0 =
        clockLabel(QStringLiteral("lblLocalTimezone_0"), QStringLiteral("Local Timezone:"), box);
    QLabel *zone1 =
        clockLabel(QStringLiteral("lblLocalTimezone_1"), QStringLiteral("LOCAL TIMEZONE"), box);
    QLabel *date0 =
        clockLabel(QStringLiteral("lblLocalDate_0"), QStringLiteral("Local Date:"), box);
    QLabel *date1 = clockLabel(QStringLiteral("lblLocalDate_1"), QStringLiteral("LOCAL DATE"), box);

    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(12, 12, 12, 12);
    grid->setVerticalSpacing(8);
    grid->addWidget(m_syncClock, 0, 0, 1, 2);
    grid->addWidget(m_dsInEffect, 1, 0, 1, 2, Qt::AlignLeft | Qt::AlignAbsolute);
    grid->addWidget(m_dsObserved, 2, 0, 1, 2, Qt::AlignLeft | Qt::AlignAbsolute);
    grid->setRowMinimumHeight(3, 8);
    grid->addWidget(time0, 4, 0);
    grid->addWidget(time1, 4, 1);
    grid->addWidget(date0, 5, 0);
    grid->addWidget(date1, 5, 1);
    grid->addWidget(zone0, 6, 0);
    grid->addWidget(zone1, 6, 1);
    grid->setColumnStretch(1, 1);

    connect(m_syncClock, &QCheckBox::toggled, this,
            [this](bool checked) { setClockControlsEnabled(checked); });
    return box;
}

bool PlantOptionsTab::checkTsid()
{
    // The text is judged as it stands, without trimming.
    bool ok = false;
    const int number = m_tsid->textBox()->text().toInt(&ok);
    const bool outOfRange = number < 1 || number > 65535;
    if (ok && (!outOfRange || m_tsid->isSelected(PacketField::PassUpstream)))
        return false;
    return m_tsid->askToContinue(
        QStringLiteral("The Transmission ID (TSID) must be a numeric value from 1 to 65535 to be "
                       "inserted.  Would you like to continue?"));
}

void PlantOptionsTab::applyTimeOfDayRule()
{
    ControlEnabling::setArrayEnabled(this, QStringLiteral("oTimeOfDay"),
                                     m_timeOfDay->isEnabledByCheck());
}

void PlantOptionsTab::applyTimeZoneRule()
{
    ControlEnabling::setArrayEnabled(this, QStringLiteral("oTimezone"),
                                     m_timeZone->isEnabledByCheck());
    applyTimeZoneActionRule();
}

void PlantOptionsTab::applyTimeZoneActionRule()
{
    const bool observed =
        (m_timeZone->isEnabledByCheck() && m_timeZone->isSelected(PacketField::Insert)) ||
        m_syncClock->checkState() != Qt::Unchecked;
    ControlEnabling::setControlEnabled(m_dsObserved, observed);
}

void PlantOptionsTab::setClockControlsEnabled(bool enabled)
{
    applyTimeZoneActionRule();
    m_dsInEffect->setEnabled(enabled);
    for (QLabel *label : m_clockLabels)
        label->setEnabled(enabled);
}
