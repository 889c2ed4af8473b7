#include "core/config/ConfigurationFile.h"

#include "core/common/Clock.h"
#include "core/common/WholeFile.h"
#include "core/config/ConfigCodec.h"
#include "core/config/ConfigFields.h"
#include "core/config/ConfigLists.h"

#include <QFile>
#include <QFileInfo>

namespace {

using ConfigurationFile::Message;

const QString CouldNotOpenText = QStringLiteral(
    "The file could not be opened.  Please make sure it is not in use by another application.");
const QString InvalidFileText =
    QStringLiteral("The file appears to be an invalid Configuration file or corrupt.");
const QString ImportErrorText =
    QStringLiteral("An error has occurred while importing the file.  Would you like to continue?");
const QString MonthNotAppliedText =
    QStringLiteral("The Web Expiry Month could not be applied.  Please set by hand.");
const QString DayNotAppliedText =
    QStringLiteral("The Web Expiry Day could not be applied.  Please set by hand.");
const QString ConvertedText = QStringLiteral(
    "You have selected a configuration file from a previous version of Quillcast. Quillcast "
    "will convert the file to the current version and set any new controls to their default "
    "values.\n\nIf you wish to keep the previous version of this file then save the converted "
    "configuration file with a new name using the \"File > Save As...\" menu option.");
const QString WriteFailedText =
    QStringLiteral("There was an error when trying to open and write to the file.  It might be "
                   "in use by another application.");

enum Entry
{
    RatingEntry = 11,
    RatingFlagsEntry = 12,
    ExpiryYearEntry = 16,
    ExpiryMonthEntry = 17,
    ExpiryDayEntry = 18,
    InsArticleRepeatEntry = 24,
    RatingSystemEntry = 37,
    LoopingTimeEntry = 44,
    CgmsEntry = 46,
    CgmsOptionsEntry = 47,
};

// A stored text as its box holds it, so that the window and quillcast-send send the same bytes:
// cut to the box's limit, and the Web TV script with its line breaks as the box keeps them (one
// LF each; the trigger puts the script on one line).
QString boxText(const ConfigField &field, QString text)
{
    if (qstrcmp(field.name, "txtWebScript") == 0) {
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    }
    const int limit = ConfigFields::textLimit(field);
    return limit > 0 ? text.left(limit) : text;
}

// Applies decoded entries to a configuration the way the window's controls take them: a value
// that a control would refuse raises the import question, and a choice that refills another
// list resets that list's selection, as the control's own rule does.
class EntryApplier
{
public:
    EntryApplier(Configuration &configuration, QList<Message> &messages)
        : c(configuration), m_messages(messages), m_today(Clock::instance().now().date())
    {
    }

    // A value the window's control would refuse raises the import question.
    void applyCurrent(const ConfigCodec::Entry &entry)
    {
        const ConfigField *field = ConfigFields::byEntry(entry.number);
        if (!field)
            return;
        if (entry.number == ExpiryMonthEntry)
            applyExpiryMonth(entry);
        else if (entry.number == ExpiryDayEntry)
            applyExpiryDay(entry);
        else if (!acceptable(*field, entry))
            askToContinue();
        else
            store(*field, entry);
    }

    // The previous format's entries, converted to the current fields.
    void applyPrevious(const ConfigCodec::Entry &entry)
    {
        struct PacketFlag
        {
            int number, group, enableBox;
        };
        static const PacketFlag flags[] = {{2, 2, 25}, {4, 4, 26},   {5, 5, 28},  {7, 7, 27},
                                           {8, 8, 29}, {13, 13, 31}, {17, 19, 32}};
        for (const PacketFlag &flag : flags) {
            if (entry.number != flag.number)
                continue;
            // A set flag meant "insert this packet"; anything else leaves the defaults.
            if (!entry.bytes.isEmpty() && entry.bytes[0] == 1) {
                store(*ConfigFields::byEntry(flag.group), {flag.group, {}, {0}});
                store(*ConfigFields::byEntry(flag.enableBox), {flag.enableBox, {}, {1}});
            }
            return;
        }
        if (entry.number == 16)
            return; // the old expiry texts are not carried over
        if (entry.number == 22) {
            const int value = entry.bytes.value(0) * 16 + entry.bytes.value(1);
            c.txtInsArticleRepeat = QString::number(qBound(1, value, 9999));
            return;
        }
        static const int sameField[][2] = {{1, 1},   {3, 3},   {6, 6},   {9, 9},   {10, 10},
                                           {11, 11}, {12, 12}, {14, 14}, {15, 15}, {18, 20},
                                           {19, 21}, {20, 22}, {21, 23}};
        for (const auto &pair : sameField) {
            if (entry.number == pair[0]) {
                ConfigCodec::Entry current = entry;
                current.number = pair[1];
                applyCurrent(current);
                return;
            }
        }
    }

    // The load goes on as if the operator agreed; the caller abandons it on No, and the
    // messages after the question are then never shown.
    void askToContinue() { m_messages << Message{Message::Question, ImportErrorText}; }

private:
    // How many entries the list of a list selection holds right now.
    int listSize(int entry) const
    {
        switch (entry) {
        case RatingEntry:
            return int(ConfigLists::ratingLists(c.cmbProgRatingSys).size());
        case ExpiryYearEntry:
            return int(ConfigLists::expiryYears(m_today.year()).size());
        case RatingSystemEntry:
            return int(ConfigLists::ratingSystems().size());
        case CgmsEntry:
            return int(ConfigLists::cgmsChoices().size());
        case CgmsOptionsEntry:
            return int(ConfigLists::cgmsOptionsFor(c.cmbCGMS).size());
        default:
            return 0;
        }
    }

    bool acceptable(const ConfigField &field, const ConfigCodec::Entry &entry) const
    {
        switch (field.kind) {
        case ConfigFieldKind::Text:
            return true;
        case ConfigFieldKind::Check:
        case ConfigFieldKind::CheckArray:
            for (int v : entry.bytes) {
                if (v > 2)
                    return false;
            }
            return true;
        case ConfigFieldKind::OptionGroup:
            return entry.bytes.value(0) < field.members;
        case ConfigFieldKind::ListSelection:
            return entry.bytes.value(0) < listSize(field.entry);
        case ConfigFieldKind::ListArray:
            for (int i = 0; i < entry.bytes.size(); ++i) {
                if (entry.bytes[i] >= ConfigLists::loopingTimeEntries(i).size())
                    return false;
            }
            return true;
        }
        return false;
    }

    // Stores the value, with the side effects the window's list rules have on other fields.
    void store(const ConfigField &field, const ConfigCodec::Entry &entry)
    {
        const int value = entry.bytes.value(0);
        switch (field.entry) {
        case RatingSystemEntry:
            if (value != c.cmbProgRatingSys) {
                c.cmbProgramRating = 0;
                c.chProgramRatingFlags.fill(0);
            }
            break;
        case RatingEntry:
            if (value != c.cmbProgramRating && c.cmbProgRatingSys == 1)
                c.chProgramRatingFlags.fill(0);
            break;
        case ExpiryYearEntry:
            if (value != c.cmbWebExpiryYear) {
                c.cmbWebExpiryMonth = c.webExpiryMonthValue = 0;
                c.cmbWebExpiryDay = c.webExpiryDayValue = 0;
            }
            c.webExpiryYearValue = ConfigLists::expiryYears(m_today.year()).value(value).value;
            break;
        case CgmsEntry:
            if (value != c.cmbCGMS)
                c.cmbCGMSOptions = 0;
            break;
        default:
            break;
        }
        if (auto text = std::get_if<QString Configuration::*>(&field.member))
            c.**text = boxText(field, entry.text);
        else if (auto single = std::get_if<int Configuration::*>(&field.member))
            c.**single = value;
        else if (auto values = std::get_if<QVector<int> Configuration::*>(&field.member))
            c.**values = entry.bytes;
    }

    // A month or day that today's lists no longer hold is left for the operator to set.
    void applyExpiryMonth(const ConfigCodec::Entry &entry)
    {
        const int index = entry.bytes.value(0);
        const auto months = ConfigLists::expiryMonths(c.webExpiryYearValue, m_today);
        if (index >= months.size()) {
            m_messages << Message{Message::Warning, MonthNotAppliedText};
            return;
        }
        if (index != c.cmbWebExpiryMonth)
            c.cmbWebExpiryDay = c.webExpiryDayValue = 0;
        c.cmbWebExpiryMonth = index;
        c.webExpiryMonthValue = months[index].value;
    }

    void applyExpiryDay(const ConfigCodec::Entry &entry)
    {
        const int index = entry.bytes.value(0);
        const auto days =
            ConfigLists::expiryDays(c.webExpiryYearValue, c.webExpiryMonthValue, m_today);
        if (index >= days.size()) {
            m_messages << Message{Message::Warning, DayNotAppliedText};
            return;
        }
        c.cmbWebExpiryDay = index;
        c.webExpiryDayValue = days[index].value;
    }

    Configuration &c;
    QList<Message> &m_messages;
    QDate m_today;
};

// The order in which current-format entries are applied: the file's order, except that the
// rating system goes before the rating and its flags. Choosing a system refills the rating
// list and clears the flags, so taking the system last would lose every rating that is not a
// US-TV one.
QVector<ConfigCodec::Entry> applicationOrder(const QVector<ConfigCodec::Entry> &entries)
{
    QVector<ConfigCodec::Entry> ordered = entries;
    int system = -1;
    int rating = -1;
    for (int i = 0; i < ordered.size(); ++i) {
        if (ordered[i].number == RatingSystemEntry)
            system = i;
        else if (ordered[i].number == RatingEntry)
            rating = i;
    }
    if (system > rating && rating >= 0) {
        const ConfigCodec::Entry moved = ordered.takeAt(system);
        ordered.insert(rating, moved);
    }
    return ordered;
}

} // namespace

namespace ConfigurationFile {

LoadResult loadConfiguration(const QString &path, const Configuration &start)
{
    LoadResult result;
    QFile file(path);
    QByteArray bytes;
    // Only a regular file is read: a pipe or a device that carries a configuration file's name
    // would keep the program waiting for bytes that never come.
    bool readable = QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly);
    if (readable) {
        // One byte more than the format can address is enough to refuse an oversized file.
        bytes = file.read(ConfigCodec::MaxFileSize + 1);
        readable = file.error() == QFileDevice::NoError;
        file.close();
    }
    const ConfigCodec::Decoded decoded =
        readable ? ConfigCodec::decode(bytes) : ConfigCodec::Decoded();
    if (decoded.status == ConfigCodec::Status::CouldNotOpen) {
        result.messages << Message{Message::Warning, CouldNotOpenText};
        return result;
    }
    if (decoded.status == ConfigCodec::Status::Invalid) {
        result.messages << Message{Message::Warning, InvalidFileText};
        return result;
    }

    result.readable = true;
    result.configuration = start;
    EntryApplier applier(result.configuration, result.messages);
    const bool previous = decoded.dataFormat == ConfigCodec::PreviousFormat;
    const auto entries = previous ? decoded.entries : applicationOrder(decoded.entries);
    for (const ConfigCodec::Entry &entry : entries) {
        if (previous)
            applier.applyPrevious(entry);
        else
            applier.applyCurrent(entry);
    }
    // A file that ends early: once the operator agrees, the load ends with what was read,
    // since nothing after the break can be found again.
    if (decoded.endedAtEntry != ConfigCodec::NotEnded)
        applier.askToContinue();
    if (previous)
        result.messages << Message{Message::Warning, ConvertedText};
    return result;
}

bool saveConfiguration(const QString &path, const Configuration &configuration,
                       QString *failureMessage)
{
    const ConfigCodec::Encoded encoded = ConfigCodec::encode(configuration);
    if (!encoded.ok())
        throw BuildError(encoded.error);
    // The file is replaced whole or not at all, so a failed write never leaves a mixture of
    // the old and the new configuration behind, nor an empty file on a full disk.
    if (WholeFile::write(path, encoded.bytes))
        return true;
    if (failureMessage)
        *failureMessage = WriteFailedText;
    return false;
}

} // namespace ConfigurationFile
