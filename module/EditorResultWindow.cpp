#include "EditorResultWindow.h"

#include "Cli_Dfs88000.h"
#include "DBGrid.h"
#include "DataSource.h"
#include "Messages.h"
#include "ModuleCatalogues.h"

#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TEditorResultWindow::TEditorResultWindow(QWidget *parent, const QString &windowName,
                                         const QString &catalogue, const QString &gridName,
                                         const QString &editorDataSource)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint
                  | Qt::WindowCloseButtonHint)
    , m_editorDataSource(editorDataSource)
{
    setObjectName(windowName);
    msgPadrao = new TMessages(this, u"msgPadrao"_s);
    CarregaCatalogo(msgPadrao, catalogue);
    setWindowTitle(msgPadrao->Msg(u"TITULO_JANELA"_s));
    m_layout = new QVBoxLayout(this);
    m_grid = new TDBGrid(this, gridName);
    m_grid->SetRowSelect(true);
    m_grid->SetEditing(false);
    m_grid->SetReadOnly(true);
    m_layout->addWidget(m_grid);
    resize(640, 360);
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TEditorResultWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    TDataSource *source = Cli_Dfs88000::frmCTe
        ? Cli_Dfs88000::frmCTe->findChild<TDataSource *>(m_editorDataSource)
        : nullptr;
    m_grid->SetDataSource(source);
}
