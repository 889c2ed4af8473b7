#pragma once

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>

// Debian's ser2net as the serial device server of a test, in the foreground, on 127.0.0.1 only.
// Each line is a device (a pseudo-terminal's slave side) behind a port picked here; stop() and
// the destructor end the server.
class Ser2net
{
public:
    struct Line
    {
        QString accepter; // "raw" (tcp://) or "rfc2217" (rfc2217://)
        QString device;
        QString settings; // the server's own line settings, e.g. "9600n81"
    };

    Ser2net() = default;
    ~Ser2net() { stop(); }
    Ser2net(const Ser2net &) = delete;
    Ser2net &operator=(const Ser2net &) = delete;

    // The lines' addresses as port entries, in order, once every port listens; empty on failure.
    QStringList start(const QList<Line> &lines, int timeoutMs = 5000)
    {
        stop();
        QString yaml;
        QStringList addresses;
        QList<quint16> ports;
        for (const Line &line : lines) {
            QTcpServer probe; // a free port, handed back at once for the server to take
            if (!probe.listen(QHostAddress::LocalHost, 0))
                return {};
            const bool rfc2217 = line.accepter == QLatin1String("rfc2217");
            ports << probe.serverPort();
            addresses << QStringLiteral("%1://127.0.0.1:%2")
                             .arg(rfc2217 ? "rfc2217" : "tcp")
                             .arg(probe.serverPort());
            yaml += QStringLiteral("connection: &line%1\n  accepter: %2tcp,127.0.0.1,%3\n"
                                   "  connector: serialdev,%4,%5,local\n"
                                   "  options:\n    kickolduser: true\n")
                        .arg(ports.size())
                        .arg(rfc2217 ? "telnet(rfc2217)," : "")
                        .arg(probe.serverPort())
                        .arg(line.device, line.settings);
        }
        QFile config(m_dir.filePath("ser2net.yaml"));
        if (!config.open(QIODevice::WriteOnly) || config.write(yaml.toUtf8()) != yaml.size())
            return {};
        config.close();
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QStringLiteral("ser2net"),
                        {"-n", "-u", "-c", config.fileName(), "-P", m_dir.filePath("ser2net.pid")});
        // Listening is read from the system's socket table: a trial connection would open the
        // device and start a session of its own.
        for (QDeadlineTimer deadline(timeoutMs); m_process.state() != QProcess::NotRunning;
             QThread::msleep(10)) {
            QFile table(QStringLiteral("/proc/net/tcp"));
            const QString sockets = table.open(QIODevice::ReadOnly) ? table.readAll() : "";
            if (std::all_of(ports.begin(), ports.end(), [&](quint16 port) {
                    return sockets.contains(
                        QStringLiteral("0100007F:%1 00000000:0000 0A").arg(port, 4, 16, QChar('0')),
                        Qt::CaseInsensitive);
                }))
                return addresses;
            if (deadline.hasExpired())
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
