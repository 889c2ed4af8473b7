// The configuration file reader on any bytes under a ".qcf" name, loaded onto the defaults
// answering Yes to every import question: a refused file shows that one message and changes
// nothing; a completed load leaves only list selections the window's controls can show; and what
// loaded saves and loads back the same, without a word.

#include "FixedClock.h"
#include "ScriptedDialogs.h"

#include "config/ConfigCodec.h"
#include "config/ConfigLists.h"
#include "config/ConfigurationFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace {

void require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "property failed: %s\n", what);
        std::abort();
    }
}

bool in(int value, qsizetype size)
{
    return value >= 0 && value < size;
}

// Whether every list selection is an entry of its list and the expiry values are those of the
// selected entries.
bool showable(const Configuration &c, const QDate &today)
{
    const auto years = ConfigLists::ExpiryYears(today.year());
    const auto months = ConfigLists::ExpiryMonths(c.webExpiryYearValue, today);
    const auto days = ConfigLists::ExpiryDays(c.webExpiryYearValue, c.webExpiryMonthValue, today);
    for (int i = 0; i < c.cmbCCLoopingTime.size(); ++i) {
        if (!in(c.cmbCCLoopingTime.at(i), ConfigLists::LoopingTimeEntries(i).size()))
            return false;
    }
    return c.cmbCCLoopingTime.size() == 3 &&
           in(c.cmbProgRatingSys, ConfigLists::RatingSystems().size()) &&
           in(c.cmbProgramRating, ConfigLists::RatingLists(c.cmbProgRatingSys).size()) &&
           in(c.cmbCGMS, ConfigLists::CgmsChoices().size()) &&
           in(c.cmbCGMSOptions, ConfigLists::CgmsOptionsFor(c.cmbCGMS).size()) &&
           in(c.cmbWebExpiryYear, years.size()) && in(c.cmbWebExpiryMonth, months.size()) &&
           in(c.cmbWebExpiryDay, days.size()) &&
           c.webExpiryYearValue == years.at(c.cmbWebExpiryYear).value &&
           c.webExpiryMonthValue == months.at(c.cmbWebExpiryMonth).value &&
           c.webExpiryDayValue == days.at(c.cmbWebExpiryDay).value;
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
    // A fixed day, so that the expiry lists are the same for every run.
    static FixedClock clock(QDateTime(QDate(2026, 3, 14), QTime(10, 0)));
    static const Configuration defaults =
        Configuration::defaults(DefaultInfo{"Quill Network", "KQIL", "1234"}, true);
    ScriptedDialogs dialogs;
    const auto load = [&dialogs](const QByteArray &bytes, Configuration &c) {
        QFile file(path);
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                    file.write(bytes) == bytes.size(),
                "the input is written");
        file.close();
        dialogs.clear();
        return ConfigurationFile::LoadConfiguration(path, c, nullptr);
    };

    Configuration loaded = defaults;
    if (!load(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), loaded)) {
        const QStringList said = dialogs.texts();
        require(said.size() == 1 && (said[0].startsWith("The file could not be opened.") ||
                                     said[0].startsWith("The file appears to be an invalid")),
                "only a refused file does not load, and says so in one message");
        require(loaded == defaults, "a refusal leaves the configuration as it was");
        return 0;
    }
    require(showable(loaded, clock.now().date()), "every list selection can be shown");
    const ConfigCodec::Encoded saved = ConfigCodec::encode(loaded);
    if (!saved.ok())
        return 0; // a converted old file can outgrow the format; saving it refuses cleanly
    Configuration again = defaults;
    require(load(saved.bytes, again) && dialogs.shown.isEmpty() && again == loaded,
            "a saved file loads back as the same configuration without a word");
    return 0;
}
