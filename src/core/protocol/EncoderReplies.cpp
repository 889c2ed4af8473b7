#include "core/protocol/EncoderReplies.h"

#include "core/common/GlobalFunctions.h"
#include "core/protocol/EncoderProtocol.h"

namespace {

constexpr int CommandTimeoutMs = 5000;

} // namespace

namespace EncoderReplies {

int commandTimeout(const QString &mode, int baud)
{
    if (mode != QLatin1String("0") && mode != QLatin1String("9"))
        return CommandTimeoutMs;
    // The article store and the article list send long replies: allow for 100 000 bits of
    // them on the line. A baud rate of 0 never opens a port; the plain interval serves then.
    if (baud <= 0)
        return CommandTimeoutMs;
    return int(GlobalFunctions::roundHalfEven(100000.0 / baud * 100.0 + CommandTimeoutMs));
}

bool isArticleList(const QString &response)
{
    return response.contains(EncoderProtocol::ArticleWord, Qt::CaseInsensitive);
}

QStringList articleNames(const QString &response)
{
    QStringList names;
    if (!isArticleList(response))
        return names;
    int p = response.indexOf(QLatin1String("Text"), 0, Qt::CaseInsensitive);
    if (p < 0)
        return names;
    static const QStringList skippedPrefixes = {QStringLiteral("01"), QStringLiteral("03"),
                                                QStringLiteral("05"), QStringLiteral("07")};
    for (;;) {
        const int cr = response.indexOf(QLatin1Char('\r'), p);
        if (cr < 0)
            break;
        p = cr + 2; // the first character of the next line, past CR LF
        const int blank = response.indexOf(QLatin1Char(' '), p);
        if (blank < 0)
            break; // the prompt line: no blank follows any more
        const QString name = response.mid(p, blank - p);
        if (skippedPrefixes.contains(name.left(2)) || name.startsWith(QLatin1Char('-')) ||
            name == QLatin1String("URL"))
            continue;
        names.append(name);
    }
    return names;
}

QString identificationFromReply(const QString &response)
{
    const QLatin1String maker = EncoderProtocol::MakerName;
    const int p = response.indexOf(maker, 0, Qt::CaseInsensitive);
    // Only a maker name within the first nine characters heads an identification banner.
    if (p < 0 || p > 8)
        return QString();

    const int crlf = response.indexOf(QLatin1String("\r\n"), p);
    const QString nextLine = crlf < 0 ? QString() : response.mid(crlf + 2, 6);

    const int dashes = response.indexOf(QLatin1String(" --"), p + maker.size() + 1);
    QString model;
    if (dashes >= 0) {
        model = response.mid(p, dashes - p);
    } else {
        // A banner without " --" after the model: show the rest of the banner line instead, so
        // that the operator still sees which encoder answered.
        model = (crlf < 0 ? response.mid(p) : response.mid(p, crlf - p)).trimmed();
    }
    return QStringLiteral("Connected to ") + model + QStringLiteral(", ") + nextLine;
}

bool isStartupBanner(const QString &response)
{
    const QLatin1String prompt = EncoderProtocol::Prompt;
    const QLatin1String maker = EncoderProtocol::MakerName;
    if (!response.endsWith(prompt))
        return false;
    const QStringList lines = response.chopped(prompt.size()).split(QLatin1String("\r\n"));
    // The maker's line, then one or two lines (serial number, revision). Whatever came before
    // it, the rest of a reply the restart cut short or line noise, does not matter.
    for (int after = 1; after <= 2 && after < lines.size(); ++after) {
        const QString &line = lines.at(lines.size() - 1 - after);
        // As for the identification, at most eight characters of noise before the maker's
        // name: further on, the name is some other text (an article's, say).
        const int p = line.indexOf(maker, 0, Qt::CaseInsensitive);
        if (p < 0 || p > 8 || line.indexOf(QLatin1String(" --"), p + maker.size() + 1) < 0)
            continue;
        // An article list has its heading after the maker's line (other replies, more lines).
        return !isArticleList(lines.mid(lines.size() - after).join(QLatin1String("\r\n")));
    }
    return false;
}

} // namespace EncoderReplies
