#include "ui/ConfigFileController.h"

#include "common/DialogService.h"
#include "ui/frmMainWindow.h"

ConfigFileController::ConfigFileController(frmMainWindow *window)
    : QObject(window), m_window(window)
{
}

ConfigFileController::~ConfigFileController() = default;

bool ConfigFileController::closeRequest()
{
    return DialogService::ask(m_window, QStringLiteral("Are you sure you want to exit?"),
                              DialogService::Buttons::YesNo,
                              DialogService::Icon::None) == DialogService::Answer::Yes;
}

void ConfigFileController::startupOffer() {}
void ConfigFileController::mnuNew_Click() {}
void ConfigFileController::mnuOpenFile_Click() {}
void ConfigFileController::mnuSaveFile_Click() {}
void ConfigFileController::mnuSaveFileAs_Click() {}
