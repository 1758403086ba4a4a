// Texts of the host database tools, one "KEY|text" line each; %1, %2 are filled by the caller.
#include "HostDbMessages.h"

#include "Messages.h"

namespace {

const char *const kHostDbCatalogue = R"(
HOSTDB_ERRO_SQL|Erro no banco de dados ao executar "%1": %2
HOSTDB_RECURSO|Arquivo interno não encontrado: %1
HOSTDB_ESQUEMA_INVALIDO|Nome de esquema inválido: "%1".
HOSTDB_USO|Uso: cte-db create --db ENDERECO [--demo] [--force]\n  ENDERECO: sqlite:ARQUIVO ou postgresql://usuario@servidor:porta/banco[?schema=nome]\n  --demo   carrega os dados de demonstração\n  --force  apaga e recria as tabelas do host que já existirem\n       cte-db nfe-samples --dir PASTA\n  nfe-samples  grava na pasta as NF-e de demonstração (cliente 101 para o cliente 112)
HOSTDB_COMANDO_DESCONHECIDO|Comando desconhecido: %1
HOSTDB_SEM_BANCO|Informe o banco de dados com --db.
HOSTDB_JA_EXISTE|As tabelas do host já existem em %1 (%2); nada foi feito. Use --force para recriá-las.
HOSTDB_PARCIAL|O banco %1 tem apenas parte das tabelas do host (%2). Use --force para recriá-las.
HOSTDB_APAGADAS|Tabelas do host apagadas: %1
HOSTDB_CRIADAS|Tabelas do host criadas em %1: %2
HOSTDB_DEMO|Dados de demonstração carregados:
HOSTDB_DEMO_COMPLETADO|As tabelas do host em %1 estavam vazias; dados de demonstração carregados:
HOSTDB_CONTAGEM|  %1: %2 linha(s)
HOSTDB_FALHA|cte-db: %1
HOSTDB_NFE_GRAVADAS|NF-e de demonstração gravadas:
HOSTDB_NFE_ARQUIVO|  %1
HOSTDB_NFE_FALHA|Não foi possível gravar as NF-e em %1.
HOSTDB_SEM_PASTA|Informe a pasta com --dir.
)";

const TMessages &catalogue()
{
    static TMessages messages;
    static const bool loaded = [] {
        messages.SetLines(QString::fromUtf8(kHostDbCatalogue).split(u'\n'));
        return true;
    }();
    Q_UNUSED(loaded);
    return messages;
}

} // namespace

QString HostDbMsg(const QString &key)
{
    QString text = catalogue().Msg(key);
    text.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    return text;
}
