#include "ui/dialogs/DefaultInfoDialog.h"

#include "core/common/AppInfo.h"
#include "ui/DialogService.h"
#include "ui/HelpLauncher.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QVBoxLayout>
#include <algorithm>

namespace {

void refuse(QWidget *parent, const QString &text, QLineEdit *field)
{
    DialogService::tell(parent, text, DialogService::Icon::Warning);
    field->setFocus();
}

// The width a line edit needs to show the text whole: the text, the edit's inner margins (2
// pixels a side, as QLineEdit keeps), the text margins, the cursor and the style's frame.
int widthShowing(QLineEdit *edit, const QString &text)
{
    const QMargins margins = edit->textMargins();
    const QFontMetrics metrics = edit->fontMetrics();
    const QSize contents(metrics.horizontalAdvance(text) + 2 * 2 + margins.left() +
                             margins.right() + 1,
                         metrics.height());
    QStyleOptionFrame frame;
    frame.initFrom(edit);
    frame.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, edit);
    frame.state |= QStyle::State_Sunken;
    return edit->style()->sizeFromContents(QStyle::CT_LineEdit, &frame, contents, edit).width();
}

} // namespace

DefaultInfoDialog::DefaultInfoDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmDefaultInfo"));
    setWindowTitle(AppInfo::ApplicationTitle + QStringLiteral(" - Default Information"));

    fContainer = new QFrame(this);
    fContainer->setObjectName(QStringLiteral("fContainer"));
    fContainer->setFrameShape(QFrame::StyledPanel);

    const char *captions[] = {"&Network Name:", "&Call Letters:", "&TSID (1 - 65535):"};
    for (int i = 0; i < 3; ++i) {
        lblDefaultInfo[i] = new QLabel(QString::fromLatin1(captions[i]), fContainer);
        lblDefaultInfo[i]->setObjectName(QStringLiteral("lblDefaultInfo_%1").arg(i));
    }
    txtNetworkName = new QLineEdit(fContainer);
    txtNetworkName->setObjectName(QStringLiteral("txtNetworkName"));
    txtNetworkName->setMaxLength(32);
    // Wide enough to show all 32 characters it accepts, even 32 of a wide letter ("W"); the
    // dialog may make it wider, never narrower.
    txtNetworkName->setMinimumWidth(widthShowing(txtNetworkName, QString(32, QLatin1Char('W'))));
    txtCallLetters = new QLineEdit(fContainer);
    txtCallLetters->setObjectName(QStringLiteral("txtCallLetters"));
    txtCallLetters->setMaxLength(6);
    txtTSID = new QLineEdit(fContainer);
    txtTSID->setObjectName(QStringLiteral("txtTSID"));
    txtTSID->installEventFilter(this);

    QLineEdit *fields[] = {txtNetworkName, txtCallLetters, txtTSID};
    auto *grid = new QGridLayout(fContainer);
    for (int i = 0; i < 3; ++i) {
        lblDefaultInfo[i]->setBuddy(fields[i]);
        grid->addWidget(lblDefaultInfo[i], i, 0);
        grid->addWidget(fields[i], i, 1);
    }

    cmdOk = new QPushButton(QStringLiteral("&OK"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setDefault(true);
    cmdExit = new QPushButton(QStringLiteral("E&xit"), this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    connect(cmdOk, &QPushButton::clicked, this, &DefaultInfoDialog::confirm);
    connect(cmdExit, &QPushButton::clicked, this, &DefaultInfoDialog::quitProgram);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdExit);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(fContainer);
    layout->addLayout(buttons);

    setTabOrder(txtNetworkName, txtCallLetters);
    setTabOrder(txtCallLetters, txtTSID);
    setTabOrder(txtTSID, cmdOk);
    setTabOrder(cmdOk, cmdExit);
    txtNetworkName->setFocus();
}

bool DefaultInfoDialog::load(DefaultInfo *info)
{
    HelpLauncher::setUp();
    bool found = false;
    const DefaultInfo stored = DefaultInfo::loadDefaultInfo(&found);
    if (found && info)
        *info = stored;
    return found;
}

bool DefaultInfoDialog::obtain(DefaultInfo *info, QWidget *parent)
{
    DefaultInfoDialog dialog(parent);
    if (dialog.load(info))
        return true;
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (info)
        *info = dialog.defaultInfo();
    return true;
}

void DefaultInfoDialog::confirm()
{
    for (QLineEdit *field : {txtNetworkName, txtCallLetters, txtTSID})
        field->setText(field->text().trimmed());

    if (txtNetworkName->text().size() < 2) {
        refuse(this, QStringLiteral("The Network Name must be 2 to 32 characters in length."),
               txtNetworkName);
        return;
    }
    if (txtCallLetters->text().size() < 3) {
        refuse(this, QStringLiteral("The Call Letters must be 3 to 6 characters in length."),
               txtCallLetters);
        return;
    }
    // Digits only: a sign or any other character makes it no TSID, as it could not be typed.
    const QString digits = txtTSID->text();
    bool isNumber = !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
    const qlonglong tsid = isNumber ? digits.toLongLong(&isNumber) : 0;
    if (!isNumber || tsid < 1 || tsid > 65535) {
        refuse(this, QStringLiteral("The Transmission ID (TSID) must be a value from 1 to 65535."),
               txtTSID);
        return;
    }

    // The TSID is kept as typed, not reformatted.
    m_info.networkName = txtNetworkName->text();
    m_info.callLetters = txtCallLetters->text();
    m_info.tsid = txtTSID->text();
    m_info.saveDefaultInfo();
    accept();
}

void DefaultInfoDialog::quitProgram()
{
    reject();
}

void DefaultInfoDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1) {
        HelpLauncher::showTopic(QStringLiteral("Starting.htm"));
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// The TSID box takes only digits and Backspace from the keyboard; navigation and shortcut
// keys, which type no character, pass. Pasted text is checked by OK.
bool DefaultInfoDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtTSID && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QString typed = key->text();
        const QChar c = typed.isEmpty() ? QChar() : typed.at(0);
        if (c.isPrint() && (c < QLatin1Char('0') || c > QLatin1Char('9')))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}
