#include "ui/EncoderActions.h"

#include "core/common/ReadTextFile.h"
#include "core/session/EncoderChannel.h"
#include "core/session/Sequencer.h"
#include "ui/ConfigFileController.h"
#include "ui/ConfigurationBinder.h"
#include "ui/LinkMessages.h"
#include "ui/MainWindowParts.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>

namespace {

const QString TextFilesFilter = QStringLiteral("Text Files (.txt)|*.txt");

// Only blanks are trimmed from a test caption; other characters are the operator's.
QString trimBlanks(const QString &text)
{
    int first = 0;
    int last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

} // namespace

EncoderActions::EncoderActions(MainWindowParts *window) : QObject(window), m_window(window)
{
    connectButtons();
    QTimer::singleShot(0, this, &EncoderActions::connectButtons);
}

EncoderActions::~EncoderActions() = default;

void EncoderActions::connectButtons()
{
    const struct
    {
        const char *name;
        void (EncoderActions::*handler)();
    } buttons[] = {
        {"cmdSendCaptions", &EncoderActions::sendTestCaptions},
        {"cmdDecoderSettings", &EncoderActions::sendDecoderSettings},
        {"cmdBlockingSettings", &EncoderActions::sendBlockingSettings},
        {"cmdRefreshArticles", &EncoderActions::refreshArticles},
        {"cmdInsArticle", &EncoderActions::insertArticle},
        {"cmdRemoveArticle", &EncoderActions::removeArticle},
    };
    for (const auto &button : buttons) {
        if (auto *control = m_window->findChild<QAbstractButton *>(QLatin1String(button.name)))
            connect(control, &QAbstractButton::clicked, this, button.handler, Qt::UniqueConnection);
    }
}

ControlProcessing::Context EncoderActions::buildContext() const
{
    ControlProcessing::Context context;
    context.zone = m_window->snapshot();
    return context;
}

void EncoderActions::buildConfiguration()
{
    const Configuration configuration = readControls();
    ControlProcessing(configuration, buildContext(), queueSink()).buildConfiguration();
}

void EncoderActions::sendTestCaptions()
{
    QString text;
    if (auto *box = m_window->findChild<QLineEdit *>(QStringLiteral("txtSendCaptions"))) {
        text = trimBlanks(box->text());
        box->setText(text);
    }
    Sequencer *sequencer = m_window->sequencer();
    // The offer to connect comes even for an empty text.
    const bool connected = m_window->linkMessages()->ensureConnected();
    if (text.isEmpty() || !connected)
        return;
    const Configuration configuration = readControls();
    ControlProcessing(configuration, buildContext(), queueSink()).buildTestCaptionCommand();
    // No time-out watches this query: the command waits at the head of the queue until the
    // encoder answers, or until the next transaction drives the queue.
    if (queuedCount() == 1)
        sequencer->channel()->isPortReady();
}

void EncoderActions::sendDecoderSettings()
{
    Sequencer *sequencer = m_window->sequencer();
    if (!m_window->linkMessages()->ensureConnected())
        return;
    const Configuration configuration = readControls();
    ControlProcessing(configuration, buildContext(), queueSink()).buildDecoderCommand();
    if (queuedCount() == 1)
        sequencer->startTransaction();
}

void EncoderActions::sendBlockingSettings()
{
    Sequencer *sequencer = m_window->sequencer();
    if (!m_window->linkMessages()->ensureConnected())
        return;
    const Configuration configuration = readControls();
    ControlProcessing(configuration, buildContext(), queueSink()).buildBlockingCommands();
    if (queuedCount() == configuration.chBlockingSettings.size())
        sequencer->startTransaction();
}

void EncoderActions::refreshArticles()
{
    Sequencer *sequencer = m_window->sequencer();
    if (!m_window->linkMessages()->ensureConnected())
        return;
    const Configuration configuration = readControls();
    ControlProcessing(configuration, buildContext(), queueSink()).buildArticleListRequest();
    if (auto *list = m_window->findChild<QPlainTextEdit *>(QStringLiteral("txtArticleList")))
        list->setPlainText(QStringLiteral("Refreshing..."));
    else if (auto *rich = m_window->findChild<QTextEdit *>(QStringLiteral("txtArticleList")))
        rich->setPlainText(QStringLiteral("Refreshing..."));
    if (queuedCount() == 1)
        sequencer->startTransaction();
}

void EncoderActions::insertArticle()
{
    Sequencer *sequencer = m_window->sequencer();
    if (!m_window->linkMessages()->ensureConnected())
        return;
    // The window's own open dialog: it starts in the last folder and remembers the new one.
    const QString path = m_window->files()->showOpenDialog(TextFilesFilter);
    if (path.isEmpty())
        return;

    const QStringList lines = readTextFile(path);
    const Configuration configuration = readControls();
    const ControlProcessing builders(configuration, buildContext(), queueSink());
    builders.buildInsertArticleCommand(lines);
    builders.buildArticleListRequest();
    if (queuedCount() == 2)
        sequencer->startTransaction();
}

void EncoderActions::removeArticle()
{
    auto *names = m_window->findChild<QComboBox *>(QStringLiteral("cmbRemoveArticle"));
    if (!names || names->currentIndex() < 0)
        return;
    // A selected entry without a name (a list line that began with a blank) removes nothing,
    // but the list is still asked for; with one command queued the sequencer is not started.
    const QString name = names->currentText();
    Sequencer *sequencer = m_window->sequencer();
    if (!m_window->linkMessages()->ensureConnected())
        return;
    const Configuration configuration = readControls();
    const ControlProcessing builders(configuration, buildContext(), queueSink());
    builders.buildRemoveArticleCommand(name);
    builders.buildArticleListRequest();
    if (queuedCount() == 2)
        sequencer->startTransaction();
}

Configuration EncoderActions::readControls() const
{
    return ConfigurationBinder::read(m_window);
}

ControlProcessing::Sink EncoderActions::queueSink() const
{
    Sequencer *sequencer = m_window->sequencer();
    return [sequencer](const CtrlACommand &command) { sequencer->addCommand(command); };
}

int EncoderActions::queuedCount() const
{
    return m_window->sequencer()->commandQueue().size();
}
