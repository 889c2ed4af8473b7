#include "ScriptedDialogs.h"

ScriptedDialogs::ScriptedDialogs()
{
    DialogService::setInstance(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    DialogService::setInstance(nullptr);
}

QStringList ScriptedDialogs::texts() const
{
    QStringList all;
    for (const Shown &s : shown)
        all << s.text;
    return all;
}

void ScriptedDialogs::clear()
{
    answers.clear();
    openPaths.clear();
    savePaths.clear();
    shown.clear();
    dialogTitles.clear();
    dialogFilters.clear();
    dialogFolders.clear();
    openedUrls.clear();
}

DialogService::Answer ScriptedDialogs::message(QWidget *, const QString &text, Buttons buttons,
                                               Icon icon, const QString &title)
{
    shown.append({text, buttons, icon, title});
    if (whileShown)
        whileShown(text);
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return answers.isEmpty() ? defaultAnswer : answers.takeFirst();
}

QString ScriptedDialogs::openFileName(QWidget *, const QString &title, const QString &folder,
                                      const QString &filter)
{
    dialogTitles << title;
    dialogFilters << filter;
    dialogFolders << folder;
    return openPaths.isEmpty() ? QString() : openPaths.takeFirst();
}

QString ScriptedDialogs::saveFileName(QWidget *, const QString &title, const QString &folder,
                                      const QString &filter)
{
    dialogTitles << title;
    dialogFilters << filter;
    dialogFolders << folder;
    return savePaths.isEmpty() ? QString() : savePaths.takeFirst();
}

bool ScriptedDialogs::openUrl(const QUrl &url)
{
    openedUrls << url;
    return true;
}
