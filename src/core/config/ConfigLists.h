#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

// The fixed entries of the configuration lists, shared by the window (which shows them) and by
// the file loader (which must refuse an index beyond a list's entries even without a window).
namespace ConfigLists {

// "MPA", "US-TV", "CDN-E", "CDN-Fr"
const QStringList &ratingSystems();
// The rating names of one system, in code order (position = 3-bit rating code).
const QStringList &ratingLists(int system);
inline constexpr int UsTvSystem = 1;
// The content flags' letters, in flag order: "FV", "V", "S", "L", "D".
const QStringList &ratingFlagNames();
// The content flags a rating admits (positions in flag order): only US-TV ratings have any;
// "TV-Y7" admits FV, "TV-PG" and "TV-14" V, S, L and D, "TV-MA" V, S and L.
QVector<int> admittedRatingFlags(int system, int rating);

// "Copying Permitted without Restriction", "One Generation of Copies may be made",
// "No Copying is Permitted"
const QStringList &cgmsChoices();
// "No APS", "PSP On; Split Burst Off", "PSP On; 2 line Split Burst On",
// "PSP On; 4 line Split Burst On"
const QStringList &cgmsApsOptions();
inline const QString NotApplicable = QStringLiteral("Not Applicable");
inline constexpr int NoCopyingIsPermitted = 2;
// The APS list's entries: "Not Applicable" first unless "No Copying is Permitted" is chosen.
QStringList cgmsOptionsFor(int cgmsChoice);

// One entry of an expiry list: its text and the value it stands for (0 for the blank entry).
struct Entry
{
    QString text;
    int value;
};
// Years: the blank entry, then the given year and the five following ones.
QVector<Entry> expiryYears(int firstYear);
// Months of a year from the blank entry on: from the current month when the year is today's
// year, otherwise from January, to December; names in the system locale's full form.
// A blank year (0) gives the blank entry alone.
QVector<Entry> expiryMonths(int year, const QDate &today);
// Days of a month: from today's day when year and month are today's, otherwise from 1, to the
// month's last day (leap years included). A blank year or month gives the blank entry alone.
QVector<Entry> expiryDays(int year, int month, const QDate &today);

// Looping time lists: "00".."23", "00".."59", "00".."59".
QStringList loopingTimeEntries(int member);

} // namespace ConfigLists
