#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QWidget;

// Small builders shared by the tab pages, so that every tab names, labels and groups its
// controls the same way.
namespace TabWidgets {

// The text as shown, without its mnemonic marker ("&&" stands for a literal "&").
QString withoutMnemonic(const QString &text);

// A caption label (plain text) that carries the name of the field it stands beside.
QLabel *caption(const QString &text, QWidget *buddy, QWidget *parent);
// A label that shows a value from a file or the encoder: plain text, sunken like a read-only
// box.
QLabel *valueLabel(const QString &name, const QString &text, QWidget *parent);

QLineEdit *lineEdit(const QString &name, int maxLength, QWidget *parent);
QComboBox *comboBox(const QString &name, QWidget *parent);

// The option buttons name_0.. with the given captions, joined in an exclusive group (also named
// name) whose ids are the member indexes.
QButtonGroup *optionGroup(const QString &name, const QStringList &captions, QWidget *parent);
// The members of a group in index order.
QList<QWidget *> members(QButtonGroup *group);

// The three-member PacketAction group: 0 "Insert", 1 "Block Upstream", 2 "Pass Upstream".
QButtonGroup *packetActionGroup(const QString &name, QWidget *parent);
// Names a packet's repeated controls with their field for assistive technology: "Enable
// Control, Network Name", "Insert, Network Name", and so on.
void nameWithField(QAbstractButton *check, QButtonGroup *group, const QString &field);

// The text with leading and trailing blanks (spaces) removed.
QString trimBlanks(const QString &text);

// Puts the focus after the last character of a text box.
void focusAtEnd(QWidget *box);

// Sets the tab order to run through the widgets in the given order.
void chainTabOrder(const QList<QWidget *> &widgets);

} // namespace TabWidgets
