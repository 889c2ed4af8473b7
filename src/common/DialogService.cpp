#include "common/DialogService.h"

#include "common/GlobalFunctions.h"
#include "common/GlobalVars.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

namespace {
DialogService *g_service = nullptr;
DialogService g_default;
} // namespace

DialogService::Answer DialogService::message(QWidget *parent, const QString &text, Buttons buttons,
                                             Icon icon, const QString &title)
{
    QMessageBox box(parent);
    box.setWindowTitle(title.isEmpty() ? GlobalVars::ApplicationTitle : title);
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

QString DialogService::openFileName(QWidget *parent, const QString &title, const QString &folder,
                                    const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, title, folder, qtFilter(filter));
}

QString DialogService::saveFileName(QWidget *parent, const QString &title, const QString &folder,
                                    const QString &filter)
{
    // QFileDialog confirms overwriting by default; the folder must exist in the dialog.
    return QFileDialog::getSaveFileName(parent, title, folder, qtFilter(filter));
}

bool DialogService::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

DialogService &DialogService::instance()
{
    return g_service ? *g_service : g_default;
}

void DialogService::setInstance(DialogService *service)
{
    g_service = service;
}

DialogService::Answer DialogService::ask(QWidget *parent, const QString &text, Buttons buttons,
                                         Icon icon, const QString &title)
{
    return instance().message(parent, text, buttons, icon, title);
}

void DialogService::tell(QWidget *parent, const QString &text, Icon icon, const QString &title)
{
    instance().message(parent, text, Buttons::Ok, icon, title);
}

void DialogService::ShowError(QWidget *parent, const QString &heading, const QString &title,
                              const QString &source, int number, const QString &description)
{
    tell(parent, GlobalFunctions::ErrorReportText(heading, source, number, description),
         Icon::Exclamation, GlobalFunctions::ErrorReportTitle(title));
}

QString DialogService::qtFilter(const QString &filter)
{
    const int bar = filter.indexOf(QLatin1Char('|'));
    if (bar < 0)
        return filter;
    return filter.left(bar) + QStringLiteral(" (") + filter.mid(bar + 1) + QStringLiteral(")");
}
