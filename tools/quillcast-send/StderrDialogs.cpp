#include "StderrDialogs.h"

StderrDialogs::StderrDialogs()
{
    DialogService::setInstance(this);
}

StderrDialogs::~StderrDialogs()
{
    DialogService::setInstance(nullptr);
}

QStringList StderrDialogs::takeMessages()
{
    QStringList messages;
    messages.swap(m_messages);
    return messages;
}

DialogService::Answer StderrDialogs::message(QWidget *, const QString &text, Buttons buttons, Icon,
                                             const QString &)
{
    // Message texts may hold line breaks; one line each keeps the error stream readable.
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\n'), ' ');
    m_messages << line;
    switch (buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::YesNo:
        return Answer::No;
    case Buttons::YesNoCancel:
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
