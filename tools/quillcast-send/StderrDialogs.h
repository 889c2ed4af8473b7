#pragma once

#include "ui/DialogService.h"

#include <QStringList>

// The dialog service of a program without a screen. Messages are kept, one line each, for the
// program to report as it sees fit, so that every failure ends in a single line on standard
// error; every question is answered "No" (a Yes/No/Cancel question "Cancel"), so that a
// damaged configuration file is refused rather than half applied. File dialogs are cancelled.
class StderrDialogs : public DialogService
{
public:
    StderrDialogs();
    ~StderrDialogs() override;

    // The messages shown since the last call, oldest first, and forgets them.
    QStringList takeMessages();

    Answer message(QWidget *parent, const QString &text, Buttons buttons, Icon icon,
                   const QString &title) override;
    QString openFileName(QWidget *parent, const QString &title, const QString &folder,
                         const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &title, const QString &folder,
                         const QString &filter) override;
    bool openUrl(const QUrl &url) override;

private:
    QStringList m_messages;
};
