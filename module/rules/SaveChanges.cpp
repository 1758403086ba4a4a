#include "SaveChanges.h"

#include "ClientDataSet.h"
#include "ListLoad.h"

QVariantList SaveArguments(const QList<TClientDataSet *> &dataSets)
{
    QVariantList args;
    args.reserve(dataSets.size());
    for (const TClientDataSet *cds : dataSets)
        args.append(cds->Active() && cds->ChangeCount() > 0 ? cds->Delta() : QVariant());
    return args;
}

double SavedKey(const QVariant &reply)
{
    CheckReply(reply);
    return reply.toList().value(1).toDouble();
}
