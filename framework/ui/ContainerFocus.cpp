#include "ContainerFocus.h"

#include "Exceptions.h"

#include <QApplication>
#include <QHash>
#include <QList>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace {

struct Watched
{
    QPointer<QWidget> container;
    ContainerFocus::Handler onEnter;
    ContainerFocus::Handler onExit;
};

int depthOf(const QWidget *w)
{
    int depth = 0;
    for (; w; w = w->parentWidget())
        ++depth;
    return depth;
}

bool inside(const QWidget *container, const QWidget *w)
{
    return w && (w == container || container->isAncestorOf(w));
}

class Watcher : public QObject
{
public:
    Watcher()
    {
        connect(qApp, &QApplication::focusChanged, this,
                [this](QWidget *old, QWidget *now) { focusMoved(old, now); });
    }

    void add(QWidget *container, ContainerFocus::Handler onEnter, ContainerFocus::Handler onExit)
    {
        m_watched.insert(container, {container, std::move(onEnter), std::move(onExit)});
        connect(container, &QObject::destroyed, this,
                [this, container] { m_watched.remove(container); });
    }

    void remove(QWidget *container) { m_watched.remove(container); }

    void removeWithin(const QWidget *window)
    {
        m_watched.removeIf([window](const auto &entry) {
            return !entry.value().container || inside(window, entry.value().container);
        });
    }

private:
    void focusMoved(QWidget *old, QWidget *now)
    {
        // Moves made by exit handlers, or by putting the focus back, are settled below.
        if (m_busy)
            return;
        QList<Watched> exits;
        for (const Watched &w : std::as_const(m_watched)) {
            if (w.container && inside(w.container, old) && !inside(w.container, now))
                exits.append(w);
        }
        std::sort(exits.begin(), exits.end(), [](const Watched &a, const Watched &b) {
            return depthOf(a.container) > depthOf(b.container);
        });

        QPointer<QWidget> previous(old);
        m_busy = true;
        for (const Watched &w : std::as_const(exits)) {
            if (!w.onExit || !w.container)
                continue;
            const bool ok = FrameworkGuard(w.onExit);
            if (!w.container)
                continue;
            if (!ok && previous && !inside(w.container, QApplication::focusWidget()))
                previous->setFocus(Qt::OtherFocusReason);
            // Refused, or the handler put the focus back: the move did not happen.
            if (!ok || inside(w.container, QApplication::focusWidget())) {
                keepFocusAfterSignal(QApplication::focusWidget());
                return;
            }
        }
        m_busy = false;

        QWidget *current = QApplication::focusWidget();
        if (!current)
            current = now;
        QList<Watched> enters;
        for (const Watched &w : std::as_const(m_watched)) {
            if (w.container && !inside(w.container, old) && inside(w.container, current))
                enters.append(w);
        }
        std::sort(enters.begin(), enters.end(), [](const Watched &a, const Watched &b) {
            return depthOf(a.container) < depthOf(b.container);
        });
        for (const Watched &w : std::as_const(enters)) {
            if (w.onEnter && w.container)
                FrameworkGuard(w.onEnter);
        }
    }

    // Other receivers of the same focus-change signal (an MDI subwindow that follows a Tab move)
    // still act on the move that was refused, and may move the focus on. The moves stay
    // unwatched until the signal is over; then the control to correct gets the focus back,
    // without running any exit or enter again.
    void keepFocusAfterSignal(QWidget *target)
    {
        QTimer::singleShot(0, this, [this, target = QPointer<QWidget>(target)] {
            if (target && target->isVisible() && QApplication::focusWidget() != target)
                target->setFocus(Qt::OtherFocusReason);
            m_busy = false;
        });
    }

    QHash<QWidget *, Watched> m_watched;
    bool m_busy = false;
};

Watcher &watcher()
{
    static Watcher *instance = [] {
        auto *w = new Watcher;
        w->setParent(qApp);
        return w;
    }();
    return *instance;
}

} // namespace

namespace ContainerFocus {

void Watch(QWidget *container, Handler onEnter, Handler onExit)
{
    watcher().add(container, std::move(onEnter), std::move(onExit));
}

void Unwatch(QWidget *container)
{
    watcher().remove(container);
}

void UnwatchWithin(const QWidget *window)
{
    watcher().removeWithin(window);
}

} // namespace ContainerFocus
