#pragma once

#include "config/Configuration.h"

// A configuration with every stored value away from its default, valid for a clock set to
// 15 June 2026 (the expiry entries stand for 5 March 2027).
inline Configuration fullConfiguration()
{
    Configuration c;
    c.chCtrlNetworkName = 1;
    c.oNetworkName = 0;
    c.txtNetworkName = QStringLiteral("ABCD");
    c.chCtrlCallLetters = 1;
    c.oCallLetters = 1;
    c.txtCallLetters = QStringLiteral("KABC");
    c.chCtrlTSID = 1;
    c.oTSID = 0;
    c.txtTSID = QStringLiteral("1234");
    c.chCtrlTimeOfDay = 1;
    c.oTimeOfDay = 1;
    c.chCtrlTimeZone = 1;
    c.oTimezone = 0;
    c.chSyncClock = 1;
    c.chDSObserved = 0;
    c.chDSInEffect = 1;
    c.chCtrlProgramName = 1;
    c.oProgramName = 0;
    c.txtProgramName = QStringLiteral("Evening News");
    c.chCtrlProgramRating = 1;
    c.oProgramRating = 0;
    c.cmbProgRatingSys = 1;
    c.cmbProgramRating = 4;
    c.chProgramRatingFlags = {0, 1, 0, 1, 1};
    c.txtSendCaptions = QStringLiteral("Test caption");
    c.oSendCaptions = 6;
    c.oDecoderSettings = 9;
    c.chDecoderSend = 1;
    c.chBlockingSend = 1;
    c.chBlockingSettings = {1, 0, 1, 0, 2, 0, 1, 0, 1}; // 2: grey
    c.chCtrlWebTV = 1;
    c.oWebTV = 0;
    c.txtWebURL = QStringLiteral("http://example.org/");
    c.txtWebDescription = QStringLiteral("Example");
    c.txtWebScript = QStringLiteral("go()");
    c.txtWebRepeat = QStringLiteral("12");
    c.cmbWebExpiryYear = 2;  // 2027
    c.cmbWebExpiryMonth = 3; // March
    c.cmbWebExpiryDay = 5;   // the 5th
    c.webExpiryYearValue = 2027;
    c.webExpiryMonthValue = 3;
    c.webExpiryDayValue = 5;
    c.oInsertArticles = 3;
    c.txtInsArticleRepeat = QStringLiteral("250");
    c.captionLoopFile = QStringLiteral("/data/captions/loop.txt");
    c.cmbCCLoopingTime = {23, 59, 58};
    c.chCCLpInfiniteTime = 1;
    c.chCtrlCGMS = 1;
    c.oCGMS = 0;
    c.cmbCGMS = 2;
    c.cmbCGMSOptions = 3;
    c.oCGMSASB = 1;
    return c;
}
