#pragma once

#include <QJsonArray>
#include <QString>

// The report of a plant run (quillcast-send --report, the plant window's Save Report...): one
// JSON record per encoder. It is written whole or not at all (WholeFile), so a full disk leaves
// the old report as it was and says so. Only a regular file, or a new file in a folder that can
// be written, is ever replaced; "-" is standard output.
namespace ReportFile {

// "" when the report can go to path, else why not (checked before any port is opened).
QString placeProblem(const QString &path);
// False with the reason in *errorString when the report could not be written.
bool write(const QString &path, const QJsonArray &records, QString *errorString);

} // namespace ReportFile
