#include "StoredDocument.h"

#include "PacketSql.h"
#include "Schema.h"
#include "SqlSupport.h"

#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace {

QList<FieldValues> readRows(const QSqlDatabase &db, const schema::StoredList &list, qint64 key)
{
    QSqlQuery q = runSql(db,
                         u"SELECT %1 FROM %2 WHERE CDCTE = :K ORDER BY %3"_s.arg(
                             packetsql::columnList(list.fields), list.table, list.key),
                         {{u":K", key}});
    QList<FieldValues> rows;
    while (q.next()) {
        FieldValues row;
        for (qsizetype i = 0; i < list.fields.size(); ++i)
            row.insert(list.fields.at(i).name,
                       packetsql::readValue(q.value(int(i)), list.fields.at(i)));
        rows.append(row);
    }
    return rows;
}

} // namespace

std::optional<StoredDocument> loadStoredDocument(const QSqlDatabase &db, qint64 key)
{
    const QList<schema::StoredList> &lists = schema::documentLists();
    QList<FieldValues> master = readRows(db, lists.at(0), key);
    if (master.isEmpty())
        return std::nullopt;
    StoredDocument doc;
    doc.document = master.first();
    doc.taxes = readRows(db, lists.at(1), key);
    doc.components = readRows(db, lists.at(2), key);
    doc.fiscalDocuments = readRows(db, lists.at(3), key);
    doc.cargoQuantities = readRows(db, lists.at(4), key);
    doc.observations = readRows(db, lists.at(5), key);
    return doc;
}

std::optional<IssuerParameters> loadIssuerParameters(const QSqlDatabase &db, const QString &company,
                                                     const QString &stateRegistration)
{
    QSqlQuery q = runSql(db,
                         u"SELECT NRRNTRC, IDCRT FROM CTEPARAMEMIT WHERE CDEMPRESA = :E "
                         "AND CDINSCESTA = :I"_s,
                         {{u":E", company}, {u":I", stateRegistration}});
    if (!q.next())
        return std::nullopt;
    return IssuerParameters {q.value(0).toString().trimmed(), q.value(1).toString().trimmed()};
}
