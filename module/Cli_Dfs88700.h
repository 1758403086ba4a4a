#pragma once

#include "EditorResultWindow.h"

#include <QPointer>

// The result-list window: the per-document result of a transmission, from the editor's data
// (dtsResultNotaFiscal).
class TfrmObservacao : public TEditorResultWindow
{
    Q_OBJECT
public:
    explicit TfrmObservacao(QWidget *parent = nullptr);

    // Read-only; shows the editor's dtsResultNotaFiscal.
    TDBGrid *dbgObservacao = nullptr;
};

namespace Cli_Dfs88700 {

extern QPointer<TfrmObservacao> frmObservacao;
extern bool boIdCriado;

// Shows the window modally, created on first use.
void CriaObservacao();

// The unit's state at package load (tests call it between cases).
void ResetUnit();

} // namespace Cli_Dfs88700
