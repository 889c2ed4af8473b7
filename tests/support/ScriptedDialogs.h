#pragma once

#include "common/DialogService.h"

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
    struct Shown
    {
        QString text;
        Buttons buttons;
        Icon icon;
        QString title;
    };

    ScriptedDialogs();
    ~ScriptedDialogs() override;

    // Answers given to the next questions in order; when the script runs dry a question gets
    // defaultAnswer (Yes unless set).
    QList<Answer> answers;
    Answer defaultAnswer = Answer::Yes;
    // Paths returned by the next open / save dialogs in order; "" (cancel) when dry.
    QStringList openPaths;
    QStringList savePaths;

    QList<Shown> shown;        // every message box, in order
    QStringList dialogTitles;  // every file dialog's title
    QStringList dialogFilters; // every file dialog's filter
    QStringList dialogFolders; // every file dialog's starting folder
    QList<QUrl> openedUrls;
    // Runs while a message box is "open", before it is answered (what a modal box's event
    // loop would let happen meanwhile).
    std::function<void(const QString &text)> whileShown;

    QStringList texts() const; // the texts of shown
    void clear();

    Answer message(QWidget *parent, const QString &text, Buttons buttons, Icon icon,
                   const QString &title) override;
    QString openFileName(QWidget *parent, const QString &title, const QString &folder,
                         const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &title, const QString &folder,
                         const QString &filter) override;
    bool openUrl(const QUrl &url) override;
};
