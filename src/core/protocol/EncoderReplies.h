#pragma once

#include <QString>
#include <QStringList>

// What an encoder reply means, and how long a command may take to get one. Pure functions over
// whole replies (ending with the prompt), as ReplyReader hands them on.
namespace EncoderReplies {

// Time-out interval in ms for a command of the given mode at the given baud rate.
int commandTimeout(const QString &mode, int baud);

// Whether a reply is an article list (its heading word appears in it).
bool isArticleList(const QString &response);
// Article names found in an article-list reply.
QStringList articleNames(const QString &response);

// Panel-3 text for a reply, or a null QString when the reply carries no identification.
QString identificationFromReply(const QString &response);
// Whether a reply ends in the encoder's start-up banner: the maker's line (the maker's name
// within its first nine characters and " --" after it), one or two lines without the article
// list's heading, and the prompt. Anything may stand before the maker's line. Outside a
// readiness query such a reply means the encoder restarted.
bool isStartupBanner(const QString &response);

} // namespace EncoderReplies
