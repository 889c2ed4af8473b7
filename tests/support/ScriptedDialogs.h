#pragma once

#include "ui/DialogService.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

// A dialog service for tests: records every message and answers from a script, so that no modal
// box ever opens. Installs itself on construction and restores the default on destruction.
class ScriptedDialogs : public DialogService
{
public:
    ScriptedDialogs() { DialogService::setInstance(this); }
    ~ScriptedDialogs() override { DialogService::setInstance(nullptr); }

    // Answers given to the next questions in order; when the script runs dry a question gets
    // defaultAnswer (Yes unless set).
    QList<Answer> answers;
    Answer defaultAnswer = Answer::Yes;
    // Paths returned by the next open / save dialogs in order; "" (cancel) when dry.
    QStringList openPaths;
    QStringList savePaths;

    QStringList shown;         // the text of every message box, in order
    QStringList dialogFolders; // every file dialog's starting folder
    QList<QUrl> openedUrls;
    // Runs while a message box is "open", before it is answered (what a modal box's event
    // loop would let happen meanwhile).
    std::function<void(const QString &text)> whileShown;

    QStringList texts() const { return shown; }
    void clear();

    Answer message(QWidget *parent, const QString &text, Buttons buttons, Icon icon,
                   const QString &title) override;
    QString openFileName(QWidget *, const QString &, const QString &folder,
                         const QString &) override
    {
        return next(openPaths, folder);
    }
    QString saveFileName(QWidget *, const QString &, const QString &folder,
                         const QString &) override
    {
        return next(savePaths, folder);
    }
    bool openUrl(const QUrl &url) override
    {
        openedUrls << url;
        return true;
    }

private:
    QString next(QStringList &paths, const QString &folder)
    {
        dialogFolders << folder;
        return paths.isEmpty() ? QString() : paths.takeFirst();
    }
};
