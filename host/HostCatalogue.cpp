// The host application's user-visible texts, one "KEY|text" line each; %1, %2 filled by the caller.
#include "HostCatalogue.h"

#include "Messages.h"

namespace {

const char *const kHostCatalogue = R"(
HOST_TITULO|Sistema de Gestão Empresarial
HOST_LOGIN_TITULO|Acesso ao Sistema
HOST_USUARIO|Usuário
HOST_SENHA|Senha
HOST_EMPRESA|Empresa
HOST_FILIAL|Filial
HOST_DATA_PROC|Data de Processamento
HOST_SERVIDOR|Servidor de Aplicação
HOST_PORTA|Porta
HOST_BANCO|Banco de Dados
HOST_ENTRAR|Entrar
HOST_SAIR|Sair
HOST_USUARIO_DEVE|Usuário deve ser informado.
HOST_EMPRESA_DEVE|Empresa deve ser informada.
HOST_FILIAL_DEVE|Filial deve ser informada.
HOST_DATA_DEVE|Data de processamento deve ser informada.
HOST_SERVIDOR_DEVE|Endereço do servidor de aplicação deve ser informado.
HOST_PORTA_DEVE|Porta do servidor de aplicação deve ser informada.
HOST_MNU_ARQUIVO|&Arquivo
HOST_MNU_SAIR|Sai&r
HOST_MNU_CTE|&CT-e
HOST_MNU_EDITOR|Conhecimento de Transporte Eletrônico
HOST_MNU_LOTE|Atualização do Lote do CT-e
HOST_MNU_DACTE|DACTE (Documento Auxiliar do Conhecimento de Transporte Eletrônico)
HOST_MNU_INUTILIZA|Inutilização de Numeração do CT-e
HOST_MNU_JANELA|&Janela
HOST_MNU_CASCATA|Cascata
HOST_MNU_LADO_A_LADO|Lado a lado
HOST_DACTE_TITULO|DACTE
HOST_DACTE_CODIGO|Código interno do CT-e:
HOST_STATUS|Usuário: %1  |  Empresa: %2  |  Filial: %3  |  Data: %4  |  Servidor: %5:%6
HOST_PACOTE_N_CARREGADO|Não foi possível carregar o pacote %1: %2
HOST_FUNCAO_N_ENCONTRADA|O pacote %1 não exporta a função %2.
HOST_AUTOMACAO_N_CARREGADA|Não foi possível carregar o plug-in de automação %1: %2
HOST_SENHA_N_LIDA|Não foi possível ler o arquivo de senha %1.
HOST_OPCAO_INVALIDA|Opção inválida: %1
HOST_AJUDA|Aplicação hospedeira do módulo de CT-e.
HOST_OPT_USUARIO|Usuário do login.
HOST_OPT_SENHA|Arquivo cuja primeira linha é a senha do login.
HOST_OPT_EMPRESA|Código da empresa.
HOST_OPT_FILIAL|Código da filial.
HOST_OPT_DATA|Data de processamento (AAAA-MM-DD ou DD/MM/AAAA).
HOST_OPT_SERVIDOR|Servidor de aplicação, ENDEREÇO:PORTA.
HOST_OPT_BANCO|Endereço do banco de dados (sqlite:ARQUIVO ou postgresql://...).
HOST_OPT_AUTOMACAO|Biblioteca de automação: é carregada após o login e o programa termina com o seu resultado.
HOST_OPT_PACOTE|Caminho do pacote do CT-e (padrão: ao lado do executável).
HOST_OPT_ABRIR_EDITOR|Abre o editor de CT-e logo após o login.
)";

} // namespace

const TMessages &HostMessages()
{
    static TMessages catalogue(nullptr, QStringLiteral("msgHost"));
    static const bool loaded = [] {
        catalogue.SetLines(QString::fromUtf8(kHostCatalogue).split(u'\n'));
        return true;
    }();
    Q_UNUSED(loaded);
    return catalogue;
}

QString HostMsg(const QString &key)
{
    return HostMessages().Msg(key);
}
