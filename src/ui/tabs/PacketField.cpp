#include "ui/tabs/PacketField.h"

#include "ui/DialogService.h"
#include "ui/tabs/ControlEnabling.h"
#include "ui/tabs/LeaveCheck.h"
#include "ui/tabs/TabWidgets.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

PacketField::PacketField(const Names &names, QWidget *parent)
    : EdgeCheckFrame(names.frame, names.check, QStringLiteral("Enable Control"), parent),
      m_groupName(names.group)
{
    QGroupBox *box = frame();
    m_group = TabWidgets::packetActionGroup(names.group, box);

    auto *options = new QHBoxLayout;
    options->setSpacing(16);
    for (QWidget *button : TabWidgets::members(m_group))
        options->addWidget(button);
    options->addStretch();

    auto *grid = new QGridLayout(box);
    grid->setColumnMinimumWidth(0, 130);
    grid->setColumnStretch(1, 1);
    grid->setContentsMargins(10, 14, 10, 8);
    if (!names.text.isEmpty()) {
        m_text = TabWidgets::lineEdit(names.text, names.maxLength, box);
        m_label = TabWidgets::caption(names.label, m_text, box);
        m_text->setMaximumWidth(360);
        grid->addWidget(m_label, 0, 0);
        grid->addWidget(m_text, 0, 1);
        grid->addLayout(options, 1, 1);
    } else {
        m_label = TabWidgets::caption(names.label, m_group->button(Insert), box);
        grid->addWidget(m_label, 0, 0);
        grid->addLayout(options, 0, 1);
    }

    TabWidgets::nameWithField(check(), m_group, names.label);

    if (m_text) {
        connect(check(), &QCheckBox::toggled, this, [this] { applyEnableRule(); });
        connect(m_group, &QButtonGroup::idToggled, this, [this](int, bool checked) {
            if (checked)
                applyActionRule();
        });
    }
}

QList<QWidget *> PacketField::focusChain() const
{
    QList<QWidget *> chain{check()};
    if (m_text)
        chain << m_text;
    return chain + TabWidgets::members(m_group);
}

bool PacketField::isEnabledByCheck() const
{
    return check()->checkState() != Qt::Unchecked;
}

bool PacketField::isSelected(Action action) const
{
    return m_group->button(action)->isChecked();
}

void PacketField::select(Action action)
{
    m_group->button(action)->setChecked(true);
}

void PacketField::applyEnableRule()
{
    const bool enabled = isEnabledByCheck();
    ControlEnabling::setArrayEnabled(frame(), m_groupName, enabled);
    ControlEnabling::setControlEnabled(m_text, enabled);
    if (enabled)
        applyActionRule();
}

void PacketField::applyActionRule()
{
    // The options can be clicked only while the box is ticked; set from code (a file load)
    // while it is not, they leave the text box greyed as the box's rule made it.
    const bool insert = isSelected(Insert) && isEnabledByCheck();
    ControlEnabling::setControlEnabled(m_text, insert);
    if (insert)
        TabWidgets::focusAtEnd(m_text);
}

void PacketField::installLengthCheck(int minLength, const QString &question)
{
    LeaveCheck::install(m_text, [this, minLength, question] {
        m_text->setText(TabWidgets::trimBlanks(m_text->text()));
        if (m_text->text().length() >= minLength || isSelected(PassUpstream))
            return false;
        return askToContinue(question);
    });
}

bool PacketField::askToContinue(const QString &question)
{
    const auto answer = DialogService::ask(m_text, question, DialogService::Buttons::YesNo,
                                           DialogService::Icon::Warning);
    if (answer == DialogService::Answer::Yes)
        return true;
    select(PassUpstream);
    return false;
}
