#include "Schema.h"

#include "CTeRecord.h"
#include "ServerError.h"
#include "ServerMessages.h"
#include "SqlSupport.h"

#include <QSqlQuery>
#include <QStringList>

using namespace Qt::StringLiterals;
using contracts::FieldDef;
using contracts::FieldType;

namespace schema {

QString columnType(const FieldDef &f, bool pg)
{
    switch (f.type) {
    case FieldType::String:
    case FieldType::FixedString:
        return u"VARCHAR(%1)"_s.arg(f.size);
    case FieldType::Memo:
        return u"TEXT"_s;
    case FieldType::Integer:
        return u"BIGINT"_s;
    case FieldType::Float:
        return isKeyField(f.name) ? u"BIGINT"_s : u"NUMERIC(18,4)"_s;
    case FieldType::DateTime:
        return pg ? u"TIMESTAMP"_s : u"TEXT"_s;
    }
    return u"TEXT"_s;
}

namespace {

QString createListTable(const StoredList &list, bool pg)
{
    QStringList cols;
    for (const FieldDef &f : list.fields) {
        QString col = f.name + u' ' + columnType(f, pg);
        if (f.name == list.key)
            col += u" NOT NULL PRIMARY KEY"_s;
        cols << col;
    }
    if (list.table != u"CTE")
        cols << u"FOREIGN KEY (CDCTE) REFERENCES CTE (CDCTE)"_s;
    return u"CREATE TABLE %1 (%2)"_s.arg(list.table, cols.join(u", "_s));
}

bool hasTable(const QSqlDatabase &db, const QString &table)
{
    QSqlQuery q = isPostgres(db)
        ? runSql(db,
                 u"SELECT 1 FROM information_schema.tables WHERE table_schema = current_schema() "
                 "AND upper(table_name) = :T"_s,
                 {{u":T", table}})
        : runSql(db, u"SELECT 1 FROM sqlite_master WHERE type = 'table' AND upper(name) = :T"_s,
                 {{u":T", table}});
    return q.next();
}

bool hasColumn(const QSqlDatabase &db, const QString &table, const QString &column)
{
    QSqlQuery q = isPostgres(db)
        ? runSql(db,
                 u"SELECT 1 FROM information_schema.columns WHERE table_schema = "
                 "current_schema() AND upper(table_name) = :T AND upper(column_name) = :C"_s,
                 {{u":T", table}, {u":C", column}})
        : runSql(db, u"SELECT 1 FROM pragma_table_info(:T) WHERE upper(name) = :C"_s,
                 {{u":T", table}, {u":C", column}});
    return q.next();
}

// The host's fiscal parametrization as the server reads it since version 6, for a host database
// created before: rows of their own for a service starting outside the emitter's state, one row
// per key, and no taxed row within one state without a rate (rows already there are refused
// when a service would use them).
QStringList upgradeHostParametrization(const QSqlDatabase &db)
{
    if (!hasTable(db, u"TRIBSERVICO"_s) || hasColumn(db, u"TRIBSERVICO"_s, u"IDINICIOFORAUF"_s))
        return {};
    const QString needsRate
        = u"VRALIQUOTA IS NULL AND IDPERCURSO = 'E' AND CDSITUTRIBIT NOT IN ('40', '41', '51')"_s;
    QStringList sql {
        u"ALTER TABLE TRIBSERVICO ADD COLUMN IDINICIOFORAUF VARCHAR(1) DEFAULT 'N' NOT NULL"_s,
        u"CREATE UNIQUE INDEX TRIBSERVICO_CHAVE ON TRIBSERVICO (CDEMPRESA, CDTIPOOPER, "
        "CDARVPROD, IDPERCURSO, IDINICIOFORAUF, COALESCE(IDCADTOMADOR, ''), "
        "COALESCE(CDTOMADOR, ''))"_s};
    if (isPostgres(db)) {
        sql << u"ALTER TABLE TRIBSERVICO ADD CONSTRAINT TRIBSERVICO_ALIQUOTA CHECK (NOT (%1)) "
               "NOT VALID"_s.arg(needsRate);
    } else {
        // SQLite adds no constraint to a table that exists: triggers do the check.
        QString check = needsRate;
        check.replace(u"VRALIQUOTA"_s, u"NEW.VRALIQUOTA"_s)
            .replace(u"IDPERCURSO"_s, u"NEW.IDPERCURSO"_s)
            .replace(u"CDSITUTRIBIT"_s, u"NEW.CDSITUTRIBIT"_s);
        for (const QString &event : {u"INSERT"_s, u"UPDATE"_s})
            sql << u"CREATE TRIGGER TRIBSERVICO_ALIQUOTA_%1 BEFORE %1 ON TRIBSERVICO WHEN %2 "
                   "BEGIN SELECT RAISE(ABORT, 'TRIBSERVICO_ALIQUOTA'); END"_s.arg(event, check);
    }
    return sql;
}

// Each step brings the schema from the version before it; never edit a released step.
QStringList migrationStep(int version, const QSqlDatabase &db)
{
    const bool pg = isPostgres(db);
    const QString ts = pg ? u"TIMESTAMP"_s : u"TEXT"_s;
    const QString num = u"NUMERIC(18,4)"_s;
    QStringList sql;
    if (version == 1) {
        sql << u"CREATE TABLE SRVUSUARIO (NMUSUARIO VARCHAR(40) NOT NULL PRIMARY KEY, "
               "DSSALT VARCHAR(64) NOT NULL, DSHASH VARCHAR(128) NOT NULL, "
               "NRITERACOES INTEGER NOT NULL, IDATIVO CHAR(1) NOT NULL, DTCRIACAO %1)"_s.arg(ts)
            << u"CREATE TABLE SRVSESSAO (DSTOKEN VARCHAR(64) NOT NULL PRIMARY KEY, "
               "NMUSUARIO VARCHAR(40) NOT NULL REFERENCES SRVUSUARIO (NMUSUARIO), "
               "DTCRIACAO %1 NOT NULL, DTEXPIRA %1 NOT NULL)"_s.arg(ts)
            << u"CREATE TABLE SRVSEQUENCIA (NMSEQUENCIA VARCHAR(30) NOT NULL PRIMARY KEY, "
               "NRULTIMO BIGINT NOT NULL)"_s
            << u"CREATE TABLE CTENUMERACAO (CDEMPRESA VARCHAR(2) NOT NULL, "
               "CDMODDOCFISC VARCHAR(2) NOT NULL, CDSERIECTE VARCHAR(3) NOT NULL, "
               "NRULTIMO BIGINT NOT NULL, PRIMARY KEY (CDEMPRESA, CDMODDOCFISC, CDSERIECTE))"_s;
        for (const StoredList &list : documentLists())
            sql << createListTable(list, pg);
        sql << u"CREATE INDEX CTE_EMPRESA_EMISSAO ON CTE (CDEMPRESA, DTEMISSAO)"_s
            << u"CREATE UNIQUE INDEX CTE_NUMERO ON CTE (CDEMPRESA, CDMODDOCFISC, CDSERIECTE, "
               "NRCTE)"_s;
        for (const StoredList &list : documentLists()) {
            if (list.table != u"CTE")
                sql << u"CREATE INDEX %1_CTE ON %1 (CDCTE)"_s.arg(list.table);
        }
        sql << u"CREATE TABLE COMPVRPREST (CDCOMPVRPREST BIGINT NOT NULL PRIMARY KEY, "
               "DSCOMPVRPREST VARCHAR(15) NOT NULL)"_s
            // The host's own invoices that a CT-e may reference, with their products.
            << u"CREATE TABLE NOTAFISCAL (CDFILIAL VARCHAR(4) NOT NULL, "
               "NRLANCTONF VARCHAR(10) NOT NULL, CDEMPRESA VARCHAR(2) NOT NULL, "
               "NRACESSONFE VARCHAR(44), NRINSJURNF VARCHAR(20), NMRAZSOCNF VARCHAR(50), "
               "CDSERIE VARCHAR(5), NRNOTAFISC VARCHAR(20), DTEMISSAO %1, CDMODDOCFISC VARCHAR(2), "
               "VRNOTAFISC %2, VRPRODUTOS %2, VRPBRUTOVOLU %2, VRPLIQUVOLU %2, QTVOLUMES %2, "
               "PRIMARY KEY (CDFILIAL, NRLANCTONF))"_s.arg(ts, num)
            << u"CREATE INDEX NOTAFISCAL_EMISSAO ON NOTAFISCAL (DTEMISSAO)"_s
            << u"CREATE INDEX NOTAFISCAL_ACESSO ON NOTAFISCAL (NRACESSONFE)"_s
            << u"CREATE TABLE NOTAFISCALITEM (CDFILIAL VARCHAR(4) NOT NULL, "
               "NRLANCTONF VARCHAR(10) NOT NULL, NRITEM INTEGER NOT NULL, CDPRODUTO VARCHAR(30), "
               "NMPRODUTO VARCHAR(400), QTITEMPROD %1, SGUNIDADE VARCHAR(10), VRUNITITEM %1, "
               "VRTOTAITEM %1, PRIMARY KEY (CDFILIAL, NRLANCTONF, NRITEM), "
               "FOREIGN KEY (CDFILIAL, NRLANCTONF) REFERENCES NOTAFISCAL (CDFILIAL, NRLANCTONF))"_s
                   .arg(num)
            // Transmission batches and their documents.
            << u"CREATE TABLE CTELOTE (NRLOTE BIGINT NOT NULL PRIMARY KEY, "
               "CDEMPRESA VARCHAR(2) NOT NULL, CDINSCESTA VARCHAR(16), DTENVIO %1, "
               "NRRECIBO VARCHAR(15), IDSITUACAO VARCHAR(1) NOT NULL, CDSTATUS VARCHAR(3), "
               "DSSTATUS VARCHAR(255))"_s.arg(ts)
            << u"CREATE TABLE CTELOTEDOC (NRLOTE BIGINT NOT NULL REFERENCES CTELOTE (NRLOTE), "
               "CDCTE BIGINT NOT NULL REFERENCES CTE (CDCTE), PRIMARY KEY (NRLOTE, CDCTE))"_s;
    }
    if (version == 2 && pg) {
        // Keys from sequences: concurrent saves do not queue on a counter row.
        for (const StoredList &list : documentLists()) {
            sql << u"CREATE SEQUENCE SEQ_%1"_s.arg(list.table)
                << u"SELECT setval('SEQ_%1', COALESCE((SELECT MAX(%2) FROM %1), 0) + 1, false)"_s
                       .arg(list.table, list.key);
        }
    }
    if (version == 3) {
        // Transmission: the signed XML and the authority's protocol of each document, and the
        // establishment's CT-e parameters that the document record does not carry.
        sql << u"ALTER TABLE CTE ADD COLUMN DSXMLCTE TEXT"_s
            << u"ALTER TABLE CTE ADD COLUMN DSXMLPROTOCOLO TEXT"_s
            << u"CREATE TABLE CTEPARAMEMIT (CDEMPRESA VARCHAR(2) NOT NULL, "
               "CDINSCESTA VARCHAR(16) NOT NULL, NRRNTRC VARCHAR(8) NOT NULL, "
               "IDCRT VARCHAR(1) NOT NULL, PRIMARY KEY (CDEMPRESA, CDINSCESTA))"_s;
    }
    if (version == 4) {
        // Saves named by the client's request identifier, with the reply they were given.
        sql << u"CREATE TABLE SRVREQUISICAO (DSREQUISICAO VARCHAR(64) NOT NULL PRIMARY KEY, "
               "NMUSUARIO VARCHAR(40) NOT NULL, DTCRIACAO %1 NOT NULL, DSRESPOSTA TEXT)"_s.arg(ts)
            << u"CREATE INDEX SRVREQUISICAO_CRIACAO ON SRVREQUISICAO (DTCRIACAO)"_s;
    }
    if (version == 5) {
        // Failed logins, counted by every server sharing the database (see LoginThrottle).
        sql << u"CREATE TABLE SRVFALHALOGIN (DSCHAVE VARCHAR(300) NOT NULL PRIMARY KEY, "
               "NRFALHAS INTEGER NOT NULL, NRULTIMA BIGINT NOT NULL, NRATE BIGINT NOT NULL)"_s
            << u"CREATE INDEX SRVFALHALOGIN_ULTIMA ON SRVFALHALOGIN (NRULTIMA)"_s
            << u"CREATE TABLE SRVLOGINCONHECIDO (NMUSUARIO VARCHAR(40) NOT NULL, "
               "DSENDERECO VARCHAR(64) NOT NULL, PRIMARY KEY (NMUSUARIO, DSENDERECO))"_s;
    }
    if (version == 6) {
        // A save's request identifier is bound to a digest of its content.
        sql << u"ALTER TABLE SRVREQUISICAO ADD COLUMN DSRESUMO VARCHAR(64)"_s;
        sql << upgradeHostParametrization(db);
    }
    if (version == 7) {
        // Cancellation: the event's protocol and procEventoCTe on the document, and the events
        // the authority registered, which number the next one.
        sql << u"ALTER TABLE CTE ADD COLUMN NRPROTOCOLCANC VARCHAR(15)"_s
            << u"ALTER TABLE CTE ADD COLUMN DTCANCELAMENTO %1"_s.arg(ts)
            << u"ALTER TABLE CTE ADD COLUMN DSXMLCANCELAMENTO TEXT"_s
            << u"CREATE TABLE CTEEVENTO (CDCTE BIGINT NOT NULL REFERENCES CTE (CDCTE), "
               "TPEVENTO VARCHAR(6) NOT NULL, NRSEQEVENTO INTEGER NOT NULL, "
               "NRPROTOCOLO VARCHAR(15), DTREGISTRO %1, CDSTATUS VARCHAR(3) NOT NULL, "
               "DSXMLEVENTO TEXT, PRIMARY KEY (CDCTE, TPEVENTO, NRSEQEVENTO))"_s.arg(ts);
    }
    if (version == 8) {
        // E-mail: the reason a document's e-mail is still pending, and when it was last tried.
        sql << u"ALTER TABLE CTE ADD COLUMN DSOBSEMAILCTE VARCHAR(255)"_s
            << u"ALTER TABLE CTE ADD COLUMN DTEMAILCTE %1"_s.arg(ts);
    }
    if (version == 9) {
        // Number voiding: the ranges the authority voided, which the numbering skips.
        sql << u"CREATE TABLE CTEINUTILIZACAO (CDEMPRESA VARCHAR(2) NOT NULL, "
               "CDINSCESTA VARCHAR(16) NOT NULL, CDMODDOCFISC VARCHAR(2) NOT NULL, "
               "CDSERIECTE VARCHAR(3) NOT NULL, NRINICIAL BIGINT NOT NULL, "
               "NRFINAL BIGINT NOT NULL, DSJUSTIFICATIVA VARCHAR(255) NOT NULL, "
               "NRPROTOCOLO VARCHAR(15) NOT NULL, DTREGISTRO %1, DSXMLINUTILIZACAO TEXT, "
               "PRIMARY KEY (CDEMPRESA, CDMODDOCFISC, CDSERIECTE, NRINICIAL))"_s.arg(ts);
    }
    return sql;
}

constexpr int kCurrentVersion = 9;

} // namespace

int currentVersion()
{
    return kCurrentVersion;
}

bool isKeyField(const QString &name)
{
    return name == u"CDCTE" || name == u"CDCTEIMPOSTOS" || name == u"CDCTECOMPVALOR"
        || name == u"CDCTEDOCFISCAIS" || name == u"CDCTEINFQTCARGA" || name == u"CDCTEDADOSADIC"
        || name == u"CDCOMPVRPREST";
}

const QList<StoredList> &documentLists()
{
    static const QList<StoredList> lists = [] {
        QList<FieldDef> doc = contracts::cte::documentFields();
        doc.removeIf([](const FieldDef &f) { return f.name == u"IDCHECK"; });
        return QList<StoredList> {
            {u"cdsCTe"_s, u"CTE"_s, u"CDCTE"_s, doc},
            {u"cdsCTeImpostos"_s, u"CTEIMPOSTOS"_s, u"CDCTEIMPOSTOS"_s,
             contracts::cte::taxFields()},
            {u"cdsCTeCompValor"_s, u"CTECOMPVALOR"_s, u"CDCTECOMPVALOR"_s,
             contracts::cte::valueComponentFields()},
            {u"cdsCTeDocFiscais"_s, u"CTEDOCFISCAIS"_s, u"CDCTEDOCFISCAIS"_s,
             contracts::cte::fiscalDocumentFields()},
            {u"cdsCTeInfQtCarga"_s, u"CTEINFQTCARGA"_s, u"CDCTEINFQTCARGA"_s,
             contracts::cte::cargoQuantityFields()},
            {u"cdsCTeDadosAdic"_s, u"CTEDADOSADIC"_s, u"CDCTEDADOSADIC"_s,
             contracts::cte::additionalDataFields()},
        };
    }();
    return lists;
}

void createOrUpgrade(const QSqlDatabase &db)
{
    const bool pg = isPostgres(db);
    SqlTransaction tx(db);
    // Servers starting together take turns; the later ones find the work done.
    if (pg)
        runSql(db, u"SELECT pg_advisory_xact_lock(880000)"_s);
    runSql(db, u"CREATE TABLE IF NOT EXISTS SRVVERSAO (NRVERSAO INTEGER NOT NULL)"_s);
    QSqlQuery q = runSql(db, u"SELECT MAX(NRVERSAO) FROM SRVVERSAO"_s);
    const int version = q.next() ? q.value(0).toInt() : 0;
    q.finish();
    if (version > kCurrentVersion)
        throw ServerError(srvMsg("SCHEMA_MAIS_NOVO").arg(version).arg(kCurrentVersion));
    for (int v = version + 1; v <= kCurrentVersion; ++v) {
        for (const QString &sql : migrationStep(v, db))
            runSql(db, sql);
        runSql(db, u"INSERT INTO SRVVERSAO (NRVERSAO) VALUES (:V)"_s, {{u":V", v}});
    }
    tx.commit();
}

} // namespace schema
