#pragma once

#include "TfrmRotiGeral.h"

#include <QPointer>

// The filter of the editor's list: created once, hidden on close, keeps its criteria.
class TfrmFiltroCTe : public TfrmRotiGeral
{
    Q_OBJECT
public:
    explicit TfrmFiltroCTe(QWidget *parent = nullptr);

protected:
    void FormShow() override;
    void FormClose(TCloseAction &action) override;
    void sbtConfirmaClick() override;
    void sbtCancelClick() override;
};

namespace Cli_Dfs88100 {

inline constexpr char16_t kCodTela[] = u"DFS88100";

extern QPointer<TfrmFiltroCTe> frmFiltroCTe;
extern bool boConfirma;
extern bool boActive;
extern QString stListaTipoOper;
extern QString stCdClienteToma, stIdTpIJurClieToma, stCdFornecedorToma, stIdTpIJurFornToma;
extern QString stCdClienteReme, stIdTpIJurClieReme, stCdFornecedorReme, stIdTpIJurFornReme;
extern QString stCdClienteExpe, stIdTpIJurClieExpe, stCdFornecedorExpe, stIdTpIJurFornExpe;
extern QString stCdClienteRece, stIdTpIJurClieRece, stCdFornecedorRece, stIdTpIJurFornRece;
extern QString stCdClienteDest, stIdTpIJurClieDest, stCdFornecedorDest, stIdTpIJurFornDest;

// Shows the filter modally (created on first use); true when the user confirmed.
bool CriaFiltroCTe();

// The unit's state at package load; a filter window still alive is released.
void ResetUnit();

} // namespace Cli_Dfs88100
