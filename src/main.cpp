#include "common/GlobalVars.h"
#include "config/DefaultInfo.h"
#include "ui/frmMainWindow.h"

#include <QApplication>

namespace {

// The plant's default network name, call letters and TSID; false when the operator chose to
// leave instead of giving them.
bool obtainDefaultInfo(DefaultInfo *info)
{
    // Single call site of the default-information step: switch to frmDefaultInfo::obtain(info)
    // here once that dialog is part of the build.
    bool found = false;
    *info = DefaultInfo::LoadDefaultInfo(&found);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Orvane"));
    QApplication::setApplicationName(QStringLiteral("Quillcast"));
    QApplication::setApplicationDisplayName(GlobalVars::ApplicationTitle);
    QApplication::setApplicationVersion(GlobalVars::VersionText());

    DefaultInfo info;
    if (!obtainDefaultInfo(&info))
        return 0;

    frmMainWindow window(info);
    window.offerLastFile();
    window.show();
    return app.exec();
}
