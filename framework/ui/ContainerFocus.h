#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

// Enter and exit of a container (a panel, a group box): Qt only tells when the focus moves
// between widgets, so one watcher on QApplication::focusChanged turns those moves into "the focus
// entered this container" and "the focus left it" for every registered container.
//
// Handlers run through FrameworkGuard. When an exit handler fails (raises), the focus goes back
// to the widget that had it, as if the move had been refused, and the container's enter handler
// does not run for that return. A handler that moves the focus back itself gets the same
// treatment. Exits run innermost first, enters outermost first.
namespace ContainerFocus {

using Handler = std::function<void()>;

// Registers `container`'s handlers (either may be empty); they are dropped with the container.
void Watch(QWidget *container, Handler onEnter, Handler onExit);
void Unwatch(QWidget *container);
// Drops every container inside `window`. Windows call it from their destructor: the focus leaves
// them while QWidget's destructor runs, when their handlers' object is already gone.
void UnwatchWithin(const QWidget *window);

} // namespace ContainerFocus
