// The DACTE as PDF files: one per document or all joined, zipped, as Base64 text, with a
// return-detail row per document.
#include "DactePdf.h"
#include "DacteSource.h"
#include "DataPacket.h"
#include "Operations.h"
#include "RpcProtocol.h"
#include "ServerError.h"

#include <QBuffer>

#include <quazip.h>
#include <quazipfile.h>
#include <quazipnewinfo.h>

using namespace Qt::StringLiterals;
using contracts::DataPacket;
using contracts::FieldType;

namespace {

struct Detail
{
    QString key, text, status; // status "0" generated, "1" not generated
};

QByteArray zipOf(const QList<std::pair<QString, QByteArray>> &files)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QuaZip zip(&buffer);
    if (!zip.open(QuaZip::mdCreate))
        throw ServerError(dacteSrvMsg("DACTE_ARQUIVO_FALHA"));
    for (const auto &[name, content] : files) {
        QuaZipFile entry(&zip);
        if (!entry.open(QIODevice::WriteOnly, QuaZipNewInfo(name))
            || entry.write(content) != content.size())
            throw ServerError(dacteSrvMsg("DACTE_ARQUIVO_FALHA"));
        entry.close();
    }
    zip.close();
    if (zip.getZipError() != 0)
        throw ServerError(dacteSrvMsg("DACTE_ARQUIVO_FALHA"));
    return bytes;
}

DataPacket detailPacket(const QList<Detail> &details)
{
    DataPacket p;
    p.fields = {{u"NRACESSONFE"_s, FieldType::String, 50},
                {u"DSRETORNO"_s, FieldType::String, 4000},
                {u"IDSTATUS"_s, FieldType::String, 1}};
    for (const Detail &d : details)
        p.rows.append({d.key, d.text.left(4000), d.status});
    return p;
}

} // namespace

QVariant GerarDACTE(CallContext &ctx, const Args &args)
{
    const auto list = args.at(0).value<DataPacket>();
    const bool join = args.at(1).toString().trimmed() == u"S";
    const int keyField = list.indexOf(u"CDCTE"_s);
    const int accessField = list.indexOf(u"NRACESSOCTE"_s);
    if (keyField < 0 || accessField < 0)
        throw ServerError(dacteSrvMsg("DACTE_LISTA_INVALIDA"));

    QList<Detail> details;
    QList<std::pair<QString, dacte::DacteData>> drawn;
    for (const contracts::Row &row : list.rows) {
        const qint64 key = qint64(row.at(keyField).toDouble());
        const QString asked = row.at(accessField).toString().trimmed();
        const std::optional<DacteSource> source = loadDacteSource(ctx.db, key);
        if (!source) {
            details.append({asked, dacteSrvMsg("DACTE_NAO_ENCONTRADO").arg(key), u"1"_s});
        } else if (!hasDacte(source->status)) {
            details.append({source->accessKey,
                            dacteSrvMsg("DACTE_SITUACAO").arg(key).arg(source->status), u"1"_s});
        } else if (source->data.rows(u"Ide"_s).isEmpty()) {
            details.append({source->accessKey, dacteSrvMsg("DACTE_SEM_XML").arg(key), u"1"_s});
        } else {
            details.append({source->accessKey, dacteSrvMsg("DACTE_GERADO"), u"0"_s});
            drawn.append({source->accessKey, source->data});
        }
    }

    QList<std::pair<QString, QByteArray>> files;
    if (join && !drawn.isEmpty()) {
        QList<dacte::DacteData> all;
        for (const auto &d : drawn)
            all.append(d.second);
        const QString name = drawn.size() == 1 ? drawn.first().first + u"-cte.pdf"_s
                                               : u"dacte-%1-cte.pdf"_s.arg(drawn.size());
        files.append({name, dacte::dactePdf(all)});
    } else {
        for (const auto &[accessKey, data] : drawn)
            files.append({accessKey + u"-cte.pdf"_s, dacte::dactePdf({data})});
    }

    DataPacket stream;
    stream.fields = {{u"DSSTRINGSTREAM"_s, FieldType::Memo}};
    stream.rows.append({QString::fromLatin1(zipOf(files).toBase64())});
    return contracts::okReply(
        {QVariant::fromValue(stream), QVariant::fromValue(detailPacket(details))});
}
