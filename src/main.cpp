#include "common/GlobalVars.h"
#include "config/frmDefaultInfo.h"
#include "ui/frmMainWindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Orvane"));
    QApplication::setApplicationName(QStringLiteral("Quillcast"));
    QApplication::setApplicationVersion(GlobalVars::VersionText());

    // The plant defaults come first; leaving that dialog ends the program.
    DefaultInfo info;
    if (!frmDefaultInfo::obtain(&info))
        return 0;

    frmMainWindow window(info);
    window.offerLastFile();
    window.show();
    return app.exec();
}
