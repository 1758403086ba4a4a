// The framework's own user-visible texts, one "KEY|text" line each. %1, %2 are filled by the caller.
#include "Messages.h"

namespace {

const char *const kFrameworkCatalogue = R"(
FW_ERRO_INESPERADO|Erro inesperado: %1
FW_BASE64_INVALIDO|O texto recebido não está codificado em Base64 válido.
FW_RESPOSTA_SERVIDOR_INVALIDA|Resposta inválida do servidor de aplicação.
FW_BD_ENDERECO_INVALIDO|Endereço de banco de dados inválido: "%1". Use sqlite:ARQUIVO ou postgresql://usuario@servidor:porta/banco.
FW_BD_FALHA_CONEXAO|Não foi possível conectar ao banco de dados %1: %2
FW_QRY_ERRO_SQL|Erro no banco de dados: %1
FW_QRY_SEM_CONEXAO|Banco de dados não configurado: informe o endereço do banco de dados no login.
FW_QRY_PARAM_N_ENCONTRADO|Parâmetro "%1" não encontrado na consulta %2.
FW_QRY_CAMPO_N_ENCONTRADO|Campo "%1" não encontrado na consulta %2.
FW_QRY_FECHADA|A consulta %1 não está aberta.
)";

} // namespace

const TMessages &FrameworkMessages()
{
    static TMessages catalogue;
    static const bool loaded = [] {
        catalogue.SetLines(QString::fromUtf8(kFrameworkCatalogue).split(u'\n'));
        return true;
    }();
    Q_UNUSED(loaded);
    return catalogue;
}
