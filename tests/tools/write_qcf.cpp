// Writes every configuration of a cases file (tests/data/written.cases) with the program's own
// writer, as NAME.qcf beside the cases file, but for the "refused-" cases that no file can hold:
//   write_qcf tests/data/written.cases

#include "GoldenFiles.h"
#include "config/ConfigurationFile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto cases =
        args.size() == 2 ? readWrittenCases(args[1]) : decltype(readWrittenCases(""))();
    if (cases.isEmpty()) {
        std::fputs("usage: write_qcf CASES_FILE (a readable file of known fields)\n", stderr);
        return 1;
    }
    const QString folder = QFileInfo(args[1]).absolutePath();
    for (const auto &written : cases) {
        if (written.first.startsWith(QLatin1String("refused-")))
            continue; // the writer must refuse these
        if (!ConfigurationFile::SaveConfiguration(folder + '/' + written.first + ".qcf",
                                                  written.second, nullptr))
            return 2;
    }
    return 0;
}
