#pragma once

#include "TfrmPadrao.h"

#include <QPointer>
#include <QStringList>

class TNetConnection;

// The CT-e editor: an MDI child maintenance window.
class TfrmCTe : public TfrmPadrao
{
    Q_OBJECT
public:
    explicit TfrmCTe(QWidget *parent = nullptr);

    // The application server (host and port set from the login values before each connect).
    TNetConnection *netCTe = nullptr;

protected:
    void FormClose(TCloseAction &action) override;
};

namespace Cli_Dfs88000 {

inline constexpr char16_t kCodTela[] = u"DFS88000";

extern QPointer<TfrmCTe> frmCTe;
extern bool boStCriado;
extern bool boModoLeitura;
extern QString stVersaoProcesso;
extern QString stCdArvProdAux;
extern QString stNrInsJurEmitAux;
extern QString stNrInsJurRemeAux;
extern QString stNrInsJurTomaAux;
extern QString stNrInsJurExpeAux;
extern QString stNrInsJurReceAux;
extern QString stNrInsJurDestAux;
extern qint32 inCount;
extern double doVrTotaPrestServ;
extern QStringList slCTeCompValor;
extern QStringList slCTeDocFiscais;

// Creates the editor on first use and shows it as an MDI child, restored to normal size.
void CriaCTe();

// The unit's state at package load (tests call it between cases).
void ResetUnit();

} // namespace Cli_Dfs88000
