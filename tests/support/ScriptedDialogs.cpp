#include "ScriptedDialogs.h"

ScriptedDialogs::ScriptedDialogs()
{
    DialogService::setInstance(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    DialogService::setInstance(nullptr);
}

void ScriptedDialogs::clear()
{
    answers.clear();
    openPaths.clear();
    savePaths.clear();
    shown.clear();
    dialogFolders.clear();
    openedUrls.clear();
}

DialogService::Answer ScriptedDialogs::message(QWidget *, const QString &text, Buttons buttons,
                                               Icon, const QString &)
{
    shown << text;
    if (whileShown)
        whileShown(text);
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return answers.isEmpty() ? defaultAnswer : answers.takeFirst();
}

QString ScriptedDialogs::next(QStringList &paths, const QString &folder)
{
    dialogFolders << folder;
    return paths.isEmpty() ? QString() : paths.takeFirst();
}

QString ScriptedDialogs::openFileName(QWidget *, const QString &, const QString &folder,
                                      const QString &)
{
    return next(openPaths, folder);
}

QString ScriptedDialogs::saveFileName(QWidget *, const QString &, const QString &folder,
                                      const QString &)
{
    return next(savePaths, folder);
}

bool ScriptedDialogs::openUrl(const QUrl &url)
{
    openedUrls << url;
    return true;
}
