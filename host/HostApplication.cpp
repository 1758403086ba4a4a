#include "HostApplication.h"

#include "Exceptions.h"

THostApplication::THostApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{ }

bool THostApplication::notify(QObject *receiver, QEvent *event)
{
    bool handled = false;
    FrameworkGuard([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
