#pragma once

#include "core/session/EncoderList.h"

#include <QAbstractTableModel>
#include <QDateTime>
#include <QList>
#include <QSet>

class QTimer;
class SendSession;
class TrafficLog;

// The plant window's table: one row per encoder of the list, with what its last send or check
// did. A row under way follows its session; the view hears of changed rows at most once per
// refresh tick, however many commands are answered meanwhile, so that a plant of hundreds of
// encoders keeps the window responsive. Each row keeps the traffic of its own encoder.
class PlantTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        NameColumn,
        DeviceColumn,
        ConfigurationColumn,
        StateColumn,
        IdentificationColumn,
        ResultColumn,
        FinishedColumn,
        ColumnCount
    };
    static constexpr int RefreshMs = 200;

    explicit PlantTableModel(QObject *parent = nullptr);

    void setEntries(const QList<EncoderList::Entry> &entries);
    // The list's folder: configurations within it are shown relative to it (in full as tips).
    void setListFolder(const QString &folder);
    QList<EncoderList::Entry> entries() const;
    const EncoderList::Entry &entry(int row) const { return m_rows.at(row).entry; }
    void setEntry(int row, const EncoderList::Entry &entry);
    void addEntry(const EncoderList::Entry &entry);
    void removeEntry(int row);

    // A run of the rows begins: they are idle until started, the progress counts start again.
    void beginRun(const QList<int> &rows);
    // The row's session has started (its state follows it from now on) and has ended (what it
    // did is kept; the session may go).
    void startRow(int row, const SendSession *session);
    void finishRow(int row);
    // The rows of the run under way or last run: how many there are, are done and failed.
    int runCount() const { return m_runCount; }
    int doneCount() const { return m_done; }
    int failedCount() const { return m_failed; }
    bool failed(int row) const { return m_rows.at(row).failed; }
    QString stateText(int row) const;
    // The row's traffic, all its sends and checks; created on first asking.
    TrafficLog *traffic(int row);
    // Tells the view of the rows changed since the last tick now, without waiting for the next
    // one (the run has ended: its last states and counts are shown with the actions it frees).
    void refresh();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

signals:
    // Once per refresh tick with rows changed, after the view has heard of them.
    void progressChanged();

private:
    enum class State
    {
        Idle,
        Opening, // and then sending, once the encoder has answered
        Programmed,
        Answers,
        Failed
    };
    struct Row
    {
        EncoderList::Entry entry;
        State state = State::Idle;
        const SendSession *session = nullptr; // while under way
        bool opened = false;                  // the encoder has answered its readiness query
        QString failure;                      // the reason of a failed one
        QString identification;
        QString result;
        QDateTime finished;
        bool failed = false;
        TrafficLog *traffic = nullptr;
    };

    static Row rowOf(const EncoderList::Entry &entry);
    void markChanged(int row);

    QList<Row> m_rows;
    QString m_listFolder;
    QSet<int> m_changed;
    QSet<int> m_running;
    QTimer *m_refresh;
    int m_runCount = 0;
    int m_done = 0;
    int m_failed = 0;
};
