#pragma once

#include <QString>

class QWidget;

// The automation plug-in protocol: a shared library exporting
//     extern "C" int HostAutomation(QWidget *mainWindow);
// is loaded after the login and called once on the GUI thread as soon as the event loop runs;
// the host then exits with the number it returned. Returns false (with `error`) when the library
// or its function cannot be found; the call itself is queued.
bool StartAutomation(const QString &path, QWidget *mainWindow, QString *error);
