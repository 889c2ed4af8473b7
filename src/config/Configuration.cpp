#include "config/Configuration.h"

#include "config/ConfigFields.h"

Configuration Configuration::defaults(const DefaultInfo &info, bool daylightInEffect)
{
    Configuration c;
    c.txtNetworkName = info.networkName;
    c.txtCallLetters = info.callLetters;
    c.txtTSID = info.tsid;
    c.chDSInEffect = daylightInEffect ? 1 : 0;
    return c;
}

bool Configuration::operator==(const Configuration &o) const
{
    for (const ConfigField &f : ConfigFields::all()) {
        const bool same =
            std::visit([&](auto member) { return this->*member == o.*member; }, f.member);
        if (!same)
            return false;
    }
    return webExpiryYearValue == o.webExpiryYearValue &&
           webExpiryMonthValue == o.webExpiryMonthValue && webExpiryDayValue == o.webExpiryDayValue;
}
