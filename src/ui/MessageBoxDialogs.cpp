#include "ui/MessageBoxDialogs.h"

#include "core/common/AppInfo.h"

#include <QFileDialog>
#include <QMessageBox>

MessageBoxDialogs::MessageBoxDialogs()
{
    DialogService::setDefault(this);
}

MessageBoxDialogs::~MessageBoxDialogs()
{
    DialogService::setDefault(nullptr);
}

DialogService::Answer MessageBoxDialogs::message(QWidget *parent, const QString &text,
                                                 Buttons buttons, Icon icon, const QString &title)
{
    QMessageBox box(parent);
    box.setWindowTitle(title.isEmpty() ? AppInfo::ApplicationTitle : title);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    switch (icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Exclamation:
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        // Closing a Yes/No box with Escape counts as No; a Yes/No/Cancel box as Cancel.
        if (buttons == Buttons::YesNo)
            return Answer::No;
        if (buttons == Buttons::YesNoCancel)
            return Answer::Cancel;
        return Answer::Ok;
    }
}

QString MessageBoxDialogs::openFileName(QWidget *parent, const QString &title,
                                        const QString &folder, const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, title, folder, qtFilter(filter));
}

QString MessageBoxDialogs::saveFileName(QWidget *parent, const QString &title,
                                        const QString &folder, const QString &filter)
{
    // QFileDialog confirms overwriting by default; the folder must exist in the dialog.
    return QFileDialog::getSaveFileName(parent, title, folder, qtFilter(filter));
}
