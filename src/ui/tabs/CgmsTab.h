#pragma once

#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QComboBox;

// The "CGMS Insertion" page: the copy-generation management packet with its copy choice,
// analog protection options and analog source bit.
class CgmsTab : public QWidget
{
    Q_OBJECT
public:
    explicit CgmsTab(QWidget *parent = nullptr);

    QCheckBox *check() const { return m_check; }
    QButtonGroup *group() const { return m_group; }
    QComboBox *cgms() const { return m_cgms; }
    QComboBox *options() const { return m_options; }
    QButtonGroup *asb() const { return m_asb; }

    // Enable rule of "Enable Control" (leaves the APS list's state to the other controls).
    void applyEnableRule();
    // The reaction to a change of the copy choice: the APS list is open only for "No Copying is
    // Permitted", otherwise it shows "Not Applicable"; the APS choice is reset either way.
    void applyCgmsChoice();
    void setCgmsControlsEnabled(bool enable);

private:
    bool insertSelected() const;

    QCheckBox *m_check;
    QButtonGroup *m_group;
    QComboBox *m_cgms;
    QComboBox *m_options;
    QButtonGroup *m_asb;
};
