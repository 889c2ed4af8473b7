#include "ui/ConfigurationView.h"

#include <QTabWidget>

struct ConfigurationView::Private
{
};

ConfigurationView::ConfigurationView(QTabWidget *tabMain, const LocalTimeZoneSnapshot &,
                                     QObject *parent)
    : QObject(parent), d(new Private)
{
    const char *captions[] = {"Plant Options", "V-Chip",     " Caption Channels", "Web TV",
                              "Articles",      "CC Looping", "CGMS Insertion"};
    for (int i = 0; i < 7; ++i) {
        auto *page = new QWidget(tabMain);
        page->setObjectName(QStringLiteral("fBorder_%1").arg(i));
        tabMain->addTab(page, QString::fromLatin1(captions[i]));
    }
}

ConfigurationView::~ConfigurationView()
{
    delete d;
}

void ConfigurationView::SetDefaults(const DefaultInfo &) {}

void ConfigurationView::SetControlEnabled(QWidget *control, bool enabled)
{
    if (control)
        control->setEnabled(enabled);
}

void ConfigurationView::SetArrayEnabled(QWidget *root, const QString &arrayName, bool enabled)
{
    for (int i = 0;; ++i) {
        auto *member = root->findChild<QWidget *>(arrayName + QStringLiteral("_%1").arg(i));
        if (!member)
            break;
        SetControlEnabled(member, enabled);
    }
}
