#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <functional>

// The operations of the application server. Each takes the call's already checked arguments
// (contracts/RpcProtocol.h gives their types) and returns its reply; a refusal raises
// ServerError. Each runs on the worker thread's own connection.
struct CallContext
{
    QSqlDatabase db;
    QString user;
};

using Args = QList<QVariant>;
using Operation = std::function<QVariant(CallContext &, const Args &)>;

// Documents: the list load and the save.
QVariant GetDadosGerais(CallContext &ctx, const Args &args);
QVariant AplicaAlteracoes(CallContext &ctx, const Args &args);
// Emitter, clients and suppliers.
QVariant GetEmitente(CallContext &ctx, const Args &args);
QVariant GetCliente(CallContext &ctx, const Args &args);
QVariant GetFornecedor(CallContext &ctx, const Args &args);
// Fiscal parametrization of a service product.
QVariant GetDadosServico(CallContext &ctx, const Args &args);
// Value components.
QVariant GetCompValorPrest(CallContext &ctx, const Args &args);
// The host's fiscal documents and their products.
QVariant GetDocFiscais(CallContext &ctx, const Args &args);
QVariant GetProdDocFiscais(CallContext &ctx, const Args &args);
// Transmission of the marked documents to the authority.
QVariant TransmiteCTe(CallContext &ctx, const Args &args);
// The authority's answer for documents whose outcome is not known, by status query.
QVariant ConsSituCte(CallContext &ctx, const Args &args);
QVariant GetAtualizaLoteCTe(CallContext &ctx, const Args &args);
QVariant AtualizaLoteCTe(CallContext &ctx, const Args &args);
// Cancellation of an accepted document.
QVariant CancelaCTe(CallContext &ctx, const Args &args);
// Correction letters of an accepted document: sending one, and the ones registered.
QVariant CartaCorrecaoCTe(CallContext &ctx, const Args &args);
QVariant GetCartaCorrecaoCTe(CallContext &ctx, const Args &args);
// Voiding ranges of unused numbers, and the ranges voided.
QVariant InutilizaCTe(CallContext &ctx, const Args &args);
QVariant GetInutilizacaoCTe(CallContext &ctx, const Args &args);
// E-mail of accepted documents to their parties, and their authorised XML.
QVariant EnviaEmailCTe(CallContext &ctx, const Args &args);
QVariant EnviaEmailPendenteCTe(CallContext &ctx, const Args &args);
QVariant GeraXML(CallContext &ctx, const Args &args);

// The DACTE: its report's data sets and its PDF files.
QVariant PreparaDACTe(CallContext &ctx, const Args &args);
QVariant GerarDACTE(CallContext &ctx, const Args &args);
// A registered correction letter as a PDF.
QVariant GerarCartaCorrecaoCTe(CallContext &ctx, const Args &args);

// The operation of `name`, or an empty function when the server does not offer it.
Operation findServerOperation(const QString &name);

// Test hook: how long a save waits inside its transaction before committing (0: not at all).
void setSavePauseMs(int ms);
