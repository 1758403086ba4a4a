#pragma once

#include "DataPacket.h"

#include <QList>
#include <QString>

// The stored fields of the CT-e document record and of its child lists, in the order the server
// sends them and the editor declares them. Both sides build their packets, datasets and tables
// from these lists, so a width or a type is decided in one place.
namespace contracts::cte {

// The five party roles, by field suffix: sender, dispatcher, receiver, recipient, payer.
const QStringList &partyRoles();
// The source-indicator field of a role ("REME" -> "IDCADREMETENTE").
QString partySourceField(const QString &role);
// The register codes of a role: client ("CDREMETENTECLI") and supplier ("CDREMETENTEFOR").
QString partyClientCodeField(const QString &role);
QString partySupplierCodeField(const QString &role);

// A field of a party section (stem; the role's suffix is appended) and the columns of a client
// row and of a supplier row (GetCliente, GetFornecedor) it is filled from, in the order a party
// is copied after its source indicator and register code: NRINSJUR … NMBAIR.
struct PartyColumn
{
    QString stem;
    QString client;
    QString supplier;
};
const QList<PartyColumn> &partyRegisterColumns();
// The recipient's SUFRAMA registration, copied last and only for the recipient.
PartyColumn recipientSuframaColumn();

QList<FieldDef> documentFields(); // cdsCTe (stored fields; the footer RODAPE is the client's)
QList<FieldDef> taxFields(); // cdsCTeImpostos
QList<FieldDef> valueComponentFields(); // cdsCTeCompValor
QList<FieldDef> fiscalDocumentFields(); // cdsCTeDocFiscais
QList<FieldDef> cargoQuantityFields(); // cdsCTeInfQtCarga
QList<FieldDef> additionalDataFields(); // cdsCTeDadosAdic
QList<FieldDef> establishmentFields(); // cdsInscrEstad
QList<FieldDef> valueComponentRegisterFields(); // cdsPesqCompValorPrest
QList<FieldDef> transmissionResultFields(); // cdsResultNotaFiscal
QList<FieldDef> emailResultFields(); // cdsEnvioEmailCTe

// The fields of the record and its lists that hold reais: exact to the cent, at most two
// decimals.
bool isMoneyField(const QString &name);

// The key field of each child list (CDCTEIMPOSTOS, …), by the dataset name of the list.
QString childKeyField(const QString &datasetName);

} // namespace contracts::cte
