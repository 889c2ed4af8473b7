#include "ui/plant/PlantTableModel.h"

#include "core/common/Clock.h"
#include "core/session/LogFile.h"
#include "core/session/SendSession.h"
#include "core/session/TrafficLog.h"

#include <QApplication>
#include <QBrush>
#include <QFont>
#include <QStyle>
#include <QTimer>
#include <algorithm>

PlantTableModel::PlantTableModel(QObject *parent)
    : QAbstractTableModel(parent), m_refresh(new QTimer(this))
{
    m_refresh->setObjectName(QStringLiteral("timerPlantRefresh"));
    m_refresh->setInterval(RefreshMs);
    connect(m_refresh, &QTimer::timeout, this, &PlantTableModel::refresh);
}

PlantTableModel::Row PlantTableModel::rowOf(const EncoderList::Entry &entry)
{
    Row row;
    row.entry = entry;
    return row;
}

void PlantTableModel::setEntries(const QList<EncoderList::Entry> &entries)
{
    beginResetModel();
    for (const Row &row : std::as_const(m_rows))
        delete row.traffic;
    m_rows.clear();
    for (const EncoderList::Entry &entry : entries)
        m_rows << rowOf(entry);
    m_changed.clear();
    m_running.clear();
    m_runCount = m_done = m_failed = 0;
    endResetModel();
    emit progressChanged();
}

void PlantTableModel::setListFolder(const QString &folder)
{
    m_listFolder = folder;
    if (!m_rows.isEmpty())
        emit dataChanged(index(0, ConfigurationColumn),
                         index(int(m_rows.size()) - 1, ConfigurationColumn));
}

QList<EncoderList::Entry> PlantTableModel::entries() const
{
    QList<EncoderList::Entry> entries;
    for (const Row &row : m_rows)
        entries << row.entry;
    return entries;
}

void PlantTableModel::setEntry(int row, const EncoderList::Entry &entry)
{
    m_rows[row].entry = entry;
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void PlantTableModel::addEntry(const EncoderList::Entry &entry)
{
    beginInsertRows(QModelIndex(), int(m_rows.size()), int(m_rows.size()));
    m_rows << rowOf(entry);
    endInsertRows();
}

void PlantTableModel::removeEntry(int row)
{
    beginRemoveRows(QModelIndex(), row, row);
    delete m_rows.takeAt(row).traffic;
    endRemoveRows();
}

void PlantTableModel::beginRun(const QList<int> &rows)
{
    for (int row : rows) {
        m_rows[row].state = State::Idle;
        markChanged(row);
    }
    m_runCount = int(rows.size());
    m_done = m_failed = 0;
    m_changed.clear();
    m_refresh->start();
    emit progressChanged();
}

void PlantTableModel::startRow(int row, const SendSession *session)
{
    Row &r = m_rows[row];
    r.session = session;
    r.state = State::Opening;
    r.opened = false;
    r.failed = false;
    m_running.insert(row);
    markChanged(row);
    // The readiness reply opens the send; the commands' answers are read at the next tick.
    connect(
        session, &SendSession::replyReceived, this, [this, row] { m_rows[row].opened = true; },
        Qt::SingleShotConnection);
    connect(session, &SendSession::linkCreated, this,
            [this, row](const Sequencer *link) { traffic(row)->attach(link); });
}

void PlantTableModel::finishRow(int row)
{
    Row &r = m_rows[row];
    const SendSession *session = r.session;
    if (!session)
        return;
    r.failed = !session->succeeded();
    r.state = r.failed ? State::Failed : session->isCheck() ? State::Answers : State::Programmed;
    r.failure = session->reason();
    r.identification = session->identification();
    r.result = session->message();
    r.finished = Clock::instance().now();
    r.session = nullptr;
    m_running.remove(row);
    ++m_done;
    if (r.failed)
        ++m_failed;
    markChanged(row);
}

QString PlantTableModel::stateText(int row) const
{
    const Row &r = m_rows.at(row);
    switch (r.state) {
    case State::Idle:
        return QStringLiteral("idle");
    case State::Opening:
        return r.opened && r.session && !r.session->isCheck() ? QStringLiteral("sending %1 of %2")
                                                                    .arg(r.session->answered())
                                                                    .arg(r.session->commandCount())
                                                              : QStringLiteral("opening");
    case State::Programmed:
        return QStringLiteral("programmed");
    case State::Answers:
        return QStringLiteral("answers");
    case State::Failed:
        return QStringLiteral("failed: ") + r.failure;
    }
    return QString();
}

TrafficLog *PlantTableModel::traffic(int row)
{
    Row &r = m_rows[row];
    if (!r.traffic)
        r.traffic = new TrafficLog(this);
    return r.traffic;
}

int PlantTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int PlantTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PlantTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return QVariant();
    const Row &r = m_rows.at(index.row());
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        // Texts of the list and of the encoders, their control characters shown escaped.
        const auto shown = [](const QString &text) { return LogFile::plainText(text); };
        switch (index.column()) {
        case NameColumn:
            return shown(r.entry.name);
        case DeviceColumn:
            return shown(r.entry.device);
        case ConfigurationColumn:
            if (role == Qt::DisplayRole && !m_listFolder.isEmpty() &&
                r.entry.configuration.startsWith(m_listFolder + QLatin1Char('/')))
                return shown(r.entry.configuration.mid(m_listFolder.size() + 1));
            return shown(r.entry.configuration);
        case StateColumn:
            return shown(stateText(index.row()));
        case IdentificationColumn:
            return shown(r.session ? r.session->identification() : r.identification);
        case ResultColumn:
            return shown(r.result);
        case FinishedColumn:
            return r.finished.isValid()
                       ? r.finished.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))
                       : QString();
        }
    }
    // A failed row stands out by its text, an icon and a bold font; the colour only adds to it.
    if (r.failed && index.column() == StateColumn && role == Qt::DecorationRole)
        return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    if (r.failed && role == Qt::FontRole) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    if (r.failed && role == Qt::ForegroundRole)
        return QBrush(QColor(176, 0, 0));
    return QVariant();
}

QVariant PlantTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const QStringList captions = {
        QStringLiteral("Name"),           QStringLiteral("Device"),
        QStringLiteral("Configuration"),  QStringLiteral("State"),
        QStringLiteral("Identification"), QStringLiteral("Last Result"),
        QStringLiteral("Finished")};
    return captions.value(section);
}

void PlantTableModel::markChanged(int row)
{
    m_changed.insert(row);
}

void PlantTableModel::refresh()
{
    // The rows under way change with every answer: they are read afresh at each tick.
    QSet<int> rows = m_changed + m_running;
    m_changed.clear();
    if (m_running.isEmpty())
        m_refresh->stop();
    if (rows.isEmpty())
        return;
    const auto [first, last] = std::minmax_element(rows.cbegin(), rows.cend());
    emit dataChanged(index(*first, 0), index(*last, ColumnCount - 1));
    emit progressChanged();
}
