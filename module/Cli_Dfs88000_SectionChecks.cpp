// The checks of the document's sections, in the order the validation before a post calls them.
// Each section brings its own check with its page (route and service, cargo); until it does, the
// check here accepts the document as it is.
#include "Cli_Dfs88000.h"

#include "ClientDataSet.h"

using namespace Qt::StringLiterals;
using namespace Cli_Dfs88000;

void TfrmCTe::Vd_TipoOperac(bool) { }
void TfrmCTe::Vd_Pais(bool, TDBEdit *) { }
void TfrmCTe::Vd_Estado(bool, TDBEdit *) { }
void TfrmCTe::Vd_Municipio(bool, TDBEdit *) { }
void TfrmCTe::Vd_Produto(bool) { }

// What the fiscal result depends on changed: the product must be accepted again (when asked) and
// the value components and taxes go.
void TfrmCTe::LimpaDadosServico(bool boLimpaProduto)
{
    if (boLimpaProduto) {
        for (const char16_t *name :
             {u"CDARVPROD", u"NMPRODUTO", u"VRTOTAPRESTSERV", u"VRTOTARECEBER"}) {
            TField *f = cdsCTe->FieldByName(QString::fromUtf16(name));
            if (!f->IsNull())
                f->Clear();
        }
        stCdArvProdAux.clear();
        doVrTotaPrestServ = 0;
    }
    if (cdsCTe->State() != dsEdit && cdsCTe->State() != dsInsert)
        return;
    while (!cdsCTeCompValor->IsEmpty()) {
        cdsCTeCompValor->First();
        cdsCTeCompValor->Delete();
    }
    const TDataSetNotifyEvent recusa = std::exchange(cdsCTeImpostos->BeforeDelete, nullptr);
    try {
        while (!cdsCTeImpostos->IsEmpty()) {
            cdsCTeImpostos->First();
            cdsCTeImpostos->Delete();
        }
    } catch (...) {
        cdsCTeImpostos->BeforeDelete = recusa;
        throw;
    }
    cdsCTeImpostos->BeforeDelete = recusa;
}
