#include "MainWindow.h"

#include "Exceptions.h"
#include "HostCatalogue.h"
#include "HostWindow.h"
#include "Orvglob.h"
#include "PackageLoader.h"

#include <QAction>
#include <QCloseEvent>
#include <QInputDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

using namespace Qt::StringLiterals;

namespace {
using IniProcFn = void (*)();
using CriaAtualizaLoteCTeFn = void (*)();
using CriaDACTEFn = void (*)(double);
using CriaInutilizaCTeFn = void (*)();
} // namespace

TMainWindow::TMainWindow(TPackageLoader *package, QWidget *parent)
    : QMainWindow(parent)
    , m_package(package)
{
    setObjectName(u"frmPrincipal"_s);
    setWindowTitle(HostMsg(u"HOST_TITULO"_s));
    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setObjectName(u"mdiArea"_s);
    setCentralWidget(m_mdiArea);
    SetHostMdiArea(m_mdiArea);

    auto addAction = [this](QMenu *menu, const QString &name, const QString &key, auto handler) {
        QAction *a = menu->addAction(HostMsg(key));
        a->setObjectName(name);
        connect(a, &QAction::triggered, this,
                [this, handler] { FrameworkGuard([this, handler] { (this->*handler)(); }); });
        return a;
    };

    QMenu *file = menuBar()->addMenu(HostMsg(u"HOST_MNU_ARQUIVO"_s));
    file->setObjectName(u"mnuArquivo"_s);
    QAction *quit = file->addAction(HostMsg(u"HOST_MNU_SAIR"_s));
    quit->setObjectName(u"actSair"_s);
    connect(quit, &QAction::triggered, this, &QWidget::close);

    QMenu *cte = menuBar()->addMenu(HostMsg(u"HOST_MNU_CTE"_s));
    cte->setObjectName(u"mnuCTe"_s);
    addAction(cte, u"actEditorCTe"_s, u"HOST_MNU_EDITOR"_s, &TMainWindow::AbrirEditorCTe);
    addAction(cte, u"actAtualizaLoteCTe"_s, u"HOST_MNU_LOTE"_s, &TMainWindow::AbrirAtualizaLoteCTe);
    addAction(cte, u"actDACTE"_s, u"HOST_MNU_DACTE"_s, &TMainWindow::AbrirDACTE);
    addAction(cte, u"actInutilizaCTe"_s, u"HOST_MNU_INUTILIZA"_s, &TMainWindow::AbrirInutilizaCTe);

    QMenu *windows = menuBar()->addMenu(HostMsg(u"HOST_MNU_JANELA"_s));
    windows->setObjectName(u"mnuJanela"_s);
    QAction *cascade = windows->addAction(HostMsg(u"HOST_MNU_CASCATA"_s));
    cascade->setObjectName(u"actCascata"_s);
    connect(cascade, &QAction::triggered, m_mdiArea, &QMdiArea::cascadeSubWindows);
    QAction *tile = windows->addAction(HostMsg(u"HOST_MNU_LADO_A_LADO"_s));
    tile->setObjectName(u"actLadoALado"_s);
    connect(tile, &QAction::triggered, m_mdiArea, &QMdiArea::tileSubWindows);

    auto *status = new QLabel(this);
    status->setObjectName(u"lblStatus"_s);
    statusBar()->addWidget(status, 1);
    refreshStatus();
    resize(1280, 800);
}

void TMainWindow::refreshStatus()
{
    auto *status = findChild<QLabel *>(u"lblStatus"_s);
    status->setText(HostMsg(u"HOST_STATUS"_s)
                        .arg(Orvglob::UsuarioProc, Orvglob::EmprProc, Orvglob::FiliProc,
                             Orvglob::DataProc.toString(u"dd/MM/yyyy"_s), Orvglob::WebURL,
                             QString::number(Orvglob::WebPort)));
}

void TMainWindow::AbrirEditorCTe()
{
    m_package->Function<IniProcFn>("IniProc")();
}

void TMainWindow::AbrirAtualizaLoteCTe()
{
    m_package->Function<CriaAtualizaLoteCTeFn>("CriaAtualizaLoteCTe")();
}

void TMainWindow::AbrirDACTE()
{
    auto criaDACTE = m_package->Function<CriaDACTEFn>("CriaDACTE");
    QInputDialog ask(this);
    ask.setObjectName(u"dlgCodigoDACTE"_s);
    ask.setWindowTitle(HostMsg(u"HOST_DACTE_TITULO"_s));
    ask.setLabelText(HostMsg(u"HOST_DACTE_CODIGO"_s));
    ask.setInputMode(QInputDialog::IntInput);
    ask.setIntRange(1, 2147483647);
    ask.setIntValue(1);
    if (ask.exec() != QDialog::Accepted)
        return;
    criaDACTE(double(ask.intValue()));
}

void TMainWindow::AbrirInutilizaCTe()
{
    m_package->Function<CriaInutilizaCTeFn>("CriaInutilizaCTe")();
}

void TMainWindow::closeEvent(QCloseEvent *event)
{
    // The package's windows close first; one that refuses keeps the host open.
    m_mdiArea->closeAllSubWindows();
    if (!m_mdiArea->subWindowList().isEmpty()) {
        event->ignore();
        return;
    }
    event->accept();
}
