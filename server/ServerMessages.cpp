// The server's texts, one "KEY|text" line each; %1, %2 are filled by the caller.
#include "ServerMessages.h"

#include "ContractMessages.h"

#include <QHash>
#include <QStringList>

namespace {
const char *const kCatalogue = R"(
BANCO_FALHA|Erro no banco de dados do servidor de aplicação: a operação não foi concluída.
BANCO_INDISPONIVEL|O banco de dados do servidor de aplicação não está acessível: a operação não foi concluída. Tente novamente em instantes.
REFERENCIA_LOG|O erro foi registrado no log do servidor com a referência %1.
ALEATORIO_FALHA|Não foi possível gerar um número aleatório seguro.
SENHA_FALHA_KDF|Não foi possível calcular o resumo da senha.
USUARIO_NOME_INVALIDO|Nome de usuário inválido: informe de 1 a 40 caracteres.
SENHA_CURTA|A senha deve ter pelo menos 8 caracteres.
LOGIN_INVALIDO|Usuário ou senha inválidos.
LOGIN_ESPERA|Muitas tentativas de login sem sucesso: aguarde %1 segundo(s) e tente novamente.
LOGIN_ARGUMENTOS|Login inválido: envie o usuário e a senha como uma lista de dois textos.
SESSAO_AUSENTE|Chamada sem sessão: faça o login no servidor de aplicação antes de chamar operações.
SESSAO_INVALIDA|Sessão inválida ou expirada: faça o login novamente no servidor de aplicação.
OPERACAO_DESCONHECIDA|Operação "%1" não disponível neste servidor de aplicação.
CORPO_GRANDE|Requisição recusada: o corpo excede o limite de %1 bytes.
CORPO_GRANDE_SEM_SESSAO|Requisição recusada: sem uma sessão válida o corpo não pode exceder %1 bytes.
CABECALHO_GRANDE|Requisição recusada: os cabeçalhos excedem o limite de %1 bytes.
TIPO_CONTEUDO|Requisição recusada: tipo de conteúdo "%1" não aceito; envie o corpo como application/json.
SERVIDOR_OCUPADO|Servidor de aplicação ocupado: tente novamente em instantes.
CAMINHO_DESCONHECIDO|Endereço "%1" desconhecido: as operações são chamadas por POST /rdmCTe/<Operação>.
REQUISICAO_INVALIDA|Requisição inválida (HTTP %1).
ERRO_INTERNO|Erro interno do servidor de aplicação: a operação não foi concluída.
PORTA_INDISPONIVEL|Não foi possível escutar em %1:%2 (%3). Se outro servidor já usa esta porta, escolha outra com --port.
OPCAO_INVALIDA|Valor inválido para --%1: "%2" (use um número inteiro de %3 a %4).
PROXY_INVALIDO|Opção --trusted-proxy: "%1" não é um endereço IP.
BANCO_INEXISTENTE|O banco de dados %1 não existe. Crie-o com cte-db create e os usuários com cte-server --create-user antes de iniciar o servidor.
BANCO_PASTA_INEXISTENTE|A pasta %1 do banco de dados não existe.
BANCO_NAO_ARQUIVO|O caminho %1 do banco de dados não é um arquivo.
BANCO_CRIADO|O banco de dados %1 não existia e foi criado.
BANCO_ABERTURA|Não foi possível abrir o banco de dados: %1
SEM_USUARIOS|Atenção: o banco de dados não tem usuários; ninguém conseguirá fazer login. Crie um com --create-user.
SCHEMA_MAIS_NOVO|O banco de dados está na versão %1 do esquema, mais nova que a versão %2 deste servidor.
EMPRESA_DEVE|Empresa deve ser informada.
SELETOR_INVALIDO|Seleção de participante inválida: "%1" (use C, F ou X).
SITUACAO_INVALIDA|Lista de situações inválida: "%1" (use letras entre sublinhados, como _A_P_).
TIPO_OPER_LISTA_INVALIDA|Lista de tipos de operação inválida: "%1" (use T ou chaves entre aspas simples separadas por vírgula, como 'S01','S05').
DELTA_CAMPO_DESCONHECIDO|Alterações recusadas: o campo %1 não pertence a %2.
DELTA_CAMPO_TIPO|Alterações recusadas: o tipo do campo %1 não corresponde ao de %2.
DELTA_SEM_CHAVE|Alterações recusadas: falta o campo chave %1 em %2.
DELTA_VALOR_LONGO|Alterações recusadas: o valor do campo %1 de %2 excede %3 caracteres.
CHAVE_FALHA|Não foi possível gerar a chave em %1.
NUMERACAO_ESGOTADA|A numeração da série %1 chegou ao limite.
DOCUMENTO_NAO_ENCONTRADO|Conhecimento %1 não encontrado: foi excluído por outro usuário.
DOCUMENTO_BLOQUEADO|Operação bloqueada. O conhecimento %1 está com a situação "%2" e não pode ser alterado nem excluído.
ALTERADO_POR_OUTRO|Registro alterado por outro usuário desde a leitura (%1, campo %2). Nada foi gravado: carregue a lista novamente e refaça a alteração.
UM_DOCUMENTO_NOVO|Alterações recusadas: inclua um conhecimento novo por vez.
NUMERACAO_DESCONHECIDA|Alterações recusadas: a empresa "%1" não tem estabelecimento com a série "%2" e o modelo "%3" do CT-e.
NADA_A_GRAVAR|Alterações recusadas: nenhuma das listas traz alterações; nada foi gravado.
DOCUMENTO_SEM_NUMERACAO|Alterações recusadas: empresa, série e modelo do conhecimento devem ser informados.
REQUISICAO_ID_INVALIDO|Alterações recusadas: o identificador da gravação deve ter de 1 a %1 letras, dígitos, "-", "_", "{" ou "}".
REQUISICAO_DE_OUTRO|Alterações recusadas: o identificador da gravação já foi usado por outro usuário.
REQUISICAO_RESPOSTA_ILEGIVEL|A resposta registrada da gravação não pôde ser lida: %1
REQUISICAO_OUTRO_CONTEUDO|Alterações recusadas: o identificador da gravação já foi usado para outras alterações. Nada foi gravado: carregue a lista novamente e refaça a alteração.
DELTA_VALOR_CENTAVOS|Alterações recusadas: o valor %1 do campo %2 (%3) tem mais de duas casas decimais. Nada foi gravado.
FISCAL_SEM_PARAMETRIZACAO|Alterações recusadas: não há parametrização fiscal para o serviço %1 com o tipo de operação %2 no percurso do conhecimento. Nada foi gravado.
FISCAL_CFOP_DIVERGENTE|Alterações recusadas: o CFOP "%1" do conhecimento não é o da parametrização fiscal do serviço (%2). Valide novamente o serviço prestado. Nada foi gravado.
FISCAL_CFOP_SEM_SERVICO|Alterações recusadas: o conhecimento tem o CFOP %1 sem serviço prestado. Nada foi gravado.
FISCAL_CST_DIVERGENTE|Alterações recusadas: a situação tributária "%1" do %2 do conhecimento não é a da parametrização fiscal do serviço (%3). Valide novamente o serviço prestado. Nada foi gravado.
FISCAL_IMPOSTO_AUSENTE|Alterações recusadas: falta o %1 da parametrização fiscal do serviço (situação tributária %2). Valide novamente o serviço prestado. Nada foi gravado.
FILHO_SEM_DOCUMENTO|Alterações recusadas: linha nova de %1 sem conhecimento.
PARTE_SEM_CRITERIO|Informe o código ou a inscrição para a pesquisa.
PRODUTO_DEVE|Produto deve ser informado.
PERCURSO_DEVE|País e estado de início e de término da prestação devem ser informados.
VALOR_NEGATIVO|O valor total da prestação não pode ser negativo.
VALOR_TOTAL_CENTAVOS|O valor total da prestação deve ter no máximo duas casas decimais.
TRIBUTACAO_SEM_ALIQUOTA|A parametrização fiscal %1 do serviço é tributada dentro do estado e não tem alíquota de ICMS. Corrija a parametrização fiscal centralizada.
MODO_INVALIDO|Modo de pesquisa de documentos fiscais inválido: "%1" (use N ou S).
PACOTE_PRODUTOS_INVALIDO|Pacote de documentos fiscais inválido: são necessários os campos NRACESSONFE, CDFILIAL e NRLANCTONF.
)";
} // namespace

QString srvMsg(const char *key)
{
    static const QHash<QString, QString> texts = contracts::parseCatalogue(kCatalogue);
    return texts.value(QString::fromLatin1(key));
}
