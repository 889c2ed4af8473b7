#include "StderrDialogs.h"

#include "Output.h"

StderrDialogs::StderrDialogs()
{
    DialogService::setInstance(this);
}

StderrDialogs::~StderrDialogs()
{
    DialogService::setInstance(nullptr);
}

DialogService::Answer StderrDialogs::message(QWidget *, const QString &text, Buttons buttons, Icon,
                                             const QString &)
{
    // Message texts may hold line breaks; one line each keeps the error stream readable.
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\n'), ' ');
    switch (buttons) {
    case Buttons::Ok:
        Output::error(line);
        return Answer::Ok;
    case Buttons::YesNo:
        Output::error(line + QStringLiteral(" [answered No]"));
        return Answer::No;
    case Buttons::YesNoCancel:
        Output::error(line + QStringLiteral(" [answered Cancel]"));
        return Answer::Cancel;
    }
    return Answer::Cancel;
}

QString StderrDialogs::openFileName(QWidget *, const QString &, const QString &, const QString &)
{
    return QString();
}

QString StderrDialogs::saveFileName(QWidget *, const QString &, const QString &, const QString &)
{
    return QString();
}

bool StderrDialogs::openUrl(const QUrl &)
{
    return false;
}
