#pragma once

#include "common/DialogService.h"

// The dialog service of a program without a screen: every message goes to standard error as
// one line, and every question is answered "No" (a Yes/No/Cancel question "Cancel"), so that a
// damaged configuration file is refused rather than half applied. File dialogs are cancelled.
class StderrDialogs : public DialogService
{
public:
    StderrDialogs();
    ~StderrDialogs() override;

    Answer message(QWidget *parent, const QString &text, Buttons buttons, Icon icon,
                   const QString &title) override;
    QString openFileName(QWidget *parent, const QString &title, const QString &folder,
                         const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &title, const QString &folder,
                         const QString &filter) override;
    bool openUrl(const QUrl &url) override;
};
