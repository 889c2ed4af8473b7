#pragma once

#include <QString>
#include <QUrl>

// Opens the help pages installed beside the program: one start page, "Quillcast.htm", that
// takes a topic page after "#" (e.g. "#Overview.htm").
namespace HelpLauncher {

// The start page: the program's folder + "/Help Files/Quillcast.htm".
QString HelpFilePath();
// The start page addressed at one topic page, e.g. HelpUrl("Port_Menu.htm").
QUrl HelpUrl(const QString &topicPage);

// Opens the URL with the system's browser; 0 when it opened, -1 when it could not.
int ShowHelp(const QUrl &url);
// ShowHelp(HelpUrl(topicPage)).
int ShowHelp(const QString &topicPage);

} // namespace HelpLauncher
