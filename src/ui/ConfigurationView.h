#pragma once

#include "core/common/LocalTimeZoneSnapshot.h"
#include "core/config/DefaultInfo.h"

#include <QObject>
#include <QString>

class ArticlesTab;
class CaptionChannelsTab;
class CcLoopingTab;
class CgmsTab;
class PlantOptionsTab;
class QTabWidget;
class QWidget;
class VChipTab;
class WebTvTab;

// The seven feature tabs of the main window: it builds every configuration control (objectName
// = the control's name, array members name_index), lays them out and wires their field rules,
// so that a value set from code runs the same rule as the operator's click.
//
// The window can be shown sooner with only its first page built (firstPageOnly): the other six
// tabs then hold empty pages until buildRemainingPages(), and the page accessors return null
// for them until then.
class ConfigurationView : public QObject
{
    Q_OBJECT
public:
    ConfigurationView(QTabWidget *tabMain, const LocalTimeZoneSnapshot &snapshot,
                      QObject *parent = nullptr, bool firstPageOnly = false);
    ~ConfigurationView() override;

    bool hasAllPages() const;
    // Builds the pages after the first, in place of their empty pages (their defaults are not
    // set: setDefaults follows).
    void buildRemainingPages();

    // Puts every configuration control that is built back to its default, rules included.
    void setDefaults(const DefaultInfo &info);

    // Enables or greys one control; an enabled text box has a white base, a greyed one the
    // platform's inactive grey.
    static void setControlEnabled(QWidget *control, bool enabled);
    // setControlEnabled on every member name_0, name_1, ... found under root.
    static void setArrayEnabled(QWidget *root, const QString &arrayName, bool enabled);

    // The pages, in tab order.
    PlantOptionsTab *plantOptions() const;
    VChipTab *vChip() const;
    CaptionChannelsTab *captionChannels() const;
    WebTvTab *webTv() const;
    ArticlesTab *articles() const;
    CcLoopingTab *ccLooping() const;
    CgmsTab *cgms() const;

private:
    struct Private;
    Private *d;
};
