#pragma once

#include "TfrmDadosGerRel.h"

#include <QHash>
#include <QPointer>

class TClientDataSet;
class TDataSource;
class TField;

// The DACTE report window: prints the DACTE of one document through report "DFS890". Before the
// report runs, the document's sets come from the server (PreparaDACTe) into the datasets
// cdsDACTe + set name, each read through dtsDACTe + set name, and the report's derived sets are
// built from them.
class TfrmDACTE : public TfrmDadosGerRel
{
    Q_OBJECT
public:
    explicit TfrmDACTE(QWidget *parent = nullptr);

    // The datasets of the server's sets, by set name ("Ide", "InfProt", …).
    QHash<QString, TClientDataSet *> cdsDACTe;
    TClientDataSet *cdsDACTeInfQAux = nullptr;
    TClientDataSet *cdsDACTeCompAux = nullptr;
    TClientDataSet *cdsDACTeInfDoc = nullptr;
    TClientDataSet *cdsDACTeInfDocAux = nullptr;
    TClientDataSet *cdsDACTePaginas = nullptr;
    TDataSource *DataSource1 = nullptr;

    void rpddPadraoBeforeGetQueryParams();
    void cdsDACTeIdedhEmiGetText(TField *sender, QString &text, bool displayText);
    void cdsDACTeInfProtdhRecbtoGetText(TField *sender, QString &text, bool displayText);
    void cdsDACTeIdetpCTeGetText(TField *sender, QString &text, bool displayText);
    void cdsDACTeIdetpServGetText(TField *sender, QString &text, bool displayText);

protected:
    void FormClose(TCloseAction &action) override;

private:
    TClientDataSet *criaDataSet(const QString &name, const QString &sourceName = {});
    void ligaTextos();
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
