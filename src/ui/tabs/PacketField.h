#pragma once

#include "ui/tabs/EdgeCheckFrame.h"

class QButtonGroup;
class QLabel;
class QLineEdit;

// One packet field of the channel and program tabs: the "Enable Control" check box on the
// frame's edge, a caption, the Insert / Block Upstream / Pass Upstream group and, for fields
// that carry a text, the text box. Fields with a text box wire their own enable and action
// rules; the others leave their rules to the tab.
class PacketField : public EdgeCheckFrame
{
    Q_OBJECT
public:
    enum Action
    {
        Insert = 0,
        BlockUpstream = 1,
        PassUpstream = 2
    };

    struct Names
    {
        QString frame; // fControl_n
        QString check; // chCtrl...
        QString group; // o...
        QString text;  // txt..., empty when the packet carries no text
        QString label; // the caption, e.g. "Network Name:"
        int maxLength; // of the text box; 0 = no limit
    };

    explicit PacketField(const Names &names, QWidget *parent = nullptr);

    QButtonGroup *group() const { return m_group; }
    QLineEdit *textBox() const { return m_text; }
    QLabel *label() const { return m_label; }
    // The controls in reading order, for the tab order.
    QList<QWidget *> focusChain() const;

    bool isEnabledByCheck() const;
    bool isSelected(Action action) const;
    void select(Action action);

    // Enable rule: the group and the text box are available while "Enable Control" is set;
    // then the action rule.
    void applyEnableRule();
    // Action rule: the text box can be typed in only on "Insert", which takes the focus to it.
    void applyActionRule();

    // The leave check of the name fields: trims the text; a text shorter than minLength that is
    // not passed upstream asks the question; Yes keeps the focus, No selects "Pass Upstream".
    void installLengthCheck(int minLength, const QString &question);
    // Answers a failed leave check: true (keep the focus) on Yes; on No selects "Pass Upstream".
    bool askToContinue(const QString &question);

private:
    QString m_groupName;
    QButtonGroup *m_group;
    QLineEdit *m_text = nullptr;
    QLabel *m_label;
};
