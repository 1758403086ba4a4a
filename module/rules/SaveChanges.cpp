#include "SaveChanges.h"

#include "ClientDataSet.h"
#include "ListLoad.h"

#include <QUuid>

QVariantList SaveArguments(const QList<TClientDataSet *> &dataSets, const QString &requestId)
{
    QVariantList args;
    args.reserve(dataSets.size() + 1);
    for (const TClientDataSet *cds : dataSets)
        args.append(cds->Active() && cds->ChangeCount() > 0 ? cds->Delta() : QVariant());
    args.append(requestId);
    return args;
}

QString NewSaveRequestId()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

void MergeChangeLogs(const QList<TClientDataSet *> &dataSets)
{
    for (TClientDataSet *cds : dataSets) {
        if (cds->Active())
            cds->MergeChangeLog();
    }
}

void CancelChangeLogs(const QList<TClientDataSet *> &dataSets)
{
    for (TClientDataSet *cds : dataSets) {
        if (cds->Active())
            cds->CancelUpdates();
    }
}

double SavedKey(const QVariant &reply)
{
    CheckReply(reply);
    return reply.toList().value(1).toDouble();
}
