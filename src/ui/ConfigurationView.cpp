#include "ui/ConfigurationView.h"

#include "ui/tabs/ArticlesTab.h"
#include "ui/tabs/CaptionChannelsTab.h"
#include "ui/tabs/CcLoopingTab.h"
#include "ui/tabs/CgmsTab.h"
#include "ui/tabs/ControlEnabling.h"
#include "ui/tabs/LimitedPlainTextEdit.h"
#include "ui/tabs/PacketField.h"
#include "ui/tabs/PlantOptionsTab.h"
#include "ui/tabs/VChipTab.h"
#include "ui/tabs/WebTvTab.h"

#include "core/common/AppInfo.h"
#include "core/common/AppSettings.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QTabWidget>

#include <iterator>

namespace {

constexpr int CaptionChannelsPage = 2;

// Selects a list entry and makes sure the list's rule runs, also when the entry was already
// selected (a reset must leave the rule's effects, not only the index).
void selectRunningRule(QComboBox *list, int index, const std::function<void()> &rule)
{
    if (list->currentIndex() == index)
        rule();
    else
        list->setCurrentIndex(index);
}

void setChecked(QCheckBox *box, bool checked)
{
    box->setChecked(checked);
}

void select(QButtonGroup *group, int member)
{
    group->button(member)->setChecked(true);
}

} // namespace

// A page that is not built yet. It asks for the room the built pages took at the last start, so
// that the window comes up at the size it keeps once they are there.
class PendingPage : public QWidget
{
public:
    PendingPage(const QSize &size, const QSize &minimumSize, QWidget *parent)
        : QWidget(parent), m_size(size), m_minimumSize(minimumSize)
    {
    }
    QSize sizeHint() const override { return m_size; }
    QSize minimumSizeHint() const override { return m_minimumSize; }

private:
    QSize m_size;
    QSize m_minimumSize;
};

// The room of the pages after the first, as the last start measured it: valid only for the same
// program, Qt, style, font and screen resolution, for any of them changes the pages' sizes.
const QString SizeSection = QStringLiteral("Main Window");

QString pageSizeKey(const QWidget *window)
{
    const QStyle *style = window->style();
    if (const auto *proxy = qobject_cast<const QProxyStyle *>(style))
        style = proxy->baseStyle();
    return QStringList{AppInfo::versionText(),
                       QString::fromLatin1(qVersion()),
                       style->name(),
                       QApplication::font().toString(),
                       QString::number(window->logicalDpiX()),
                       QString::number(window->logicalDpiY()),
                       QString::number(window->devicePixelRatioF())}
        .join(QLatin1Char('|'));
}

QString sizeText(const QSize &size)
{
    return QStringLiteral("%1 %2").arg(size.width()).arg(size.height());
}

QSize sizeOf(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(' '));
    return parts.size() == 2 ? QSize(parts[0].toInt(), parts[1].toInt()) : QSize();
}

// The tabs' captions, in tab order.
const char *const PageTitles[] = {"Plant Options", "V-Chip",     " Caption Channels", "Web TV",
                                  "Articles",      "CC Looping", "CGMS Insertion"};

struct ConfigurationView::Private
{
    QTabWidget *tabMain = nullptr;
    LocalTimeZoneSnapshot snapshot;
    PlantOptionsTab *plantOptions = nullptr;
    VChipTab *vChip = nullptr;
    CaptionChannelsTab *captionChannels = nullptr;
    WebTvTab *webTv = nullptr;
    ArticlesTab *articles = nullptr;
    CcLoopingTab *ccLooping = nullptr;
    CgmsTab *cgms = nullptr;

    void setOtherPagesDefaults();
};

ConfigurationView::ConfigurationView(QTabWidget *tabMain, const LocalTimeZoneSnapshot &snapshot,
                                     QObject *parent, bool firstPageOnly)
    : QObject(parent), d(new Private)
{
    d->tabMain = tabMain;
    d->snapshot = snapshot;
    d->plantOptions = new PlantOptionsTab(tabMain);
    tabMain->addTab(d->plantOptions, QString::fromLatin1(PageTitles[0]));
    // Without the room the other pages took at the last start (the first start, or another font
    // or screen), the window could come up too small and grow once they are built: every page
    // is then built at once.
    const QSize size = sizeOf(AppSettings::get(SizeSection, QStringLiteral("Pages Size")));
    const QSize minimumSize =
        sizeOf(AppSettings::get(SizeSection, QStringLiteral("Pages Minimum Size")));
    const bool known =
        size.isValid() && minimumSize.isValid() &&
        AppSettings::get(SizeSection, QStringLiteral("Pages Size Key")) == pageSizeKey(tabMain);
    if (firstPageOnly && known) {
        for (int page = 1; page < int(std::size(PageTitles)); ++page)
            tabMain->addTab(new PendingPage(size, minimumSize, tabMain),
                            QString::fromLatin1(PageTitles[page]));
        return;
    }
    buildRemainingPages();
}

bool ConfigurationView::hasAllPages() const
{
    return d->vChip != nullptr;
}

void ConfigurationView::buildRemainingPages()
{
    if (hasAllPages())
        return;
    QTabWidget *tabMain = d->tabMain;
    d->vChip = new VChipTab(tabMain);
    d->captionChannels = new CaptionChannelsTab(tabMain);
    d->webTv = new WebTvTab(tabMain);
    d->articles = new ArticlesTab(tabMain);
    d->ccLooping = new CcLoopingTab(tabMain);
    d->cgms = new CgmsTab(tabMain);
    const QList<QWidget *> pages = {d->vChip,    d->captionChannels, d->webTv,
                                    d->articles, d->ccLooping,       d->cgms};
    // Each page takes the place of the empty one its tab held, if any; the tab shown stays.
    const QSignalBlocker quiet(tabMain);
    QWidget *current = tabMain->currentWidget();
    for (int page = 1; page <= pages.size(); ++page) {
        QWidget *empty = page < tabMain->count() ? tabMain->widget(page) : nullptr;
        if (empty) {
            tabMain->removeTab(page);
            if (current == empty)
                current = pages.at(page - 1);
            delete empty;
        }
        tabMain->insertTab(page, pages.at(page - 1), QString::fromLatin1(PageTitles[page]));
    }
    tabMain->setCurrentWidget(current);

    connect(d->webTv, &WebTvTab::captionChannelsRequested, tabMain,
            [tabMain] { tabMain->setCurrentIndex(CaptionChannelsPage); });

    // The room these pages take, for the next start to show the first page alone at the right
    // size (written only when it changed).
    QSize size, minimumSize;
    for (QWidget *page : pages) {
        page->ensurePolished();
        size = size.expandedTo(page->sizeHint());
        minimumSize = minimumSize.expandedTo(page->minimumSizeHint());
    }
    for (const auto &[key, value] :
         {std::pair{QStringLiteral("Pages Size"), sizeText(size)},
          std::pair{QStringLiteral("Pages Minimum Size"), sizeText(minimumSize)},
          std::pair{QStringLiteral("Pages Size Key"), pageSizeKey(tabMain)}}) {
        if (AppSettings::get(SizeSection, key) != value)
            AppSettings::save(SizeSection, key, value);
    }
}

ConfigurationView::~ConfigurationView()
{
    delete d;
}

PlantOptionsTab *ConfigurationView::plantOptions() const
{
    return d->plantOptions;
}
VChipTab *ConfigurationView::vChip() const
{
    return d->vChip;
}
CaptionChannelsTab *ConfigurationView::captionChannels() const
{
    return d->captionChannels;
}
WebTvTab *ConfigurationView::webTv() const
{
    return d->webTv;
}
ArticlesTab *ConfigurationView::articles() const
{
    return d->articles;
}
CcLoopingTab *ConfigurationView::ccLooping() const
{
    return d->ccLooping;
}
CgmsTab *ConfigurationView::cgms() const
{
    return d->cgms;
}

void ConfigurationView::setDefaults(const DefaultInfo &info)
{
    // The steps are numbered as the form's load takes them; each page's part of a step touches
    // that page alone, so the first page can be set before the others are built.
    PlantOptionsTab *plant = d->plantOptions;

    // 1. Every packet disabled and passed upstream.
    for (PacketField *field : {plant->networkName(), plant->callLetters(), plant->tsid(),
                               plant->timeOfDay(), plant->timeZone()}) {
        setChecked(field->check(), false);
        field->select(PacketField::PassUpstream);
    }

    // 2. The plant's defaults and the channel field rules.
    plant->networkName()->textBox()->setText(info.networkName);
    plant->networkName()->applyEnableRule();
    plant->callLetters()->textBox()->setText(info.callLetters);
    plant->callLetters()->applyEnableRule();
    plant->tsid()->textBox()->setText(info.tsid);
    plant->tsid()->applyEnableRule();
    plant->applyTimeOfDayRule();
    plant->applyTimeZoneRule();

    // 3. - 4. The encoder clock.
    setChecked(plant->syncClock(), false);
    setChecked(plant->dsObserved(), true);
    setChecked(plant->dsInEffect(), d->snapshot.InDaylightTime);
    plant->setClockControlsEnabled(false);

    if (hasAllPages())
        d->setOtherPagesDefaults();
}

void ConfigurationView::Private::setOtherPagesDefaults()
{
    // 1. Every packet disabled and passed upstream.
    setChecked(vChip->programName()->check(), false);
    vChip->programName()->select(PacketField::PassUpstream);
    setChecked(vChip->ratingCheck(), false);
    select(vChip->ratingGroup(), PacketField::PassUpstream);
    setChecked(webTv->check(), false);
    select(webTv->group(), 1);
    setChecked(cgms->check(), false);
    select(cgms->group(), PacketField::PassUpstream);

    // 5. Program name.
    vChip->programName()->textBox()->clear();
    vChip->programName()->applyEnableRule();

    // 6. Rating.
    vChip->setRatingControlsEnabled(false);
    selectRunningRule(vChip->ratingSystem(), 1, [this] { vChip->fillRatingList(1); });
    vChip->applyRatingEnableRule();

    // 7. Caption channels.
    CaptionChannelsTab *channels = captionChannels;
    channels->sendCaptions()->clear();
    select(channels->sendChannel(), 0);
    setChecked(channels->decoderSend(), false);
    setChecked(channels->blockingSend(), false);
    select(channels->decoder(), 10);
    for (QCheckBox *box : channels->blocking())
        setChecked(box, false);

    // 8. - 9. Web TV, with the expiry years counted from today.
    webTv->applyEnableRule();
    webTv->url()->clear();
    webTv->description()->clear();
    webTv->script()->clear();
    webTv->repeat()->setText(QStringLiteral("1"));
    webTv->fillExpiryYears();
    selectRunningRule(webTv->expiryMonth(), 0, [this] { webTv->applyMonthChoice(); });

    // 10. Articles.
    articles->articleList()->clear();
    select(articles->channel(), 0);
    articles->repeat()->setText(QStringLiteral("1"));
    articles->removeArticle()->clear();

    // 11. - 12. Caption looping; "Continuous Loop" keeps its value.
    for (QComboBox *list : ccLooping->loopingTime())
        list->setCurrentIndex(0);
    ccLooping->resetLoopState();

    // 13. CGMS.
    cgms->applyEnableRule();
    selectRunningRule(cgms->cgms(), 0, [this] { cgms->applyCgmsChoice(); });
    cgms->options()->setCurrentIndex(0);
    select(cgms->asb(), 0);
}

void ConfigurationView::setControlEnabled(QWidget *control, bool enabled)
{
    ControlEnabling::setControlEnabled(control, enabled);
}

void ConfigurationView::setArrayEnabled(QWidget *root, const QString &arrayName, bool enabled)
{
    ControlEnabling::setArrayEnabled(root, arrayName, enabled);
}
