#pragma once

#include <QWidget>

class LimitedPlainTextEdit;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

// The "Web TV" page: the link trigger's URL, name, script, repeat count and expiry date, with
// Insert / Pass Upstream, and the button that leads to the channel blocking.
class WebTvTab : public QWidget
{
    Q_OBJECT
public:
    explicit WebTvTab(QWidget *parent = nullptr);

    QCheckBox *check() const { return m_check; }
    QButtonGroup *group() const { return m_group; }
    QLineEdit *url() const { return m_url; }
    QLineEdit *description() const { return m_description; }
    LimitedPlainTextEdit *script() const { return m_script; }
    QLineEdit *repeat() const { return m_repeat; }
    QComboBox *expiryMonth() const { return m_month; }

    void applyEnableRule();
    void setWebTvFieldsEnabled(bool enabled);
    // Rebuilds the year list from today's year, blank entry selected.
    void fillExpiryYears();
    // Refill the finer list for the chosen year / month and select its blank entry.
    void applyYearChoice();
    void applyMonthChoice();

signals:
    // "Jump to 'Caption Channels'"
    void captionChannelsRequested();

private:
    bool insertSelected() const;
    bool checkRepeat();

    QCheckBox *m_check;
    QButtonGroup *m_group;
    QLineEdit *m_url;
    QLineEdit *m_description;
    LimitedPlainTextEdit *m_script;
    QLineEdit *m_repeat;
    QComboBox *m_year;
    QComboBox *m_month;
    QComboBox *m_day;
    QPushButton *m_jump;
};
