#pragma once

class QMdiArea;
class QWidget;

// Where MDI children go. The host registers its main window's QMdiArea as the application
// property "cteMdiArea" (a property of the one QApplication, so a package loaded with QLibrary
// sees the same value whatever copy of the framework it carries). Without it (tests, a package
// run alone) MDI children open as top-level windows.
void SetHostMdiArea(QMdiArea *area);
QMdiArea *HostMdiArea();
// The window that owns the MDI area (the parent of the package's dialogs); nullptr without one.
QWidget *HostMainWindow();
