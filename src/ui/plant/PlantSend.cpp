#include "ui/plant/PlantSend.h"

#include "core/common/Clock.h"
#include "core/common/LocalTimeZoneSnapshot.h"
#include "core/session/PlantConfigurations.h"
#include "core/session/PlantRun.h"
#include "core/session/ReportFile.h"
#include "ui/DialogService.h"
#include "ui/plant/PlantTableModel.h"

#include <QTimeZone>
#include <QWidget>

namespace {

const QString kSendTitle = QStringLiteral("Plant");
// The status a run stopped from the window records for its encoders under way: that of
// quillcast-send stopped with Ctrl-C.
constexpr int kStoppedStatus = 130;

} // namespace

PlantSend::PlantSend(PlantTableModel *model, QWidget *window)
    : QObject(window), m_model(model), m_window(window)
{
}

bool PlantSend::start(const QList<int> &rows, bool check, const QString &listPath)
{
    using Icon = DialogService::Icon;
    if (rows.isEmpty() || m_underWay)
        return false;
    QList<EncoderList::Entry> entries;
    for (int row : rows)
        entries << m_model->entry(row);
    // Every configuration is read and built once, before anything is sent.
    PlantConfigurations configurations(
        LocalTimeZoneSnapshot::take(QTimeZone::systemTimeZone(), Clock::instance().now()));
    if (!check) {
        for (const EncoderList::Entry &entry : std::as_const(entries)) {
            if (entry.configuration.isEmpty()) {
                DialogService::tell(
                    m_window, QStringLiteral("encoder \"%1\": no configuration").arg(entry.name),
                    Icon::Warning, kSendTitle);
                return false;
            }
        }
        QStringList notes;
        const QString problem = configurations.readEntries(
            entries, PlantConfigurations::inList(listPath.isEmpty() ? kSendTitle : listPath),
            &notes);
        if (!problem.isEmpty()) {
            DialogService::tell(m_window, problem, Icon::Warning, kSendTitle);
            return false;
        }
        if (!notes.isEmpty())
            DialogService::tell(m_window, notes.join(QLatin1Char('\n')), Icon::Information,
                                kSendTitle);
    }
    QList<PlantRun::Encoder> encoders;
    for (const EncoderList::Entry &entry : std::as_const(entries))
        encoders << PlantRun::Encoder{entry.name, entry.device, entry.configuration, entry.line,
                                      check ? QList<CtrlACommand>()
                                            : configurations.of(entry.configuration).commands};
    delete m_run;
    m_run = new PlantRun(encoders, PlantRun::defaultJobs(), this);
    m_rows = rows;
    connect(m_run, &PlantRun::encoderStarted, this,
            [this](int index) { m_model->startRow(m_rows.at(index), m_run->session(index)); });
    connect(m_run, &PlantRun::encoderFinished, this,
            [this](int index) { m_model->finishRow(m_rows.at(index)); });
    connect(m_run, &PlantRun::finished, this, [this] {
        m_underWay = false;
        m_model->refresh();
        emit finished();
    });
    m_underWay = true;
    m_check = check;
    m_model->beginRun(rows);
    m_run->start();
    emit started();
    return true;
}

void PlantSend::stop()
{
    if (m_underWay)
        m_run->interrupt(kStoppedStatus);
}

bool PlantSend::isStopping() const
{
    return m_underWay && m_run->isInterrupted();
}

void PlantSend::forget()
{
    if (m_underWay)
        return;
    delete m_run;
    m_run = nullptr;
}

bool PlantSend::saveReport(const QString &path)
{
    QString problem = ReportFile::placeProblem(path);
    if (problem.isEmpty() && m_run && ReportFile::write(path, m_run->report(), &problem))
        return true;
    DialogService::tell(m_window,
                        path + QStringLiteral(": the report could not be written: ") + problem,
                        DialogService::Icon::Warning, kSendTitle);
    return false;
}
