#pragma once

#include <QWidget>

class PacketField;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;

// The "V-Chip" page: the program-name packet field and the content-advisory rating with its
// rating systems, ratings and US-TV content flags.
class VChipTab : public QWidget
{
    Q_OBJECT
public:
    explicit VChipTab(QWidget *parent = nullptr);

    PacketField *programName() const { return m_programName; }
    QCheckBox *ratingCheck() const { return m_ratingCheck; }
    QButtonGroup *ratingGroup() const { return m_ratingGroup; }
    QComboBox *ratingSystem() const { return m_ratingSystem; }
    QComboBox *rating() const { return m_rating; }

    // Enable rule of "Enable Control": the group follows the box, the rating controls follow
    // the box and "Insert".
    void applyRatingEnableRule();
    // Refills the rating list with the system's ratings and resets the content flags.
    void fillRatingList(int system);
    // Enables the content flags that the selected US-TV rating admits, all of them cleared.
    void applyRatingSelection();
    // Enables or greys the rating controls; the flags keep their values either way.
    void setRatingControlsEnabled(bool enable);

private:
    bool ratingInsert() const;

    PacketField *m_programName;
    QCheckBox *m_ratingCheck;
    QButtonGroup *m_ratingGroup;
    QComboBox *m_ratingSystem;
    QComboBox *m_rating;
    QLabel *m_flagsLabel;
    QList<QCheckBox *> m_flags; // FV, V, S, L, D
};
