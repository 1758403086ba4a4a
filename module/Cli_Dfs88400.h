#pragma once

#include "TfrmRotiGeral.h"

#include <QPointer>
#include <QVariantList>

// The cancellation dialog: asks the justification for cancelling an accepted document.
class TfrmCancelaCTe : public TfrmRotiGeral
{
    Q_OBJECT
public:
    explicit TfrmCancelaCTe(QWidget *parent = nullptr);

protected:
    void FormClose(TCloseAction &action) override;
};

namespace Cli_Dfs88400 {

extern QPointer<TfrmCancelaCTe> frmCancelaCTe;
extern bool boIdCriado;
extern bool boConfirma;
extern QString stMotivoCancelaCTe;

// Shows the dialog modally; always returns two elements: whether the user confirmed and
// the justification last stored.
QVariantList CriaCancelaCTe();

// The unit's state at package load (tests call it between cases).
void ResetUnit();

} // namespace Cli_Dfs88400
