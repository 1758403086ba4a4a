#pragma once

#include <QList>
#include <QVariant>

class TClientDataSet;

// The save of a document: its record and its five child lists in one AplicaAlteracoes.

// The arguments of the save, one per dataset in the order given: its delta when it has at least
// one change, otherwise null.
QVariantList SaveArguments(const QList<TClientDataSet *> &dataSets);

// The key the server gave the saved document (element 1 of a successful reply). Raises MensErro
// with the server's text when the reply is a text or its status is not "S".
double SavedKey(const QVariant &reply);
