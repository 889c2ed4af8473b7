#include "core/config/DefaultInfo.h"

#include "core/common/AppSettings.h"

namespace {
const QString Section = QStringLiteral("Default Info");
}

DefaultInfo DefaultInfo::loadDefaultInfo(bool *found)
{
    DefaultInfo info;
    auto settings = AppSettings::open();
    const bool readable = settings->status() == QSettings::NoError;
    info.networkName = settings->value(Section + QStringLiteral("/Network Name")).toString();
    info.callLetters = settings->value(Section + QStringLiteral("/Call Letters")).toString();
    info.tsid = settings->value(Section + QStringLiteral("/TSID")).toString();
    if (found) {
        *found = readable && !info.networkName.isEmpty() && !info.callLetters.isEmpty() &&
                 !info.tsid.isEmpty();
    }
    return info;
}

void DefaultInfo::saveDefaultInfo() const
{
    auto settings = AppSettings::open();
    settings->setValue(Section + QStringLiteral("/Network Name"), networkName);
    settings->setValue(Section + QStringLiteral("/Call Letters"), callLetters);
    settings->setValue(Section + QStringLiteral("/TSID"), tsid);
}
