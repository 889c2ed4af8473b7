#include "ui/tabs/VChipTab.h"

#include "core/config/ConfigLists.h"
#include "ui/tabs/ControlEnabling.h"
#include "ui/tabs/PacketField.h"
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
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>

namespace {
constexpr int UsTv = ConfigLists::UsTvSystem;
} // namespace

VChipTab::VChipTab(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fBorder_1"));

    m_programName = new PacketField(
        {"fControl_5", "chCtrlProgramName", "oProgramName", "txtProgramName", "&Program Name:", 32},
        this);
    m_programName->check()->setText(QStringLiteral("&Enable Control"));
    m_programName->installLengthCheck(
        2, QStringLiteral("The Program Name must be 2 to 32 characters in length to be inserted.  "
                          "Would you like to continue?"));

    auto *ratingFrame = new QGroupBox(QStringLiteral("Program Rating"), this);
    ratingFrame->setObjectName(QStringLiteral("fProgramRating"));
    m_ratingCheck = new QCheckBox(QStringLiteral("E&nable Control"), ratingFrame);
    m_ratingCheck->setObjectName(QStringLiteral("chCtrlProgramRating"));
    m_ratingGroup = TabWidgets::packetActionGroup(QStringLiteral("oProgramRating"), ratingFrame);
    TabWidgets::nameWithField(m_ratingCheck, m_ratingGroup, ratingFrame->title());
    m_ratingSystem = TabWidgets::comboBox(QStringLiteral("cmbProgRatingSys"), ratingFrame);
    m_ratingSystem->addItems(ConfigLists::ratingSystems());
    m_rating = TabWidgets::comboBox(QStringLiteral("cmbProgramRating"), ratingFrame);
    m_rating->setMinimumContentsLength(10);

    m_flagsLabel = new QLabel(QStringLiteral("FV     V     S      L      D"), ratingFrame);
    m_flagsLabel->setObjectName(QStringLiteral("lblProgramRatingFlags"));
    m_flagsLabel->setTextFormat(Qt::PlainText);
    const QStringList flagNames = {
        QStringLiteral("FV (fantasy violence)"), QStringLiteral("V (violence)"),
        QStringLiteral("S (sexual situations)"), QStringLiteral("L (adult language)"),
        QStringLiteral("D (suggestive dialogue)")};
    // Each box stands under the middle of its letter in the caption above.
    const QString letters = m_flagsLabel->text();
    const QFontMetrics metrics = m_flagsLabel->fontMetrics();
    auto *flagRow = new QHBoxLayout;
    flagRow->setSpacing(0);
    int rowEnd = 0;
    int from = 0;
    for (int i = 0; i < flagNames.size(); ++i) {
        auto *flag = new QCheckBox(ratingFrame);
        flag->setObjectName(QStringLiteral("chProgramRatingFlags_%1").arg(i));
        flag->setAccessibleName(flagNames[i]);
        flag->setToolTip(flagNames[i]);
        const int indicator = flag->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, flag);
        flag->setFixedWidth(indicator + 2);

        while (from < letters.size() && letters.at(from) == QLatin1Char(' '))
            ++from;
        int to = from;
        while (to < letters.size() && letters.at(to) != QLatin1Char(' '))
            ++to;
        const int middle = metrics.horizontalAdvance(letters.left(from)) +
                           metrics.horizontalAdvance(letters.mid(from, to - from)) / 2;
        from = to;
        const int left = qMax(rowEnd, middle - indicator / 2);
        flagRow->addSpacing(left - rowEnd);
        flagRow->addWidget(flag);
        rowEnd = left + flag->width();
        m_flags << flag;
    }
    flagRow->addStretch();
    m_flagsLabel->setBuddy(m_flags.first());

    auto *options = new QHBoxLayout;
    options->setSpacing(16);
    for (QWidget *button : TabWidgets::members(m_ratingGroup))
        options->addWidget(button);
    options->addStretch();

    auto *grid = new QGridLayout(ratingFrame);
    grid->setContentsMargins(12, 12, 12, 12);
    grid->setVerticalSpacing(8);
    grid->setColumnMinimumWidth(0, 130);
    grid->addWidget(m_ratingCheck, 0, 0, 1, 3);
    grid->addLayout(options, 1, 0, 1, 3);
    grid->addWidget(
        TabWidgets::caption(QStringLiteral("&Rating System:"), m_ratingSystem, ratingFrame), 2, 0);
    grid->addWidget(m_ratingSystem, 2, 1);
    grid->addWidget(TabWidgets::caption(QStringLiteral("Ra&ting:"), m_rating, ratingFrame), 3, 0);
    grid->addWidget(m_rating, 3, 1);
    // The flags stand beside the rating lists, their letters above them.
    grid->setColumnMinimumWidth(2, 16);
    grid->addWidget(m_flagsLabel, 2, 3, Qt::AlignBottom | Qt::AlignLeft);
    grid->addLayout(flagRow, 3, 3);
    grid->setColumnMinimumWidth(3, 200);
    grid->setColumnStretch(4, 1);

    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(12, 12, 12, 12);
    page->setSpacing(12);
    page->addWidget(m_programName);
    page->addWidget(ratingFrame);
    page->addStretch();

    QList<QWidget *> order = m_programName->focusChain();
    order << m_ratingCheck << TabWidgets::members(m_ratingGroup) << m_ratingSystem << m_rating;
    for (QCheckBox *flag : m_flags)
        order << flag;
    TabWidgets::chainTabOrder(order);

    connect(m_ratingCheck, &QCheckBox::toggled, this, [this] { applyRatingEnableRule(); });
    connect(m_ratingGroup, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        // Set from code while the box is clear, the options leave the rating controls greyed.
        if (checked)
            setRatingControlsEnabled(id == PacketField::Insert &&
                                     m_ratingCheck->checkState() != Qt::Unchecked);
    });
    // The list rules run whenever the selection changes, from code or by the operator; picking
    // the entry that is already shown changes nothing, so the flags the operator ticked stay.
    connect(m_ratingSystem, &QComboBox::currentIndexChanged, this,
            [this](int system) { fillRatingList(system); });
    connect(m_rating, &QComboBox::currentIndexChanged, this, [this] { applyRatingSelection(); });

    fillRatingList(m_ratingSystem->currentIndex());
}

bool VChipTab::ratingInsert() const
{
    return m_ratingGroup->button(PacketField::Insert)->isChecked();
}

void VChipTab::applyRatingEnableRule()
{
    const bool on = m_ratingCheck->checkState() != Qt::Unchecked;
    ControlEnabling::setArrayEnabled(this, QStringLiteral("oProgramRating"), on);
    setRatingControlsEnabled(on && ratingInsert());
}

void VChipTab::fillRatingList(int system)
{
    {
        // The selection rule runs once, for the first entry, below.
        const QSignalBlocker blocker(m_rating);
        m_rating->clear();
        m_rating->addItems(ConfigLists::ratingLists(system));
        m_rating->setCurrentIndex(0);
    }
    applyRatingSelection();
    m_flagsLabel->setVisible(system == UsTv);
    for (QCheckBox *flag : m_flags) {
        flag->setChecked(false);
        flag->setEnabled(false);
        flag->setVisible(system == UsTv);
    }
}

void VChipTab::applyRatingSelection()
{
    if (m_ratingSystem->currentIndex() != UsTv)
        return;
    for (QCheckBox *flag : m_flags) {
        flag->setChecked(false);
        flag->setEnabled(false);
    }
    const QVector<int> admitted = ConfigLists::admittedRatingFlags(UsTv, m_rating->currentIndex());
    // A rating can be picked only while the rating controls are enabled; one set from code
    // (a file load) while they are greyed leaves the flags greyed too.
    if (!m_rating->isEnabledTo(this))
        return;
    for (int flag : admitted)
        m_flags[flag]->setEnabled(true);
}

void VChipTab::setRatingControlsEnabled(bool enable)
{
    ControlEnabling::setControlEnabled(m_ratingSystem, enable);
    ControlEnabling::setControlEnabled(m_rating, enable);
    if (!enable) {
        for (QCheckBox *flag : m_flags)
            flag->setEnabled(false);
        return;
    }
    // Remembered as check states, so that a greyed (2) flag from a file comes back greyed.
    QList<Qt::CheckState> remembered;
    for (QCheckBox *flag : m_flags)
        remembered << flag->checkState();
    applyRatingSelection();
    for (int i = 0; i < m_flags.size(); ++i)
        m_flags[i]->setCheckState(remembered[i]);
}
