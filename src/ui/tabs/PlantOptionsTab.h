#pragma once

#include <QWidget>

class PacketField;
class QCheckBox;
class QGroupBox;
class QLabel;

// The "Plant Options" page: the network name, call letters, TSID, time-of-day and time-zone
// packet fields and the encoder clock set-up with the local clock display.
class PlantOptionsTab : public QWidget
{
    Q_OBJECT
public:
    explicit PlantOptionsTab(QWidget *parent = nullptr);

    PacketField *networkName() const { return m_networkName; }
    PacketField *callLetters() const { return m_callLetters; }
    PacketField *tsid() const { return m_tsid; }
    PacketField *timeOfDay() const { return m_timeOfDay; }
    PacketField *timeZone() const { return m_timeZone; }
    QCheckBox *syncClock() const { return m_syncClock; }
    QCheckBox *dsObserved() const { return m_dsObserved; }
    QCheckBox *dsInEffect() const { return m_dsInEffect; }

    // The leave check of the TSID box; true when the focus must stay.
    bool checkTsid();
    void applyTimeOfDayRule();
    void applyTimeZoneRule();
    void applyTimeZoneActionRule();
    void setClockControlsEnabled(bool enabled);

private:
    QGroupBox *buildClockSetup();
    QLabel *clockLabel(const QString &name, const QString &text, QWidget *parent);

    PacketField *m_networkName;
    PacketField *m_callLetters;
    PacketField *m_tsid;
    PacketField *m_timeOfDay;
    PacketField *m_timeZone;
    QCheckBox *m_syncClock = nullptr;
    QCheckBox *m_dsInEffect = nullptr;
    QCheckBox *m_dsObserved = nullptr;
    QList<QLabel *> m_clockLabels; // lblLocalTime_0/_1, lblLocalTimezone_0/_1, lblLocalDate_0/_1
};
