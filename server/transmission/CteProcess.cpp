#include "CteProcess.h"

#include "CorrectionLetter.h"
#include "SqlSupport.h"

#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace {

QByteArray withoutDeclaration(const QByteArray &xml)
{
    const QByteArray trimmed = xml.trimmed();
    return trimmed.startsWith("<?xml") ? trimmed.mid(trimmed.indexOf("?>") + 2).trimmed() : trimmed;
}

} // namespace

QByteArray cteProcOf(const QByteArray &signedCte, const QByteArray &protocol)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
           "<cteProc xmlns=\"http://www.portalfiscal.inf.br/cte\" versao=\"4.00\">"
        + withoutDeclaration(signedCte) + withoutDeclaration(protocol) + "</cteProc>";
}

std::optional<CteProcess> loadCteProcess(const QSqlDatabase &db, qint64 key)
{
    QSqlQuery q = runSql(db,
                         u"SELECT NRCTE, IDSTATUSCTE, NRACESSOCTE, DSXMLCTE, DSXMLPROTOCOLO, "
                         "DSXMLCANCELAMENTO, CDSTATUSCTE FROM CTE WHERE CDCTE = :K"_s,
                         {{u":K", key}});
    if (!q.next())
        return std::nullopt;
    CteProcess p;
    p.key = key;
    p.number = q.value(0).toString().trimmed();
    p.status = q.value(1).toString().trimmed();
    p.accessKey = q.value(2).toString().trimmed();
    p.signedCte = q.value(3).toString().toUtf8();
    p.protocol = q.value(4).toString().toUtf8();
    p.statusCode = q.value(6).toString().trimmed();
    if (p.authorised() && !p.signedCte.trimmed().isEmpty() && !p.protocol.trimmed().isEmpty())
        p.cteProc = cteProcOf(p.signedCte, p.protocol);
    if (p.status == u"C")
        p.cancellation = q.value(5).toString().toUtf8();
    if (!p.cteProc.isEmpty())
        p.corrections = correctionLetterXmls(db, key);
    return p;
}
