#include "BusyAnimation.h"

#include "BusyOverlay.h"
#include "Messages.h"

#include <QApplication>
#include <QPointer>

using namespace Qt::StringLiterals;

namespace {

QPointer<TBusyOverlay> g_overlay;

QString defaultText(int kind)
{
    switch (kind) {
    case 1:
        return FwMsg(u"FW_AVI_GRAVANDO"_s);
    case 6:
        return FwMsg(u"FW_AVI_CARREGANDO"_s);
    default:
        return FwMsg(u"FW_AVI_PROCESSANDO"_s);
    }
}

} // namespace

void ActiveShowAvi(int kind, const QString &text)
{
    const QString caption = text.isEmpty() ? defaultText(kind) : text;
    QWidget *window = QApplication::activeModalWidget();
    if (!window)
        window = QApplication::activeWindow();
    if (g_overlay && g_overlay->parentWidget() != window) {
        delete g_overlay;
        g_overlay = nullptr;
    }
    if (!g_overlay)
        g_overlay = new TBusyOverlay(window);
    g_overlay->setText(caption);
    g_overlay->show();
    g_overlay->raise();
}

void DeactiveShowAvi()
{
    if (!g_overlay)
        return;
    // Deleted rather than hidden: the window it covers may close next.
    g_overlay->hide();
    g_overlay->deleteLater();
    g_overlay = nullptr;
}

bool ShowAviActive()
{
    return g_overlay && g_overlay->isVisible();
}
