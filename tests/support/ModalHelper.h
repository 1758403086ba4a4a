#pragma once

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

// Answers the next modal window that opens: `act` runs on it once it is the active modal widget
// (and is not `previous`). Used around calls that block in a modal loop.
inline void WhenModal(std::function<void(QWidget *)> act, QWidget *previous = nullptr)
{
    auto *timer = new QTimer(qApp);
    QPointer<QWidget> before(previous);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act, before] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == before.data() || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        // Outside the timer's slot: the action may open another modal loop.
        QPointer<QWidget> target(modal);
        QTimer::singleShot(0, qApp, [act, target] {
            if (target)
                act(target);
        });
    });
    timer->start(5);
}
