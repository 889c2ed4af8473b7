#include "core/protocol/CtrlACommand.h"

#include "core/common/GlobalFunctions.h"

QString CtrlACommand::wireText() const
{
    QString text{QLatin1Char(SOH)};
    text += mode;
    if (!args.isEmpty())
        text += QLatin1Char(' ') + args;
    text += QLatin1Char(CR);
    if (!content.isEmpty() || sendBlankContents)
        text += content + QLatin1Char(CR);
    if (ctrlC)
        text += QLatin1Char(ETX);
    return text;
}

QByteArray CtrlACommand::wireBytes() const
{
    return GlobalFunctions::toSingleByte(wireText());
}

QByteArray CtrlACommand::readinessQuery()
{
    return QByteArray("\x03\x0D\x01?\x0D", 5);
}
