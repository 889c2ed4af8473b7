#pragma once

#include "SimulatedLine.h"

#include <QObject>
#include <QString>

class QSocketNotifier;

// Serves one simulated encoder on the master side of a pseudo-terminal. Clients open the slave
// device as if it were the encoder's serial port.
class PtyServer : public QObject
{
    Q_OBJECT
public:
    explicit PtyServer(const SimulatedLine::Options &options, QObject *parent = nullptr);
    ~PtyServer() override;

    // Opens the logs and creates the pseudo-terminal; false (with errorString()) when the system
    // refuses.
    bool start();
    // Closes the line, as a pulled cable would, and opens a new one at once (see linkPath).
    bool hangUp();
    QString slavePath() const { return m_slavePath; }
    QString errorString() const { return m_error; }

private:
    void readMaster();
    bool openLine();
    void closeLine();
    bool pointLink();

    SimulatedLine *m_line;
    QString m_linkPath;
    int m_master = -1;
    int m_slave = -1; // held open so that the master never reads end-of-file between clients
    QString m_slavePath;
    QString m_error;
    QSocketNotifier *m_notifier = nullptr;
};
