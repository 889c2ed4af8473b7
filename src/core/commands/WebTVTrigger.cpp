#include "core/commands/WebTVTrigger.h"

#include "core/common/GlobalFunctions.h"

namespace WebTVTrigger {

QString triggerText(const Configuration &c)
{
    QString text = QLatin1Char('<') + c.txtWebURL + QLatin1Char('>');
    text += QStringLiteral("[t:p]");
    if (!c.txtWebDescription.isEmpty())
        text += QStringLiteral("[n:") + c.txtWebDescription + QLatin1Char(']');
    // The trigger is one line on the wire, where a CR would end the command's content: each
    // line break of the multi-line script box becomes one blank.
    if (!c.txtWebScript.isEmpty()) {
        QString script = c.txtWebScript;
        script.replace(QLatin1String("\r\n"), QLatin1String(" "));
        script.replace(QLatin1Char('\r'), QLatin1Char(' '));
        script.replace(QLatin1Char('\n'), QLatin1Char(' '));
        text += QStringLiteral("[s:") + script + QLatin1Char(']');
    }
    // Index 0 of each expiry list is the blank entry: no expiry unless all three are chosen.
    if (c.cmbWebExpiryYear > 0 && c.cmbWebExpiryMonth > 0 && c.cmbWebExpiryDay > 0) {
        text += QStringLiteral("[e:%1%2%3]")
                    .arg(c.webExpiryYearValue, 4, 10, QLatin1Char('0'))
                    .arg(c.webExpiryMonthValue, 2, 10, QLatin1Char('0'))
                    .arg(c.webExpiryDayValue, 2, 10, QLatin1Char('0'));
    }
    text += QStringLiteral("[v:tv]");
    return text + QLatin1Char('[') + checksum(text) + QLatin1Char(']');
}

QString checksum(const QString &text)
{
    // One's-complement subtraction of 16-bit words from FFFF, done a byte at a time: odd
    // positions (1-based) are the high bytes, even positions the low bytes.
    const QByteArray bytes = GlobalFunctions::toSingleByte(text);
    qint64 sum = 0xFFFF;
    for (int i = 0; i < bytes.size(); ++i) {
        const int code = static_cast<unsigned char>(bytes.at(i));
        sum -= (i % 2 == 0) ? code * 256 : code;
        if (sum < 0)
            sum += 0xFFFF;
    }
    return QStringLiteral("%1").arg(sum, 4, 16, QLatin1Char('0')).toUpper();
}

} // namespace WebTVTrigger
