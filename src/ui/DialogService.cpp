#include "ui/DialogService.h"

#include "core/common/AppInfo.h"
#include "core/common/GlobalFunctions.h"

#include <QDebug>
#include <QDesktopServices>

namespace {
DialogService *g_service = nullptr;
DialogService *g_default = nullptr;
DialogService g_plain;
} // namespace

// Without a window to show it in, a message is written to the error stream and no one has
// answered it: a question counts as declined (No, or Cancel when offered) and a file dialog as
// cancelled, so that nothing goes on as if an operator had agreed.
DialogService::Answer DialogService::message(QWidget *, const QString &text, Buttons buttons, Icon,
                                             const QString &title)
{
    qWarning().noquote() << (title.isEmpty() ? AppInfo::ApplicationTitle : title) << ":" << text;
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
}

QString DialogService::openFileName(QWidget *, const QString &, const QString &, const QString &)
{
    return QString();
}

QString DialogService::saveFileName(QWidget *, const QString &, const QString &, const QString &)
{
    return QString();
}

bool DialogService::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

DialogService &DialogService::instance()
{
    if (g_service)
        return *g_service;
    return g_default ? *g_default : g_plain;
}

void DialogService::setInstance(DialogService *service)
{
    g_service = service;
}

void DialogService::setDefault(DialogService *service)
{
    g_default = service;
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

void DialogService::showError(QWidget *parent, const QString &heading, const QString &title,
                              const QString &source, int number, const QString &description)
{
    tell(parent, GlobalFunctions::errorReportText(heading, source, number, description),
         Icon::Exclamation, GlobalFunctions::errorReportTitle(title));
}

QString DialogService::qtFilter(const QString &filter)
{
    const int bar = filter.indexOf(QLatin1Char('|'));
    if (bar < 0)
        return filter;
    return filter.left(bar) + QStringLiteral(" (") + filter.mid(bar + 1) + QStringLiteral(")");
}
