#include "TfrmPadrao.h"

#include "ContainerFocus.h"

#include "ClientDataSet.h"
#include "DBGrid.h"
#include "DBNavigator.h"
#include "DataSource.h"
#include "Exceptions.h"
#include "HostWindow.h"
#include "Lookup.h"
#include "Messages.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TfrmPadrao::TfrmPadrao(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(u"frmPadrao"_s);
    msgPadrao = new TMessages(this, u"msgPadrao"_s);
    msgMensagensPadroes = new TMessages(this, u"msgMensagensPadroes"_s);
    msgMensagensPadroes->SetLines(
        {u"Canc|"_s + FwMsg(u"FW_PADRAO_CANC"_s), u"Excl|"_s + FwMsg(u"FW_PADRAO_EXCL"_s)});

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    mnuPrincipal = new QMenuBar(this);
    mnuPrincipal->setObjectName(u"mnuPrincipal"_s);
    mnuPrincipal->setNativeMenuBar(false);
    outer->addWidget(mnuPrincipal);

    mnuOperacao = mnuPrincipal->addMenu(FwMsg(u"FW_MNU_OPERACAO"_s));
    mnuOperacao->setObjectName(u"mnuOperacao"_s);
    mnuFormulario = addCommand(mnuOperacao, u"mnuFormulario"_s, u"FW_MNU_DADOS"_s,
                               &TfrmPadrao::MostrarFormulario);
    mnuListagem = addCommand(mnuOperacao, u"mnuListagem"_s, u"FW_MNU_LISTAGEM"_s,
                             &TfrmPadrao::MostrarListagem);
    mnuOperacao->addSeparator();
    mnuConfImpressora = mnuOperacao->addAction(FwMsg(u"FW_MNU_CONF_IMPRESSORA"_s));
    mnuConfImpressora->setObjectName(u"mnuConfImpressora"_s);

    mnuManutencao = mnuPrincipal->addMenu(FwMsg(u"FW_MNU_MANUTENCAO"_s));
    mnuManutencao->setObjectName(u"mnuManutencao"_s);
    mnuIncluir
        = addCommand(mnuManutencao, u"mnuIncluir"_s, u"FW_CMD_INCLUIR"_s, &TfrmPadrao::Incluir);
    mnuAlterar
        = addCommand(mnuManutencao, u"mnuAlterar"_s, u"FW_CMD_ALTERAR"_s, &TfrmPadrao::Alterar);
    mnuExcluir
        = addCommand(mnuManutencao, u"mnuExcluir"_s, u"FW_CMD_EXCLUIR"_s, &TfrmPadrao::Excluir);
    mnuProcurar
        = addCommand(mnuManutencao, u"mnuProcurar"_s, u"FW_CMD_PROCURAR"_s, &TfrmPadrao::Procurar);
    mnuVerificar = addCommand(mnuManutencao, u"mnuVerificar"_s, u"FW_CMD_VERIFICAR"_s,
                              &TfrmPadrao::Verificar);
    mnuCancelar
        = addCommand(mnuManutencao, u"mnuCancelar"_s, u"FW_CMD_CANCELAR"_s, &TfrmPadrao::Cancelar);
    mnuConfirmar = addCommand(mnuManutencao, u"mnuConfirmar"_s, u"FW_CMD_CONFIRMAR"_s,
                              &TfrmPadrao::Confirmar);
    mnuIncluir->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    mnuAlterar->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    mnuExcluir->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    mnuProcurar->setIcon(style()->standardIcon(QStyle::SP_FileDialogListView));
    mnuVerificar->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    mnuCancelar->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    mnuConfirmar->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));

    panMenu = new QWidget(this);
    panMenu->setObjectName(u"panMenu"_s);
    m_commandBar = new QHBoxLayout(panMenu);
    m_commandBar->setContentsMargins(4, 2, 4, 2);
    m_commandBar->setSpacing(2);
    sbtIncluir = addButton(m_commandBar, mnuIncluir, u"sbtIncluir"_s);
    sbtAlterar = addButton(m_commandBar, mnuAlterar, u"sbtAlterar"_s);
    sbtExcluir = addButton(m_commandBar, mnuExcluir, u"sbtExcluir"_s);
    sbtProcurar = addButton(m_commandBar, mnuProcurar, u"sbtProcurar"_s);
    sbtVerificar = addButton(m_commandBar, mnuVerificar, u"sbtVerificar"_s);
    sbtCancelar = addButton(m_commandBar, mnuCancelar, u"sbtCancelar"_s);
    sbtConfirmar = addButton(m_commandBar, mnuConfirmar, u"sbtConfirmar"_s);
    m_commandBar->addSpacing(12);
    m_commandInsertAt = m_commandBar->count();

    sbtImprimir = new QToolButton(panMenu);
    sbtImprimir->setObjectName(u"sbtImprimir"_s);
    sbtImprimir->setToolTip(FwMsg(u"FW_CMD_IMPRIMIR"_s));
    sbtImprimir->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    sbtAjuda = new QToolButton(panMenu);
    sbtAjuda->setObjectName(u"sbtAjuda"_s);
    sbtAjuda->setToolTip(FwMsg(u"FW_CMD_AJUDA"_s));
    sbtAjuda->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    sbtFechar = new QToolButton(panMenu);
    sbtFechar->setObjectName(u"sbtFechar"_s);
    sbtFechar->setToolTip(FwMsg(u"FW_CMD_FECHAR"_s));
    sbtFechar->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    connect(sbtFechar, &QToolButton::clicked, this, [this] { Close(); });
    lblCodTela = new QLabel(panMenu);
    lblCodTela->setObjectName(u"lblCodTela"_s);
    m_commandBar->addWidget(sbtImprimir);
    m_commandBar->addStretch(1);
    m_commandBar->addWidget(sbtAjuda);
    m_commandBar->addWidget(sbtFechar);
    m_commandBar->addSpacing(8);
    m_commandBar->addWidget(lblCodTela);
    outer->addWidget(panMenu);

    panTopo = new QWidget(this);
    panTopo->setObjectName(u"panTopo"_s);
    panTopoLayout = new QVBoxLayout(panTopo);
    panTopoLayout->setContentsMargins(4, 0, 4, 0);
    outer->addWidget(panTopo);

    pgcPadrao = new QTabWidget(this);
    pgcPadrao->setObjectName(u"pgcPadrao"_s);
    tshFolhaDados = new QWidget;
    tshFolhaDados->setObjectName(u"tshFolhaDados"_s);
    tshFolhaDadosLayout = new QVBoxLayout(tshFolhaDados);
    tshFormulario = new QWidget;
    tshFormulario->setObjectName(u"tshFormulario"_s);
    tshFormularioLayout = new QVBoxLayout(tshFormulario);
    pgcPadrao->addTab(tshFolhaDados, FwMsg(u"FW_MNU_LISTAGEM"_s));
    pgcPadrao->addTab(tshFormulario, FwMsg(u"FW_MNU_DADOS"_s));
    outer->addWidget(pgcPadrao, 1);

    panNavigator = new QWidget(this);
    panNavigator->setObjectName(u"panNavigator"_s);
    panNavigatorLayout = new QHBoxLayout(panNavigator);
    panNavigatorLayout->setContentsMargins(4, 2, 4, 2);
    outer->addWidget(panNavigator);

    dtsPadrao = new TDataSource(this, u"dtsPadrao"_s);
    connect(dtsPadrao, &TDataSource::StateChange, this,
            [this] { FrameworkGuard([this] { DataStateChanged(); }); });
    dbgPadrao = new TDBGrid(tshFolhaDados, u"dbgPadrao"_s);
    dbgPadrao->SetDataSource(dtsPadrao);
    dbgPadrao->SetRowSelect(true);
    dbgPadrao->SetEditing(false);
    dbgPadrao->OnKeyDown = [this](int &key, Qt::KeyboardModifiers modifiers) {
        dbgPadraoKeyDown(key, modifiers);
    };
    tshFolhaDadosLayout->addWidget(dbgPadrao, 1);
    dbnPadrao = new TDBNavigator(panNavigator, u"dbnPadrao"_s);
    dbnPadrao->SetVisibleButtons(
        {TDBNavigator::nbFirst, TDBNavigator::nbPrior, TDBNavigator::nbNext, TDBNavigator::nbLast});
    dbnPadrao->SetDataSource(dtsPadrao);
    panNavigatorLayout->addWidget(dbnPadrao, 0, Qt::AlignLeft);
    DataStateChanged();
}

void TfrmPadrao::Incluir()
{
    TClientDataSet *ds = dtsPadrao->DataSet();
    if (!ds)
        return;
    MostrarFormulario();
    ds->Insert();
}

void TfrmPadrao::Alterar()
{
    if (TClientDataSet *ds = dtsPadrao->DataSet())
        ds->Edit();
}

void TfrmPadrao::Excluir()
{
    TClientDataSet *ds = dtsPadrao->DataSet();
    if (!ds || ds->IsEmpty())
        return;
    if (msgMensagensPadroes->ShowMsg(u"Excl"_s, TMsgKind::Question, mbYes | mbNo, mbNo) == mbYes)
        ds->Delete();
}

void TfrmPadrao::Procurar()
{
    if (dtsPadrao->DataSet())
        Pesquisar(dtsPadrao, windowTitle());
}

void TfrmPadrao::Cancelar()
{
    TClientDataSet *ds = dtsPadrao->DataSet();
    if (!ds || (ds->State() != dsEdit && ds->State() != dsInsert))
        return;
    if (msgMensagensPadroes->ShowMsg(u"Canc"_s, TMsgKind::Question, mbYes | mbNo, mbNo) == mbYes)
        ds->Cancel();
}

void TfrmPadrao::Confirmar()
{
    if (TClientDataSet *ds = dtsPadrao->DataSet())
        ds->Post();
}

void TfrmPadrao::DataStateChanged()
{
    const TDataSetState state = dtsPadrao->State();
    const bool browsing = state == dsBrowse;
    const bool editing = state == dsEdit || state == dsInsert;
    const bool empty = !dtsPadrao->DataSet() || dtsPadrao->DataSet()->IsEmpty();
    mnuIncluir->setEnabled(browsing);
    mnuAlterar->setEnabled(browsing && !empty);
    mnuExcluir->setEnabled(browsing && !empty);
    mnuProcurar->setEnabled(browsing && !empty);
    mnuVerificar->setEnabled(browsing);
    mnuCancelar->setEnabled(editing);
    mnuConfirmar->setEnabled(editing);
    // Only the window's own close stays while browsing: leaving with a pending edit is refused.
    sbtFechar->setEnabled(!editing);
}

void TfrmPadrao::dbgPadraoKeyDown(int &key, Qt::KeyboardModifiers)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        key = 0;
        MostrarFormulario();
    }
}

QAction *TfrmPadrao::addCommand(QMenu *menu, const QString &name, const QString &textKey,
                                void (TfrmPadrao::*handler)())
{
    QAction *action = menu->addAction(FwMsg(textKey));
    action->setObjectName(name);
    action->setToolTip(FwMsg(textKey));
    connect(action, &QAction::triggered, this,
            [this, handler] { FrameworkGuard([this, handler] { (this->*handler)(); }); });
    return action;
}

QToolButton *TfrmPadrao::addButton(QHBoxLayout *bar, QAction *action, const QString &name)
{
    auto *button = new QToolButton(panMenu);
    button->setObjectName(name);
    // The button follows its menu item: text, hint, icon and enabled state.
    button->setDefaultAction(action);
    button->setAutoRaise(true);
    bar->addWidget(button);
    return button;
}

QToolButton *TfrmPadrao::AddCommandButton(QAction *action, const QString &buttonName)
{
    auto *button = new QToolButton(panMenu);
    button->setObjectName(buttonName);
    button->setDefaultAction(action);
    button->setAutoRaise(true);
    m_commandBar->insertWidget(m_commandInsertAt++, button);
    return button;
}

void TfrmPadrao::SetCodTela(const QString &code)
{
    lblCodTela->setText(code);
}

void TfrmPadrao::Show()
{
    QMdiArea *area = HostMdiArea();
    if (area && !m_subWindow) {
        const QSize wanted = size();
        m_subWindow = area->addSubWindow(this);
        m_subWindow->setWindowTitle(windowTitle());
        m_subWindow->resize(wanted + QSize(8, 30));
    }
    if (m_subWindow) {
        if (!m_subWindow->isVisible())
            m_subWindow->show();
        m_subWindow->mdiArea()->setActiveSubWindow(m_subWindow);
        m_subWindow->raise();
    } else {
        if (!isVisible())
            show();
        raise();
        activateWindow();
    }
}

void TfrmPadrao::Close()
{
    if (m_subWindow)
        m_subWindow->close();
    else
        close();
}

void TfrmPadrao::SetWindowState(TWindowState state)
{
    QWidget *frame = m_subWindow ? static_cast<QWidget *>(m_subWindow) : this;
    switch (state) {
    case wsNormal:
        if (frame->isMinimized() || frame->isMaximized())
            frame->showNormal();
        break;
    case wsMinimized:
        frame->showMinimized();
        break;
    case wsMaximized:
        frame->showMaximized();
        break;
    }
}

TWindowState TfrmPadrao::WindowState() const
{
    const QWidget *frame = m_subWindow ? static_cast<const QWidget *>(m_subWindow) : this;
    if (frame->isMinimized())
        return wsMinimized;
    if (frame->isMaximized())
        return wsMaximized;
    return wsNormal;
}

void TfrmPadrao::MostrarFormulario()
{
    if (pgcPadrao->isTabEnabled(pgcPadrao->indexOf(tshFormulario)))
        pgcPadrao->setCurrentWidget(tshFormulario);
}

void TfrmPadrao::MostrarListagem()
{
    if (pgcPadrao->isTabEnabled(pgcPadrao->indexOf(tshFolhaDados)))
        pgcPadrao->setCurrentWidget(tshFolhaDados);
}

void TfrmPadrao::FormClose(TCloseAction &action)
{
    action = caFree;
}

void TfrmPadrao::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Once per window: an MDI child restored from an icon is not shown anew.
    if (m_shownOnce || event->spontaneous())
        return;
    m_shownOnce = true;
    FrameworkGuard([this] { FormShow(); });
}

void TfrmPadrao::closeEvent(QCloseEvent *event)
{
    TCloseAction action = caFree;
    const bool ok = FrameworkGuard([&] { FormClose(action); });
    if (!ok || action == caNone) {
        event->ignore();
        return;
    }
    if (action == caMinimize) {
        event->ignore();
        SetWindowState(wsMinimized);
        return;
    }
    event->accept();
    if (m_subWindow) {
        // The MDI frame closes after us and is released with us, or only hidden.
        m_subWindow->setAttribute(Qt::WA_DeleteOnClose, action == caFree);
    } else if (action == caFree) {
        deleteLater();
    }
}

TfrmPadrao::~TfrmPadrao()
{
    // The focus leaves the window while QWidget's destructor runs; by then a descendant's
    // container handlers would call into an object that no longer exists.
    ContainerFocus::UnwatchWithin(this);
}
