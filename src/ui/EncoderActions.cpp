#include "ui/EncoderActions.h"

#include "link/Sequencer.h"
#include "ui/frmMainWindow.h"

EncoderActions::EncoderActions(frmMainWindow *window) : QObject(window), m_window(window) {}

EncoderActions::~EncoderActions() = default;

void EncoderActions::BuildConfiguration()
{
    // The article-list request ends every configuration.
    m_window->sequencer()->AddCommand(QStringLiteral("9"));
}
