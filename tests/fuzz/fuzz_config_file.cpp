// The configuration file reader on any bytes under a ".qcf" name, loaded onto the defaults: a
// refused file shows that one message and changes nothing; a completed load leaves only values the
// window's controls can show; and what loaded saves and loads back the same.

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

void require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "property failed: %s\n", what);
        std::abort();
    }
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

// Answering Yes to every import question.
Load load(const QString &path)
{
    ScriptedDialogs dialogs;
    dialogs.defaultAnswer = DialogService::Answer::Yes;
    Load result;
    result.loaded = ConfigurationFile::LoadConfiguration(path, result.configuration, nullptr);
    result.messages = dialogs.texts();
    return result;
}

bool in(int value, qsizetype size)
{
    return value >= 0 && value < size;
}

// Whether every field holds a value its control can show.
bool showable(const Configuration &c, const QDate &today)
{
    for (const ConfigField &field : ConfigFields::all()) {
        const bool check = field.kind == ConfigFieldKind::Check;
        if ((check || field.kind == ConfigFieldKind::OptionGroup) &&
            !in(c.*std::get<int Configuration::*>(field.member), check ? 3 : field.members))
            return false;
        if (field.kind != ConfigFieldKind::CheckArray && field.kind != ConfigFieldKind::ListArray)
            continue;
        const QVector<int> &values = c.*std::get<QVector<int> Configuration::*>(field.member);
        for (int i = 0; i < values.size(); ++i) {
            if (!in(values.at(i), field.kind == ConfigFieldKind::CheckArray
                                      ? 3
                                      : ConfigLists::LoopingTimeEntries(i).size()))
                return false;
        }
        if (values.size() != field.members)
            return false;
    }
    const auto years = ConfigLists::ExpiryYears(today.year());
    const auto months = ConfigLists::ExpiryMonths(c.webExpiryYearValue, today);
    const auto days = ConfigLists::ExpiryDays(c.webExpiryYearValue, c.webExpiryMonthValue, today);
    return in(c.cmbProgRatingSys, ConfigLists::RatingSystems().size()) &&
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

    const auto write = [](const QByteArray &bytes) {
        QFile file(path);
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                    file.write(bytes) == bytes.size(),
                "the input is written");
    };
    write(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    const Load yes = load(path);
    if (!yes.loaded) {
        require(yes.messages.size() == 1 && (yes.messages[0].startsWith("The file could not be") ||
                                             yes.messages[0].startsWith("The file appears to be")),
                "only a refused file does not load, and says so in one message");
        require(yes.configuration == defaults(), "a refusal leaves the configuration as it was");
        return 0;
    }
    require(showable(yes.configuration, clock.now().date()), "every value can be shown");
    const ConfigCodec::Encoded saved = ConfigCodec::encode(yes.configuration);
    if (!saved.ok())
        return 0; // a converted old file can outgrow the format; saving it refuses cleanly
    write(saved.bytes);
    const Load reloaded = load(path);
    require(reloaded.loaded && reloaded.messages.isEmpty() &&
                reloaded.configuration == yes.configuration,
            "a saved file loads back as the same configuration without a word");
    return 0;
}
