#pragma once

#include "ui/HelpWindowOptions.h"

#include <QString>
#include <QtGlobal>

class HelpWindow;

// Opens the help pages: one start page, "Quillcast.htm", takes a topic page after "#"
// (e.g. "Quillcast.htm#Overview.htm"). The module carries the name of the tool the pages were
// first written with.
namespace HelpLauncher {

// Shared for the whole run; set by SetUp when the default-information dialog loads, the first
// window that can ask for help.
extern QString HelpFilePath;
extern WindowOptions HelpWindowOptions;
void setUp();

// The start page, searched in this order: "Help Files" beside the program (a build tree), the
// installed data folder (share/quillcast/Help Files next to the program's bin folder), the
// folder in the settings key [Help] Path. When none has the pages, the installed one: where an
// installed program's pages belong, which is what a message about missing pages must name.
QString findHelpFilePath(const QString &programDir);

// HelpFilePath + "#" + topic page, e.g. helpUrl("Port_Menu.htm").
QString helpUrl(const QString &topicPage);

// Opens a help URL. The program's own help window unless the settings key [Help] Viewer is
// "browser", which opens the pages in the system's browser through a small temporary page.
// 0 when the help was opened, -1 when nothing could be shown.
int showHelp(const QString &url, const WindowOptions &options);
// showHelp(helpUrl(topicPage), HelpWindowOptions).
int showTopic(const QString &topicPage);

// The browser route's temporary page: seven lines joined by CR LF that send the browser on to
// "file://" + url, every "\" in url turned into "/" and any "#" before the topic's as "%23".
QByteArray fallbackPage(const QString &url);
// Where the browser route writes that page: the user's runtime folder + "robohelp_csh.htm".
QString fallbackPagePath();

// The one help window, reused by every call; nullptr until help is first shown.
HelpWindow *helpWindow();

} // namespace HelpLauncher
