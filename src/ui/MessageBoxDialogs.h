#pragma once

#include "ui/DialogService.h"

// The dialog service of the windowed program: real message boxes and file dialogs. Installs
// itself as the default service on construction (a service installed with
// DialogService::setInstance still comes first) and removes itself on destruction.
class MessageBoxDialogs : public DialogService
{
public:
    MessageBoxDialogs();
    ~MessageBoxDialogs() override;

    Answer message(QWidget *parent, const QString &text, Buttons buttons, Icon icon,
                   const QString &title) override;
    QString openFileName(QWidget *parent, const QString &title, const QString &folder,
                         const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &title, const QString &folder,
                         const QString &filter) override;
};
