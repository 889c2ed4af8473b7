#include "ui/tabs/WebTvTab.h"

#include "core/common/Clock.h"
#include "core/config/ConfigLists.h"
#include "ui/DialogService.h"
#include "ui/tabs/ControlEnabling.h"
#include "ui/tabs/DigitKeyFilter.h"
#include "ui/tabs/LeaveCheck.h"
#include "ui/tabs/LimitedPlainTextEdit.h"
#include "ui/tabs/TabWidgets.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

QDate today()
{
    return Clock::instance().now().date();
}

// Fills a list with entries and selects its blank entry without running the list's rule; the
// caller runs it once afterwards. Day entries carry no item data: their text is the day.
void fill(QComboBox *list, const QVector<ConfigLists::Entry> &entries, bool withData)
{
    const QSignalBlocker blocker(list);
    list->clear();
    for (const auto &entry : entries)
        list->addItem(entry.text, withData && entry.value ? QVariant(entry.value) : QVariant());
    list->setCurrentIndex(0);
}

} // namespace

WebTvTab::WebTvTab(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fBorder_3"));

    auto *frame = new QGroupBox(QStringLiteral("Web TV Link"), this);
    frame->setObjectName(QStringLiteral("fWebTV"));
    m_check = new QCheckBox(QStringLiteral("&Enable Control"), frame);
    m_check->setObjectName(QStringLiteral("chCtrlWebTV"));
    m_group =
        TabWidgets::optionGroup(QStringLiteral("oWebTV"),
                                {QStringLiteral("Insert"), QStringLiteral("Pass Upstream")}, frame);
    TabWidgets::nameWithField(m_check, m_group, frame->title());
    m_url = TabWidgets::lineEdit(QStringLiteral("txtWebURL"), 0, frame);
    m_description = TabWidgets::lineEdit(QStringLiteral("txtWebDescription"), 20, frame);
    m_description->setMaximumWidth(
        m_description->fontMetrics().horizontalAdvance(QString(20, QLatin1Char('M'))) * 3 / 4);
    // The script may hold line breaks, so it is a multi-line box with its own limit.
    m_script = new LimitedPlainTextEdit(50, frame);
    m_script->setObjectName(QStringLiteral("txtWebScript"));
    m_script->setFixedHeight(m_script->fontMetrics().lineSpacing() * 3 + 12);
    m_repeat = TabWidgets::lineEdit(QStringLiteral("txtWebRepeat"), 20, frame);
    m_repeat->setMaximumWidth(80);
    m_year = TabWidgets::comboBox(QStringLiteral("cmbWebExpiryYear"), frame);
    m_year->setMinimumContentsLength(4);
    m_month = TabWidgets::comboBox(QStringLiteral("cmbWebExpiryMonth"), frame);
    m_month->setMinimumContentsLength(9);
    m_day = TabWidgets::comboBox(QStringLiteral("cmbWebExpiryDay"), frame);
    m_day->setMinimumContentsLength(2);

    auto *options = new QHBoxLayout;
    options->setSpacing(16);
    for (QWidget *button : TabWidgets::members(m_group))
        options->addWidget(button);
    options->addStretch();

    auto *repeatNote = new QLabel(QStringLiteral("'9999' will result in a Continuous Loop"), frame);
    repeatNote->setObjectName(QStringLiteral("lblWebRepeatNote"));
    auto *repeatRow = new QHBoxLayout;
    repeatRow->addWidget(m_repeat);
    repeatRow->addSpacing(12);
    repeatRow->addWidget(repeatNote);
    repeatRow->addStretch();

    auto *expiryRow = new QHBoxLayout;
    expiryRow->setSpacing(6);
    expiryRow->addWidget(TabWidgets::caption(QStringLiteral("&Year:"), m_year, frame));
    expiryRow->addWidget(m_year);
    expiryRow->addSpacing(12);
    expiryRow->addWidget(TabWidgets::caption(QStringLiteral("&Month:"), m_month, frame));
    expiryRow->addWidget(m_month);
    expiryRow->addSpacing(12);
    expiryRow->addWidget(TabWidgets::caption(QStringLiteral("D&ay:"), m_day, frame));
    expiryRow->addWidget(m_day);
    expiryRow->addStretch();

    auto *grid = new QGridLayout(frame);
    grid->setContentsMargins(12, 12, 12, 12);
    grid->setVerticalSpacing(8);
    grid->addWidget(m_check, 0, 0, 1, 2);
    grid->addLayout(options, 1, 0, 1, 2);
    grid->addWidget(TabWidgets::caption(QStringLiteral("&URL:"), m_url, frame), 2, 0);
    grid->addWidget(m_url, 2, 1);
    grid->addWidget(
        TabWidgets::caption(QStringLiteral("&Description (20 Char. Max):"), m_description, frame),
        3, 0);
    grid->addWidget(m_description, 3, 1);
    grid->addWidget(
        TabWidgets::caption(QStringLiteral("Script &Trigger (50 Char. Max):"), m_script, frame), 4,
        0, Qt::AlignTop);
    grid->addWidget(m_script, 4, 1);
    grid->addWidget(
        TabWidgets::caption(QStringLiteral("&Repeat Count (1 - 9999):"), m_repeat, frame), 5, 0);
    grid->addLayout(repeatRow, 5, 1);
    auto *expiryCaption = new QLabel(QStringLiteral("E&xpiry Date:"), frame);
    expiryCaption->setBuddy(m_year);
    grid->addWidget(expiryCaption, 6, 0);
    grid->addLayout(expiryRow, 6, 1);
    grid->setColumnStretch(1, 1);

    auto *note = new QLabel(
        QStringLiteral("NOTE:  Upstream WebTV can be blocked by blocking Text Channel 2.  This can "
                       "be done in the 'Caption Channels' Tab under 'Blocking Settings'"),
        this);
    note->setObjectName(QStringLiteral("lblWebTV"));
    note->setTextFormat(Qt::PlainText);
    note->setWordWrap(true);
    m_jump = new QPushButton(QStringLiteral("&Jump to 'Caption Channels'"), this);
    m_jump->setObjectName(QStringLiteral("cmdWebTVBlock"));
    auto *noteRow = new QHBoxLayout;
    noteRow->addWidget(note, 1);
    noteRow->addSpacing(12);
    noteRow->addWidget(m_jump, 0, Qt::AlignVCenter);

    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(12, 12, 12, 12);
    page->setSpacing(12);
    page->addWidget(frame);
    page->addLayout(noteRow);
    page->addStretch();

    TabWidgets::chainTabOrder(QList<QWidget *>{m_check} << TabWidgets::members(m_group) << m_url
                                                        << m_description << m_script << m_repeat
                                                        << m_year << m_month << m_day << m_jump);

    connect(m_check, &QCheckBox::toggled, this, [this] { applyEnableRule(); });
    connect(m_group, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (!checked)
            return;
        // Set from code while the box is clear, the options leave the fields greyed.
        const bool insert = insertSelected() && m_check->checkState() != Qt::Unchecked;
        setWebTvFieldsEnabled(insert);
        if (insert)
            TabWidgets::focusAtEnd(m_url);
    });
    LeaveCheck::install(m_url, [this] {
        QString url = TabWidgets::trimBlanks(m_url->text());
        if (!url.startsWith(QLatin1String("http://"), Qt::CaseInsensitive))
            url.prepend(QLatin1String("http://"));
        m_url->setText(url);
        return false;
    });
    LeaveCheck::install(m_description, [this] {
        m_description->setText(TabWidgets::trimBlanks(m_description->text()));
        return false;
    });
    LeaveCheck::install(m_script, [this] {
        const QString trimmed = TabWidgets::trimBlanks(m_script->toPlainText());
        if (trimmed != m_script->toPlainText())
            m_script->setPlainText(trimmed);
        return false;
    });
    DigitKeyFilter::install(m_repeat);
    LeaveCheck::install(m_repeat, [this] { return checkRepeat(); });
    connect(m_year, &QComboBox::currentIndexChanged, this, [this] { applyYearChoice(); });
    connect(m_month, &QComboBox::currentIndexChanged, this, [this] { applyMonthChoice(); });
    connect(m_jump, &QPushButton::clicked, this, &WebTvTab::captionChannelsRequested);

    fillExpiryYears();
}

bool WebTvTab::insertSelected() const
{
    return m_group->button(0)->isChecked();
}

bool WebTvTab::checkRepeat()
{
    bool ok = false;
    const int count = m_repeat->text().toInt(&ok);
    if (ok && count >= 1 && count <= 9999)
        return false;
    DialogService::tell(m_repeat,
                        QStringLiteral("Web TV Repeat Count must be a number from 1 to 9999."),
                        DialogService::Icon::Exclamation);
    return true;
}

void WebTvTab::applyEnableRule()
{
    const bool on = m_check->checkState() != Qt::Unchecked;
    ControlEnabling::setArrayEnabled(this, QStringLiteral("oWebTV"), on);
    setWebTvFieldsEnabled(on && insertSelected());
}

void WebTvTab::setWebTvFieldsEnabled(bool enabled)
{
    for (QWidget *field :
         QList<QWidget *>{m_url, m_description, m_script, m_repeat, m_year, m_month, m_day})
        ControlEnabling::setControlEnabled(field, enabled);
}

void WebTvTab::fillExpiryYears()
{
    fill(m_year, ConfigLists::expiryYears(today().year()), true);
    applyYearChoice();
}

void WebTvTab::applyYearChoice()
{
    fill(m_month, ConfigLists::expiryMonths(m_year->currentData().toInt(), today()), true);
    applyMonthChoice();
}

void WebTvTab::applyMonthChoice()
{
    fill(m_day,
         ConfigLists::expiryDays(m_year->currentData().toInt(), m_month->currentData().toInt(),
                                 today()),
         false);
}
