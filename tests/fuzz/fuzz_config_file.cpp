// The configuration file reader: any bytes under a ".qcf" name give either a configuration or a
// clean refusal. Each input is loaded twice onto the defaults, once answering Yes to every
// import question and once No. Checked for every input:
// - a file refused before its entries (cannot be opened, invalid) shows exactly that one
//   message and leaves the configuration as it was;
// - a load that completes leaves only values the window's controls can hold (check values
//   0..2, an existing option, an existing list entry, arrays of their full size, expiry values
//   that match the selected entries);
// - such a configuration saves, and the saved file loads back onto the defaults as the very
//   same configuration, without a single message;
// - answering No ends the load with the import question as its last message, and a load that
//   asked nothing ends alike whatever the answer. (What a stopped load had applied so far is
//   dropped: the window loads into a copy and takes it only from a completed load.)

#include "FixedClock.h"
#include "ScriptedDialogs.h"

#include "config/ConfigCodec.h"
#include "config/ConfigFields.h"
#include "config/ConfigLists.h"
#include "config/ConfigurationFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace {

const QString CouldNotOpen = QStringLiteral(
    "The file could not be opened.  Please make sure it is not in use by another application.");
const QString Invalid =
    QStringLiteral("The file appears to be an invalid Configuration file or corrupt.");
const QString ImportQuestion =
    QStringLiteral("An error has occurred while importing the file.  Would you like to continue?");

void require(bool condition, const char *what)
{
    if (condition)
        return;
    std::fprintf(stderr, "property failed: %s\n", what);
    std::abort();
}

Configuration defaults()
{
    return Configuration::defaults(DefaultInfo{"Quill Network", "KQIL", "1234"}, true);
}

struct Load
{
    bool loaded = false;
    Configuration configuration = defaults();
    QStringList messages;
};

Load load(const QString &path, DialogService::Answer answer)
{
    ScriptedDialogs dialogs;
    dialogs.defaultAnswer = answer;
    Load result;
    result.loaded = ConfigurationFile::LoadConfiguration(path, result.configuration, nullptr);
    result.messages = dialogs.texts();
    return result;
}

bool inRange(int value, int size)
{
    return value >= 0 && value < size;
}

// Whether every field holds a value its control can show.
void requireShowable(const Configuration &c, const QDate &today)
{
    const auto years = ConfigLists::ExpiryYears(today.year());
    for (const ConfigField &field : ConfigFields::all()) {
        switch (field.kind) {
        case ConfigFieldKind::Text:
            break;
        case ConfigFieldKind::Check:
            require(inRange(c.*std::get<int Configuration::*>(field.member), 3),
                    "a check value is 0, 1 or 2");
            break;
        case ConfigFieldKind::OptionGroup:
            require(inRange(c.*std::get<int Configuration::*>(field.member), field.members),
                    "an option group selects one of its options");
            break;
        case ConfigFieldKind::CheckArray:
        case ConfigFieldKind::ListArray: {
            const QVector<int> &values = c.*std::get<QVector<int> Configuration::*>(field.member);
            require(values.size() == field.members, "an array has all its members");
            for (int i = 0; i < values.size(); ++i) {
                const int size = field.kind == ConfigFieldKind::CheckArray
                                     ? 3
                                     : int(ConfigLists::LoopingTimeEntries(i).size());
                require(inRange(values.at(i), size), "an array member holds a value it can show");
            }
            break;
        }
        case ConfigFieldKind::ListSelection:
            break; // below, list by list
        }
    }
    require(inRange(c.cmbProgRatingSys, int(ConfigLists::RatingSystems().size())),
            "a rating system of the list");
    require(inRange(c.cmbProgramRating, int(ConfigLists::RatingLists(c.cmbProgRatingSys).size())),
            "a rating of the system's list");
    require(inRange(c.cmbCGMS, int(ConfigLists::CgmsChoices().size())), "a CGMS-A choice");
    require(inRange(c.cmbCGMSOptions, int(ConfigLists::CgmsOptionsFor(c.cmbCGMS).size())),
            "an APS option of the choice's list");
    require(inRange(c.cmbWebExpiryYear, int(years.size())), "an expiry year of the list");
    require(c.webExpiryYearValue == years.at(c.cmbWebExpiryYear).value,
            "the expiry year value is the selected year's");
    const auto months = ConfigLists::ExpiryMonths(c.webExpiryYearValue, today);
    require(inRange(c.cmbWebExpiryMonth, int(months.size())), "an expiry month of the list");
    require(c.webExpiryMonthValue == months.at(c.cmbWebExpiryMonth).value,
            "the expiry month value is the selected month's");
    const auto days = ConfigLists::ExpiryDays(c.webExpiryYearValue, c.webExpiryMonthValue, today);
    require(inRange(c.cmbWebExpiryDay, int(days.size())), "an expiry day of the list");
    require(c.webExpiryDayValue == days.at(c.cmbWebExpiryDay).value,
            "the expiry day value is the selected day's");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_config_file";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("fuzz.qcf"));
    static const QString again = dir.filePath(QStringLiteral("again.qcf"));
    // A fixed day, so that the expiry lists are the same for every run.
    static FixedClock clock(QDateTime(QDate(2026, 3, 14), QTime(10, 0)));
    const QDate today = clock.now().date();

    require(writeFile(path, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size))),
            "the input is written");
    const Load yes = load(path, DialogService::Answer::Yes);
    const Load no = load(path, DialogService::Answer::No);

    const QString first = yes.messages.value(0);
    if (first == CouldNotOpen || first == Invalid) {
        require(!yes.loaded && !no.loaded, "a refused file does not load");
        require(yes.messages == QStringList{first} && no.messages == yes.messages,
                "a refusal is one message");
        require(yes.configuration == defaults() && no.configuration == defaults(),
                "a refusal leaves the configuration as it was");
        return 0;
    }
    require(yes.loaded, "answering Yes loads every file that is not refused");
    requireShowable(yes.configuration, today);

    if (!yes.messages.contains(ImportQuestion)) {
        require(no.loaded && no.configuration == yes.configuration && no.messages == yes.messages,
                "a load without questions does not depend on the answers");
    } else {
        require(!no.loaded && no.messages.last() == ImportQuestion,
                "answering No ends the load at the question");
    }

    const ConfigCodec::Encoded saved = ConfigCodec::encode(yes.configuration);
    if (!saved.ok())
        return 0; // a converted old file can outgrow the format; saving it refuses cleanly
    require(writeFile(again, saved.bytes), "the saved file is written");
    const Load reloaded = load(again, DialogService::Answer::No);
    require(reloaded.loaded && reloaded.messages.isEmpty(), "a saved file loads without a word");
    require(reloaded.configuration == yes.configuration,
            "a saved file loads back as the same configuration");
    return 0;
}
