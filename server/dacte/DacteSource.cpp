#include "DacteSource.h"

#include "ContractMessages.h"
#include "CteProcess.h"
#include "DacteXml.h"

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
    const std::optional<CteProcess> stored = loadCteProcess(db, cdCte);
    if (!stored)
        return std::nullopt;
    DacteSource source;
    source.status = stored->status;
    source.accessKey = stored->accessKey;
    if (!stored->signedCte.isEmpty())
        source.data = dacte::readDacteXml(stored->signedCte, stored->protocol, double(cdCte));
    // The stored protocol is the authorisation's; a cancelled document's DACTE must say it is
    // cancelled, on the PDF and in the report window alike, so its protocol set carries the
    // cancellation's status (135 by the event, 101 by the status query).
    QList<dacte::Row> &protocol = source.data.sets[u"InfProt"_s];
    if (source.status == u"C" && !protocol.isEmpty()) {
        const QString &code = stored->statusCode;
        protocol.first().insert(u"cStat"_s, code == u"135" ? code : u"101"_s);
    }
    return source;
}
