#include "DacteSource.h"

#include "ContractMessages.h"
#include "DacteXml.h"
#include "SqlSupport.h"

#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace {
const char *const kCatalogue = R"(
DACTE_NAO_ENCONTRADO|Conhecimento %1 não encontrado.
CCE_NAO_ENCONTRADA|Carta de correção %1 do conhecimento %2 não encontrada.
DACTE_SITUACAO|DACTE não gerado: o conhecimento %1 está com a situação "%2"; só um conhecimento aceito ou cancelado tem DACTE.
DACTE_SEM_XML|DACTE não gerado: o conhecimento %1 não tem o XML autorizado gravado.
DACTE_GERADO|DACTE gerado com sucesso.
DACTE_LISTA_INVALIDA|Lista de conhecimentos inválida: são necessários os campos NRACESSOCTE e CDCTE.
DACTE_ARQUIVO_FALHA|Não foi possível montar o arquivo compactado do DACTE.
)";
} // namespace

QString dacteSrvMsg(const char *key)
{
    static const QHash<QString, QString> texts = contracts::parseCatalogue(kCatalogue);
    return texts.value(QString::fromLatin1(key));
}

bool hasDacte(const QString &status)
{
    return status == u"A" || status == u"C";
}

std::optional<DacteSource> loadDacteSource(const QSqlDatabase &db, qint64 cdCte)
{
    QSqlQuery q
        = runSql(db,
                 u"SELECT IDSTATUSCTE, NRACESSOCTE, DSXMLCTE, DSXMLPROTOCOLO, CDSTATUSCTE FROM CTE "
                 "WHERE CDCTE = :K"_s,
                 {{u":K", cdCte}});
    if (!q.next())
        return std::nullopt;
    DacteSource source;
    source.status = q.value(0).toString().trimmed();
    source.accessKey = q.value(1).toString().trimmed();
    const QByteArray xml = q.value(2).toString().toUtf8();
    if (!xml.isEmpty())
        source.data = dacte::readDacteXml(xml, q.value(3).toString().toUtf8(), double(cdCte));
    // The stored protocol is the authorisation's; a cancelled document's DACTE must say it is
    // cancelled, on the PDF and in the report window alike, so its protocol set carries the
    // cancellation's status (135 by the event, 101 by the status query).
    QList<dacte::Row> &protocol = source.data.sets[u"InfProt"_s];
    if (source.status == u"C" && !protocol.isEmpty()) {
        const QString code = q.value(4).toString().trimmed();
        protocol.first().insert(u"cStat"_s, code == u"135" ? code : u"101"_s);
    }
    return source;
}
