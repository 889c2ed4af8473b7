#pragma once

#include <QtGlobal>

namespace HelpLauncher {

// Where and how the help window opens. Top and Left are applied when >= 0, Height and Width
// when > 0.
struct WindowOptions
{
    enum Flag : qint16
    {
        AddressBar = 0x01,
        MenuBar = 0x02,
        Resizable = 0x04,
        ToolBar = 0x08,
        StatusBar = 0x10
    };
    qint16 Flags = 0;
    qint16 Top = -1;
    qint16 Left = -1;
    qint16 Height = 0;
    qint16 Width = 0;

    // The options the program opens its help with: address bar, menu bar and a resizable
    // frame, 800 x 600 at (25, 25).
    static WindowOptions standard() { return {AddressBar | MenuBar | Resizable, 25, 25, 600, 800}; }
};

} // namespace HelpLauncher
