// GeraXML: the files that prove each asked document, named after its access key.
#include "CTeRecord.h"
#include "CteProcess.h"
#include "DataPacket.h"
#include "Operations.h"
#include "RpcProtocol.h"
#include "ServerError.h"
#include "TransmissionMessages.h"

using namespace Qt::StringLiterals;
using contracts::DataPacket;

namespace {

void addRow(DataPacket &packet, const QString &number, const QString &accessKey, bool generated,
            const QString &observation, const QByteArray &xml = {}, const QString &fileName = {})
{
    contracts::Row row;
    for (const contracts::FieldDef &f : packet.fields) {
        if (f.name == u"NRCTE")
            row << number;
        else if (f.name == u"DSOBSERVACAO")
            row << observation.left(255);
        else if (f.name == u"DSTEXTOXML")
            row << QString::fromUtf8(xml);
        else if (f.name == u"IDGERADO")
            row << (generated ? u"S"_s : u"N"_s);
        else if (f.name == u"NRACESSONFE")
            row << accessKey;
        else if (f.name == u"DSNOMEARQXML")
            row << fileName;
        else
            row << QVariant();
    }
    packet.rows.append(row);
}

} // namespace

QVariant GeraXML(CallContext &ctx, const Args &args)
{
    const auto asked = args.at(0).value<DataPacket>();
    const int keyField = asked.indexOf(u"CDCTE"_s);
    if (keyField < 0)
        throw ServerError(txMsg("XML_LISTA_INVALIDA"));
    DataPacket result;
    result.fields = contracts::cte::transmissionResultFields();
    for (const contracts::Row &r : asked.rows) {
        const qint64 key = qint64(r.at(keyField).toDouble());
        const std::optional<CteProcess> doc = loadCteProcess(ctx.db, key);
        if (!doc) {
            addRow(result, QString(), QString(), false, txMsg("XML_NAO_ENCONTRADO").arg(key));
        } else if (!doc->authorised()) {
            addRow(result, doc->number, doc->accessKey, false,
                   txMsg("XML_SITUACAO").arg(doc->number, doc->status));
        } else if (doc->cteProc.isEmpty()) {
            addRow(result, doc->number, doc->accessKey, false,
                   txMsg("XML_SEM_AUTORIZADO").arg(doc->number));
        } else {
            addRow(result, doc->number, doc->accessKey, true, txMsg("XML_GERADO"), doc->cteProc,
                   doc->cteProcFileName());
            if (!doc->cancellation.isEmpty())
                addRow(result, doc->number, doc->accessKey, true, txMsg("XML_EVENTO_GERADO"),
                       doc->cancellation, doc->cancellationFileName());
            for (qsizetype i = 0; i < doc->corrections.size(); ++i)
                addRow(result, doc->number, doc->accessKey, true,
                       txMsg("XML_CARTA_GERADO").arg(i + 1), doc->corrections.at(i),
                       doc->correctionFileName(int(i) + 1));
        }
    }
    return contracts::okReply({QVariant::fromValue(result)});
}
