// The framework's own user-visible texts, one "KEY|text" line each. %1, %2 are filled by the
// caller.
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
FW_TITULO_INFORMACAO|Informação
FW_TITULO_ATENCAO|Atenção
FW_TITULO_ERRO|Erro
FW_TITULO_CONFIRMACAO|Confirmação
FW_BOTAO_OK|OK
FW_BOTAO_SIM|Sim
FW_BOTAO_NAO|Não
FW_BOTAO_CANCELAR|Cancelar
FW_AVI_GRAVANDO|Gravando as informações, aguarde...
FW_AVI_CARREGANDO|Carregando as informações, aguarde...
FW_AVI_PROCESSANDO|Processando, aguarde...
FW_CMD_INCLUIR|Incluir
FW_CMD_ALTERAR|Alterar
FW_CMD_EXCLUIR|Excluir
FW_CMD_PROCURAR|Procurar
FW_CMD_VERIFICAR|Verificar
FW_CMD_CANCELAR|Cancelar
FW_CMD_CONFIRMAR|Confirmar
FW_CMD_IMPRIMIR|Imprimir
FW_CMD_AJUDA|Ajuda
FW_CMD_FECHAR|Fechar
FW_MNU_OPERACAO|Operação
FW_MNU_MANUTENCAO|Manutenção
FW_MNU_DADOS|Dados
FW_MNU_LISTAGEM|Listagem
FW_MNU_CONF_IMPRESSORA|Configurar Impressora
FW_PADRAO_CANC|Deseja cancelar as alterações efetuadas?
FW_PADRAO_EXCL|Confirma a exclusão do registro?
FW_GRADE_EXCLUIR|Excluir o registro?
FW_RELATORIO_INEXISTENTE|Não existe relatório cadastrado com o código %1.
FW_DATA_INVALIDA|Data inválida: %1.
FW_DIA_DOMINGO|Domingo
FW_DIA_SEGUNDA|Segunda
FW_DIA_TERCA|Terça
FW_DIA_QUARTA|Quarta
FW_DIA_QUINTA|Quinta
FW_DIA_SEXTA|Sexta
FW_DIA_SABADO|Sábado
FW_NAV_PRIMEIRO|Primeiro
FW_NAV_ANTERIOR|Anterior
FW_NAV_PROXIMO|Próximo
FW_NAV_ULTIMO|Último
FW_NAV_ATUALIZAR|Atualizar
FW_PESQUISAR|Pesquisar
FW_PESQUISA_VAZIA|Não há registros para pesquisar.
FW_PESQUISA_DIGITE|Digite para localizar
FW_PESQUISA_MARCAR_TODOS|Marcar todos
FW_PESQUISA_DESMARCAR_TODOS|Desmarcar todos
FW_PESQUISA_MARQUE_UM|Marque pelo menos um registro.
FW_DS_INATIVO|Operação não permitida: o conjunto de dados %1 não está aberto.
FW_DS_ATIVO|Operação não permitida: o conjunto de dados %1 está aberto.
FW_DS_SEM_CAMPOS|O conjunto de dados %1 não tem campos definidos.
FW_DS_VAZIO|Operação não permitida: o conjunto de dados %1 está vazio.
FW_DS_NAO_EDICAO|O campo %1 não pode ser alterado: o conjunto de dados %2 não está em edição ou inclusão.
FW_DS_CAMPO_SOMENTE_LEITURA|O campo %1 é somente leitura e não pode ser alterado.
FW_DS_CAMPO_CALCULADO|O campo calculado %1 só pode receber valor no cálculo dos campos.
FW_DS_CAMPO_NAO_ENCONTRADO|Campo %1 não encontrado em %2.
FW_DS_CAMPO_DUPLICADO|O campo %1 já existe em %2.
FW_DS_CAMPO_OBRIGATORIO|O campo %1 deve ser informado.
FW_DS_VALOR_INVALIDO|"%1" não é um valor válido para o campo %2.
FW_DS_CASAS_DECIMAIS|O campo %1 aceita no máximo %2 casas decimais ("%3").
FW_DS_FILTRO_INVALIDO|Filtro inválido em %1: "%2" (posição %3).
FW_DS_LOCATE_INVALIDO|Pesquisa inválida em %2: campos "%1" e valores não correspondem.
FW_DS_REGISTRO_NAO_ENCONTRADO|Registro não encontrado em %1.
FW_DS_PACOTE_INVALIDO|Os dados recebidos para %1 não puderam ser carregados. %2
FW_DS_PACOTE_AUSENTE|Nenhum pacote de dados foi informado.
FW_DS_JSON_INVALIDO|Texto JSON inválido: %1 (posição %2).
FW_NET_ENDERECO_INVALIDO|Endereço do servidor de aplicação inválido: %1. Verifique o servidor e a porta informados no login.
FW_NET_FALHA|Não foi possível comunicar com o servidor de aplicação %1: %2
FW_NET_TEMPO_ESGOTADO|O servidor de aplicação %1 não respondeu em %2 segundos.
FW_NET_RESPOSTA_ILEGIVEL|Resposta ilegível do servidor de aplicação %1: %2
FW_NET_LOGIN_RECUSADO|O servidor de aplicação %1 recusou o login: %2
FW_NET_NAO_CONECTADO|Não há conexão com o servidor de aplicação %1: conecte antes de chamar operações.
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
