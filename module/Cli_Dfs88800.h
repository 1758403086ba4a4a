#pragma once

#include "DataPacket.h"
#include "TfrmRotiGeral.h"

#include <QPointer>
#include <QVariantList>

class QGroupBox;
class QTableWidget;
class QToolButton;
class TDBEdit;
class TDateEditPlus;

// The correction-letter dialog: shows the editor's current document, takes the corrections
// (group, field, new value, item number when the group repeats, from the layout's list) and lists
// the letters already registered, each printable.
class TfrmCartaCorrecaoCTe : public TfrmRotiGeral
{
    Q_OBJECT
public:
    explicit TfrmCartaCorrecaoCTe(QWidget *parent = nullptr);

    QGroupBox *grbCte = nullptr;
    TDBEdit *dbeNumeroCTe = nullptr;
    TDBEdit *dbeNrAcessoCTe = nullptr;
    QGroupBox *grbCorrecoes = nullptr;
    QTableWidget *grdCorrecoes = nullptr;
    QToolButton *btnIncluiCorrecao = nullptr;
    QToolButton *btnExcluiCorrecao = nullptr;
    QGroupBox *grbCartas = nullptr;
    QTableWidget *grdCartas = nullptr;
    QToolButton *btnImprimeCarta = nullptr;

    // A new row of the corrections grid with group and field chosen; the row.
    int IncluiCorrecao(const QString &grupo = {}, const QString &campo = {});
    void CarregaCartas();

protected:
    void FormShow() override;
    void FormClose(TCloseAction &action) override;
    void sbtConfirmaClick() override;
    void sbtCancelClick() override;

private:
    void preencheCampos(int row);
    void btnImprimeCartaClick();
};

namespace Cli_Dfs88800 {

extern QPointer<TfrmCartaCorrecaoCTe> frmCartaCorrecaoCTe;
extern bool boIdCriado;
extern bool boConfirma;
extern contracts::DataPacket pacCorrecoes;

// Shows the dialog modally; always returns two elements: whether the user confirmed and the
// packet of corrections last stored.
QVariantList CriaCartaCorrecaoCTe();

// The unit's state at package load (tests call it between cases).
void ResetUnit();

} // namespace Cli_Dfs88800
