#include "ui/plant/EncoderEntryDialog.h"

#include "core/transport/PortList.h"
#include "ui/ConfigFileController.h"
#include "ui/DialogService.h"
#include "ui/settings/PortSettingsStore.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QComboBox *rowList(const QList<PortSettingsStore::ListRow> &rows, QWidget *parent)
{
    auto *list = new QComboBox(parent);
    for (const PortSettingsStore::ListRow &row : rows)
        list->addItem(row.text, row.value);
    return list;
}

void name(QWidget *widget, const QString &objectName, const QString &accessibleName)
{
    widget->setObjectName(objectName);
    widget->setAccessibleName(accessibleName);
}

} // namespace

EncoderEntryDialog::EncoderEntryDialog(const QList<EncoderList::Entry> &others, QWidget *parent)
    : QDialog(parent), m_others(others)
{
    setObjectName(QStringLiteral("frmEncoderEntry"));
    setWindowTitle(QStringLiteral("Encoder"));
    m_name = new QLineEdit(this);
    name(m_name, QStringLiteral("txtEncoderName"), QStringLiteral("Name"));
    m_device = new QComboBox(this);
    name(m_device, QStringLiteral("cmbEncoderDevice"), QStringLiteral("Device"));
    // The serial ports Port Settings offers; a network port of a device server is typed.
    m_device->setEditable(true);
    m_device->setInsertPolicy(QComboBox::NoInsert);
    m_device->addItems(PortList::devices());
    m_device->setToolTip(QStringLiteral("A serial device, tcp://HOST:PORT or rfc2217://HOST:PORT"));
    m_baud = rowList(PortSettingsStore::bauds(), this);
    name(m_baud, QStringLiteral("cmbEncoderBaud"), QStringLiteral("Baud"));
    m_parity = rowList(PortSettingsStore::parities(), this);
    name(m_parity, QStringLiteral("cmbEncoderParity"), QStringLiteral("Parity"));
    m_dataBits = rowList(PortSettingsStore::dataBitsList(), this);
    name(m_dataBits, QStringLiteral("cmbEncoderDataBits"), QStringLiteral("Data Bits"));
    m_configuration = new QLineEdit(this);
    name(m_configuration, QStringLiteral("txtEncoderConfiguration"),
         QStringLiteral("Configuration"));
    auto *browse = new QPushButton(QStringLiteral("B&rowse..."), this);
    name(browse, QStringLiteral("cmdBrowseConfiguration"),
         QStringLiteral("Browse for the configuration file"));
    connect(browse, &QPushButton::clicked, this, &EncoderEntryDialog::browseConfiguration);

    auto *form = new QFormLayout;
    const auto addRow = [&](const QString &caption, const QString &labelName, QWidget *field,
                            QWidget *shown) {
        auto *label = new QLabel(caption, this);
        label->setObjectName(labelName);
        label->setBuddy(field);
        form->addRow(label, shown);
    };
    addRow(QStringLiteral("&Name:"), QStringLiteral("lblEncoderName"), m_name, m_name);
    addRow(QStringLiteral("&Device:"), QStringLiteral("lblEncoderDevice"), m_device, m_device);
    addRow(QStringLiteral("&Baud:"), QStringLiteral("lblEncoderBaud"), m_baud, m_baud);
    addRow(QStringLiteral("P&arity:"), QStringLiteral("lblEncoderParity"), m_parity, m_parity);
    addRow(QStringLiteral("Da&ta Bits:"), QStringLiteral("lblEncoderDataBits"), m_dataBits,
           m_dataBits);
    auto *file = new QWidget(this);
    auto *fileLayout = new QHBoxLayout(file);
    fileLayout->setContentsMargins(0, 0, 0, 0);
    fileLayout->addWidget(m_configuration, 1);
    fileLayout->addWidget(browse);
    addRow(QStringLiteral("&Configuration:"), QStringLiteral("lblEncoderConfiguration"),
           m_configuration, file);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttonsEncoderEntry"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OKButton"));
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&OK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelButton"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cance&l"));
    connect(buttons, &QDialogButtonBox::accepted, this, &EncoderEntryDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &EncoderEntryDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    // A new entry starts from the encoder's own settings: 1200 baud, odd parity, 7 data bits.
    LineSettings line;
    EncoderList::readLine(QStringLiteral("1200"), QStringLiteral("O"), QStringLiteral("7"), &line);
    setEntry({QString(), QString(), line, QString()});
}

void EncoderEntryDialog::setEntry(const EncoderList::Entry &entry)
{
    m_entry = entry;
    m_name->setText(entry.name);
    m_device->setEditText(entry.device);
    m_baud->setCurrentIndex(
        PortSettingsStore::findIndex(QString::number(entry.line.baud), PortSettingsStore::bauds()));
    // A rate the list does not offer is kept as it is.
    if (m_baud->currentData().toString() != QString::number(entry.line.baud)) {
        m_baud->addItem(QString::number(entry.line.baud), QString::number(entry.line.baud));
        m_baud->setCurrentIndex(m_baud->count() - 1);
    }
    m_parity->setCurrentIndex(
        PortSettingsStore::findIndex(entry.line.parity, PortSettingsStore::parities()));
    m_dataBits->setCurrentIndex(PortSettingsStore::findIndex(
        QStringLiteral("%1,1").arg(entry.line.dataBits), PortSettingsStore::dataBitsList()));
    m_configuration->setText(entry.configuration);
}

QString EncoderEntryDialog::check()
{
    EncoderList::Entry entry;
    entry.name = m_name->text().trimmed();
    if (entry.name.isEmpty())
        return QStringLiteral("no name");
    entry.device = m_device->currentText().trimmed();
    QString problem;
    if (!EncoderList::checkDevice(entry.device, &problem))
        return problem;
    problem =
        EncoderList::readLine(m_baud->currentData().toString(), m_parity->currentData().toString(),
                              m_dataBits->currentData().toString().section(',', 0, 0), &entry.line);
    if (!problem.isEmpty())
        return problem.mid(2); // "baud must be...", without the dashes, as in a list
    const QString key = EncoderList::deviceKey(entry.device);
    for (const EncoderList::Entry &other : std::as_const(m_others)) {
        if (other.name == entry.name)
            return QStringLiteral("encoder \"%1\" is listed twice").arg(entry.name);
        if (EncoderList::deviceKey(other.device) == key)
            return QStringLiteral("device %1 is also that of encoder \"%2\"")
                .arg(entry.device, other.name);
    }
    const QString configuration = m_configuration->text().trimmed();
    entry.configuration =
        configuration.isEmpty() ? QString() : QFileInfo(configuration).absoluteFilePath();
    m_entry = entry;
    return QString();
}

void EncoderEntryDialog::accept()
{
    const QString problem = check();
    if (problem.isEmpty()) {
        QDialog::accept();
        return;
    }
    DialogService::tell(this, QStringLiteral("encoder \"%1\": %2").arg(m_name->text(), problem),
                        DialogService::Icon::Warning, windowTitle());
}

void EncoderEntryDialog::browseConfiguration()
{
    const QString path = DialogService::instance().openFileName(
        this, QStringLiteral("Configuration"), QFileInfo(m_configuration->text()).absolutePath(),
        ConfigFileController::OpenFilter);
    if (!path.isEmpty())
        m_configuration->setText(path);
}
