// The save: the six deltas of the editor applied in one transaction, all or nothing. The server
// gives keys and numbers, refuses documents that may no longer change and refuses a change made
// on values that someone else has changed since they were read.
#include "Operations.h"

#include "CTeRecord.h"
#include "FiscalTreatment.h"
#include "Money.h"
#include "PacketSql.h"
#include "RpcProtocol.h"
#include "SaveRequests.h"
#include "Schema.h"
#include "ServerError.h"
#include "ServerMessages.h"
#include "SqlSupport.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <QThread>

#include <atomic>
#include <cmath>

using namespace Qt::StringLiterals;
using contracts::Change;
using contracts::Delta;
using contracts::FieldDef;
using contracts::FieldType;

namespace {

std::atomic<int> g_savePauseMs {0};
// How long a save's request identifier is remembered.
constexpr int kRequestDays = 2;

// Fields of the document that only the server writes: keys, number, numbering key, status and
// what the tax authority returns.
const QSet<QString> &serverOwnedDocumentFields()
{
    static const QSet<QString> fields {
        u"CDCTE"_s,         u"NRCTE"_s,         u"CDEMPRESA"_s,   u"CDSERIECTE"_s,
        u"CDMODDOCFISC"_s,  u"IDSTATUSCTE"_s,   u"CDSTATUSCTE"_s, u"DSSTATUSCTE"_s,
        u"NRPROTOCOLCTE"_s, u"DTAUTORIZACAO"_s, u"NRACESSOCTE"_s, u"CDDIGESTVALUE"_s,
    };
    return fields;
}

// A delta's values by field name, for the fields the list stores.
using Values = QHash<QString, QVariant>;

struct CheckedDelta
{
    const schema::StoredList *list = nullptr;
    Delta delta;
    QList<int> columnOf; // per delta field: index in list->fields

    Values values(const contracts::Row &row) const
    {
        Values v;
        for (qsizetype i = 0; i < columnOf.size(); ++i) {
            if (columnOf.at(i) >= 0)
                v.insert(list->fields.at(columnOf.at(i)).name, row.value(i));
        }
        return v;
    }
};

bool compatibleTypes(FieldType a, FieldType b)
{
    auto textual = [](FieldType t) {
        return t == FieldType::String || t == FieldType::FixedString || t == FieldType::Memo;
    };
    return a == b || (textual(a) && textual(b));
}

// Checks that the delta describes the list: every field known with a matching type, every value
// within the column's width.
CheckedDelta checkDelta(const Delta &delta, const schema::StoredList &list)
{
    CheckedDelta c;
    c.list = &list;
    c.delta = delta;
    for (const FieldDef &f : delta.fields) {
        int found = -1;
        for (qsizetype i = 0; i < list.fields.size(); ++i) {
            if (list.fields.at(i).name.compare(f.name, Qt::CaseInsensitive) == 0)
                found = int(i);
        }
        // The list's client-only mark travels with the document rows and is not stored.
        if (found < 0 && list.table == u"CTE"
            && f.name.compare(u"IDCHECK"_s, Qt::CaseInsensitive) == 0) {
            c.columnOf.append(-1);
            continue;
        }
        if (found < 0)
            throw ServerError(srvMsg("DELTA_CAMPO_DESCONHECIDO").arg(f.name, list.dataset));
        if (!compatibleTypes(list.fields.at(found).type, f.type))
            throw ServerError(srvMsg("DELTA_CAMPO_TIPO").arg(f.name, list.dataset));
        c.columnOf.append(found);
    }
    // The key column identifies the rows.
    bool hasKey = false;
    for (int col : std::as_const(c.columnOf))
        hasKey = hasKey || (col >= 0 && list.fields.at(col).name == list.key);
    if (!hasKey)
        throw ServerError(srvMsg("DELTA_SEM_CHAVE").arg(list.key, list.dataset));
    for (const Change &ch : delta.changes) {
        for (const contracts::Row *row : {&ch.oldValues, &ch.newValues}) {
            for (qsizetype i = 0; i < row->size() && i < c.columnOf.size(); ++i) {
                const int col = c.columnOf.at(i);
                if (col < 0)
                    continue;
                const FieldDef &f = list.fields.at(col);
                const QVariant &v = row->at(i);
                if (f.size > 0 && !v.isNull() && v.toString().size() > f.size)
                    throw ServerError(
                        srvMsg("DELTA_VALOR_LONGO").arg(f.name, list.dataset).arg(f.size));
                // Reais are kept to the cent: 1000.555 is refused, not stored as typed.
                if (row == &ch.newValues && !v.isNull() && contracts::cte::isMoneyField(f.name)
                    && !money::centsOf(v))
                    throw ServerError(
                        srvMsg("DELTA_VALOR_CENTAVOS").arg(v.toString(), f.name, list.dataset));
            }
        }
    }
    return c;
}

qint64 keyOf(const QVariant &v)
{
    return v.isNull() ? 0 : qint64(std::llround(v.toDouble()));
}

class Saver
{
public:
    explicit Saver(CallContext &ctx)
        : m_ctx(ctx)
        , m_pg(isPostgres(ctx.db))
    { }

    qint64 applyDocument(const CheckedDelta &d);
    void applyChildren(const CheckedDelta &d);
    // Checks the fiscal result of every document whose record or taxes changed, then numbers
    // the new document.
    void finish();
    qint64 savedKey() const { return m_savedKey; }

private:
    // Keys for `count` new rows of `list`. Keys may have gaps; numbers may not.
    QList<qint64> newKeys(const schema::StoredList &list, int count);
    QString nextNumber(const QString &company, const QString &model, const QString &series);
    // Numbers the new document as the last step, so that the numbering row stays locked only
    // for the end of the transaction.
    void numberNewDocument();
    // The stored row of `key`, locked for this transaction; empty when it does not exist.
    std::optional<Values> storedRow(const schema::StoredList &list, qint64 key);
    // The stored row a change read; a row that is gone was deleted by someone else.
    Values existingRow(const schema::StoredList &list, qint64 key);
    void requireEditable(qint64 documentKey);
    // A new document's company, series and model must be those of one of the company's
    // establishments in the host's tables.
    void requireKnownNumbering(const QString &company, const QString &series, const QString &model);
    void requireUnchanged(const schema::StoredList &list, const Values &clientOld,
                          const Values &stored);
    void insertRows(const schema::StoredList &list, const QList<Values> &rows);
    void updateRow(const schema::StoredList &list, qint64 key, const Values &values,
                   const QSet<QString> &skip);
    void deleteRow(const schema::StoredList &list, qint64 key);

    CallContext &m_ctx;
    bool m_pg;
    qint64 m_newDocument = 0;
    QString m_newCompany, m_newModel, m_newSeries;
    qint64 m_savedKey = 0;
    QHash<qint64, bool> m_editable;
    QSet<qint64> m_fiscalChanged;
};

void Saver::finish()
{
    for (const qint64 document : std::as_const(m_fiscalChanged))
        fiscal::requireAgreement(m_ctx, document);
    numberNewDocument();
}

QList<qint64> Saver::newKeys(const schema::StoredList &list, int count)
{
    QList<qint64> keys;
    if (count <= 0)
        return keys;
    if (m_pg) {
        // Sequences hand out keys without holding a lock until the commit.
        QSqlQuery q = runSql(
            m_ctx.db, u"SELECT nextval('SEQ_%1') FROM generate_series(1, :N)"_s.arg(list.table),
            {{u":N", count}});
        while (q.next())
            keys.append(q.value(0).toLongLong());
    } else {
        // SQLite writes one transaction at a time: a counter row is enough.
        const QList<std::pair<QString, QVariant>> binds {{u":T"_s, list.table}, {u":N"_s, count}};
        QSqlQuery q = runSql(m_ctx.db,
                             u"UPDATE SRVSEQUENCIA SET NRULTIMO = NRULTIMO + :N "
                             "WHERE NMSEQUENCIA = :T RETURNING NRULTIMO"_s,
                             binds);
        if (!q.next()) {
            q = runSql(
                m_ctx.db,
                u"INSERT INTO SRVSEQUENCIA (NMSEQUENCIA, NRULTIMO) SELECT :T, "
                "COALESCE(MAX(%1), 0) + :N FROM %2 RETURNING NRULTIMO"_s.arg(list.key, list.table),
                binds);
            q.next();
        }
        const qint64 last = q.value(0).toLongLong();
        for (qint64 k = last - count + 1; k <= last; ++k)
            keys.append(k);
    }
    if (keys.size() != count)
        throw ServerError(srvMsg("CHAVE_FALHA").arg(list.table));
    return keys;
}

QString Saver::nextNumber(const QString &company, const QString &model, const QString &series)
{
    const QList<std::pair<QString, QVariant>> binds {
        {u":E"_s, company}, {u":M"_s, model}, {u":S"_s, series}};
    // The counter row is locked until the commit: concurrent savers of the series queue here.
    QSqlQuery q = runSql(m_ctx.db,
                         u"UPDATE CTENUMERACAO SET NRULTIMO = NRULTIMO + 1 WHERE CDEMPRESA = :E "
                         "AND CDMODDOCFISC = :M AND CDSERIECTE = :S RETURNING NRULTIMO"_s,
                         binds);
    if (!q.next()) {
        // First document of the series: two savers may race to create the row; the loser
        // waits for the winner's commit and then counts on.
        runSql(m_ctx.db,
               u"INSERT INTO CTENUMERACAO (CDEMPRESA, CDMODDOCFISC, CDSERIECTE, NRULTIMO) "
               "SELECT :E, :M, :S, COALESCE(MAX(CAST(NRCTE AS BIGINT)), 0) FROM CTE "
               "WHERE CDEMPRESA = :E AND CDMODDOCFISC = :M AND CDSERIECTE = :S "
               "ON CONFLICT (CDEMPRESA, CDMODDOCFISC, CDSERIECTE) DO NOTHING"_s,
               binds);
        q = runSql(m_ctx.db,
                   u"UPDATE CTENUMERACAO SET NRULTIMO = NRULTIMO + 1 WHERE CDEMPRESA = :E "
                   "AND CDMODDOCFISC = :M AND CDSERIECTE = :S RETURNING NRULTIMO"_s,
                   binds);
        if (!q.next())
            throw ServerError(srvMsg("CHAVE_FALHA").arg(u"CTENUMERACAO"_s));
    }
    qint64 number = q.value(0).toLongLong();
    q.finish();
    // Numbers voided at the authority are never handed out: the counter jumps past the range.
    for (;;) {
        QSqlQuery voided
            = runSql(m_ctx.db,
                     u"SELECT MAX(NRFINAL) FROM CTEINUTILIZACAO WHERE CDEMPRESA = :E "
                     "AND CDMODDOCFISC = :M AND CDSERIECTE = :S AND "
                     ":N BETWEEN NRINICIAL AND NRFINAL"_s,
                     {{u":E"_s, company}, {u":M"_s, model}, {u":S"_s, series}, {u":N"_s, number}});
        if (!voided.next() || voided.value(0).isNull())
            break;
        const qint64 skipTo = voided.value(0).toLongLong() + 1;
        voided.finish();
        runSql(m_ctx.db,
               u"UPDATE CTENUMERACAO SET NRULTIMO = :N WHERE CDEMPRESA = :E "
               "AND CDMODDOCFISC = :M AND CDSERIECTE = :S"_s,
               {{u":N"_s, skipTo}, {u":E"_s, company}, {u":M"_s, model}, {u":S"_s, series}});
        number = skipTo;
    }
    if (number > 999999999)
        throw ServerError(srvMsg("NUMERACAO_ESGOTADA").arg(series));
    return u"%1"_s.arg(number, 9, 10, QLatin1Char('0'));
}

void Saver::numberNewDocument()
{
    if (m_newDocument == 0)
        return;
    runSql(m_ctx.db, u"UPDATE CTE SET NRCTE = :N WHERE CDCTE = :K"_s,
           {{u":N", nextNumber(m_newCompany, m_newModel, m_newSeries)}, {u":K", m_newDocument}});
}

std::optional<Values> Saver::storedRow(const schema::StoredList &list, qint64 key)
{
    QSqlQuery q = runSql(
        m_ctx.db,
        u"SELECT %1 FROM %2 WHERE %3 = :K%4"_s.arg(packetsql::columnList(list.fields), list.table,
                                                   list.key, m_pg ? u" FOR UPDATE"_s : QString()),
        {{u":K", key}});
    if (!q.next())
        return std::nullopt;
    Values v;
    for (qsizetype i = 0; i < list.fields.size(); ++i)
        v.insert(list.fields.at(i).name, q.value(int(i)));
    return v;
}

Values Saver::existingRow(const schema::StoredList &list, qint64 key)
{
    auto stored = storedRow(list, key);
    if (!stored)
        throw ServerError(srvMsg("ALTERADO_POR_OUTRO").arg(list.dataset, list.key));
    return *stored;
}

void Saver::requireEditable(qint64 documentKey)
{
    if (documentKey == m_newDocument && documentKey != 0)
        return;
    auto cached = m_editable.constFind(documentKey);
    if (cached != m_editable.constEnd() && *cached)
        return;
    QSqlQuery q = runSql(m_ctx.db,
                         u"SELECT IDSTATUSCTE, NRCTE FROM CTE WHERE CDCTE = :K%1"_s.arg(
                             m_pg ? u" FOR UPDATE"_s : QString()),
                         {{u":K", documentKey}});
    if (!q.next())
        throw ServerError(srvMsg("DOCUMENTO_NAO_ENCONTRADO").arg(documentKey));
    const QString status = q.value(0).toString();
    if (status != u"P" && status != u"R")
        throw ServerError(srvMsg("DOCUMENTO_BLOQUEADO").arg(q.value(1).toString(), status));
    m_editable.insert(documentKey, true);
}

void Saver::requireKnownNumbering(const QString &company, const QString &series,
                                  const QString &model)
{
    QSqlQuery q = runSql(m_ctx.db,
                         u"SELECT 1 FROM INSCRESTAD WHERE CDEMPRESA = :E AND CDSERIECTE = :S "
                         "AND CDMODDOCFISCCTE = :M"_s,
                         {{u":E", company}, {u":S", series}, {u":M", model}});
    if (!q.next())
        throw ServerError(srvMsg("NUMERACAO_DESCONHECIDA").arg(company, series, model));
}

void Saver::requireUnchanged(const schema::StoredList &list, const Values &clientOld,
                             const Values &stored)
{
    for (const FieldDef &f : list.fields) {
        auto it = clientOld.constFind(f.name);
        if (it == clientOld.constEnd())
            continue;
        if (!packetsql::sameValue(*it, stored.value(f.name), f))
            throw ServerError(srvMsg("ALTERADO_POR_OUTRO").arg(list.dataset, f.name));
    }
}

void Saver::insertRows(const schema::StoredList &list, const QList<Values> &rows)
{
    QStringList cols;
    for (const FieldDef &f : list.fields)
        cols << f.name;
    // Several rows per statement, within the parameter limits of both databases.
    const qsizetype perStatement = std::max<qsizetype>(1, 900 / list.fields.size());
    for (qsizetype start = 0; start < rows.size(); start += perStatement) {
        QStringList tuples;
        QList<std::pair<QString, QVariant>> binds;
        for (qsizetype r = start; r < std::min(rows.size(), start + perStatement); ++r) {
            QStringList params;
            for (const FieldDef &f : list.fields) {
                const QString name = u":%1_%2"_s.arg(f.name).arg(r);
                params << name;
                binds.append({name, packetsql::bindValue(rows.at(r).value(f.name), f)});
            }
            tuples << u"("_s + params.join(u", "_s) + u")"_s;
        }
        runSql(m_ctx.db,
               u"INSERT INTO %1 (%2) VALUES %3"_s.arg(list.table, cols.join(u", "_s),
                                                      tuples.join(u", "_s)),
               binds);
    }
}

void Saver::updateRow(const schema::StoredList &list, qint64 key, const Values &values,
                      const QSet<QString> &skip)
{
    QStringList sets;
    QList<std::pair<QString, QVariant>> binds;
    for (const FieldDef &f : list.fields) {
        if (f.name == list.key || skip.contains(f.name) || !values.contains(f.name))
            continue;
        sets << u"%1 = :%1"_s.arg(f.name);
        binds.append({u":"_s + f.name, packetsql::bindValue(values.value(f.name), f)});
    }
    if (sets.isEmpty())
        return;
    binds.append({u":KEY__"_s, key});
    runSql(m_ctx.db,
           u"UPDATE %1 SET %2 WHERE %3 = :KEY__"_s.arg(list.table, sets.join(u", "_s), list.key),
           binds);
}

void Saver::deleteRow(const schema::StoredList &list, qint64 key)
{
    runSql(m_ctx.db, u"DELETE FROM %1 WHERE %2 = :K"_s.arg(list.table, list.key), {{u":K", key}});
}

qint64 Saver::applyDocument(const CheckedDelta &d)
{
    const schema::StoredList &list = *d.list;
    for (const Change &ch : d.delta.changes) {
        switch (ch.kind) {
        case Change::Kind::Insert: {
            if (m_newDocument != 0)
                throw ServerError(srvMsg("UM_DOCUMENTO_NOVO"));
            Values v = d.values(ch.newValues);
            const QString company = v.value(u"CDEMPRESA"_s).toString().trimmed();
            const QString series = v.value(u"CDSERIECTE"_s).toString().trimmed();
            const QString model = v.value(u"CDMODDOCFISC"_s).toString().trimmed();
            if (company.isEmpty() || series.isEmpty() || model.isEmpty())
                throw ServerError(srvMsg("DOCUMENTO_SEM_NUMERACAO"));
            requireKnownNumbering(company, series, model);
            const qint64 key = newKeys(list, 1).first();
            for (const QString &f : serverOwnedDocumentFields())
                v.remove(f);
            v.insert(u"CDCTE"_s, double(key));
            v.insert(u"CDEMPRESA"_s, company);
            v.insert(u"CDSERIECTE"_s, series);
            v.insert(u"CDMODDOCFISC"_s, model);
            v.insert(u"IDSTATUSCTE"_s, u"P"_s);
            insertRows(list, {v});
            m_newCompany = company;
            m_newModel = model;
            m_newSeries = series;
            m_newDocument = key;
            m_savedKey = key;
            m_fiscalChanged.insert(key);
            break;
        }
        case Change::Kind::Update: {
            const Values old = d.values(ch.oldValues);
            const qint64 key = keyOf(old.value(list.key));
            const Values stored = existingRow(list, key);
            requireEditable(key);
            requireUnchanged(list, old, stored);
            updateRow(list, key, d.values(ch.newValues), serverOwnedDocumentFields());
            m_savedKey = key;
            m_fiscalChanged.insert(key);
            break;
        }
        case Change::Kind::Delete: {
            const Values old = d.values(ch.oldValues);
            const qint64 key = keyOf(old.value(list.key));
            const Values stored = existingRow(list, key);
            requireEditable(key);
            requireUnchanged(list, old, stored);
            const QList<schema::StoredList> &lists = schema::documentLists();
            for (qsizetype i = 1; i < lists.size(); ++i)
                runSql(m_ctx.db, u"DELETE FROM %1 WHERE CDCTE = :K"_s.arg(lists.at(i).table),
                       {{u":K", key}});
            // A rejected document was in a transmission batch: the batch keeps its other
            // documents.
            runSql(m_ctx.db, u"DELETE FROM CTELOTEDOC WHERE CDCTE = :K"_s, {{u":K", key}});
            deleteRow(list, key);
            m_editable.remove(key);
            m_fiscalChanged.remove(key);
            m_savedKey = key;
            break;
        }
        }
    }
    return m_savedKey;
}

void Saver::applyChildren(const CheckedDelta &d)
{
    const schema::StoredList &list = *d.list;
    QList<Values> inserts;
    for (const Change &ch : d.delta.changes) {
        qint64 document = 0;
        switch (ch.kind) {
        case Change::Kind::Insert: {
            Values v = d.values(ch.newValues);
            document = keyOf(v.value(u"CDCTE"_s));
            if (document == 0)
                document = m_newDocument;
            if (document == 0)
                throw ServerError(srvMsg("FILHO_SEM_DOCUMENTO").arg(list.dataset));
            requireEditable(document);
            v.insert(u"CDCTE"_s, double(document));
            inserts.append(v);
            break;
        }
        case Change::Kind::Update:
        case Change::Kind::Delete: {
            const Values old = d.values(ch.oldValues);
            const qint64 key = keyOf(old.value(list.key));
            const Values stored = existingRow(list, key);
            document = keyOf(stored.value(u"CDCTE"_s));
            requireEditable(document);
            requireUnchanged(list, old, stored);
            if (ch.kind == Change::Kind::Update)
                updateRow(list, key, d.values(ch.newValues), {u"CDCTE"_s});
            else
                deleteRow(list, key);
            break;
        }
        }
        if (m_savedKey == 0)
            m_savedKey = document;
        if (list.table == u"CTEIMPOSTOS")
            m_fiscalChanged.insert(document);
    }
    const QList<qint64> keys = newKeys(list, int(inserts.size()));
    for (qsizetype i = 0; i < inserts.size(); ++i)
        inserts[i].insert(list.key, double(keys.at(i)));
    insertRows(list, inserts);
}

} // namespace

void setSavePauseMs(int ms)
{
    g_savePauseMs = ms;
}

QVariant AplicaAlteracoes(CallContext &ctx, const Args &args)
{
    const QList<schema::StoredList> &lists = schema::documentLists();
    // A repeated save is answered with the first outcome and applied no second time.
    const QString request = args.at(lists.size()).toString();
    saverequests::checkIdentifier(request);
    const QString digest = saverequests::contentDigest(args.mid(0, lists.size()));
    if (auto first = saverequests::firstOutcome(ctx.db, request, ctx.user, digest))
        return *first;

    // A list without changes comes as null and stays without a checked delta (list null).
    QList<CheckedDelta> deltas(lists.size());
    bool anyChange = false;
    for (qsizetype i = 0; i < lists.size(); ++i) {
        if (!args.at(i).isNull()) {
            deltas[i] = checkDelta(args.at(i).value<Delta>(), lists.at(i));
            anyChange = anyChange || !deltas.at(i).delta.changes.isEmpty();
        }
    }
    if (!anyChange)
        throw ServerError(srvMsg("NADA_A_GRAVAR"));

    QVariant reply;
    {
        SqlTransaction tx(ctx.db);
        // Taken first: a concurrent save of the same identifier waits here for this one's end.
        if (!saverequests::claim(ctx.db, request, ctx.user, digest)) {
            auto first = saverequests::firstOutcome(ctx.db, request, ctx.user, digest);
            if (!first)
                throw ServerError(srvMsg("REQUISICAO_RESPOSTA_ILEGIVEL").arg(request));
            return *first;
        }
        Saver saver(ctx);
        if (deltas.at(0).list)
            saver.applyDocument(deltas.at(0));
        for (qsizetype i = 1; i < deltas.size(); ++i) {
            if (deltas.at(i).list)
                saver.applyChildren(deltas.at(i));
        }
        saver.finish();
        reply = contracts::okReply({QVariant(double(saver.savedKey()))});
        saverequests::record(ctx.db, request, reply);
        if (const int pause = g_savePauseMs; pause > 0) {
            qInfo("AplicaAlteracoes: pausing %d ms before commit", pause);
            QThread::msleep(ulong(pause));
        }
        tx.commit();
    }
    // A retry comes within minutes; the identifiers of older saves are forgotten.
    try {
        saverequests::prune(ctx.db, kRequestDays);
    } catch (const EMensErro &) {
        // The next save prunes them.
    }
    return reply;
}
