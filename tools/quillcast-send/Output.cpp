#include "Output.h"

#include "core/common/Clock.h"
#include "core/session/LogFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace Output {

namespace {

bool linesToError = false;
QString status;
QString problem;

// The whole text or nothing more to this stream: false when a write failed.
bool put(FILE *stream, const QByteArray &bytes)
{
    return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream) ==
               size_t(bytes.size()) &&
           std::fflush(stream) == 0;
}

void drawStatus(const QString &text)
{
    // CR back to the line's start, the text, then the rest of the old line erased.
    put(stderr,
        (QLatin1Char('\r') + LogFile::plainText(text) + QLatin1String("\x1b[K")).toLocal8Bit());
}

void print(FILE *stream, const QString &text)
{
    if (!status.isEmpty())
        drawStatus(QString());
    if (stream == stdout && !problem.isEmpty())
        return; // its reader has gone: nothing more reaches it
    errno = 0;
    if (!put(stream, (LogFile::plainText(text) + QLatin1Char('\n')).toLocal8Bit()) &&
        stream == stdout) {
        problem = QString::fromLocal8Bit(std::strerror(errno ? errno : EIO));
        std::clearerr(stdout);
    }
    if (!status.isEmpty())
        drawStatus(status);
}

} // namespace

void line(const QString &text)
{
    print(linesToError ? stderr : stdout, text);
}

void error(const QString &text)
{
    print(stderr, QStringLiteral("quillcast-send: ") + text);
}

QString escaped(const QByteArray &bytes)
{
    QString text;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\r')
            text += QStringLiteral("\\r");
        else if (byte == '\n')
            text += QStringLiteral("\\n");
        else if (byte == '\\')
            text += QStringLiteral("\\\\");
        else if (byte >= 0x20 && byte < 0x7F)
            text += QLatin1Char(c);
        else
            text += QStringLiteral("\\x") +
                    QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
    }
    return text;
}

QString timeStamp()
{
    return Clock::instance().now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

void setLinesToError(bool toError)
{
    linesToError = toError;
}

void setStatus(const QString &text)
{
    if (text == status)
        return;
    status = text;
    drawStatus(text);
}

QString writeProblem()
{
    return problem;
}

} // namespace Output
