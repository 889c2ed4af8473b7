#pragma once

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>

// Debian's ser2net as a test's serial device server, in the foreground, on 127.0.0.1 only: each
// line is a device (e.g. a pseudo-terminal's slave side) behind a port picked here. stop() and
// the destructor end the server.
class Ser2net
{
public:
    struct Line
    {
        QString accepter; // "raw" (tcp://) or "rfc2217" (rfc2217://)
        QString device;
        QString settings;           // the server's own line settings, e.g. "9600n81"
        QString banner = QString(); // sent to each connection first, when not empty
    };
    ~Ser2net() { stop(); }

    // The lines' port entries, in order, once every port listens; empty on failure.
    QStringList start(const QList<Line> &lines, int timeoutMs = 5000)
    {
        stop();
        QString yaml;
        QStringList addresses, listening;
        for (const Line &line : lines) {
            QTcpServer probe; // a free port, handed back at once for the server to take
            if (!probe.listen(QHostAddress::LocalHost, 0))
                return {};
            const bool rfc2217 = line.accepter == QLatin1String("rfc2217");
            const quint16 port = probe.serverPort();
            addresses
                << QStringLiteral("%1://127.0.0.1:%2").arg(rfc2217 ? "rfc2217" : "tcp").arg(port);
            listening
                << QStringLiteral("0100007F:%1 00000000:0000 0A").arg(port, 4, 16, QChar('0'));
            yaml += QStringLiteral("connection: &l%1\n  accepter: %2tcp,127.0.0.1,%1\n  connector: "
                                   "serialdev,%3,%4,local\n  options:\n    kickolduser: true\n")
                        .arg(port)
                        .arg(rfc2217 ? "telnet(rfc2217)," : "", line.device, line.settings);
            if (!line.banner.isEmpty())
                yaml += QStringLiteral("    banner: \"%1\"\n").arg(line.banner);
        }
        QFile config(m_dir.filePath("ser2net.yaml"));
        if (!config.open(QIODevice::WriteOnly) || config.write(yaml.toUtf8()) < 0 ||
            !config.flush())
            return {};
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start("ser2net",
                        {"-n", "-u", "-c", config.fileName(), "-P", m_dir.filePath("pid")});
        // Listening is read from the system's socket table: a trial connection would open the
        // device and start a session of its own.
        for (QDeadlineTimer deadline(timeoutMs); !deadline.hasExpired(); QThread::msleep(10)) {
            QFile table("/proc/net/tcp");
            const QString sockets = table.open(QIODevice::ReadOnly) ? table.readAll() : "";
            if (std::all_of(listening.begin(), listening.end(), [&](const QString &socket) {
                    return sockets.contains(socket, Qt::CaseInsensitive);
                }))
                return addresses;
            if (m_process.state() == QProcess::NotRunning)
                break;
        }
        m_error = m_process.errorString() + ": " + m_process.readAll();
        stop();
        return {};
    }
    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
    QString errorString() const { return m_error; }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_error;
};
