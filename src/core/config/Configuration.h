#pragma once

#include "core/config/DefaultInfo.h"

#include <QString>
#include <QVector>

// The configuration as plain values: one member per configuration control of the main window,
// named after the control and holding what the control holds (a text, a check value 0/1/2, the
// index of the selected option, the index of the selected list entry). The window fills one of
// these from its controls when it builds commands or saves, and applies one when it loads; the
// command builders, the file codec and quillcast-send work on it without any window.
struct Configuration
{
    // Plant Options
    int chCtrlNetworkName = 0;
    int oNetworkName = 2; // 0 Insert, 1 Block Upstream, 2 Pass Upstream
    QString txtNetworkName;
    int chCtrlCallLetters = 0;
    int oCallLetters = 2;
    QString txtCallLetters;
    int chCtrlTSID = 0;
    int oTSID = 2;
    QString txtTSID;
    int chCtrlTimeOfDay = 0;
    int oTimeOfDay = 2;
    int chCtrlTimeZone = 0;
    int oTimezone = 2;
    int chSyncClock = 0;
    int chDSObserved = 1;
    int chDSInEffect = 0;

    // V-Chip
    int chCtrlProgramName = 0;
    int oProgramName = 2;
    QString txtProgramName;
    int chCtrlProgramRating = 0;
    int oProgramRating = 2;
    int cmbProgRatingSys = 1; // 0 MPA, 1 US-TV, 2 CDN-E, 3 CDN-Fr
    int cmbProgramRating = 0;
    QVector<int> chProgramRatingFlags = QVector<int>(5, 0); // FV, V, S, L, D

    // Caption Channels
    QString txtSendCaptions;
    int oSendCaptions = 0;     // 0..3 CC1..CC4, 4..7 T1..T4
    int oDecoderSettings = 10; // 0..7 as above, 8 XDS, 9 V-Chip, 10 Off
    int chDecoderSend = 0;
    int chBlockingSend = 0;
    QVector<int> chBlockingSettings = QVector<int>(9, 0); // CC1..CC4, XDS, T1..T4

    // Web TV
    int chCtrlWebTV = 0;
    int oWebTV = 1; // 0 Insert, 1 Pass Upstream
    QString txtWebURL;
    QString txtWebDescription;
    QString txtWebScript;
    QString txtWebRepeat = QStringLiteral("1");
    int cmbWebExpiryYear = 0; // list indexes; 0 is the blank entry
    int cmbWebExpiryMonth = 0;
    int cmbWebExpiryDay = 0;
    // What the selected expiry entries stand for (0 when blank): the year, the month number
    // and the day number. Filled together with the indexes.
    int webExpiryYearValue = 0;
    int webExpiryMonthValue = 0;
    int webExpiryDayValue = 0;

    // Articles
    int oInsertArticles = 0; // T1..T4
    QString txtInsArticleRepeat = QStringLiteral("1");

    // CC Looping
    QString captionLoopFile;                            // full path, "" when none
    QVector<int> cmbCCLoopingTime = QVector<int>(3, 0); // hours, minutes, seconds
    int chCCLpInfiniteTime = 0;

    // CGMS Insertion
    int chCtrlCGMS = 0;
    int oCGMS = 2;
    int cmbCGMS = 0;
    int cmbCGMSOptions = 0;
    int oCGMSASB = 0;

    // The configuration after a reset: every packet disabled and passed upstream, the plant
    // defaults in the three Plant Options boxes, daylight saving in effect as the system said
    // at start-up.
    static Configuration defaults(const DefaultInfo &info, bool daylightInEffect);

    bool operator==(const Configuration &o) const;
    bool operator!=(const Configuration &o) const { return !(*this == o); }
};
