// The transmission's texts, one "KEY|text" line each; %1, %2 are filled by the caller.
#include "TransmissionMessages.h"

#include "ContractMessages.h"

#include <QHash>

namespace {
const char *const kCatalogue = R"(
XML_EMITENTE_INSCRICAO|CNPJ ou CPF do emitente inválido: informe o emitente do conhecimento.
XML_CHAVE_INCOMPLETA|Não foi possível montar a chave de acesso: confira estado do emitente, data de emissão, modelo, série, número e forma de emissão.
XML_SEM_ICMS|O conhecimento não tem ICMS: informe os impostos do serviço.
XML_DOCUMENTOS_MISTOS|Um conhecimento não pode relacionar NF-e e outros documentos fiscais ao mesmo tempo.
XML_DOCUMENTO_MODELO|NOTA FISCAL MODELO %1
CERTIFICADO_NAO_CONFIGURADO|Certificado digital não configurado no servidor de aplicação (arquivo PKCS#12 e senha).
CERTIFICADO_ARQUIVO|Não foi possível ler o certificado digital %1: %2
CERTIFICADO_INVALIDO|O arquivo %1 não é um certificado digital PKCS#12 (A1) válido.
CERTIFICADO_SENHA|Não foi possível abrir o certificado digital %1: senha incorreta ou arquivo danificado.
CERTIFICADO_INCOMPLETO|O certificado digital %1 não contém a chave privada e o certificado.
CERTIFICADO_VENCIDO|O certificado digital "%1" venceu em %2. Instale um certificado válido antes de transmitir.
CERTIFICADO_AINDA_INVALIDO|O certificado digital "%1" só é válido a partir de %2.
CERTIFICADO_OUTRO_CNPJ|O certificado digital "%1" pertence ao CNPJ %2, que não é da empresa emitente %3.
ASSINATURA_XML_INVALIDO|Não foi possível assinar: o XML do conhecimento está mal formado.
ASSINATURA_SEM_ID|Não foi possível assinar: o XML não tem o elemento identificado a assinar.
ASSINATURA_FALHA|Não foi possível assinar o XML com o certificado digital.
SCHEMA_XSD_FALHA|Não foi possível carregar o schema %1: %2
SCHEMA_XML_MAL_FORMADO|XML mal formado.
SCHEMA_INVALIDO_SEM_DETALHE|XML recusado pelo schema.
SCHEMA_RECUSADO|Não enviado: XML recusado pelo schema (%1)
SCHEMA_SEM_ELEMENTO|o XML não tem o grupo %1.
SCHEMA_MODAL_DESCONHECIDO|modal "%1" desconhecido: informe o modal do conhecimento.
CONTINGENCIA_NAO_SUPORTADA|Não enviado: o conhecimento está com forma de emissão "%1" (contingência), que este servidor ainda não emite. Altere a forma de emissão para 1 (Normal) e transmita novamente.
QRCODE_SEM_ENDERECO|Não há endereço de consulta do QR Code para a UF "%1" no ambiente %2: configure-o no servidor de aplicação.
AUTORIDADE_CA_ARQUIVO|Não foi possível ler o arquivo de certificados da SEFAZ %1 (configuração authority/caFile do servidor de aplicação).
SEFAZ_DIGVAL_DIVERGENTE|Não confirmado: a SEFAZ respondeu "%1", mas o resumo digital que devolveu (digVal "%2") difere do enviado ("%3"). O CT-e fica como transmitido; consulte a situação do CT-e.
SCHEMAS_NAO_CONFIGURADOS|Pasta dos schemas do CT-e não configurada no servidor de aplicação.
AUTORIDADE_NAO_CONFIGURADA|Endereço da recepção da SEFAZ não configurado no servidor de aplicação.
SEFAZ_RESPOSTA_ILEGIVEL|a resposta da SEFAZ não pôde ser lida.
SEFAZ_FALHA_SOAP|a SEFAZ respondeu com uma falha: %1
SEFAZ_ENDERECO_INVALIDO|endereço da recepção da SEFAZ inválido: %1
SEFAZ_SEM_RESPOSTA|sem resposta de %1 (%2).
SEFAZ_HTTP|HTTP %1: %2
SEFAZ_PENDENTE|Transmitido sem retorno da SEFAZ (%1). Consulte a situação do CT-e.
STATUS_ENVIANDO|Em transmissão para a SEFAZ.
AUTORIZADO|%1. Protocolo %2.
RECUSADO|Não autorizado: %1
NAO_ENVIADO|Não enviado: %1
DOC_OUTRA_EMPRESA|Não enviado: o conhecimento não pertence à empresa e inscrição estadual informadas.
DOC_SITUACAO|Não enviado: o conhecimento %1 está com a situação "%2"; só pendentes e rejeitados são transmitidos.
DOC_EM_TRANSMISSAO|Não enviado: o conhecimento %1 já foi transmitido por outro usuário.
EMPRESA_DEVE|Empresa deve ser informada.
PACOTE_SEM_MARCA|Pacote inválido: são necessários os campos IDCHECK e CDCTE da lista de conhecimentos.
LOTE_NUMERO_FALHA|Não foi possível numerar o lote de transmissão.
PACOTE_SEM_MARCA_LOTE|Pacote inválido: são necessários os campos IDCHECK e CDLOTECTE da lista de lotes.
EMAIL_PENDENTE|Autorizado pela SEFAZ; e-mail ainda não enviado.
SEM_CHAVE_ACESSO|O conhecimento ainda não foi transmitido: não há chave de acesso a consultar.
CONSULTA_RESUMO|%1 conhecimento(s) consultado(s).
CONSULTA_SEM_RESPOSTA|A SEFAZ não respondeu à consulta: %1
LOTE_SITUACAO|Lote %1: %2
SEFAZ_DIGVAL_CONSULTA|Não confirmado: a SEFAZ responde "%1" para a chave %2, mas o resumo digital que guarda (digVal "%3") difere do enviado ("%4"). A situação do CT-e não foi alterada.
DUPLICIDADE_RECUPERADA|%1. Já autorizado pela SEFAZ com a chave %2, protocolo %3.
CANCELA_DOC_INEXISTENTE|Conhecimento %1 não encontrado.
CANCELA_SITUACAO|Só conhecimentos aceitos podem ser cancelados; o conhecimento %1 está com a situação "%2".
EVENTO_SEM_PROTOCOLO|O conhecimento %1 não tem protocolo de autorização: consulte a situação do CT-e antes.
CANCELA_RECUSADO|Cancelamento não homologado pela SEFAZ: %1 - %2
CANCELA_SEM_RESPOSTA|A SEFAZ não respondeu ao cancelamento (%1). Consulte a situação do CT-e antes de tentar de novo.
CANCELA_SCHEMA|Cancelamento não enviado: evento recusado pelo schema (%1)
MOTIVO_CANCELAMENTO|O motivo do cancelamento
MOTIVO_INUTILIZACAO|O motivo da inutilização
JUSTIFICATIVA_CURTA|%1 deve ter no mínimo 15 caracteres.
JUSTIFICATIVA_LONGA|%1 deve ter no máximo 255 caracteres (tem %2).
JUSTIFICATIVA_QUEBRA|%1 não pode ter quebras de linha.
JUSTIFICATIVA_CARACTERES|%1 não pode começar nem terminar com espaços, ter espaços repetidos ou caracteres que a SEFAZ não aceita.
CCE_PACOTE|Pacote inválido: são necessários os campos DSGRUPO, DSCAMPO e DSVALOR das correções.
CCE_SEM_CORRECOES|Informe ao menos uma correção.
CCE_CAMPO_DESCONHECIDO|O campo %2 do grupo %1 não existe no leiaute do CT-e.
CCE_CAMPO_PROIBIDO|O campo %2 do grupo %1 não pode ser alterado por carta de correção: valores e impostos, inscrições das partes, data de emissão e estados do percurso não são corrigíveis.
CCE_ITEM|O grupo %1 é uma lista: informe o número do item corrigido em %2 (1 a %3).
CCE_ITEM_SEM_LISTA|O grupo %1 não é uma lista: não informe número de item para %2.
CCE_VALOR|Informe o novo valor de %1/%2 (até %3 caracteres).
CCE_SITUACAO|Só conhecimentos aceitos recebem carta de correção; o conhecimento %1 está com a situação "%2".
CCE_LIMITE|O conhecimento %1 já tem %2 cartas de correção, o máximo permitido.
CCE_SCHEMA|Carta de correção não enviada: evento recusado pelo schema (%1)
CCE_SEM_RESPOSTA|A SEFAZ não respondeu à carta de correção (%1). Consulte a situação do CT-e antes de tentar de novo.
CCE_RECUSADO|Carta de correção não homologada pela SEFAZ: %1 - %2
INUT_ESTABELECIMENTO|Estabelecimento %2 da empresa %1 não encontrado.
INUT_SERIE|Série inválida: informe um número de 0 a 999, fora da faixa reservada 890 a 899.
INUT_FAIXA|Faixa inválida: o número inicial deve ser de 1 a 999999999 e não maior que o final.
INUT_FAIXA_GRANDE|A SEFAZ inutiliza no máximo %1 números por pedido: divida a faixa.
INUT_NUMERO_USADO|Não enviado: o número %1 da série %2 já foi usado por um conhecimento.
INUT_JA_INUTILIZADA|Não enviado: a faixa %1 a %2 da série %3 já foi inutilizada.
INUT_SCHEMA|Inutilização não enviada: pedido recusado pelo schema (%1)
INUT_SEM_RESPOSTA|A SEFAZ não respondeu à inutilização (%1). Envie o mesmo pedido de novo: se já foi homologada, a SEFAZ devolve o protocolo.
INUT_RECUSADA|Inutilização não homologada pela SEFAZ: %1 - %2
INUT_CONCORRENTE|Inutilização homologada (protocolo %1), mas um conhecimento salvo ao mesmo tempo ficou com um número da faixa: %2
EMITENTE_SEM_PARAMETROS|Parâmetros de CT-e do estabelecimento %1 não cadastrados (RNTRC e regime tributário).
XML_LISTA_INVALIDA|Lista de conhecimentos inválida: é necessário o campo CDCTE.
XML_NAO_ENCONTRADO|Conhecimento %1 não encontrado.
XML_SITUACAO|XML não gerado: o conhecimento %1 está com a situação "%2"; só um conhecimento aceito ou cancelado tem XML autorizado.
XML_SEM_AUTORIZADO|XML não gerado: o conhecimento %1 não tem o XML autorizado e o protocolo gravados.
XML_GERADO|XML do conhecimento com o protocolo de autorização.
XML_EVENTO_GERADO|XML do evento de cancelamento com o seu registro.
XML_CARTA_GERADO|XML da carta de correção nº %1 com o seu registro.
)";
} // namespace

QString txMsg(const char *key)
{
    static const QHash<QString, QString> texts = contracts::parseCatalogue(kCatalogue);
    return texts.value(QString::fromLatin1(key));
}
