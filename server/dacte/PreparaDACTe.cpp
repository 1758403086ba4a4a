// The DACTE report's data: the authorised XML of one document split into the report's sets.
#include "DacteSource.h"
#include "DataPacket.h"
#include "Operations.h"
#include "RpcProtocol.h"
#include "ServerError.h"

using namespace Qt::StringLiterals;

namespace {

contracts::DataPacket setPacket(const dacte::SetDef &set, const QList<dacte::Row> &rows)
{
    using contracts::FieldType;
    contracts::DataPacket packet;
    packet.fields.append({u"CDCTE"_s, FieldType::Float});
    if (set.numbered)
        packet.fields.append({u"NRSEQ"_s, FieldType::Float});
    for (const dacte::SetField &f : set.fields)
        packet.fields.append({f.name, FieldType::String, f.size});
    for (const dacte::Row &row : rows) {
        contracts::Row values;
        for (const contracts::FieldDef &f : packet.fields) {
            const QString text = row.value(f.name);
            if (f.type == FieldType::Float)
                values << (text.isEmpty() ? QVariant() : QVariant(text.toDouble()));
            else
                values << text;
        }
        packet.rows.append(values);
    }
    return packet;
}

} // namespace

QVariant PreparaDACTe(CallContext &ctx, const Args &args)
{
    const qint64 key = qint64(args.at(0).toDouble());
    const std::optional<DacteSource> source = loadDacteSource(ctx.db, key);
    if (!source)
        throw ServerError(dacteSrvMsg("DACTE_NAO_ENCONTRADO").arg(key));
    if (!hasDacte(source->status))
        throw ServerError(dacteSrvMsg("DACTE_SITUACAO").arg(key).arg(source->status));
    if (source->data.rows(u"Ide"_s).isEmpty())
        throw ServerError(dacteSrvMsg("DACTE_SEM_XML").arg(key));
    QList<QVariant> elements;
    for (const dacte::SetDef &set : dacte::dacteSets())
        elements << QVariant::fromValue(setPacket(set, source->data.rows(set.name)));
    return contracts::okReply(elements);
}
