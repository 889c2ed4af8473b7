#pragma once

#include "core/protocol/CtrlACommand.h"
#include "core/protocol/ReplyReader.h"
#include "core/transport/LineSettings.h"

#include <QObject>
#include <QString>
#include <functional>

class PortLine;

// Speaks the encoder's Ctrl-A protocol over one PortLine port: frames commands, sends the
// readiness query and feeds what the port receives to a ReplyReader, handing each whole reply
// on with replyReady.
class EncoderChannel : public QObject
{
    Q_OBJECT
public:
    explicit EncoderChannel(QObject *parent = nullptr);
    // For tests: a port wrapper made by the caller (ownership passes to this object).
    explicit EncoderChannel(PortLine *port, QObject *parent = nullptr);
    ~EncoderChannel() override;

    void setCOMSettings(const LineSettings &settings);
    const LineSettings &getCOMSettings() const;
    PortLine *port() const;

    // Opens the port (or starts opening it, portIsOpening) and starts with an empty reply
    // buffer.
    bool openPort();
    void closePort(); // leaves the reply buffer and the pending query as they are
    bool portIsOpen() const;
    bool portIsOpening() const;

    // Sends the readiness query when the port is open and nothing waits in either direction.
    bool isPortReady();
    void sendCommand(const CtrlACommand &command);

    // See ReplyReader::setIdentificationSource.
    void setIdentificationSource(std::function<QString()> source);

    bool readyQueryPending() const;
    // Whether the reply last passed with Ready answered a readiness query.
    bool replyAnsweredQuery() const;
    QString rxBuffer() const;

signals:
    void replyReady(const QString &response);
    // A reply grew past ReplyReader::SizeLimit without its prompt. What was collected is dropped,
    // and so is what follows until a receive event ends with the prompt: no part of it is
    // passed on as a reply. received is the count of characters dropped so far.
    void replyTooLong(qint64 received);
    // Text handed to the port: a framed command, or the readiness query (mode "?").
    void textSent(const QString &mode, const QString &text);

private slots:
    void readReceived();

private:
    PortLine *m_comm = nullptr;
    ReplyReader m_reader;
};
