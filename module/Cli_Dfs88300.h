#pragma once

#include "TfrmDadosGerRel.h"

#include <QPointer>

// The DACTE report window: prints the DACTE of one document through report "DFS890".
class TfrmDACTE : public TfrmDadosGerRel
{
    Q_OBJECT
public:
    explicit TfrmDACTE(QWidget *parent = nullptr);

protected:
    void FormClose(TCloseAction &action) override;
};

namespace Cli_Dfs88300 {

extern QPointer<TfrmDACTE> frmDACTE;
extern bool boIdCriado;
extern double flCdCTe;

// Shows the DACTE window modally for the document of internal code `CdCTe`.
void CriaDACTE(double CdCTe);

// The unit's state at package load (tests call it between cases).
void ResetUnit();

} // namespace Cli_Dfs88300
