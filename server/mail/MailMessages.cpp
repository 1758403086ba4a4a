// The e-mail's texts, one "KEY|text" line each; %1, %2 are filled by the caller, "\n" is a line
// break.
#include "MailMessages.h"

#include "ContractMessages.h"

#include <QHash>

namespace {
const char *const kCatalogue = R"(
EMAIL_ASSUNTO|CT-e nº %1 série %2 - %3
EMAIL_ASSUNTO_CANCELADO|Cancelamento do CT-e nº %1 série %2 - %3
EMAIL_CORPO|Prezado(a),\n\nSegue o Conhecimento de Transporte Eletrônico nº %1, série %2, emitido por %3 em %4.\n\nChave de acesso: %5\nProtocolo de autorização: %6\n\nEm anexo: o arquivo XML autorizado (%7) e o DACTE em PDF (%8).\n
EMAIL_CORPO_CARTAS|\nSeguem também em anexo os XML das cartas de correção registradas para este conhecimento (%1).\n
EMAIL_CORPO_CANCELADO|\nEste conhecimento foi CANCELADO (protocolo do cancelamento %1). O XML do evento de cancelamento também segue em anexo (%2).\n
EMAIL_RODAPE|\nMensagem enviada automaticamente pelo emissor; não é necessário respondê-la.\n
EMAIL_ENVIADO|E-mail enviado para %1.
EMAIL_NAO_CONFIGURADO|E-mail não enviado: o servidor de e-mail (SMTP) não está configurado no servidor de aplicação.
EMAIL_SEM_DESTINATARIO|E-mail não enviado: nenhuma das partes do conhecimento %1 tem um endereço de e-mail válido.
EMAIL_SITUACAO|E-mail não enviado: o conhecimento %1 está com a situação "%2"; só um conhecimento aceito ou cancelado é enviado.
EMAIL_SEM_XML|E-mail não enviado: o conhecimento %1 não tem o XML autorizado e o protocolo gravados.
EMAIL_NAO_ENCONTRADO|Conhecimento %1 não encontrado.
EMAIL_RECUSADO|E-mail não enviado: o servidor de e-mail respondeu "%1".
EMAIL_INACESSIVEL|E-mail não enviado: não foi possível falar com o servidor de e-mail %1 (%2).
EMAIL_PDF_FALHA|E-mail não enviado: não foi possível gerar o DACTE em PDF (%1).
EMAIL_LISTA_INVALIDA|Lista de conhecimentos inválida: é necessário o campo CDCTE.
)";
} // namespace

QString mailMsg(const char *key)
{
    static const QHash<QString, QString> texts = contracts::parseCatalogue(kCatalogue);
    return texts.value(QString::fromLatin1(key))
        .replace(QStringLiteral("\\n"), QStringLiteral("\n"));
}
