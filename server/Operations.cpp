#include "Operations.h"

#include <QHash>

using namespace Qt::StringLiterals;

Operation findServerOperation(const QString &name)
{
    static const QHash<QString, Operation> operations {
        {u"GetDadosGerais"_s, GetDadosGerais},
        {u"AplicaAlteracoes"_s, AplicaAlteracoes},
        {u"GetEmitente"_s, GetEmitente},
        {u"GetCliente"_s, GetCliente},
        {u"GetFornecedor"_s, GetFornecedor},
        {u"GetDadosServico"_s, GetDadosServico},
        {u"GetCompValorPrest"_s, GetCompValorPrest},
        {u"GetDocFiscais"_s, GetDocFiscais},
        {u"GetProdDocFiscais"_s, GetProdDocFiscais},
        {u"TransmiteCTe"_s, TransmiteCTe},
        {u"PreparaDACTe"_s, PreparaDACTe},
        {u"GerarDACTE"_s, GerarDACTE},
        {u"ConsSituCte"_s, ConsSituCte},
        {u"GetAtualizaLoteCTe"_s, GetAtualizaLoteCTe},
        {u"AtualizaLoteCTe"_s, AtualizaLoteCTe},
        {u"CancelaCTe"_s, CancelaCTe},
        {u"CartaCorrecaoCTe"_s, CartaCorrecaoCTe},
        {u"GetCartaCorrecaoCTe"_s, GetCartaCorrecaoCTe},
        {u"GerarCartaCorrecaoCTe"_s, GerarCartaCorrecaoCTe},
        {u"InutilizaCTe"_s, InutilizaCTe},
        {u"GetInutilizacaoCTe"_s, GetInutilizacaoCTe},
        {u"EnviaEmailCTe"_s, EnviaEmailCTe},
        {u"EnviaEmailPendenteCTe"_s, EnviaEmailPendenteCTe},
        {u"GeraXML"_s, GeraXML},
    };
    return operations.value(name);
}
