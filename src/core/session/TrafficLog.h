#pragma once

#include "core/session/TrafficFormat.h"

#include <QAbstractListModel>
#include <QModelIndexList>
#include <deque>

class Sequencer;

// The conversation with the encoder as a list of lines: every text handed to the port, every
// reply as the channel assembled it, every time-out, connect and disconnect, each with the
// time it happened. Keeps the last MaximumLines lines; older ones are dropped. Lines are made
// readable only when shown, so recording costs the link next to nothing.
class TrafficLog : public QAbstractListModel
{
    Q_OBJECT
public:
    static constexpr int MaximumLines = 10000;

    explicit TrafficLog(QObject *parent = nullptr);

    // Records the traffic of the sequencer's channel from now on.
    void attach(const Sequencer *sequencer);

    // Adds a line stamped with the current time (the injected clock).
    void append(TrafficEntry::Direction direction, const QString &mode, const QString &text);
    void append(const TrafficEntry &entry);
    void clear();

    const TrafficEntry &entry(int row) const;
    QString line(int row) const;
    // The given rows in list order (every row when none are given), one line each, each
    // ended with a line feed.
    QString text(const QModelIndexList &rows = {}) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    std::deque<TrafficEntry> m_entries;
    QString m_lastMode; // the mode of the last text sent: the mode a reply or time-out answers
};
