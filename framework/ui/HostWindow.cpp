#include "HostWindow.h"

#include <QApplication>
#include <QMdiArea>

namespace {
constexpr const char *kProperty = "cteMdiArea";
}

void SetHostMdiArea(QMdiArea *area)
{
    qApp->setProperty(kProperty, QVariant::fromValue(static_cast<QObject *>(area)));
    if (area) {
        QObject::connect(area, &QObject::destroyed, qApp, [area] {
            if (qApp->property(kProperty).value<QObject *>() == area)
                qApp->setProperty(kProperty, QVariant());
        });
    }
}

QMdiArea *HostMdiArea()
{
    if (!qApp)
        return nullptr;
    return qobject_cast<QMdiArea *>(qApp->property(kProperty).value<QObject *>());
}

QWidget *HostMainWindow()
{
    QMdiArea *area = HostMdiArea();
    return area ? area->window() : nullptr;
}
