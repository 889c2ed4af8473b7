#include "core/config/ConfigFields.h"

#include <QHash>

namespace ConfigFields {

using K = ConfigFieldKind;
using C = Configuration;

int textLimit(const ConfigField &field)
{
    static const QHash<QByteArray, int> limits = {
        {"txtNetworkName", 32},  {"txtCallLetters", 6},       {"txtProgramName", 32},
        {"txtSendCaptions", 32}, {"txtWebDescription", 20},   {"txtWebScript", 50},
        {"txtWebRepeat", 20},    {"txtInsArticleRepeat", 20},
    };
    return limits.value(QByteArray(field.name), 0);
}

const QVector<ConfigField> &all()
{
    static const QVector<ConfigField> fields = {
        {1, "txtNetworkName", K::Text, 1, &C::txtNetworkName},
        {2, "oNetworkName", K::OptionGroup, 3, &C::oNetworkName},
        {3, "txtCallLetters", K::Text, 1, &C::txtCallLetters},
        {4, "oCallLetters", K::OptionGroup, 3, &C::oCallLetters},
        {5, "oTimeOfDay", K::OptionGroup, 3, &C::oTimeOfDay},
        {6, "txtTSID", K::Text, 1, &C::txtTSID},
        {7, "oTSID", K::OptionGroup, 3, &C::oTSID},
        {8, "oTimezone", K::OptionGroup, 3, &C::oTimezone},
        {9, "chDSInEffect", K::Check, 1, &C::chDSInEffect},
        {10, "txtProgramName", K::Text, 1, &C::txtProgramName},
        {11, "cmbProgramRating", K::ListSelection, 1, &C::cmbProgramRating},
        {12, "chProgramRatingFlags", K::CheckArray, 5, &C::chProgramRatingFlags},
        {13, "oProgramRating", K::OptionGroup, 3, &C::oProgramRating},
        {14, "txtWebURL", K::Text, 1, &C::txtWebURL},
        {15, "txtWebDescription", K::Text, 1, &C::txtWebDescription},
        {16, "cmbWebExpiryYear", K::ListSelection, 1, &C::cmbWebExpiryYear},
        {17, "cmbWebExpiryMonth", K::ListSelection, 1, &C::cmbWebExpiryMonth},
        {18, "cmbWebExpiryDay", K::ListSelection, 1, &C::cmbWebExpiryDay},
        {19, "oWebTV", K::OptionGroup, 2, &C::oWebTV},
        {20, "txtSendCaptions", K::Text, 1, &C::txtSendCaptions},
        {21, "oSendCaptions", K::OptionGroup, 8, &C::oSendCaptions},
        {22, "oDecoderSettings", K::OptionGroup, 11, &C::oDecoderSettings},
        {23, "oInsertArticles", K::OptionGroup, 4, &C::oInsertArticles},
        {24, "txtInsArticleRepeat", K::Text, 1, &C::txtInsArticleRepeat},
        {25, "chCtrlNetworkName", K::Check, 1, &C::chCtrlNetworkName},
        {26, "chCtrlCallLetters", K::Check, 1, &C::chCtrlCallLetters},
        {27, "chCtrlTSID", K::Check, 1, &C::chCtrlTSID},
        {28, "chCtrlTimeOfDay", K::Check, 1, &C::chCtrlTimeOfDay},
        {29, "chCtrlTimeZone", K::Check, 1, &C::chCtrlTimeZone},
        {30, "chCtrlProgramName", K::Check, 1, &C::chCtrlProgramName},
        {31, "chCtrlProgramRating", K::Check, 1, &C::chCtrlProgramRating},
        {32, "chCtrlWebTV", K::Check, 1, &C::chCtrlWebTV},
        {33, "chCtrlCGMS", K::Check, 1, &C::chCtrlCGMS},
        {34, "chSyncClock", K::Check, 1, &C::chSyncClock},
        {35, "chDSObserved", K::Check, 1, &C::chDSObserved},
        {36, "oProgramName", K::OptionGroup, 3, &C::oProgramName},
        {37, "cmbProgRatingSys", K::ListSelection, 1, &C::cmbProgRatingSys},
        {38, "chDecoderSend", K::Check, 1, &C::chDecoderSend},
        {39, "chBlockingSend", K::Check, 1, &C::chBlockingSend},
        {40, "chBlockingSettings", K::CheckArray, 9, &C::chBlockingSettings},
        {41, "txtWebScript", K::Text, 1, &C::txtWebScript},
        {42, "txtWebRepeat", K::Text, 1, &C::txtWebRepeat},
        {43, "captionLoopFile", K::Text, 1, &C::captionLoopFile},
        {44, "cmbCCLoopingTime", K::ListArray, 3, &C::cmbCCLoopingTime},
        {45, "chCCLpInfiniteTime", K::Check, 1, &C::chCCLpInfiniteTime},
        {46, "cmbCGMS", K::ListSelection, 1, &C::cmbCGMS},
        {47, "cmbCGMSOptions", K::ListSelection, 1, &C::cmbCGMSOptions},
        {48, "oCGMSASB", K::OptionGroup, 2, &C::oCGMSASB},
        {49, "oCGMS", K::OptionGroup, 3, &C::oCGMS},
    };
    return fields;
}

const ConfigField *byEntry(int entry)
{
    const auto &fields = all();
    if (entry < 1 || entry > fields.size())
        return nullptr;
    return &fields[entry - 1];
}

const ConfigField *byName(const QString &name)
{
    for (const ConfigField &f : all()) {
        if (name == QLatin1String(f.name))
            return &f;
    }
    return nullptr;
}

} // namespace ConfigFields

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
