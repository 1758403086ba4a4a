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
    m_layout->setContentsMargins(0, 0, 0, 0);
    // The grid shows in the tooltip colour (clInfoBk).
    QPalette palette = m_grid->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::ToolTipBase));
    m_grid->setPalette(palette);
    PosicionaNoCentro(QSize(640, 360));
}

void TEditorResultWindow::PosicionaNoCentro(const QSize &size)
{
    resize(size);
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
