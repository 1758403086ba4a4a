// The list load: the company's documents of one state registration chosen by the filter's
// criteria, with all their child rows, the establishment parameters and the component register.
#include "Operations.h"

#include "CTeRecord.h"
#include "PacketSql.h"
#include "RpcProtocol.h"
#include "Schema.h"
#include "SelectionList.h"
#include "ServerError.h"
#include "ServerMessages.h"
#include "SqlSupport.h"
#include "SqliteRows.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;
using contracts::FieldDef;

namespace {

// Version suffix of the process-version text the editor writes into new documents.
constexpr char16_t kProcessVersion[] = u"1.00";

struct RoleArgs
{
    const char16_t *role; // field suffix
    const char16_t *stem; // CD<stem>CLI / CD<stem>FOR
    int letter; // index of the selector letter among the arguments
};

// Argument positions of the five roles: payer first, then sender, dispatcher, receiver,
// recipient.
constexpr RoleArgs kRoleArgs[] = {
    {u"TOMA", u"TOMADOR", 2},    {u"REME", u"REMETENTE", 9},  {u"EXPE", u"EXPEDIDOR", 12},
    {u"RECE", u"RECEBEDOR", 15}, {u"DEST", u"DESTINATA", 18},
};

struct Selection
{
    QString where;
    QList<std::pair<QString, QVariant>> binds;

    void add(const QString &condition) { where += u" AND "_s + condition; }
    QString bind(const QVariant &value)
    {
        const QString name = u":P%1"_s.arg(binds.size());
        binds.append({name, value});
        return name;
    }
};

Selection buildSelection(const Args &a)
{
    Selection s;
    const QString company = a.at(0).toString().trimmed();
    if (company.isEmpty())
        throw ServerError(srvMsg("EMPRESA_DEVE"));
    s.where = u"D.CDEMPRESA = "_s + s.bind(company);
    const QString registration = a.at(1).toString().trimmed();
    if (!registration.isEmpty())
        s.add(u"D.NRINSESTEMIT = "_s + s.bind(registration));

    for (const RoleArgs &r : kRoleArgs) {
        const QString letter = a.at(r.letter).toString().trimmed().toUpper();
        const QString clientCode = a.at(r.letter + 1).toString().trimmed();
        const QString supplierCode = a.at(r.letter + 2).toString().trimmed();
        const QString source = contracts::cte::partySourceField(QString::fromUtf16(r.role));
        const QString stem = QString::fromUtf16(r.stem);
        if (letter == u"C") {
            s.add(u"D.%1 = 'C'"_s.arg(source));
            if (!clientCode.isEmpty())
                s.add(u"D.CD%1CLI = "_s.arg(stem) + s.bind(clientCode));
        } else if (letter == u"F") {
            s.add(u"D.%1 = 'F'"_s.arg(source));
            if (!supplierCode.isEmpty())
                s.add(u"D.CD%1FOR = "_s.arg(stem) + s.bind(supplierCode));
        } else if (letter != u"X") {
            throw ServerError(srvMsg("SELETOR_INVALIDO").arg(a.at(r.letter).toString()));
        }
    }

    const QDate from = a.at(5).toDate();
    const QDate to = a.at(6).toDate();
    if (from.isValid())
        s.add(u"D.DTEMISSAO >= "_s + s.bind(from.startOfDay()));
    if (to.isValid())
        s.add(u"D.DTEMISSAO < "_s + s.bind(to.addDays(1).startOfDay()));

    const QString situations = a.at(7).toString();
    static const QRegularExpression situationPattern(u"^_([ACDPRT]_)*$"_s);
    if (!situationPattern.match(situations).hasMatch())
        throw ServerError(srvMsg("SITUACAO_INVALIDA").arg(situations));
    QStringList letters;
    for (const QString &piece : situations.split(u'_', Qt::SkipEmptyParts))
        letters << s.bind(piece);
    s.add(letters.isEmpty() ? u"1 = 0"_s : u"D.IDSTATUSCTE IN (%1)"_s.arg(letters.join(u", "_s)));

    const QString types = a.at(8).toString().trimmed();
    if (types != u"T") {
        bool ok = false;
        const QStringList keys = contracts::splitSelectionList(types, &ok);
        if (!ok)
            throw ServerError(srvMsg("TIPO_OPER_LISTA_INVALIDA").arg(types));
        QStringList conditions;
        for (const QString &key : keys) {
            if (key.size() < 2)
                throw ServerError(srvMsg("TIPO_OPER_LISTA_INVALIDA").arg(types));
            conditions << u"(D.IDENTRSAIDOP = %1 AND D.CDTIPOOPER = %2)"_s.arg(s.bind(key.left(1)),
                                                                               s.bind(key.mid(1)));
        }
        s.add(conditions.isEmpty() ? u"1 = 0"_s : u"(%1)"_s.arg(conditions.join(u" OR "_s)));
    }
    return s;
}

// The list's packet: on SQLite written as its text straight from the rows.
QVariant loadList(CallContext &ctx, const schema::StoredList &list, const Selection &s)
{
    const QString sql = list.table == u"CTE"
        ? u"SELECT %1 FROM CTE D WHERE %2 ORDER BY D.CDCTE"_s.arg(
            packetsql::columnList(list.fields, u"D"_s), s.where)
        : u"SELECT %1 FROM %2 C WHERE C.CDCTE IN (SELECT D.CDCTE FROM CTE D "
          "WHERE %3) ORDER BY C.%4"_s.arg(packetsql::columnList(list.fields, u"C"_s), list.table,
                                          s.where, list.key);
    contracts::Row prefix;
    QList<FieldDef> prefixFields;
    if (list.table == u"CTE") {
        prefix = {QVariant(u"N"_s)};
        prefixFields = {contracts::cte::documentFields().first()};
    }
    if (!isPostgres(ctx.db)) {
        if (auto text
            = sqliterows::readAsText(ctx.db, sql, s.binds, list.fields, prefix, prefixFields))
            return QVariant::fromValue(std::move(*text));
    }
    QSqlQuery q = runSql(ctx.db, sql, s.binds);
    return QVariant::fromValue(packetsql::fromQuery(q, list.fields, prefix, prefixFields));
}

// The child rows of the selected documents. On PostgreSQL, where each statement is a round
// trip, every child list comes in one statement: a row carries the number of its list, its key,
// and a block of columns per list, only its own list's filled. On SQLite a statement is a call
// in the process, and one per list reads no empty columns.
QVariantList loadChildren(CallContext &ctx, const QList<schema::StoredList> &children,
                          const Selection &s)
{
    if (!isPostgres(ctx.db)) {
        QVariantList packets;
        for (const schema::StoredList &list : children)
            packets << loadList(ctx, list, s);
        return packets;
    }
    QList<qsizetype> blockStart;
    qsizetype width = 2;
    for (const schema::StoredList &list : children) {
        blockStart << width;
        width += list.fields.size();
    }
    QStringList branches;
    for (qsizetype l = 0; l < children.size(); ++l) {
        const schema::StoredList &list = children.at(l);
        QStringList columns {QString::number(l), u"C."_s + list.key};
        for (qsizetype other = 0; other < children.size(); ++other) {
            // A bare NULL in two branches would be taken for text.
            for (const FieldDef &f : children.at(other).fields)
                columns << (other == l ? u"C."_s + f.name
                                       : u"CAST(NULL AS %1)"_s.arg(schema::columnType(f, true)));
        }
        branches << u"SELECT %1 FROM %2 C WHERE C.CDCTE IN (SELECT D.CDCTE FROM CTE D WHERE %3)"_s
                        .arg(columns.join(u", "_s), list.table, s.where);
    }
    QSqlQuery q = runSql(ctx.db, branches.join(u" UNION ALL "_s), s.binds);
    // Ordered here by key: the database would sort the wide rows together.
    QList<std::vector<std::pair<qint64, contracts::Row>>> keyed(children.size());
    while (q.next()) {
        const qsizetype l = q.value(0).toInt();
        if (l < 0 || l >= children.size())
            continue;
        const QList<FieldDef> &fields = children.at(l).fields;
        contracts::Row row;
        row.reserve(fields.size());
        for (qsizetype i = 0; i < fields.size(); ++i)
            row.append(packetsql::readValue(q.value(int(blockStart.at(l) + i)), fields.at(i)));
        keyed[l].emplace_back(q.value(1).toLongLong(), std::move(row));
    }
    QVariantList packets;
    for (qsizetype l = 0; l < children.size(); ++l) {
        std::sort(keyed[l].begin(), keyed[l].end(),
                  [](const auto &a, const auto &b) { return a.first < b.first; });
        contracts::DataPacket packet;
        packet.fields = children.at(l).fields;
        packet.rows.reserve(qsizetype(keyed[l].size()));
        for (auto &[key, row] : keyed[l])
            packet.rows.append(std::move(row));
        packets << QVariant::fromValue(std::move(packet));
    }
    return packets;
}

} // namespace

QVariant GetDadosGerais(CallContext &ctx, const Args &args)
{
    const Selection s = buildSelection(args);
    SqlTransaction snapshot(ctx.db, SqlTransaction::Snapshot);
    const QList<schema::StoredList> &lists = schema::documentLists();

    QSqlQuery est = runSql(ctx.db,
                           u"SELECT CDEMPRESA, CDINSCESTA, NRINSJURIEST, IDTPIMPRESDACTE, "
                           "IDTPAMBIENTECTE, CDMODDOCFISCCTE, CDSERIECTE FROM INSCRESTAD "
                           "WHERE CDEMPRESA = :E AND (CDINSCESTA = :I OR :I2 = '') "
                           "ORDER BY CDINSCESTA"_s,
                           {{u":E", args.at(0).toString().trimmed()},
                            {u":I", args.at(1).toString().trimmed()},
                            {u":I2", args.at(1).toString().trimmed()}});
    const contracts::DataPacket establishments
        = packetsql::fromQuery(est, contracts::cte::establishmentFields());

    QSqlQuery comp = runSql(ctx.db,
                            u"SELECT CDCOMPVRPREST, DSCOMPVRPREST FROM COMPVRPREST "
                            "ORDER BY CDCOMPVRPREST"_s);
    const contracts::DataPacket components
        = packetsql::fromQuery(comp, contracts::cte::valueComponentRegisterFields());

    auto packet = [](const contracts::DataPacket &p) {
        return QVariant::fromValue(p);
    };
    const QVariant documents = loadList(ctx, lists.at(0), s);
    const QVariantList children = loadChildren(ctx, lists.mid(1), s);
    return contracts::okReply({
        documents,
        packet(establishments),
        QVariant(QString::fromUtf16(kProcessVersion)),
        children.at(0),
        children.at(1),
        packet(components),
        children.at(2),
        QVariant(),
        children.at(3),
        children.at(4),
    });
}
