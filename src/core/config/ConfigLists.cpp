#include "core/config/ConfigLists.h"

#include <QLocale>

namespace ConfigLists {

const QStringList &ratingSystems()
{
    static const QStringList systems = {"MPA", "US-TV", "CDN-E", "CDN-Fr"};
    return systems;
}

const QStringList &ratingLists(int system)
{
    static const QVector<QStringList> lists = {
        {"N/A", "G", "PG", "PG-13", "R", "NC-17", "X", "Not Rated"},
        {"None", "TV-Y", "TV-Y7", "TV-G", "TV-PG", "TV-14", "TV-MA"},
        {"E", "C", "C8+", "G", "PG", "14+", "18+"},
        {"E", "G", "8 ans +", "13 ans +", "16 ans +", "18 ans +"},
    };
    static const QStringList none;
    return system >= 0 && system < lists.size() ? lists[system] : none;
}

const QStringList &ratingFlagNames()
{
    static const QStringList names = {"FV", "V", "S", "L", "D"};
    return names;
}

QVector<int> admittedRatingFlags(int system, int rating)
{
    enum Flag
    {
        FV,
        V,
        S,
        L,
        D
    };
    if (system != UsTvSystem)
        return {};
    switch (rating) {
    case 2: // TV-Y7
        return {FV};
    case 4: // TV-PG
    case 5: // TV-14
        return {V, S, L, D};
    case 6: // TV-MA
        return {V, S, L};
    default:
        return {};
    }
}

const QStringList &cgmsChoices()
{
    static const QStringList choices = {"Copying Permitted without Restriction",
                                        "One Generation of Copies may be made",
                                        "No Copying is Permitted"};
    return choices;
}

const QStringList &cgmsApsOptions()
{
    static const QStringList options = {"No APS", "PSP On; Split Burst Off",
                                        "PSP On; 2 line Split Burst On",
                                        "PSP On; 4 line Split Burst On"};
    return options;
}

QStringList cgmsOptionsFor(int cgmsChoice)
{
    QStringList options = cgmsApsOptions();
    if (cgmsChoice != NoCopyingIsPermitted)
        options.prepend(NotApplicable);
    return options;
}

QVector<Entry> expiryYears(int firstYear)
{
    QVector<Entry> years{{QString(), 0}};
    for (int i = 0; i <= 5; ++i)
        years.append({QString::number(firstYear + i), firstYear + i});
    return years;
}

QVector<Entry> expiryMonths(int year, const QDate &today)
{
    QVector<Entry> months{{QString(), 0}};
    if (year <= 0)
        return months;
    const int first = year == today.year() ? today.month() : 1;
    const QLocale locale = QLocale::system();
    for (int m = first; m <= 12; ++m)
        months.append({locale.monthName(m, QLocale::LongFormat), m});
    return months;
}

QVector<Entry> expiryDays(int year, int month, const QDate &today)
{
    QVector<Entry> days{{QString(), 0}};
    if (year <= 0 || month < 1 || month > 12)
        return days;
    const int first = (year == today.year() && month == today.month()) ? today.day() : 1;
    const int last = QDate(year, month, 1).daysInMonth();
    for (int d = first; d <= last; ++d)
        days.append({QString::number(d), d});
    return days;
}

QStringList loopingTimeEntries(int member)
{
    const int count = member == 0 ? 24 : 60;
    QStringList entries;
    for (int i = 0; i < count; ++i)
        entries.append(QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')));
    return entries;
}

} // namespace ConfigLists
