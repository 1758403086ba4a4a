// A registered correction letter as a one-page PDF, Base64 text.
#include "CorrectionLetter.h"
#include "CorrectionLetterPdf.h"
#include "DacteSource.h"
#include "Operations.h"
#include "RpcProtocol.h"
#include "ServerError.h"
#include "SqlSupport.h"

using namespace Qt::StringLiterals;

QVariant GerarCartaCorrecaoCTe(CallContext &ctx, const Args &args)
{
    const qint64 key = qint64(args.at(0).toString().trimmed().toDouble());
    const int sequence = args.at(1).toString().trimmed().toInt();
    QSqlQuery q = runSql(ctx.db,
                         u"SELECT C.NRACESSOCTE, C.NRCTE, C.CDSERIECTE, C.NMRAZSOCEMIT, "
                         "C.NRINSJUREMIT, E.NRPROTOCOLO, E.DTREGISTRO, E.DSXMLEVENTO "
                         "FROM CTEEVENTO E JOIN CTE C ON C.CDCTE = E.CDCTE "
                         "WHERE E.CDCTE = :K AND E.TPEVENTO = '110110' AND E.NRSEQEVENTO = :S"_s,
                         {{u":K", key}, {u":S", sequence}});
    if (!q.next())
        throw ServerError(dacteSrvMsg("CCE_NAO_ENCONTRADA").arg(sequence).arg(key));
    dacte::CorrectionLetterData d;
    d.accessKey = q.value(0).toString().trimmed();
    d.number = q.value(1).toString().trimmed();
    d.series = q.value(2).toString().trimmed();
    d.issuerName = q.value(3).toString().trimmed();
    d.issuerCnpj = q.value(4).toString().trimmed();
    d.sequence = sequence;
    d.protocol = q.value(5).toString().trimmed();
    d.registeredAt = q.value(6).toDateTime();
    const LetterContent content = letterContent(q.value(7).toString().toUtf8());
    d.eventAt = content.eventAt;
    d.condition = content.condition;
    for (const Correction &c : content.corrections)
        d.corrections.append({c.group, c.field, c.value, c.item});
    return contracts::okReply({QString::fromLatin1(dacte::correctionLetterPdf(d).toBase64())});
}
