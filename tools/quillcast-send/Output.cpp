#include "Output.h"

#include "core/common/Clock.h"

#include <cstdio>

namespace Output {

void line(const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void error(const QString &text)
{
    std::fputs(("quillcast-send: " + text).toLocal8Bit().constData(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
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

} // namespace Output
