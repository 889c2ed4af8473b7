#include "core/session/TrafficLog.h"

#include "core/common/Clock.h"
#include "core/session/EncoderChannel.h"
#include "core/session/Sequencer.h"
#include "core/transport/PortLine.h"

#include <algorithm>

namespace {

QString withReason(const QString &text, const QString &reason)
{
    return reason.isEmpty() ? text : text + QLatin1String(" (") + reason + QLatin1Char(')');
}

} // namespace

TrafficLog::TrafficLog(QObject *parent) : QAbstractListModel(parent) {}

void TrafficLog::attach(const Sequencer *sequencer)
{
    using D = TrafficEntry::Direction;
    const EncoderChannel *channel = sequencer->channel();
    const PortLine *port = channel->port();

    connect(channel, &EncoderChannel::textSent, this,
            [this](const QString &mode, const QString &text) {
                m_lastMode = mode;
                append(D::Sent, mode, text);
            });
    // The sequencer announces a reply before it sends the next command, so each reply follows
    // the command it answers.
    connect(sequencer, &Sequencer::replyReceived, this,
            [this](const QString &response) { append(D::Received, m_lastMode, response); });
    connect(sequencer, &Sequencer::replyTimeoutFired, this, [this](int intervalMs) {
        append(D::Event, m_lastMode,
               QStringLiteral("time-out: no complete reply within %1 ms").arg(intervalMs));
    });
    connect(sequencer, &Sequencer::transactionFailed, this,
            [this](Sequencer::Failure failure, const QString &detail) {
                if (failure == Sequencer::Failure::EncoderRestarted)
                    append(D::Event, m_lastMode,
                           QStringLiteral("encoder restarted: its start-up banner came in place "
                                          "of the reply"));
                else if (failure == Sequencer::Failure::ReplyTooLong)
                    append(D::Event, m_lastMode,
                           withReason(QStringLiteral("reply too long"), detail));
            });
    connect(port, &PortLine::portOpened, this, [this](const QString &device) {
        m_lastMode.clear();
        append(D::Event, QString(), QStringLiteral("connected to ") + device);
    });
    connect(port, &PortLine::portOpenFailed, this,
            [this](const QString &device, const QString &reason) {
                append(D::Event, QString(),
                       withReason(QStringLiteral("could not open ") + device, reason));
            });
    connect(port, &PortLine::portClosed, this, [this](const QString &device) {
        append(D::Event, QString(), QStringLiteral("disconnected from ") + device);
    });
    connect(port, &PortLine::lineLost, this, [this](const QString &device, const QString &reason) {
        append(D::Event, QString(), withReason(QStringLiteral("line lost: ") + device, reason));
    });
}

void TrafficLog::append(TrafficEntry::Direction direction, const QString &mode, const QString &text)
{
    append(TrafficEntry{Clock::instance().now().toMSecsSinceEpoch(), direction, mode, text});
}

void TrafficLog::append(const TrafficEntry &entry)
{
    if (int(m_entries.size()) >= MaximumLines) {
        beginRemoveRows(QModelIndex(), 0, 0);
        m_entries.pop_front();
        endRemoveRows();
    }
    const int row = int(m_entries.size());
    beginInsertRows(QModelIndex(), row, row);
    m_entries.push_back(entry);
    endInsertRows();
}

void TrafficLog::clear()
{
    beginResetModel();
    m_entries.clear();
    endResetModel();
}

const TrafficEntry &TrafficLog::entry(int row) const
{
    return m_entries.at(size_t(row));
}

QString TrafficLog::line(int row) const
{
    return TrafficFormat::line(entry(row));
}

QString TrafficLog::text(const QModelIndexList &rows) const
{
    QList<int> numbers;
    if (rows.isEmpty()) {
        for (int row = 0; row < rowCount(); ++row)
            numbers << row;
    } else {
        for (const QModelIndex &index : rows)
            numbers << index.row();
        std::sort(numbers.begin(), numbers.end());
    }
    QString text;
    for (int row : std::as_const(numbers))
        text += line(row) + QLatin1Char('\n');
    return text;
}

int TrafficLog::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant TrafficLog::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return QVariant();
    return line(index.row());
}
