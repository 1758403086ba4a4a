#pragma once

#include "TfrmRotiGeral.h"

#include <QPointer>

// The batch status window: updates the situation of transmitted documents.
class TfrmAtualizaLoteCTe : public TfrmRotiGeral
{
    Q_OBJECT
public:
    explicit TfrmAtualizaLoteCTe(QWidget *parent = nullptr);

protected:
    void FormClose(TCloseAction &action) override;
};

namespace Cli_Dfs88200 {

extern QPointer<TfrmAtualizaLoteCTe> frmAtualizaLoteCTe;
extern bool boIdCriado;

// Shows the window modally, created on first use.
void CriaAtualizaLoteCTe();

// The unit's state at package load (tests call it between cases).
void ResetUnit();

} // namespace Cli_Dfs88200
