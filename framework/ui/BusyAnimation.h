#pragma once

#include <QString>

// The busy animation shown while a synchronous call waits (a server call, a long load). It is an
// overlay over the active window that keeps turning as long as the event loop runs (the network
// client waits in a local loop), and swallows the mouse meanwhile.
// `kind` chooses the default text: 1 saving, 6 loading, anything else processing; a non-empty
// `text` replaces it. Calling it again while it shows only changes the text.
void ActiveShowAvi(int kind, const QString &text = {});
// Hides the animation; harmless when it is not showing. Every error path calls it before the
// error travels on.
void DeactiveShowAvi();
// True while the animation shows.
bool ShowAviActive();

// Shows the animation for the life of the scope, also when the scope ends by an exception.
class TShowAviScope
{
public:
    explicit TShowAviScope(int kind, const QString &text = {}) { ActiveShowAvi(kind, text); }
    ~TShowAviScope() { DeactiveShowAvi(); }
    TShowAviScope(const TShowAviScope &) = delete;
    TShowAviScope &operator=(const TShowAviScope &) = delete;
};
