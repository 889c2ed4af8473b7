#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal for tests: the code under test opens slavePath() as its serial port, the
// test plays the far end through the master side. The slave side is in raw mode and stays
// open here as well, so the master never sees end-of-file while the code under test reopens.
class PtyPair
{
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool isValid() const { return m_master >= 0 && m_slave >= 0; }
    QString errorString() const { return m_error; }
    QString slavePath() const { return m_slavePath; }
    // The slave side held here; its terminal settings are those the code under test set.
    int slaveFd() const { return m_slave; }

    // Sends bytes towards the slave side, as the far end of the line would.
    bool write(const QByteArray &bytes);
    // What the slave side sent: waits up to timeoutMs for the first byte, then reads until
    // nothing more arrives for quietMs.
    QByteArray read(int timeoutMs = 2000, int quietMs = 50);
    // Bytes the slave side has received and not read yet.
    int slaveInputCount() const;
    // Waits (without running an event loop) until the slave side has bytes waiting.
    bool waitForSlaveInput(int timeoutMs = 2000) const;

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QString m_error;
};
