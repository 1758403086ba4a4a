#pragma once

#include <QList>
#include <QString>
#include <QVariant>

class TClientDataSet;

// The save of a document: its record and its five child lists in one AplicaAlteracoes.

// The arguments of the save, one per dataset in the order given: its delta when it has at least
// one change, otherwise null; then the save's request identifier, which names this change log
// to the server (a save sent again under it is answered without being applied twice).
QVariantList SaveArguments(const QList<TClientDataSet *> &dataSets, const QString &requestId);

// A new request identifier for a save.
QString NewSaveRequestId();

// Each dataset forgets its change log: merged once the server has saved it, cancelled when the
// user gives it up. Closed datasets are skipped.
void MergeChangeLogs(const QList<TClientDataSet *> &dataSets);
void CancelChangeLogs(const QList<TClientDataSet *> &dataSets);

// The key the server gave the saved document (element 1 of a successful reply). Raises MensErro
// with the server's text when the reply is a text or its status is not "S".
double SavedKey(const QVariant &reply);
