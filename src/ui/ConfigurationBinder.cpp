#include "ui/ConfigurationBinder.h"

#include "core/config/ConfigFields.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QToolTip>

namespace {

const QString PathLabel = QStringLiteral("lblCCLpCurFilePath");
const QString NameLabel = QStringLiteral("lblCCLpCurFileName");
const char *const CaptionLoopFileField = "captionLoopFile";

ConfigurationBinder::CaptionLoopFileSelected &captionLoopFileSelected()
{
    static ConfigurationBinder::CaptionLoopFileSelected handler;
    return handler;
}

// Qt shows a tool tip as rich text whenever it looks like markup, and a caption loop file's
// folder and name come from a file or from the operator's disk: a folder named "<b>" must read
// as it is named. The label's tool-tip property keeps the plain text (it is where the full path
// is kept); only what the tip shows is escaped.
class PlainToolTip : public QObject
{
public:
    static constexpr const char *Name = "plainToolTip";

    explicit PlainToolTip(QWidget *target) : QObject(target)
    {
        setObjectName(QLatin1String(Name));
        target->installEventFilter(this);
    }

    static void installOn(QWidget *target)
    {
        if (!target->findChild<PlainToolTip *>(QLatin1String(Name), Qt::FindDirectChildrenOnly))
            new PlainToolTip(target);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *target = qobject_cast<QWidget *>(watched);
        if (event->type() != QEvent::ToolTip || !target)
            return QObject::eventFilter(watched, event);
        const QString tip = target->toolTip();
        if (tip.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(),
                               QStringLiteral("<p style='white-space:pre'>") + tip.toHtmlEscaped() +
                                   QStringLiteral("</p>"),
                               target);
        }
        return true;
    }
};

template <typename T> T *control(const QWidget *root, const QString &name)
{
    return root->findChild<T *>(name);
}

QString member(const char *name, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

QString textOf(const QWidget *root, const QString &name)
{
    if (auto *line = control<QLineEdit>(root, name))
        return line->text();
    if (auto *plain = control<QPlainTextEdit>(root, name))
        return plain->toPlainText();
    if (auto *rich = control<QTextEdit>(root, name))
        return rich->toPlainText();
    return QString();
}

void setTextOf(QWidget *root, const QString &name, const QString &text)
{
    if (auto *line = control<QLineEdit>(root, name))
        line->setText(text);
    else if (auto *plain = control<QPlainTextEdit>(root, name))
        plain->setPlainText(text);
    else if (auto *rich = control<QTextEdit>(root, name))
        rich->setPlainText(text);
}

int checkOf(const QWidget *root, const QString &name)
{
    auto *box = control<QCheckBox>(root, name);
    return box ? ConfigurationBinder::checkValue(box) : 0;
}

void setCheckOf(QWidget *root, const QString &name, int value)
{
    auto *box = control<QCheckBox>(root, name);
    if (!box || value < 0 || value > 2)
        return;
    const Qt::CheckState states[] = {Qt::Unchecked, Qt::Checked, Qt::PartiallyChecked};
    const Qt::CheckState state = states[value];
    box->setCheckState(state);
    // Only a loaded value makes a box grey; the operator's clicks keep to checked/unchecked.
    if (state != Qt::PartiallyChecked)
        box->setTristate(false);
}

int listOf(const QWidget *root, const QString &name)
{
    auto *list = control<QComboBox>(root, name);
    return list ? list->currentIndex() : -1;
}

void setListOf(QWidget *root, const QString &name, int index)
{
    auto *list = control<QComboBox>(root, name);
    if (list && index >= 0 && index < list->count())
        list->setCurrentIndex(index);
}

// The index of the selected member, or -1 when none is selected. The window always selects one
// (the defaults and every load do), so -1 is not a value a file can hold: a save refuses it
// while building the file, as it refuses a list without a selected entry.
int optionOf(const QWidget *root, const char *name, int members)
{
    for (int i = 0; i < members; ++i) {
        auto *button = control<QAbstractButton>(root, member(name, i));
        if (button && button->isChecked())
            return i;
    }
    return -1;
}

void setOptionOf(QWidget *root, const char *name, int index)
{
    if (auto *button = control<QAbstractButton>(root, member(name, index)))
        button->setChecked(true);
}

QString toolTipOf(const QWidget *root, const QString &name)
{
    auto *label = control<QLabel>(root, name);
    return label ? label->toolTip() : QString();
}

void readField(const QWidget *root, const ConfigField &field, Configuration &c)
{
    const QString name = QLatin1String(field.name);
    switch (field.kind) {
    case ConfigFieldKind::Text:
        c.*std::get<QString Configuration::*>(field.member) = textOf(root, name);
        break;
    case ConfigFieldKind::Check:
        c.*std::get<int Configuration::*>(field.member) = checkOf(root, name);
        break;
    case ConfigFieldKind::OptionGroup:
        c.*std::get<int Configuration::*>(field.member) = optionOf(root, field.name, field.members);
        break;
    case ConfigFieldKind::ListSelection:
        c.*std::get<int Configuration::*>(field.member) = listOf(root, name);
        break;
    case ConfigFieldKind::CheckArray:
    case ConfigFieldKind::ListArray: {
        QVector<int> values;
        for (int i = 0; i < field.members; ++i) {
            const QString m = member(field.name, i);
            values.append(field.kind == ConfigFieldKind::CheckArray ? checkOf(root, m)
                                                                    : listOf(root, m));
        }
        c.*std::get<QVector<int> Configuration::*>(field.member) = values;
        break;
    }
    }
}

void applyField(QWidget *root, const ConfigField &field, const Configuration &c)
{
    const QString name = QLatin1String(field.name);
    switch (field.kind) {
    case ConfigFieldKind::Text:
        setTextOf(root, name, c.*std::get<QString Configuration::*>(field.member));
        break;
    case ConfigFieldKind::Check:
        setCheckOf(root, name, c.*std::get<int Configuration::*>(field.member));
        break;
    case ConfigFieldKind::OptionGroup:
        setOptionOf(root, field.name, c.*std::get<int Configuration::*>(field.member));
        break;
    case ConfigFieldKind::ListSelection:
        setListOf(root, name, c.*std::get<int Configuration::*>(field.member));
        break;
    case ConfigFieldKind::CheckArray:
    case ConfigFieldKind::ListArray: {
        const QVector<int> &values = c.*std::get<QVector<int> Configuration::*>(field.member);
        for (int i = 0; i < field.members && i < values.size(); ++i) {
            const QString m = member(field.name, i);
            if (field.kind == ConfigFieldKind::CheckArray)
                setCheckOf(root, m, values[i]);
            else
                setListOf(root, m, values[i]);
        }
        break;
    }
    }
}

// Fields whose controls refill or reset other controls, in the order that lets each one keep
// its value: the option groups go first (an oCGMS click resets the APS choice), then each list
// before the lists and boxes that it refills.
const char *const DependentOrder[] = {
    "cmbProgRatingSys", "cmbProgramRating", "chProgramRatingFlags", "cmbCGMS",
    "cmbCGMSOptions",   "cmbWebExpiryYear", "cmbWebExpiryMonth",    "cmbWebExpiryDay",
};

bool isDependent(const ConfigField &field)
{
    for (const char *name : DependentOrder) {
        if (qstrcmp(name, field.name) == 0)
            return true;
    }
    return false;
}

// Texts first, so that a field rule that moves the focus out of a text box already sees the
// text it checks; then the check boxes, whose rules only enable and grey; then the option
// groups; then the dependent lists in their order; then the rest.
QVector<const ConfigField *> applyOrder()
{
    QVector<const ConfigField *> order;
    const auto &fields = ConfigFields::all();
    auto take = [&](auto wanted) {
        for (const ConfigField &f : fields) {
            if (qstrcmp(f.name, CaptionLoopFileField) != 0 && !isDependent(f) && wanted(f) &&
                !order.contains(&f))
                order.append(&f);
        }
    };
    take([](const ConfigField &f) { return f.kind == ConfigFieldKind::Text; });
    take([](const ConfigField &f) { return f.kind == ConfigFieldKind::Check; });
    take([](const ConfigField &f) { return f.kind == ConfigFieldKind::OptionGroup; });
    for (const char *name : DependentOrder)
        order.append(ConfigFields::byName(QLatin1String(name)));
    take([](const ConfigField &) { return true; });
    return order;
}

} // namespace

namespace ConfigurationBinder {

Configuration read(const QWidget *root)
{
    Configuration c;
    for (const ConfigField &field : ConfigFields::all()) {
        if (qstrcmp(field.name, CaptionLoopFileField) != 0)
            readField(root, field, c);
    }
    c.captionLoopFile = toolTipOf(root, PathLabel) + toolTipOf(root, NameLabel);
    auto *year = control<QComboBox>(root, QStringLiteral("cmbWebExpiryYear"));
    auto *month = control<QComboBox>(root, QStringLiteral("cmbWebExpiryMonth"));
    auto *day = control<QComboBox>(root, QStringLiteral("cmbWebExpiryDay"));
    c.webExpiryYearValue = year ? year->currentData().toInt() : 0;
    c.webExpiryMonthValue = month ? month->currentData().toInt() : 0;
    c.webExpiryDayValue = day ? day->currentText().toInt() : 0;
    return c;
}

void apply(QWidget *root, const Configuration &configuration)
{
    static const QVector<const ConfigField *> order = applyOrder();
    for (const ConfigField *field : order)
        applyField(root, *field, configuration);
    if (configuration.captionLoopFile.isEmpty())
        return;
    showCaptionLoopFile(root, configuration.captionLoopFile);
    if (captionLoopFileSelected())
        captionLoopFileSelected()(root, configuration.captionLoopFile);
}

void showCaptionLoopFile(QWidget *root, const QString &path)
{
    if (path.isEmpty())
        return;
    const int cut = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QDir::separator()));
    const QString folder = path.left(cut + 1);
    const QString name = path.mid(cut + 1);
    if (auto *label = control<QLabel>(root, PathLabel)) {
        PlainToolTip::installOn(label);
        label->setToolTip(folder);
        label->setText(folder.size() > 40 ? folder.left(37) + QStringLiteral("...") : folder);
    }
    if (auto *label = control<QLabel>(root, NameLabel)) {
        PlainToolTip::installOn(label);
        label->setToolTip(name);
        label->setText(name);
    }
}

void setCaptionLoopFileSelected(CaptionLoopFileSelected handler)
{
    captionLoopFileSelected() = std::move(handler);
}

int checkValue(const QCheckBox *box)
{
    switch (box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

} // namespace ConfigurationBinder
