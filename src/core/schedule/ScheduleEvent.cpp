#include "core/schedule/ScheduleEvent.h"

#include "core/commands/ControlProcessing.h"
#include "core/config/ConfigLists.h"

bool ScheduleEvent::appliesTo(const QString &encoder) const
{
    return encoders.isEmpty() || encoders.contains(encoder);
}

bool ScheduleEvent::occursOn(const QDate &day) const
{
    if (kind == Kind::Dated)
        return day == date;
    return kind == Kind::Weekly && (weekdays & (1 << (day.dayOfWeek() - 1)));
}

Configuration ScheduleEvent::configuration() const
{
    constexpr int Insert = 0;
    Configuration c;
    c.chCtrlProgramName = 1;
    c.oProgramName = Insert;
    c.txtProgramName = program;
    c.chCtrlProgramRating = 1;
    c.oProgramRating = Insert;
    c.cmbProgRatingSys = system;
    c.cmbProgramRating = rating;
    c.chProgramRatingFlags = flags;
    c.chCtrlCGMS = cgms >= 0 ? 1 : 0;
    c.oCGMS = Insert;
    c.cmbCGMS = qMax(0, cgms);
    // The APS list holds "Not Applicable" first unless copying is not permitted.
    c.cmbCGMSOptions = cgms == ConfigLists::NoCopyingIsPermitted ? aps : 0;
    c.oCGMSASB = asb;
    return c;
}

QList<CtrlACommand> ScheduleEvent::commands() const
{
    QList<CtrlACommand> list;
    const Configuration c = configuration();
    const ControlProcessing builders(c, ControlProcessing::Context(),
                                     [&list](const CtrlACommand &command) { list << command; });
    builders.buildProgramNamePacket();
    builders.buildRatingPacket();
    builders.buildCgmsPacket();
    return list;
}

QString ScheduleEvent::title() const
{
    const QString name = QLatin1Char('"') + program + QLatin1Char('"');
    switch (kind) {
    case Kind::Default:
        return QStringLiteral("default ") + name;
    case Kind::Override:
        return QStringLiteral("override ") + name;
    default:
        return QStringLiteral("line %1 ").arg(line) + name;
    }
}
