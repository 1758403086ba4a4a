#include "StatusCodes.h"

#include <QHash>

using namespace Qt::StringLiterals;

namespace cstat {

namespace {

const QHash<int, QString> &texts()
{
    static const QHash<int, QString> table = {
        {100, u"Autorizado o uso do CTe"_s},
        {101, u"Cancelamento de CTe homologado"_s},
        {102, u"Inutilização de número homologado"_s},
        {107, u"Serviço em Operação"_s},
        {108, u"Serviço Paralisado Momentaneamente (curto prazo)"_s},
        {109, u"Serviço Paralisado sem Previsão"_s},
        {135, u"Evento registrado e vinculado a CTe"_s},
        {201,
         u"Rejeição: O número máximo de numeração de CT-e a inutilizar ultrapassou o limite"_s},
        {203, u"Rejeição: Emissor não habilitado para emissão do CTe"_s},
        {204, u"Rejeição: Duplicidade de CTe"_s},
        {207, u"Rejeição: CNPJ do emitente inválido"_s},
        {212, u"Rejeição: Data de emissão CTe posterior a data de recebimento"_s},
        {213, u"Rejeição: CNPJ-Base do Emitente difere do CNPJ-Base do Certificado Digital"_s},
        {214, u"Rejeição: Tamanho da mensagem excedeu o limite estabelecido"_s},
        {215, u"Rejeição: Falha no schema XML"_s},
        {217, u"Rejeição: CTe não consta na base de dados da SEFAZ"_s},
        {218, u"Rejeição: CTe já está cancelado na base de dados da SEFAZ"_s},
        {220, u"Rejeição: CTe autorizado há mais de 7 dias (168 horas)"_s},
        {222, u"Rejeição: Protocolo de Autorização de Uso difere do cadastrado"_s},
        {224, u"Rejeição: A faixa inicial é maior que a faixa final"_s},
        {227, u"Rejeição: Erro na composição do Campo ID"_s},
        {228, u"Rejeição: Data de Emissão muito atrasada"_s},
        {229, u"Rejeição: IE do emitente não informada"_s},
        {230, u"Rejeição: IE do emitente não cadastrada"_s},
        {231, u"Rejeição: IE do emitente não vinculada ao CNPJ"_s},
        {236, u"Rejeição: Chave de Acesso inválida"_s},
        {239, u"Rejeição: Versão informada para o CTe não suportada"_s},
        {241, u"Rejeição: Um número da faixa já foi utilizado"_s},
        {243, u"Rejeição: XML Mal-formado"_s},
        {244, u"Rejeição: Falha na descompactação da área de dados"_s},
        {247, u"Rejeição: Sigla da UF do Emitente diverge da UF autorizadora"_s},
        {250, u"Rejeição: UF diverge da UF autorizadora"_s},
        {252, u"Rejeição: Ambiente informado diverge do Ambiente de recebimento"_s},
        {253, u"Rejeição: Dígito Verificador da chave de acesso composta inválido"_s},
        {256, u"Rejeição: Um número de CT-e da faixa está inutilizado na Base de dados da SEFAZ"_s},
        {290, u"Rejeição: Certificado Assinatura inválido"_s},
        {291, u"Rejeição: Certificado Assinatura Data Validade"_s},
        {292, u"Rejeição: Certificado Assinatura sem CNPJ / CPF"_s},
        {293, u"Rejeição: Certificado Assinatura - erro Cadeia de Certificação"_s},
        {297, u"Rejeição: Assinatura difere do calculado"_s},
        {298, u"Rejeição: Assinatura difere do padrão do Projeto"_s},
        {402, u"Rejeição: XML da área de dados com codificação diferente de UTF-8"_s},
        {404, u"Rejeição: Uso de prefixo de namespace não permitido"_s},
        {471, u"Rejeição: Ano de inutilização não pode ser superior ao Ano atual"_s},
        {472, u"Rejeição: Ano de inutilização não pode ser inferior a 2008"_s},
        {522, u"Rejeição: Nro Item Alterado inválido. Preencher com valor numérico (01 – 99)"_s},
        {523, u"Rejeição: Vedado cancelamento quando existir evento Carta de Correção"_s},
        {539, u"Rejeição: Duplicidade de CTe, com diferença na Chave de Acesso"_s},
        {580, u"Rejeição: Falha no Schema XML específico para o modal"_s},
        {586,
         u"Rejeição: Data e Justificativa de entrada em contingência não devem ser informadas "
         u"para tipo de emissão diferente de FS-DA."_s},
        {587, u"Rejeição: Data e Justificativa de entrada em contingência devem ser informadas"_s},
        {588, u"Rejeição: Data de entrada em contingência posterior a data de emissão."_s},
        {598, u"Rejeição: Usar somente o namespace padrão do CTe"_s},
        {599,
         u"Rejeição: Não é permitida a presença de caracteres de edição no início/fim da "
         u"mensagem ou entre as tags da mensagem"_s},
        {628,
         u"Rejeição: Erro Atributo ID do evento não corresponde a concatenação dos campos "
         u"(\"ID\" + tpEvento + chCTe + nSeqEvento)"_s},
        {629, u"Rejeição: O tpEvento informado inválido"_s},
        {630, u"Rejeição: Falha no Schema XML específico para o evento"_s},
        {631, u"Rejeição: Duplicidade de evento"_s},
        {632, u"Rejeição: O autor do evento diverge do emissor do CTe"_s},
        {634, u"Rejeição: A data do evento não pode ser menor que a data de emissão do CTe"_s},
        {635, u"Rejeição: A data do evento não pode ser maior que a data do processamento"_s},
        {636, u"Rejeição: O número sequencial do evento é maior que o permitido"_s},
        {637, u"Rejeição: A data do evento não pode ser menor que a data de autorização do CTe"_s},
        {646,
         u"Rejeição: CTe emitido em ambiente de homologação com Razão Social do remetente "
         u"diferente de CTE EMITIDO EM AMBIENTE DE HOMOLOGACAO - SEM VALOR FISCAL"_s},
        {647,
         u"Rejeição: CTe emitido em ambiente de homologação com Razão Social do expedidor "
         u"diferente de CTE EMITIDO EM AMBIENTE DE HOMOLOGACAO - SEM VALOR FISCAL"_s},
        {648,
         u"Rejeição: CTe emitido em ambiente de homologação com Razão Social do recebedor "
         u"diferente de CTE EMITIDO EM AMBIENTE DE HOMOLOGACAO - SEM VALOR FISCAL"_s},
        {649,
         u"Rejeição: CTe emitido em ambiente de homologação com Razão Social do "
         u"destinatário diferente de CTE EMITIDO EM AMBIENTE DE HOMOLOGACAO - SEM VALOR "
         u"FISCAL"_s},
        {670, u"Rejeição: Série utilizada não permitida no webservice"_s},
        {677, u"Rejeição: Órgão de recepção do evento inválido"_s},
        {681, u"Rejeição: Informação não pode ser alterada por carta de correção"_s},
        {682, u"Rejeição: Já existe pedido de inutilização com a mesma faixa de inutilização"_s},
        {731, u"Rejeição: Consulta a uma Chave de Acesso muito antiga"_s},
        {732, u"Rejeição: Chave de acesso inválida (modelo diferente de 57)"_s},
        {850, u"Rejeição: O QR Code do CTe deve ser informado"_s},
        {851, u"Rejeição: Endereço do site da UF da Consulta via QR Code diverge do previsto"_s},
        {852, u"Rejeição: Parâmetro chave de acesso do QR Code divergente do CTe"_s},
        {853, u"Rejeição: Parâmetro sign não informado no QR Code para emissão em contingência"_s},
        {854, u"Rejeição: Parâmetro sign não deve ser informado no QR Code para emissão Normal"_s},
        {855, u"Rejeição: Assinatura do QR-Code difere do calculado"_s},
    };
    return table;
}

} // namespace

QString text(int code)
{
    const auto it = texts().constFind(code);
    if (it != texts().constEnd())
        return *it;
    return u"Rejeição: código %1"_s.arg(code);
}

bool isKnown(int code)
{
    return texts().contains(code);
}

} // namespace cstat
