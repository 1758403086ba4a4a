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

QList<FieldDef> documentFields(); // cdsCTe (stored fields; the footer RODAPE is the client's)
QList<FieldDef> taxFields(); // cdsCTeImpostos
QList<FieldDef> valueComponentFields(); // cdsCTeCompValor
QList<FieldDef> fiscalDocumentFields(); // cdsCTeDocFiscais
QList<FieldDef> cargoQuantityFields(); // cdsCTeInfQtCarga
QList<FieldDef> additionalDataFields(); // cdsCTeDadosAdic
QList<FieldDef> establishmentFields(); // cdsInscrEstad
QList<FieldDef> valueComponentRegisterFields(); // cdsPesqCompValorPrest

// The key field of each child list (CDCTEIMPOSTOS, …), by the dataset name of the list.
QString childKeyField(const QString &datasetName);

} // namespace contracts::cte
