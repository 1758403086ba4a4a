#pragma once

#include "TfrmRotiGeral.h"

#include <QPointer>

class QGroupBox;
class QLineEdit;
class QTableWidget;
class TMemoParagrafo;

// The number-voiding window, opened from the host's menu: company, state registration, series,
// first and last number and reason of a range never to be used, sent through the editor's
// connection (InutilizaCTe), and the ranges the company voided before.
class TfrmInutilizaCTe : public TfrmRotiGeral
{
    Q_OBJECT
public:
    explicit TfrmInutilizaCTe(QWidget *parent = nullptr);

    QGroupBox *grbFaixa = nullptr;
    QLineEdit *edtEmpresa = nullptr;
    QLineEdit *edtInscricao = nullptr;
    QLineEdit *edtSerie = nullptr;
    QLineEdit *edtNumeroInicial = nullptr;
    QLineEdit *edtNumeroFinal = nullptr;
    QGroupBox *grbMotivo = nullptr;
    TMemoParagrafo *memMotivo = nullptr;
    QGroupBox *grbInutilizadas = nullptr;
    QTableWidget *grdInutilizadas = nullptr;

    void CarregaInutilizadas();

protected:
    void FormShow() override;
    void FormClose(TCloseAction &action) override;
    void sbtConfirmaClick() override;
};

namespace Cli_Dfs88900 {

extern QPointer<TfrmInutilizaCTe> frmInutilizaCTe;
extern bool boIdCriado;

// Shows the window modally.
void CriaInutilizaCTe();

// The unit's state at package load (tests call it between cases).
void ResetUnit();

} // namespace Cli_Dfs88900
