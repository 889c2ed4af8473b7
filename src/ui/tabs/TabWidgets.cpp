#include "ui/tabs/TabWidgets.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTextCursor>

namespace TabWidgets {

QString withoutMnemonic(const QString &text)
{
    QString plain;
    plain.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&') && ++i == text.size())
            break;
        plain += text.at(i);
    }
    return plain;
}

QLabel *caption(const QString &text, QWidget *buddy, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    if (buddy) {
        label->setBuddy(buddy);
        buddy->setAccessibleName(withoutMnemonic(text));
    }
    return label;
}

QLabel *valueLabel(const QString &name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    label->setMinimumWidth(60);
    label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    label->setMinimumHeight(label->fontMetrics().height() + 8);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QLineEdit *lineEdit(const QString &name, int maxLength, QWidget *parent)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    if (maxLength > 0)
        box->setMaxLength(maxLength);
    return box;
}

QComboBox *comboBox(const QString &name, QWidget *parent)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(name);
    list->setEditable(false);
    return list;
}

QButtonGroup *optionGroup(const QString &name, const QStringList &captions, QWidget *parent)
{
    auto *group = new QButtonGroup(parent);
    group->setObjectName(name);
    group->setExclusive(true);
    for (int i = 0; i < captions.size(); ++i) {
        auto *button = new QRadioButton(captions[i], parent);
        button->setObjectName(QStringLiteral("%1_%2").arg(name).arg(i));
        group->addButton(button, i);
    }
    return group;
}

QList<QWidget *> members(QButtonGroup *group)
{
    QList<QWidget *> list;
    for (int i = 0; group->button(i); ++i)
        list << group->button(i);
    return list;
}

QButtonGroup *packetActionGroup(const QString &name, QWidget *parent)
{
    return optionGroup(name,
                       {QStringLiteral("Insert"), QStringLiteral("Block Upstream"),
                        QStringLiteral("Pass Upstream")},
                       parent);
}

void nameWithField(QAbstractButton *check, QButtonGroup *group, const QString &field)
{
    QString name = withoutMnemonic(field);
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    const auto named = [&name](QAbstractButton *button) {
        button->setAccessibleName(withoutMnemonic(button->text()) + QStringLiteral(", ") + name);
    };
    named(check);
    for (QAbstractButton *button : group->buttons())
        named(button);
}

QString trimBlanks(const QString &text)
{
    int start = 0;
    int end = text.size();
    while (start < end && text.at(start) == QLatin1Char(' '))
        ++start;
    while (end > start && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(start, end - start);
}

void focusAtEnd(QWidget *box)
{
    box->setFocus(Qt::OtherFocusReason);
    if (auto *line = qobject_cast<QLineEdit *>(box)) {
        line->deselect();
        line->setCursorPosition(line->text().length());
    } else if (auto *edit = qobject_cast<QPlainTextEdit *>(box)) {
        edit->moveCursor(QTextCursor::End);
    }
}

void chainTabOrder(const QList<QWidget *> &widgets)
{
    for (int i = 1; i < widgets.size(); ++i)
        QWidget::setTabOrder(widgets[i - 1], widgets[i]);
}

} // namespace TabWidgets
