#pragma once

#include "FormTypes.h"

#include <QMdiSubWindow>
#include <QPointer>
#include <QWidget>

class QAction;
class QHBoxLayout;
class QLabel;
class QMenu;
class QMenuBar;
class QTabWidget;
class QToolButton;
class QVBoxLayout;
class TDBGrid;
class TDBNavigator;
class TDataSource;
class TMessages;

// The maintenance window: an MDI child with the menus Operação (mnuFormulario, mnuListagem,
// mnuConfImpressora) and Manutenção (mnuIncluir ... mnuConfirmar), a command bar panMenu whose
// tool buttons (sbtIncluir ... sbtConfirmar, sbtImprimir, sbtAjuda, sbtFechar) follow the menu
// items, the page control pgcPadrao with the list page tshFolhaDados and the form page
// tshFormulario, the bottom bar panNavigator, the screen-code label lblCodTela and the catalogues
// msgPadrao and msgMensagensPadroes (standard key "Canc").
//
// Show() puts the window in the host's MDI area (HostMdiArea()), or shows it top-level when there
// is none. Closing runs FormClose with caFree: the window (and its MDI frame) is released.
class TfrmPadrao : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmPadrao(QWidget *parent = nullptr);
    ~TfrmPadrao() override;

    // Shows the window as an MDI child (not modal) and brings it to the front.
    void Show();
    void Close();
    void SetWindowState(TWindowState state);
    TWindowState WindowState() const;
    QMdiSubWindow *SubWindow() const { return m_subWindow; }
    void SetCodTela(const QString &code);

    // Adds a tool button bound to `action` to the command bar, before the print button.
    QToolButton *AddCommandButton(QAction *action, const QString &buttonName);

    TMessages *msgPadrao = nullptr;
    TMessages *msgMensagensPadroes = nullptr;

    QMenuBar *mnuPrincipal = nullptr;
    QMenu *mnuOperacao = nullptr;
    QMenu *mnuManutencao = nullptr;
    QAction *mnuFormulario = nullptr;
    QAction *mnuListagem = nullptr;
    QAction *mnuConfImpressora = nullptr;
    QAction *mnuIncluir = nullptr;
    QAction *mnuAlterar = nullptr;
    QAction *mnuExcluir = nullptr;
    QAction *mnuProcurar = nullptr;
    QAction *mnuVerificar = nullptr;
    QAction *mnuCancelar = nullptr;
    QAction *mnuConfirmar = nullptr;

    QWidget *panMenu = nullptr;
    QToolButton *sbtIncluir = nullptr;
    QToolButton *sbtAlterar = nullptr;
    QToolButton *sbtExcluir = nullptr;
    QToolButton *sbtProcurar = nullptr;
    QToolButton *sbtVerificar = nullptr;
    QToolButton *sbtCancelar = nullptr;
    QToolButton *sbtConfirmar = nullptr;
    QToolButton *sbtImprimir = nullptr;
    QToolButton *sbtAjuda = nullptr;
    QToolButton *sbtFechar = nullptr;
    QLabel *lblCodTela = nullptr;

    QWidget *panTopo
        = nullptr; // between the command bar and the pages, for the window's own panels
    QVBoxLayout *panTopoLayout = nullptr;
    QTabWidget *pgcPadrao = nullptr;
    QWidget *tshFolhaDados = nullptr;
    QWidget *tshFormulario = nullptr;
    QVBoxLayout *tshFolhaDadosLayout = nullptr;
    QVBoxLayout *tshFormularioLayout = nullptr;
    QWidget *panNavigator = nullptr;
    QHBoxLayout *panNavigatorLayout = nullptr;
    TDataSource *dtsPadrao = nullptr;
    TDBGrid *dbgPadrao = nullptr;
    TDBNavigator *dbnPadrao = nullptr;

protected:
    virtual void FormShow() { }
    virtual void FormClose(TCloseAction &action);

    // The commands; the base does the dataset action on dtsPadrao's dataset: Incluir shows the
    // form page and inserts, Alterar edits, Excluir asks and deletes, Procurar looks a row up,
    // Cancelar asks ("Canc") and cancels, Confirmar posts. Verificar does nothing here.
    virtual void Incluir();
    virtual void Alterar();
    virtual void Excluir();
    virtual void Procurar();
    virtual void Verificar() { }
    virtual void Cancelar();
    virtual void Confirmar();
    // After every state change of dtsPadrao: the base enables the commands by the state.
    virtual void DataStateChanged();
    // The list grid's keys (Enter shows the form page); descendants call it first.
    virtual void dbgPadraoKeyDown(int &key, Qt::KeyboardModifiers modifiers);
    virtual void MostrarFormulario();
    virtual void MostrarListagem();

    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QAction *addCommand(QMenu *menu, const QString &name, const QString &textKey,
                        void (TfrmPadrao::*handler)());
    QToolButton *addButton(QHBoxLayout *bar, QAction *action, const QString &name);

    QPointer<QMdiSubWindow> m_subWindow;
    QHBoxLayout *m_commandBar = nullptr;
    int m_commandInsertAt = 0;
    bool m_shownOnce = false;
};
