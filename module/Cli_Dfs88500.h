#pragma once

#include "TfrmRotiGeral.h"

#include <QPointer>

class TDBGrid;

// The e-mail result window: per document, whether its e-mail went out and why not, from the
// editor's data (dtsEnvioEmailCTe).
class TfrmEnvioEmailCTe : public TfrmRotiGeral
{
    Q_OBJECT
public:
    explicit TfrmEnvioEmailCTe(QWidget *parent = nullptr);

    // Read-only; shows the editor's dtsEnvioEmailCTe.
    TDBGrid *dbgPadrao = nullptr;

protected:
    void FormShow() override;
    void FormClose(TCloseAction &action) override;
};

namespace Cli_Dfs88500 {

extern QPointer<TfrmEnvioEmailCTe> frmEnvioEmailCTe;
extern bool boIdCriado;

// Shows the window modally, created on first use.
void CriaEnvioEmailCTe();

// The unit's state at package load (tests call it between cases).
void ResetUnit();

} // namespace Cli_Dfs88500
