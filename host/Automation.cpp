#include "Automation.h"

#include "Exceptions.h"
#include "HostCatalogue.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {
using HostAutomationFn = int (*)(QWidget *);
}

bool StartAutomation(const QString &path, QWidget *mainWindow, QString *error)
{
    // Never unloaded: widgets and timers the plug-in made may outlive the call.
    auto *library = new QLibrary(path, qApp);
    if (!library->load()) {
        *error = HostMsg(u"HOST_AUTOMACAO_N_CARREGADA"_s).arg(path, library->errorString());
        return false;
    }
    auto run = reinterpret_cast<HostAutomationFn>(library->resolve("HostAutomation"));
    if (!run) {
        *error = HostMsg(u"HOST_FUNCAO_N_ENCONTRADA"_s).arg(path, u"HostAutomation"_s);
        return false;
    }
    QPointer<QWidget> window(mainWindow);
    QTimer::singleShot(0, qApp, [run, window] {
        int code = 1;
        const bool completed = FrameworkGuard([&] { code = run(window); });
        if (!completed)
            code = 1;
        std::fflush(stdout);
        QCoreApplication::exit(code);
    });
    return true;
}
