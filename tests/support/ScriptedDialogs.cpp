#include "ScriptedDialogs.h"

void ScriptedDialogs::clear()
{
    for (QStringList *list : {&openPaths, &savePaths, &shown, &dialogFolders})
        list->clear();
    answers.clear();
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
