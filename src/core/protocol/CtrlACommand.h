#pragma once

#include <QByteArray>
#include <QString>

// One encoder command. On the wire: SOH, mode, [blank, args], CR, [content, CR], [ETX].
struct CtrlACommand
{
    QString mode;
    QString args;
    QString content;
    bool ctrlC = false;
    bool sendBlankContents = false;

    CtrlACommand() = default;
    explicit CtrlACommand(const QString &mode, const QString &args = QString(),
                          const QString &content = QString(), bool ctrlC = false,
                          bool sendBlankContents = false)
        : mode(mode), args(args), content(content), ctrlC(ctrlC),
          sendBlankContents(sendBlankContents)
    {
    }

    static constexpr char SOH = 0x01;
    static constexpr char ETX = 0x03;
    static constexpr char CR = 0x0D;
    static constexpr char LF = 0x0A;

    // The command's text as handed to the port, one character per byte.
    QString wireText() const;
    // The same as bytes in the single-byte code page.
    QByteArray wireBytes() const;
    // The readiness query: ETX, CR, SOH, "?", CR.
    static QByteArray readinessQuery();

    bool operator==(const CtrlACommand &o) const
    {
        return mode == o.mode && args == o.args && content == o.content && ctrlC == o.ctrlC &&
               sendBlankContents == o.sendBlankContents;
    }
};
