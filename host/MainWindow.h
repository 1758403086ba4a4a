#pragma once

#include <QMainWindow>

class QMdiArea;
class TPackageLoader;

// The host's MDI main window: the CT-e menu opens the package's windows through its exported
// functions; the status bar shows the login values.
class TMainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit TMainWindow(TPackageLoader *package, QWidget *parent = nullptr);

    QMdiArea *MdiArea() const { return m_mdiArea; }

    // The menu commands (also what an automation plug-in triggers through the actions
    // actEditorCTe, actAtualizaLoteCTe and actDACTE).
    void AbrirEditorCTe();
    void AbrirAtualizaLoteCTe();
    void AbrirDACTE();
    void AbrirInutilizaCTe();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void refreshStatus();

    TPackageLoader *m_package;
    QMdiArea *m_mdiArea;
};
