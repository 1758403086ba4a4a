#include "Screen.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>

namespace Screen {

void SetCursor(TCursor cursor)
{
    // Only one level is ever ours: the hourglass replaces, never stacks.
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    if (cursor == crHourGlass)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

TCursor Cursor()
{
    const QCursor *c = QApplication::overrideCursor();
    return c && c->shape() == Qt::WaitCursor ? crHourGlass : crDefault;
}

int ShowModal(QDialog *dialog)
{
    // The hourglass of the caller would otherwise stay over the whole dialog.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int result = dialog->exec();
    if (busy)
        QApplication::restoreOverrideCursor();
    return result;
}

} // namespace Screen
