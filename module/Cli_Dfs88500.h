#pragma once

#include "TfrmRotiGeral.h"

#include <QPointer>

// The e-mail result window.
class TfrmEnvioEmailCTe : public TfrmRotiGeral
{
    Q_OBJECT
public:
    explicit TfrmEnvioEmailCTe(QWidget *parent = nullptr);

protected:
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
