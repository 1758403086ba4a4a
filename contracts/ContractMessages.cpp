#include "ContractMessages.h"

#include <QHash>
#include <QStringList>

namespace contracts {

namespace {
const char *const kCatalogue = R"(
PACOTE_SEM_CAMPOS|Pacote de dados inválido: faltam as definições dos campos.
PACOTE_CAMPO_SEM_NOME|Pacote de dados inválido: campo sem nome.
PACOTE_CAMPO_REPETIDO|Pacote de dados inválido: o campo %1 aparece mais de uma vez.
PACOTE_TIPO_DESCONHECIDO|Pacote de dados inválido: tipo "%1" desconhecido no campo %2.
PACOTE_TAMANHO_INVALIDO|Pacote de dados inválido: tamanho ausente ou inválido no campo %1.
PACOTE_SEM_LINHAS|Pacote de dados inválido: faltam as linhas.
PACOTE_LINHA_TAMANHO|Pacote de dados inválido: a linha %1 tem %2 valores, mas há %3 campos.
PACOTE_VALOR_INVALIDO|Pacote de dados inválido: valor do campo %1 na linha %2 não corresponde ao tipo ou tamanho do campo.
PACOTE_VALOR_NUL|Pacote de dados inválido: o texto do campo %1 na linha %2 contém o caractere nulo (U+0000), que não pode ser gravado.
PACOTE_VALOR_SUBSTITUTO|Pacote de dados inválido: o texto do campo %1 na linha %2 contém metade de um par substituto (U+D800 a U+DFFF), que não pode ser gravado.
PACOTE_NUMERO_GRANDE|Pacote de dados inválido: o valor do campo %1 na linha %2 é grande demais para ser gravado (no máximo 14 dígitos antes da vírgula).
DELTA_SEM_ALTERACOES|Alterações inválidas: falta a lista de alterações.
DELTA_TIPO_DESCONHECIDO|Alterações inválidas: tipo de alteração "%1" desconhecido (item %2).
RPC_TIPO_TEXTO|texto
RPC_TIPO_NUMERO|número
RPC_TIPO_DATA|data
RPC_TIPO_PACOTE|pacote de dados
RPC_TIPO_DELTA|alterações (delta) ou nulo
RPC_NUMERO_ARGUMENTOS|A operação %1 espera %2 argumentos, mas recebeu %3.
RPC_TIPO_ARGUMENTO|O argumento %1 da operação %2 deve ser %3.
RPC_JSON_INVALIDO|Requisição inválida: o corpo não é JSON válido (%1, posição %2).
RPC_CORPO_NAO_LISTA|Requisição inválida: o corpo deve ser uma lista JSON com os argumentos.
RPC_ARGUMENTO_INVALIDO|Requisição inválida: argumento %1: %2
RPC_RESPOSTA_INVALIDA|Resposta do servidor de aplicação em formato inválido.
RPC_TEXTO_NUL|o texto contém o caractere nulo (U+0000), que não pode ser gravado.
RPC_TEXTO_SUBSTITUTO|o texto contém metade de um par substituto (U+D800 a U+DFFF), que não pode ser gravado.
RPC_VALOR_MARCADO_INVALIDO|Valor inválido: objeto "%1" desconhecido ou malformado.
)";
} // namespace

QString contractMsg(const char *key)
{
    static const QHash<QString, QString> texts = parseCatalogue(kCatalogue);
    return texts.value(QString::fromLatin1(key));
}

QHash<QString, QString> parseCatalogue(const char *utf8Lines)
{
    QHash<QString, QString> texts;
    for (const QString &line : QString::fromUtf8(utf8Lines).split(u'\n')) {
        const qsizetype bar = line.indexOf(u'|');
        if (bar > 0)
            texts.insert(line.left(bar), line.mid(bar + 1));
    }
    return texts;
}

} // namespace contracts
