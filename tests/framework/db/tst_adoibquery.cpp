// The query component on SQLite and PostgreSQL: every case runs on both (PostgreSQL through the
// "pgcluster" fixture), against the host tables with their demo content.
#include "ADOIBQuery.h"
#include "DbConnection.h"
#include "ErrorOf.h"
#include "Exceptions.h"
#include "HostDb.h"
#include "Orvglob.h"
#include "SqlText.h"
#include "TestDatabases.h"

#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString connectionOf(const QString &backend)
{
    return u"qry-"_s + backend;
}

const QString kQryCliente
    = u"SELECT CDCLIENTE, IDTPIJURCLIE, NRINSJURCLIE, NMRAZSOCCLIE FROM CLIENTE WHERE CDCLIENTE "
      "= COALESCE(:P_CDCLIENTE, CDCLIENTE) AND NRINSJURCLIE = COALESCE(:P_NRINSJURCLIE, "
      "NRINSJURCLIE)"_s;

} // namespace

class TestADOIBQuery : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    void addBackendColumn() { QTest::addColumn<QString>("backend"); }
    void oneRowABackend()
    {
        addBackendColumn();
        for (const QString &b : TestDatabases::Backends())
            QTest::newRow(b.toUtf8()) << b;
    }

    // One query on the backend of the running row.
    std::unique_ptr<TADOIBQuery> query(const QString &backend, const QString &sql)
    {
        auto q = std::make_unique<TADOIBQuery>(nullptr, u"qryTeste"_s);
        q->SetConnectionName(connectionOf(backend));
        q->SetSQL(sql);
        return q;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        if (TestDatabases::PgServer().isEmpty())
            qWarning("CTE_TEST_PG is not set: the PostgreSQL rows are left out");
        for (const QString &backend : TestDatabases::Backends()) {
            const QString cs = TestDatabases::Fresh(backend, u"query"_s, m_dir.path());
            QSqlDatabase db = OpenConnection(cs, connectionOf(backend));
            HostDb::CreateHostSchema(db);
            HostDb::LoadHostDemoData(db);
            QSqlQuery q(db);
            QVERIFY2(q.exec(u"CREATE TABLE VALORES (NRVALOR INTEGER NOT NULL PRIMARY KEY, "
                            "DTVALOR DATE, DTHRVALOR TIMESTAMP, VRVALOR NUMERIC(15,2), "
                            "QTVALOR NUMERIC(15,4), NMVALOR VARCHAR(20))"_s),
                     qPrintable(q.lastError().text()));
        }
    }

    void init() { Orvglob::Reset(); }

    void sqlTextFindsParameters_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("positional");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("used-twice")
            << u"A = :P_X OR B = :p_x"_s << u"A = ? OR B = ?"_s << QStringList {u"P_X"_s};
        QTest::newRow("in-quotes")
            << u"A = ':P_X' AND B = :P_Y"_s << u"A = ':P_X' AND B = ?"_s << QStringList {u"P_Y"_s};
        QTest::newRow("doubled-quote")
            << u"A = 'it''s :P' || :P_Z"_s << u"A = 'it''s :P' || ?"_s << QStringList {u"P_Z"_s};
        QTest::newRow("pg-cast") << u"A = :P_D::date"_s << u"A = ?::date"_s
                                 << QStringList {u"P_D"_s};
        QTest::newRow("comments") << u"-- :P_NO\nA = :P_SIM /* :P_NAO */"_s
                                  << u"-- :P_NO\nA = ? /* :P_NAO */"_s << QStringList {u"P_SIM"_s};
        QTest::newRow("time-literal")
            << u"A = '10:15' AND :P1 = 1"_s << u"A = '10:15' AND ? = 1"_s << QStringList {u"P1"_s};
    }

    void sqlTextFindsParameters()
    {
        QFETCH(QString, sql);
        QFETCH(QString, positional);
        QFETCH(QStringList, names);
        const TSqlText text(sql);
        QCOMPARE(text.Positional(), positional);
        QCOMPARE(text.ParamNames(), names);
    }

    void spanningQueries_data()
    {
        addBackendColumn();
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("params"); // "NAME=value", "NAME" alone for null
        QTest::addColumn<QString>("field");
        QTest::addColumn<QStringList>("values");
        for (const QString &b : TestDatabases::Backends()) {
            const QByteArray p = b.toUtf8() + '/';
            QTest::newRow(p + "coalesce-by-code")
                << b << kQryCliente << QStringList {u"P_CDCLIENTE=103"_s, u"P_NRINSJURCLIE"_s}
                << u"NMRAZSOCCLIE"_s << QStringList {u"INDUSTRIA DE MOVEIS SERRANA LTDA"_s};
            QTest::newRow(p + "coalesce-by-registration")
                << b << kQryCliente
                << QStringList {u"P_CDCLIENTE"_s, u"P_NRINSJURCLIE=75230918000126"_s}
                << u"CDCLIENTE"_s << QStringList {u"108"_s, u"109"_s};
            QTest::newRow(p + "coalesce-both-null")
                << b << kQryCliente + u" AND IDCLIEATIV = 'N' ORDER BY CDCLIENTE"_s
                << QStringList {u"P_CDCLIENTE"_s, u"P_NRINSJURCLIE"_s} << u"CDCLIENTE"_s
                << QStringList {u"106"_s, u"107"_s};
            QTest::newRow(p + "coalesce-no-match")
                << b << kQryCliente << QStringList {u"P_CDCLIENTE=999"_s, u"P_NRINSJURCLIE"_s}
                << u"CDCLIENTE"_s << QStringList {};
            QTest::newRow(p + "param-used-twice")
                << b
                << u"SELECT CDMUNICIPIO FROM MUNICIPIO WHERE SGESTADO = :P_UF AND CDMUNICIBGE "
                   "LIKE :P_UF_IBGE || '%' AND CDMUNICIBGE >= :P_UF_IBGE ORDER BY CDMUNICIPIO"_s
                << QStringList {u"P_UF=DF"_s, u"P_UF_IBGE=53"_s} << u"CDMUNICIPIO"_s
                << QStringList {u"0010"_s};
            QTest::newRow(p + "concatenation")
                << b
                << u"SELECT IDENTRSAIDOP, CDTIPOOPER, NMTIPOOPER, IDENTRSAIDOP||CDTIPOOPER AS "
                   "CHAVE FROM TIPOOPERAC WHERE IDENTRSAIDOP = :P_IDENTRSAIDOP ORDER BY "
                   "CDTIPOOPER"_s
                << QStringList {u"P_IDENTRSAIDOP=E"_s} << u"chave"_s
                << QStringList {u"E01"_s, u"E02"_s, u"E03"_s};
            QTest::newRow(p + "untyped-is-null")
                << b
                << u"SELECT CDEMPRESA FROM EMPRESA WHERE (:P_CDEMPRESA IS NULL OR CDEMPRESA = "
                   ":P_CDEMPRESA) ORDER BY CDEMPRESA"_s
                << QStringList {u"P_CDEMPRESA"_s} << u"CDEMPRESA"_s
                << QStringList {u"01"_s, u"02"_s};
            QTest::newRow(p + "untyped-is-null-valued")
                << b
                << u"SELECT CDEMPRESA FROM EMPRESA WHERE (:P_CDEMPRESA IS NULL OR CDEMPRESA = "
                   ":P_CDEMPRESA)"_s
                << QStringList {u"P_CDEMPRESA=02"_s} << u"CDEMPRESA"_s << QStringList {u"02"_s};
            QTest::newRow(p + "subquery-max")
                << b
                << u"SELECT CDARVPROD, NMPRODUTO, CDPRODUTO FROM PRODUTO WHERE CDNVPRODUTO = "
                   "(SELECT MAX(CDNVPRODUTO) FROM PRODUTO) AND CDARVPROD = :P_CDARVPROD"_s
                << QStringList {u"P_CDARVPROD=010010002"_s} << u"NMPRODUTO"_s
                << QStringList {u"FRETE CARGA LOTACAO"_s};
        }
    }

    void spanningQueries()
    {
        QFETCH(QString, backend);
        QFETCH(QString, sql);
        QFETCH(QStringList, params);
        QFETCH(QString, field);
        QFETCH(QStringList, values);
        auto q = query(backend, sql);
        QStringList got = OpenAndCollect(*q, params, field);
        if (!sql.contains(u"ORDER BY"_s))
            got.sort();
        QCOMPARE(got, values);
        QCOMPARE(q->IsEmpty(), values.isEmpty());
        QCOMPARE(q->RecordCount(), values.size());
    }

    void fieldNamesIgnoreCase_data() { oneRowABackend(); }

    void fieldNamesIgnoreCase()
    {
        QFETCH(QString, backend);
        auto q = query(backend,
                       u"SELECT E.CDEMPRESA, E.NMEMPRESA, E.NMRAZSOCEMPR FROM EMPRESA E "
                       "WHERE CDEMPRESA = :P_CDEMPRESA"_s);
        q->ParamByName(u"p_cdempresa"_s).SetAsString(u"01"_s);
        q->Open();
        QCOMPARE(q->FieldNames(),
                 (QStringList {u"CDEMPRESA"_s, u"NMEMPRESA"_s, u"NMRAZSOCEMPR"_s}));
        QCOMPARE(q->FieldByName(u"cdempresa"_s).AsString(), u"01"_s);
        QCOMPARE(q->FieldByName(u"NmRazSocEmpr"_s).AsString(), u"TRANSPORTES SERRA AZUL LTDA"_s);
        const QString unknown = errorOf([&] { q->FieldByName(u"NMFANTEMPR"_s); });
        QVERIFY2(unknown.contains(u"NMFANTEMPR"_s) && unknown.contains(u"qryTeste"_s),
                 qPrintable(unknown));
        QVERIFY(errorOf([&] { q->ParamByName(u"P_NAO_EXISTE"_s); }).contains(u"P_NAO_EXISTE"_s));
        q->Close();
        QVERIFY(!errorOf([&] { q->FieldByName(u"CDEMPRESA"_s); }).isEmpty());
    }

    void valuesRoundTrip_data()
    {
        addBackendColumn();
        QTest::addColumn<int>("key");
        QTest::addColumn<QVariant>("date");
        QTest::addColumn<QVariant>("dateTime");
        QTest::addColumn<QVariant>("amount");
        QTest::addColumn<QVariant>("quantity");
        QTest::addColumn<QVariant>("text");
        for (const QString &b : TestDatabases::Backends()) {
            const QByteArray p = b.toUtf8() + '/';
            QTest::newRow(p + "all-set")
                << b << 1 << QVariant(QDate(2026, 12, 7))
                << QVariant(QDateTime(QDate(2026, 12, 7), QTime(10, 15, 30)))
                << QVariant(1234567.89) << QVariant(0.1234) << QVariant(u"Acentuação ção"_s);
            QTest::newRow(p + "negative-and-leap-day")
                << b << 2 << QVariant(QDate(2028, 2, 29))
                << QVariant(QDateTime(QDate(2028, 2, 29), QTime(23, 59, 59))) << QVariant(-0.01)
                << QVariant(12.0) << QVariant(u"x"_s);
            QTest::newRow(p + "all-null")
                << b << 3 << QVariant() << QVariant() << QVariant() << QVariant() << QVariant();
        }
    }

    void valuesRoundTrip()
    {
        QFETCH(QString, backend);
        QFETCH(int, key);
        QFETCH(QVariant, date);
        QFETCH(QVariant, dateTime);
        QFETCH(QVariant, amount);
        QFETCH(QVariant, quantity);
        QFETCH(QVariant, text);
        auto ins = query(backend,
                         u"INSERT INTO VALORES (NRVALOR, DTVALOR, DTHRVALOR, VRVALOR, "
                         "QTVALOR, NMVALOR) VALUES (:P_NR, :P_DT, :P_DTHR, :P_VR, :P_QT, "
                         ":P_NM)"_s);
        ins->ParamByName(u"P_NR"_s).SetAsInteger(key);
        ins->ParamByName(u"P_DT"_s).SetAsDate(date.toDate());
        ins->ParamByName(u"P_DTHR"_s).SetAsDateTime(dateTime.toDateTime());
        ins->ParamByName(u"P_VR"_s).SetValue(amount);
        ins->ParamByName(u"P_QT"_s).SetValue(quantity);
        ins->ParamByName(u"P_NM"_s).SetValue(text);
        QCOMPARE(ins->ExecSQL(), 1);

        // The date parameter is compared with the stored date, not only copied.
        auto sel = query(backend,
                         u"SELECT NRVALOR, DTVALOR, DTHRVALOR, VRVALOR, QTVALOR, NMVALOR "
                         "FROM VALORES WHERE NRVALOR = :P_NR AND (DTVALOR = :P_DT OR "
                         "DTVALOR IS NULL)"_s);
        sel->ParamByName(u"P_NR"_s).SetAsInteger(key);
        sel->ParamByName(u"P_DT"_s).SetAsDate(date.isNull() ? QDate(2000, 1, 1) : date.toDate());
        sel->Open();
        QCOMPARE(sel->RecordCount(), 1);
        QCOMPARE(sel->FieldByName(u"DTVALOR"_s).IsNull(), date.isNull());
        QCOMPARE(sel->FieldByName(u"DTVALOR"_s).AsDateTime().date(), date.toDate());
        QCOMPARE(sel->FieldByName(u"DTHRVALOR"_s).AsDateTime(), dateTime.toDateTime());
        QCOMPARE(sel->FieldByName(u"VRVALOR"_s).IsNull(), amount.isNull());
        QCOMPARE(sel->FieldByName(u"VRVALOR"_s).AsFloat(), amount.toDouble());
        QCOMPARE(sel->FieldByName(u"QTVALOR"_s).AsFloat(), quantity.toDouble());
        QCOMPARE(sel->FieldByName(u"NMVALOR"_s).AsString(), text.toString());
        QCOMPARE(sel->FieldByName(u"NRVALOR"_s).AsInteger(), qint64(key));

        if (!date.isNull()) {
            QCOMPARE(sel->FieldByName(u"DTVALOR"_s).DataType(), TQueryField::Kind::DateTime);
            QCOMPARE(sel->FieldByName(u"DTVALOR"_s).AsString(),
                     date.toDate().toString(u"dd/MM/yyyy"_s));
            QCOMPARE(sel->FieldByName(u"VRVALOR"_s).DataType(), TQueryField::Kind::Float);
            // Range on a timestamp column with a date-time parameter.
            auto range = query(backend,
                               u"SELECT COUNT(*) AS QT FROM VALORES WHERE NRVALOR = :P_NR "
                               "AND DTHRVALOR BETWEEN :P_INI AND :P_FIM"_s);
            range->ParamByName(u"P_NR"_s).SetAsInteger(key);
            range->ParamByName(u"P_INI"_s).SetAsDateTime(dateTime.toDateTime().addSecs(-1));
            range->ParamByName(u"P_FIM"_s).SetAsDateTime(dateTime.toDateTime().addSecs(1));
            range->Open();
            QCOMPARE(range->FieldByName(u"QT"_s).AsInteger(), 1);
        }
    }

    void failingSqlRaisesDatabaseText_data()
    {
        addBackendColumn();
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");
        for (const QString &b : TestDatabases::Backends()) {
            const bool pg = b == u"postgresql"_s;
            const QByteArray p = b.toUtf8() + '/';
            QTest::newRow(p + "missing-table") << b << u"SELECT * FROM NAO_EXISTE WHERE X = :P_X"_s
                                               << (pg ? u"relation \"nao_existe\" does not exist"_s
                                                      : u"no such table: NAO_EXISTE"_s);
            QTest::newRow(p + "missing-column")
                << b << u"SELECT CDNADA FROM EMPRESA"_s
                << (pg ? u"column \"cdnada\" does not exist"_s : u"no such column: CDNADA"_s);
            QTest::newRow(p + "duplicate-key")
                << b
                << u"INSERT INTO EMPRESA (CDEMPRESA, NMEMPRESA, NMRAZSOCEMPR) VALUES ('01', "
                   "'X', 'X')"_s
                << (pg ? u"duplicate key value"_s : u"UNIQUE constraint failed"_s);
        }
    }

    void failingSqlRaisesDatabaseText()
    {
        QFETCH(QString, backend);
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        auto q = query(backend, sql);
        const QString error = errorOf([&] {
            if (sql.startsWith(u"SELECT"_s))
                q->Open();
            else
                q->ExecSQL();
        });
        QVERIFY2(error.contains(expected), qPrintable(error));
        QVERIFY(!q->Active());
    }

    void emptyResultAndCursor_data() { oneRowABackend(); }

    void emptyResultAndCursor()
    {
        QFETCH(QString, backend);
        auto q = query(backend,
                       u"SELECT CDINSCESTA, NRINSJURIEST, IDTPIJURIEST FROM INSCRESTAD "
                       "WHERE CDEMPRESA = :P_CDEMPRESA ORDER BY CDINSCESTA"_s);
        q->ParamByName(u"P_CDEMPRESA"_s).SetAsString(u"99"_s);
        q->Open();
        QVERIFY(q->Active());
        QVERIFY(q->IsEmpty());
        QVERIFY(q->Eof());
        QCOMPARE(q->RecordCount(), 0);
        QVERIFY(q->FieldByName(u"CDINSCESTA"_s).IsNull());
        QCOMPARE(q->FieldByName(u"CDINSCESTA"_s).AsString(), QString());

        // Reopened with another value: three registrations, walked both ways.
        q->Close();
        q->ParamByName(u"P_CDEMPRESA"_s).SetAsString(u"02"_s);
        q->Open();
        QCOMPARE(q->RecordCount(), 3);
        QVERIFY(!q->Eof());
        const QString first = q->FieldByName(u"CDINSCESTA"_s).AsString();
        q->Next();
        QVERIFY(!q->Eof());
        QCOMPARE(q->RecNo(), 2);
        const QString second = q->FieldByName(u"CDINSCESTA"_s).AsString();
        QVERIFY(first < second);
        q->Next();
        QVERIFY(!q->Eof());
        const QString third = q->FieldByName(u"CDINSCESTA"_s).AsString();
        QVERIFY(second < third);
        q->Next();
        QVERIFY(q->Eof());
        QCOMPARE(q->FieldByName(u"CDINSCESTA"_s).AsString(), third); // stays on the last row
        q->First();
        QVERIFY(!q->Eof());
        QCOMPARE(q->FieldByName(u"CDINSCESTA"_s).AsString(), first);
    }

    void packetFromResult_data() { oneRowABackend(); }

    void packetFromResult()
    {
        QFETCH(QString, backend);
        auto q = query(backend,
                       u"SELECT CDPRODUTO, CDARVPROD, NMPRODUTO, CDNVPRODUTO FROM PRODUTO "
                       "WHERE CDNVPRODUTO = :P_NV ORDER BY CDARVPROD"_s);
        q->ParamByName(u"P_NV"_s).SetAsFloat(1);
        q->SetFieldDisplay(u"cdproduto"_s, u"Código"_s, 10, false);
        QSignalSpy opened(q.get(), &TADOIBQuery::afterOpen);
        QSignalSpy closed(q.get(), &TADOIBQuery::afterClose);
        q->Open();
        QCOMPARE(opened.count(), 1);
        QCOMPARE(closed.count(), 0); // the Close inside Open found nothing open
        const contracts::DataPacket packet = q->ToPacket();
        QCOMPARE(packet.fields.size(), 4);
        QCOMPARE(packet.fields.at(0).name, u"CDPRODUTO"_s);
        QCOMPARE(packet.fields.at(0).type, contracts::FieldType::String);
        QCOMPARE(packet.fields.at(2).type, contracts::FieldType::String);
        // PostgreSQL reports the declared width; SQLite's width comes from the longest value.
        QCOMPARE(packet.fields.at(2).size,
                 backend == u"postgresql"_s ? 50 : int(u"SERVICOS COMPLEMENTARES"_s.size()));
        QCOMPARE(packet.fields.at(3).type, contracts::FieldType::Float);
        QCOMPARE(packet.rows.size(), 2);
        QCOMPARE(packet.rows.at(0).at(1), QVariant(u"01"_s));
        QCOMPARE(packet.rows.at(1).at(3), QVariant(1.0));

        // The packet survives its own encoding (valid types, sizes and values).
        QString error;
        const auto decoded = contracts::packetFromJson(contracts::packetToJson(packet), &error);
        QVERIFY2(decoded.has_value(), qPrintable(error));
        QCOMPARE(decoded->rows, packet.rows);

        // Column settings mark hidden columns and outlive a close and reopen.
        QVERIFY(packet.fields.at(0).hidden);
        QVERIFY(!packet.fields.at(2).hidden);
        QCOMPARE(q->FieldByName(u"NMPRODUTO"_s).DisplayLabel(), u"NMPRODUTO"_s);
        QCOMPARE(q->FieldByName(u"NMPRODUTO"_s).DisplayWidth(), packet.fields.at(2).size);
        q->Close();
        q->Close();
        QCOMPARE(closed.count(), 1);
        q->Open();
        QCOMPARE(opened.count(), 2);
        QCOMPARE(q->FieldByName(u"CDPRODUTO"_s).DisplayLabel(), u"Código"_s);
        QVERIFY(!q->FieldByName(u"CDPRODUTO"_s).Visible());
    }

    void defaultConnectionFromLogin()
    {
        const QString cs = TestDatabases::Fresh(u"sqlite"_s, u"default"_s, m_dir.path());
        HostDb::CreateHostSchema(OpenConnection(cs, u"setup-default"_s));
        Orvglob::DBConnection = cs;
        TADOIBQuery q(nullptr, u"qryPesqEmpresa"_s);
        q.SetSQL(u"SELECT E.CDEMPRESA, E.NMEMPRESA, E.NMRAZSOCEMPR FROM EMPRESA E ORDER BY "
                 "CDEMPRESA"_s);
        q.Open();
        QVERIFY(q.IsEmpty());
        QCOMPARE(q.Database().databaseName(), cs.mid(7));

        Orvglob::DBConnection.clear();
        QVERIFY(!errorOf([&] { q.Open(); }).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestADOIBQuery)
#include "tst_adoibquery.moc"
