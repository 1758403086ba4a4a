#pragma once

#include "EditorResultWindow.h"

#include <QPointer>

// The return-detail window: the per-document result of the DACTE generation, from the editor's
// data (dtsDetalheRetorno).
class TfrmDetalheRetorno : public TEditorResultWindow
{
    Q_OBJECT
public:
    explicit TfrmDetalheRetorno(QWidget *parent = nullptr);

    // Read-only; shows the editor's dtsDetalheRetorno.
    TDBGrid *dbgDetalheRetorno = nullptr;
};

namespace Cli_Dfs88600 {

extern QPointer<TfrmDetalheRetorno> frmDetalheRetorno;
extern bool boIdCriado;

// Shows the window modally, created on first use.
void CriaDetalheRetorno();

// The unit's state at package load (tests call it between cases).
void ResetUnit();

} // namespace Cli_Dfs88600
