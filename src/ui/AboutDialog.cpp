#include "ui/AboutDialog.h"

#include "core/common/AppInfo.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>

namespace {

QLabel *label(const char *name, const QString &text, QWidget *parent)
{
    auto *lbl = new QLabel(text, parent);
    lbl->setObjectName(QString::fromLatin1(name));
    lbl->setTextFormat(Qt::PlainText);
    lbl->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return lbl;
}

QPixmap icon(int size, qreal devicePixelRatio)
{
    QSvgRenderer renderer(QStringLiteral(":/quillcast/quillcast.svg"));
    QPixmap pixmap(QSize(size, size) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(0, 0, size, size));
    return pixmap;
}

} // namespace

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About ") + AppInfo::ApplicationTitle);
    // Modal over the main window without holding up its event loop.
    setWindowModality(Qt::WindowModal);

    imgIcon = new QLabel(this);
    imgIcon->setObjectName(QStringLiteral("imgIcon"));
    imgIcon->setPixmap(icon(64, devicePixelRatioF()));
    imgIcon->setAlignment(Qt::AlignTop);

    lblTitle = label("lblTitle", AppInfo::ApplicationTitle, this);
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblVersion = label("lblVersion", QStringLiteral("Version ") + AppInfo::versionText(), this);
    lblDescription =
        label("lblDescription",
              QStringLiteral("This application provides a seamless graphical interface for the "
                             "terminal-based commands used to program and configure Orvane Closed "
                             "Caption Encoders."),
              this);
    lblDescription->setWordWrap(true);
    lblSupport = label("lblSupport", QStringLiteral("Supported Orvane Encoders:"), this);
    lblSupportedHardware =
        label("lblSupportedHardware", supportedHardware().join(QStringLiteral("\r\n")), this);
    lblSupportedHardware->setIndent(12);

    cmdOk = new QPushButton(QStringLiteral("&OK"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setDefault(true);
    connect(cmdOk, &QPushButton::clicked, this, &AboutDialog::confirm);

    auto *grid = new QGridLayout(this);
    grid->setHorizontalSpacing(16);
    grid->addWidget(imgIcon, 0, 0, 5, 1);
    grid->addWidget(lblTitle, 0, 1);
    grid->addWidget(lblVersion, 1, 1);
    grid->addWidget(lblDescription, 2, 1);
    grid->addWidget(lblSupport, 3, 1);
    grid->addWidget(lblSupportedHardware, 4, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    grid->addLayout(buttons, 5, 0, 1, 2);
    grid->setRowMinimumHeight(2, lblDescription->fontMetrics().height() * 3);
    lblDescription->setMinimumWidth(lblDescription->fontMetrics().averageCharWidth() * 50);
    setFixedSize(sizeHint());
}

QStringList AboutDialog::supportedHardware()
{
    return {QStringLiteral("T42X Closed Caption Encoder"),
            QStringLiteral("T42 Closed Caption Encoder"),
            QStringLiteral("T40 Closed Caption and XDS Encoder"),
            QStringLiteral("R8 Rack-Mount Caption Encoder")};
}

void AboutDialog::confirm()
{
    hide();
}
