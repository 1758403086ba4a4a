// The host application: logs in, loads the CT-e package on demand and opens its windows.
#include "Automation.h"
#include "DacteReport.h"
#include "GuiMessageSink.h"
#include "HostApplication.h"
#include "HostCatalogue.h"
#include "HostOptions.h"
#include "LoginDialog.h"
#include "LoginValues.h"
#include "MainWindow.h"
#include "Messages.h"
#include "PackageLoader.h"

#include <QAction>
#include <QSettings>
#include <QTimer>

#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    THostApplication app(argc, argv);
    // The report engine's definitions: the DACTE window's report.
    dacte::registerDacteReport();
    QCoreApplication::setOrganizationName(u"CTeModule"_s);
    QCoreApplication::setApplicationName(u"host"_s);

    THostOptions options;
    QString error;
    if (!THostOptions::Parse(QCoreApplication::arguments(), &options, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }
    if (!options.helpText.isEmpty()) {
        std::fprintf(stdout, "%s", qPrintable(options.helpText));
        return 0;
    }

    TGuiMessageSink sink;
    QSettings settings;
    TLoginValues login = TLoginValues::Remembered(settings);
    login.Apply(options);
    if (options.loginFromCommandLine()) {
        const QString missing = login.MissingKey();
        if (!missing.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(HostMsg(missing)));
            return 2;
        }
    } else {
        TLoginDialog dialog(login);
        if (dialog.exec() != QDialog::Accepted)
            return 0;
        login = dialog.Values();
    }
    login.Remember(settings);
    login.Publish();

    TPackageLoader package(options.packagePath);
    TMainWindow window(&package);
    window.show();

    if (options.openEditor) {
        // Through the menu's own action, so a failure is shown as any menu failure is.
        QTimer::singleShot(0, &window, [&window] {
            if (auto *open = window.findChild<QAction *>(u"actEditorCTe"_s))
                open->trigger();
        });
    }
    if (!options.automation.isEmpty() && !StartAutomation(options.automation, &window, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 125;
    }
    return app.exec();
}
