// The configuration file reader on any bytes under a ".qcf" name, loaded onto the defaults
// answering Yes to every import question: what loaded saves and loads back the same, without a
// word.

#include "FixedClock.h"

#include "core/config/ConfigCodec.h"
#include "core/config/ConfigurationFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

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
    const auto load = [](const QByteArray &bytes) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(bytes) != bytes.size())
            std::abort();
        file.close();
        return ConfigurationFile::loadConfiguration(path, defaults);
    };
    const ConfigurationFile::LoadResult first =
        load(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!first.readable)
        return 0;
    const Configuration &loaded = first.configuration;
    const ConfigCodec::Encoded saved = ConfigCodec::encode(loaded);
    if (!saved.ok())
        return 0; // a converted old file can outgrow the format; saving it refuses cleanly
    const ConfigurationFile::LoadResult again = load(saved.bytes);
    if (!again.readable || !again.messages.isEmpty() || !(again.configuration == loaded)) {
        std::fprintf(stderr, "property failed: a saved file loads back the same, silently\n");
        std::abort();
    }
    return 0;
}
