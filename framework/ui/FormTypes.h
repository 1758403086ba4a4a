#pragma once

// What happens to a window when it closes; FormClose handlers may change it.
enum TCloseAction {
    caNone, // the window stays open
    caHide, // hidden, kept alive with its contents
    caFree, // released; a window reference held in a QPointer becomes null
    caMinimize, // MDI child: minimised instead of closed
};

enum TWindowState { wsNormal, wsMinimized, wsMaximized };
