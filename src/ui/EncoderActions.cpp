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
    const bool idle = sequencer->commandQueue().isEmpty() && !sequencer->transactionInFlight();
    for (const CtrlACommand &command :
         build([](const ControlProcessing &b) { b.buildTestCaptionCommand(); }))
        sequencer->addCommand(command);
    // No time-out watches this query: the command waits at the head of the queue until the
    // encoder answers, or until the next transaction drives the queue.
    if (idle)
        sequencer->channel()->isPortReady();
}

void EncoderActions::sendDecoderSettings()
{
    if (m_window->linkMessages()->ensureConnected())
        m_window->sequencer()->sendCommands(
            build([](const ControlProcessing &b) { b.buildDecoderCommand(); }));
}

void EncoderActions::sendBlockingSettings()
{
    if (m_window->linkMessages()->ensureConnected())
        m_window->sequencer()->sendCommands(
            build([](const ControlProcessing &b) { b.buildBlockingCommands(); }));
}

void EncoderActions::refreshArticles()
{
    if (!m_window->linkMessages()->ensureConnected())
        return;
    const QList<CtrlACommand> request =
        build([](const ControlProcessing &b) { b.buildArticleListRequest(); });
    if (auto *list = m_window->findChild<QPlainTextEdit *>(QStringLiteral("txtArticleList")))
        list->setPlainText(QStringLiteral("Refreshing..."));
    else if (auto *rich = m_window->findChild<QTextEdit *>(QStringLiteral("txtArticleList")))
        rich->setPlainText(QStringLiteral("Refreshing..."));
    m_window->sequencer()->sendCommands(request);
}

void EncoderActions::insertArticle()
{
    if (!m_window->linkMessages()->ensureConnected())
        return;
    // The window's own open dialog: it starts in the last folder and remembers the new one.
    const QString path = m_window->files()->showOpenDialog(TextFilesFilter);
    if (path.isEmpty())
        return;

    const QStringList lines = readTextFile(path);
    queueArticleRequest(build([&lines](const ControlProcessing &b) {
        b.buildInsertArticleCommand(lines);
        b.buildArticleListRequest();
    }));
}

void EncoderActions::removeArticle()
{
    auto *names = m_window->findChild<QComboBox *>(QStringLiteral("cmbRemoveArticle"));
    if (!names || names->currentIndex() < 0)
        return;
    // A selected entry without a name (a list line that began with a blank) removes nothing,
    // but the list is still asked for.
    const QString name = names->currentText();
    if (!m_window->linkMessages()->ensureConnected())
        return;
    queueArticleRequest(build([&name](const ControlProcessing &b) {
        b.buildRemoveArticleCommand(name);
        b.buildArticleListRequest();
    }));
}

QList<CtrlACommand>
EncoderActions::build(const std::function<void(const ControlProcessing &)> &steps) const
{
    QList<CtrlACommand> commands;
    steps(ControlProcessing(readControls(), buildContext(),
                            [&commands](const CtrlACommand &command) { commands << command; }));
    return commands;
}

// An article's command and the list request go through Sequencer::sendCommands, as every
// button's commands do: a transaction starts only on an idle link, and a reply on its way keeps
// its time-out. Without the article's command (a file that could not be read, an article without
// a name) the list request is only queued, and goes out with the next transaction.
void EncoderActions::queueArticleRequest(const QList<CtrlACommand> &commands)
{
    Sequencer *sequencer = m_window->sequencer();
    if (commands.size() == 2) {
        sequencer->sendCommands(commands);
        return;
    }
    for (const CtrlACommand &command : commands)
        sequencer->addCommand(command);
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
