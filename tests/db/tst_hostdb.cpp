// The host database: schema and demo content on SQLite and PostgreSQL, read through the module's
// own query texts; the registrations and places of the demo are checked against the rules of
// the identifiers.
#include "ADOIBQuery.h"
#include "DbConnection.h"
#include "Exceptions.h"
#include "HostDb.h"
#include "Masks.h"
#include "SqlScript.h"
#include "TestDatabases.h"

#include <QFileInfo>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Check digit of `digits` with `weights` (CNPJ and CPF rule: 0 when the remainder is below 2).
int checkDigit(const QString &digits, const QList<int> &weights)
{
    int sum = 0;
    for (qsizetype i = 0; i < weights.size(); ++i)
        sum += digits.at(i).digitValue() * weights.at(i);
    const int r = sum % 11;
    return r < 2 ? 0 : 11 - r;
}

bool allDigits(const QString &s)
{
    return !s.isEmpty() && std::all_of(s.begin(), s.end(), [](QChar c) { return c.isDigit(); });
}

bool validCnpj(const QString &n)
{
    if (n.size() != 14 || !allDigits(n))
        return false;
    return checkDigit(n, {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2}) == n.at(12).digitValue()
        && checkDigit(n, {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2}) == n.at(13).digitValue();
}

bool validCpf(const QString &n)
{
    if (n.size() != 11 || !allDigits(n) || n.count(n.at(0)) == 11)
        return false;
    return checkDigit(n, {10, 9, 8, 7, 6, 5, 4, 3, 2}) == n.at(9).digitValue()
        && checkDigit(n, {11, 10, 9, 8, 7, 6, 5, 4, 3, 2}) == n.at(10).digitValue();
}

QString connectionOf(const QString &backend)
{
    return u"hostdb-"_s + backend;
}

} // namespace

class TestHostDb : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    std::unique_ptr<TADOIBQuery> query(const QString &backend, const QString &sql)
    {
        auto q = std::make_unique<TADOIBQuery>();
        q->SetConnectionName(connectionOf(backend));
        q->SetSQL(sql);
        return q;
    }

    QStringList column(const QString &backend, const QString &sql, const QString &field)
    {
        auto q = query(backend, sql);
        q->Open();
        QStringList values;
        for (; !q->Eof(); q->Next())
            values.append(q->FieldByName(field).AsString());
        return values;
    }

    void backendRows()
    {
        QTest::addColumn<QString>("backend");
        for (const QString &b : TestDatabases::Backends())
            QTest::newRow(b.toUtf8()) << b;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        if (TestDatabases::PgServer().isEmpty())
            qWarning("CTE_TEST_PG is not set: the PostgreSQL rows are left out");
        for (const QString &backend : TestDatabases::Backends()) {
            const QString cs = TestDatabases::Fresh(backend, u"demo"_s, m_dir.path());
            QSqlDatabase db = OpenConnection(cs, connectionOf(backend));
            QCOMPARE(HostDb::ExistingHostTables(db), QStringList());
            HostDb::CreateHostSchema(db);
            QCOMPARE(HostDb::ExistingHostTables(db), HostDb::HostTableNames());
            HostDb::LoadHostDemoData(db);
        }
    }

    void checkDigitRule_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("valid");
        QTest::newRow("cnpj-known") << u"J"_s << u"11222333000181"_s << true;
        QTest::newRow("cnpj-first-digit-wrong") << u"J"_s << u"11222333000191"_s << false;
        QTest::newRow("cnpj-second-digit-wrong") << u"J"_s << u"11222333000182"_s << false;
        QTest::newRow("cnpj-short") << u"J"_s << u"1122233300018"_s << false;
        QTest::newRow("cpf-known") << u"F"_s << u"52998224725"_s << true;
        QTest::newRow("cpf-digit-wrong") << u"F"_s << u"52998224724"_s << false;
        QTest::newRow("cpf-repeated") << u"F"_s << u"11111111111"_s << false;
    }

    // The rule the demo data is checked with rejects what it must.
    void checkDigitRule()
    {
        QFETCH(QString, type);
        QFETCH(QString, number);
        QFETCH(bool, valid);
        QCOMPARE(type == u"J"_s ? validCnpj(number) : validCpf(number), valid);
    }

    void partiesHaveValidRegistrations_data() { backendRows(); }

    void partiesHaveValidRegistrations()
    {
        QFETCH(QString, backend);
        const QStringList sources {
            u"SELECT IDTPIJUREMPR AS TP, NRINSJUREMPR AS NR FROM EMPRESA"_s,
            u"SELECT IDTPIJURIEST AS TP, NRINSJURIEST AS NR FROM INSCRESTAD"_s,
            u"SELECT IDTPIJURCLIE AS TP, NRINSJURCLIE AS NR FROM CLIENTE"_s,
            u"SELECT IDTPIJURFORN AS TP, NRINSJURFORN AS NR FROM FORNECEDOR"_s,
        };
        int cnpjs = 0;
        int cpfs = 0;
        for (const QString &sql : sources) {
            auto q = query(backend, sql);
            q->Open();
            QVERIFY(!q->IsEmpty());
            for (; !q->Eof(); q->Next()) {
                const QString type = q->FieldByName(u"TP"_s).AsString();
                const QString number = q->FieldByName(u"NR"_s).AsString();
                QVERIFY2(type == u"J"_s || type == u"F"_s, qPrintable(sql));
                const bool ok = type == u"J"_s ? validCnpj(number) : validCpf(number);
                QVERIFY2(ok, qPrintable(type + u' ' + number));
                ++(type == u"J"_s ? cnpjs : cpfs);
            }
        }
        QVERIFY(cnpjs >= 10);
        QVERIFY(cpfs >= 3);
    }

    void placesMatchTheStatisticsOffice_data() { backendRows(); }

    void placesMatchTheStatisticsOffice()
    {
        QFETCH(QString, backend);
        QCOMPARE(
            column(backend, u"SELECT COUNT(*) AS QT FROM ESTADO WHERE CDPAIS = '1058'"_s, u"QT"_s),
            QStringList {u"27"_s});
        QCOMPARE(column(backend, u"SELECT COUNT(*) AS QT FROM MUNICIPIO WHERE CDPAIS = '1058'"_s,
                        u"QT"_s),
                 QStringList {u"5570"_s});
        // Each code starts with its state's code; the host code is the four digits after it.
        QCOMPARE(column(backend,
                        u"SELECT M.CDMUNICIBGE FROM MUNICIPIO M JOIN ESTADO E ON E.CDPAIS = "
                        "M.CDPAIS AND E.SGESTADO = M.SGESTADO WHERE M.CDPAIS = '1058' AND "
                        "(SUBSTR(M.CDMUNICIBGE, 1, 2) <> E.CDESTADOIBGE OR SUBSTR(M.CDMUNICIBGE, "
                        "3, 4) <> M.CDMUNICIPIO OR LENGTH(M.CDMUNICIBGE) <> 7)"_s,
                        u"CDMUNICIBGE"_s),
                 QStringList());
        // Every party and establishment is in a registered municipality.
        for (const QString &table : {u"INSCRESTAD"_s, u"CLIENTE"_s, u"FORNECEDOR"_s}) {
            QCOMPARE(column(backend,
                            u"SELECT COUNT(*) AS QT FROM %1 T LEFT JOIN MUNICIPIO M ON M.CDPAIS = "
                            "T.CDPAIS AND M.SGESTADO = T.SGESTADO AND M.CDMUNICIPIO = "
                            "T.CDMUNICIPIO WHERE M.CDMUNICIBGE IS NULL"_s.arg(table),
                            u"QT"_s),
                     QStringList {u"0"_s});
        }
    }

    void stateCapitals_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("stateCode");
        QTest::addColumn<QString>("capital");
        QTest::addColumn<QString>("ibge");
        const QList<QStringList> capitals {
            {u"RO"_s, u"11"_s, u"Porto Velho"_s, u"1100205"_s},
            {u"AM"_s, u"13"_s, u"Manaus"_s, u"1302603"_s},
            {u"SE"_s, u"28"_s, u"Aracaju"_s, u"2800308"_s},
            {u"MG"_s, u"31"_s, u"Belo Horizonte"_s, u"3106200"_s},
            {u"SP"_s, u"35"_s, u"São Paulo"_s, u"3550308"_s},
            {u"RS"_s, u"43"_s, u"Porto Alegre"_s, u"4314902"_s},
            {u"DF"_s, u"53"_s, u"Brasília"_s, u"5300108"_s},
        };
        for (const QString &b : TestDatabases::Backends()) {
            for (const QStringList &c : capitals)
                QTest::newRow((b + u'/' + c.at(0)).toUtf8())
                    << b << c.at(0) << c.at(1) << c.at(2) << c.at(3);
        }
    }

    // The module's own look-ups of a state and a municipality.
    void stateCapitals()
    {
        QFETCH(QString, backend);
        QFETCH(QString, state);
        QFETCH(QString, stateCode);
        QFETCH(QString, capital);
        QFETCH(QString, ibge);
        auto qryEstado = query(backend,
                               u"SELECT SGESTADO, NMESTADO, CDESTADOIBGE FROM ESTADO WHERE "
                               "CDPAIS = :P_CDPAIS AND SGESTADO = :P_SGESTADO ORDER BY "
                               "SGESTADO"_s);
        qryEstado->ParamByName(u"P_CDPAIS"_s).SetAsString(u"1058"_s);
        qryEstado->ParamByName(u"P_SGESTADO"_s).SetAsString(state);
        qryEstado->Open();
        QCOMPARE(qryEstado->FieldByName(u"CDESTADOIBGE"_s).AsString(), stateCode);

        auto qryMunicipio
            = query(backend,
                    u"SELECT CDMUNICIPIO, NMMUNICIPIO, CDMUNICIBGE FROM MUNICIPIO WHERE CDPAIS = "
                    ":P_CDPAIS AND SGESTADO = :P_SGESTADO AND CDMUNICIPIO = :P_CDMUNICIPIO "
                    "ORDER BY CDMUNICIPIO"_s);
        qryMunicipio->ParamByName(u"P_CDPAIS"_s).SetAsString(u"1058"_s);
        qryMunicipio->ParamByName(u"P_SGESTADO"_s).SetAsString(state);
        qryMunicipio->ParamByName(u"P_CDMUNICIPIO"_s).SetAsString(ibge.mid(2, 4));
        qryMunicipio->Open();
        QCOMPARE(qryMunicipio->RecordCount(), 1);
        QCOMPARE(qryMunicipio->FieldByName(u"NMMUNICIPIO"_s).AsString(), capital);
        QCOMPARE(qryMunicipio->FieldByName(u"CDMUNICIBGE"_s).AsString(), ibge);
    }

    void moduleQueries_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("params");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QStringList>("values");
        for (const QString &b : TestDatabases::Backends()) {
            const QByteArray p = b.toUtf8() + '/';
            QTest::newRow(p + "company-list")
                << b
                << u"SELECT E.CDEMPRESA, E.NMEMPRESA, E.NMRAZSOCEMPR FROM EMPRESA E ORDER BY "
                   "CDEMPRESA"_s
                << QStringList() << u"NMRAZSOCEMPR"_s
                << QStringList {u"TRANSPORTES SERRA AZUL LTDA"_s, u"RODOVIARIO PAMPA SUL LTDA"_s};
            QTest::newRow(p + "emitter-list-single")
                << b
                << u"SELECT CDEMPRESA, NRINSJURIEST, CDINSCESTA FROM INSCRESTAD WHERE CDEMPRESA "
                   "= :P_CDEMPRESA ORDER BY NRINSJURIEST"_s
                << QStringList {u"P_CDEMPRESA=01"_s} << u"CDINSCESTA"_s
                << QStringList {u"244187365112"_s};
            QTest::newRow(p + "emitter-list-two")
                << b
                << u"SELECT CDEMPRESA, NRINSJURIEST, CDINSCESTA FROM INSCRESTAD WHERE CDEMPRESA "
                   "= :P_CDEMPRESA ORDER BY NRINSJURIEST"_s
                << QStringList {u"P_CDEMPRESA=02"_s} << u"NRINSJURIEST"_s
                << QStringList {u"09317584000106"_s, u"09317584000106"_s, u"09317584000289"_s};
            QTest::newRow(p + "registration-check")
                << b
                << u"SELECT CDINSCESTA, NRINSJURIEST, IDTPIJURIEST FROM INSCRESTAD WHERE "
                   "CDEMPRESA = :P_CDEMPRESA AND CDINSCESTA = :P_CDINSCESTA"_s
                << QStringList {u"P_CDEMPRESA=02"_s, u"P_CDINSCESTA=257894310"_s}
                << u"IDTPIJURIEST"_s << QStringList {u"J"_s};
            QTest::newRow(p + "active-clients")
                << b
                << u"SELECT CDCLIENTE, NRINSJURCLIE, NMRAZSOCCLIE, NMFANTCLIE, IDTPIJURCLIE FROM "
                   "CLIENTE WHERE IDCLIEATIV = 'S' ORDER BY NRINSJURCLIE"_s
                << QStringList() << u"NMFANTCLIE"_s
                << QStringList {u"FARMA GUANABARA"_s,  u"BOA MESA"_s,        u""_s,
                                u"MOVEIS SERRANA"_s,   u"NORTE AMAZONIA"_s,  u"METAL VALE"_s,
                                u"CERAMICA LITORAL"_s, u"TEXTIL BLUMENAU"_s, u"TEXTIL BLUMENAU"_s,
                                u"RECIFE CENTER"_s};
            QTest::newRow(p + "active-suppliers")
                << b
                << u"SELECT CDFORNECED, NRINSJURFORN, NMRAZSOCFORN, NMFANTFORN, IDTPIJURFORN "
                   "FROM FORNECEDOR WHERE IDSITUCADA = 'A' ORDER BY NRINSJURFORN"_s
                << QStringList() << u"CDFORNECED"_s
                << QStringList {u"203"_s, u"206"_s, u"202"_s, u"201"_s};
            QTest::newRow(p + "all-clients-filter")
                << b
                << u"SELECT CDCLIENTE, IDTPIJURCLIE, NRINSJURCLIE, NMRAZSOCCLIE, NMFANTCLIE FROM "
                   "CLIENTE ORDER BY NRINSJURCLIE"_s
                << QStringList() << u"IDTPIJURCLIE"_s
                << QStringList {u"J"_s, u"J"_s, u"F"_s, u"J"_s, u"J"_s, u"J"_s,
                                u"J"_s, u"F"_s, u"J"_s, u"J"_s, u"J"_s, u"J"_s};
            QTest::newRow(p + "supplier-by-registration")
                << b
                << u"SELECT CDFORNECED, IDTPIJURFORN, NRINSJURFORN, NMRAZSOCFORN FROM FORNECEDOR "
                   "WHERE CDFORNECED = COALESCE(:P_CDFORNECED, CDFORNECED) AND NRINSJURFORN = "
                   "COALESCE(:P_NRINSJURFORN, NRINSJURFORN)"_s
                << QStringList {u"P_CDFORNECED"_s, u"P_NRINSJURFORN=80357126408"_s}
                << u"NMRAZSOCFORN"_s << QStringList {u"PAULO ROBERTO OLIVEIRA"_s};
            QTest::newRow(p + "countries")
                << b
                << u"SELECT CDPAIS, NMPAIS, CDPAISBACEN FROM PAIS WHERE CDPAIS = :P_CDPAIS "
                   "ORDER BY CDPAIS"_s
                << QStringList {u"P_CDPAIS=1058"_s} << u"NMPAIS"_s << QStringList {u"BRASIL"_s};
            QTest::newRow(p + "state-of-another-country")
                << b
                << u"SELECT SGESTADO, NMESTADO, CDESTADOIBGE FROM ESTADO WHERE CDPAIS = "
                   ":P_CDPAIS AND SGESTADO = :P_SGESTADO ORDER BY SGESTADO"_s
                << QStringList {u"P_CDPAIS=1058"_s, u"P_SGESTADO=CB"_s} << u"SGESTADO"_s
                << QStringList();
            QTest::newRow(p + "outgoing-operation-types")
                << b
                << u"SELECT CDTIPOOPER, NMTIPOOPER, IDENTRSAIDOP FROM TIPOOPERAC WHERE "
                   "IDENTRSAIDOP = :P_IDENTRSAIDOP ORDER BY CDTIPOOPER"_s
                << QStringList {u"P_IDENTRSAIDOP=S"_s} << u"CDTIPOOPER"_s
                << QStringList {u"01"_s, u"02"_s, u"03"_s, u"04"_s, u"05"_s};
            QTest::newRow(p + "services")
                << b
                << u"SELECT CDARVPROD, NMPRODUTO, CDPRODUTO FROM PRODUTO WHERE CDNVPRODUTO = "
                   "(SELECT MAX(CDNVPRODUTO) FROM PRODUTO) ORDER BY CDARVPROD"_s
                << QStringList() << u"CDARVPROD"_s
                << QStringList {u"010010001"_s, u"010010002"_s, u"010010003"_s, u"010020001"_s,
                                u"010020002"_s, u"020010001"_s, u"020010002"_s};
            QTest::newRow(p + "active-messages")
                << b
                << u"SELECT CDMENSAGEM, DSMENSAGEM\n  FROM MENSAGEM\n WHERE IDSITUACAOMENS = "
                   "'A'\n ORDER BY 1"_s
                << QStringList() << u"CDMENSAGEM"_s
                << QStringList {u"001"_s, u"002"_s, u"003"_s, u"005"_s, u"007"_s};
        }
    }

    // The texts the module runs, as it runs them, on the demo content.
    void moduleQueries()
    {
        QFETCH(QString, backend);
        QFETCH(QString, sql);
        QFETCH(QStringList, params);
        QFETCH(QString, field);
        QFETCH(QStringList, values);
        auto q = query(backend, sql);
        QStringList got = OpenAndCollect(*q, params, field);
        QCOMPARE(got, values);
    }

    void productTree_data() { backendRows(); }

    // Every service sits under a subgroup and a group whose codes are its prefixes, and shows as
    // the product-code picture.
    void productTree()
    {
        QFETCH(QString, backend);
        auto q = query(backend, u"SELECT CDARVPROD, CDNVPRODUTO FROM PRODUTO ORDER BY CDARVPROD"_s);
        q->Open();
        QHash<QString, int> levels;
        for (; !q->Eof(); q->Next())
            levels.insert(q->FieldByName(u"CDARVPROD"_s).AsString(),
                          int(q->FieldByName(u"CDNVPRODUTO"_s).AsInteger()));
        const QList<int> widths {0, 2, 5, 9};
        int services = 0;
        for (auto it = levels.cbegin(); it != levels.cend(); ++it) {
            QCOMPARE(it.key().size(), widths.at(it.value()));
            for (int level = 1; level < it.value(); ++level)
                QCOMPARE(levels.value(it.key().left(widths.at(level))), level);
            if (it.value() == 3) {
                ++services;
                const QString shown = FormatMaskText(u"99.999.9999;0;_"_s, it.key());
                QCOMPARE(shown,
                         it.key().left(2) + u'.' + it.key().mid(2, 3) + u'.' + it.key().mid(5));
            }
        }
        QCOMPARE(services, 7);
    }

    void sharedRegistration_data() { backendRows(); }

    void sharedRegistration()
    {
        QFETCH(QString, backend);
        auto q = query(backend,
                       u"SELECT NRINSJURCLIE, COUNT(*) AS QT FROM CLIENTE GROUP BY "
                       "NRINSJURCLIE HAVING COUNT(*) > 1"_s);
        q->Open();
        QCOMPARE(q->RecordCount(), 1);
        QCOMPARE(q->FieldByName(u"QT"_s).AsInteger(), 2);
        QVERIFY(validCnpj(q->FieldByName(u"NRINSJURCLIE"_s).AsString()));
    }

    // The fiscal parametrization refuses, when written, a second row for one key and a taxed
    // row within one state without a rate (there is no default there; ICMS 0 would follow).
    void parametrizationRowsAreChecked_data()
    {
        QTest::addColumn<QString>("backend");
        // route, start, payer, CST, rate; no demo row names client 104
        QTest::addColumn<QString>("row");
        QTest::addColumn<bool>("accepted");
        for (const QString &b : TestDatabases::Backends()) {
            const QByteArray p = b.toUtf8() + '/';
            QTest::newRow(p + "taxed within one state, no rate")
                << b << u"'E','N','C','104','00',NULL"_s << false;
            QTest::newRow(p + "exempt within one state, no rate")
                << b << u"'E','N','C','104','40',NULL"_s << true;
            QTest::newRow(p + "taxed across states, no rate")
                << b << u"'I','N','C','104','00',NULL"_s << true;
            QTest::newRow(p + "the key of a payer's row")
                << b << u"'E','N','C','101','00',12"_s << false;
        }
    }
    void parametrizationRowsAreChecked()
    {
        QFETCH(QString, backend);
        QFETCH(QString, row);
        QFETCH(bool, accepted);
        QSqlDatabase db = QSqlDatabase::database(connectionOf(backend));
        QVERIFY(db.transaction());
        const bool written = QSqlQuery(db).exec(
            u"INSERT INTO TRIBSERVICO (NRTRIBSERVICO, CDEMPRESA, CDTIPOOPER, CDARVPROD, "
            "IDPERCURSO, IDINICIOFORAUF, IDCADTOMADOR, CDTOMADOR, CDSITUTRIBIT, VRALIQUOTA, "
            "CDCFOP, DSNATUOPERACAO, CDIMPOSTO, SGIMPOSTO, VRREDBASECALC, VRPERCCREDPRES) VALUES "
            "(999, '01', '01', '010010001', %1, '5353', 'TESTE', '01', 'ICMS', 0, 0)"_s.arg(row));
        db.rollback();
        QCOMPARE(written, accepted);
    }

    void dropAndRecreate_data() { backendRows(); }

    void dropAndRecreate()
    {
        QFETCH(QString, backend);
        const QString cs = TestDatabases::Fresh(backend, u"recreate"_s, m_dir.path());
        QSqlDatabase db = OpenConnection(cs, u"recreate-"_s + backend);
        HostDb::CreateHostSchema(db);
        HostDb::LoadHostDemoData(db);
        // A second load breaks keys: nothing of it stays.
        bool raised = false;
        try {
            HostDb::LoadHostDemoData(db);
        } catch (const EMensErro &e) {
            raised = true;
            QVERIFY2(e.text().contains(u"INSERT INTO"_s), qPrintable(e.text()));
        }
        QVERIFY(raised);
        QCOMPARE(HostDb::HostRowCounts(db).at(0), (QPair<QString, int>(u"PAIS"_s, 8)));
        HostDb::DropHostSchema(db);
        QCOMPARE(HostDb::ExistingHostTables(db), QStringList());
        HostDb::CreateHostSchema(db);
        QCOMPARE(HostDb::ExistingHostTables(db).size(), HostDb::HostTableNames().size());
    }

    void scriptSplitting_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("statements");
        QTest::newRow("two") << u"A;\nB;"_s << QStringList {u"A"_s, u"B"_s};
        QTest::newRow("semicolon-in-quotes") << u"INSERT INTO T VALUES ('a;b');"_s
                                             << QStringList {u"INSERT INTO T VALUES ('a;b')"_s};
        QTest::newRow("comment") << u"-- x; y\nA; -- z;\n"_s << QStringList {u"A"_s};
        QTest::newRow("last-without-semicolon") << u"A;B"_s << QStringList {u"A"_s, u"B"_s};
    }

    void scriptSplitting()
    {
        QFETCH(QString, script);
        QFETCH(QStringList, statements);
        QCOMPARE(SplitSqlScript(script), statements);
    }

    void commandCreatesOnceAndForces()
    {
        const QString exe = qEnvironmentVariable("CTE_DB_EXE");
        QVERIFY2(!exe.isEmpty(), "CTE_DB_EXE not set");
        const QString cs = TestDatabases::Fresh(u"sqlite"_s, u"command"_s, m_dir.path());
        auto run = [&](const QStringList &args, QString *out) {
            QProcess p;
            p.start(exe, args);
            p.waitForFinished(-1);
            *out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
            return p.exitCode();
        };
        QString out;
        QCOMPARE(run({u"create"_s, u"--db"_s, cs, u"--demo"_s}, &out), 0);
        QVERIFY2(out.contains(u"MUNICIPIO: 5580"_s), qPrintable(out));
        QCOMPARE(run({u"create"_s, u"--db"_s, cs, u"--demo"_s}, &out), 0);
        QVERIFY2(out.contains(u"--force"_s) && !out.contains(u"MUNICIPIO:"_s), qPrintable(out));
        QCOMPARE(run({u"create"_s, u"--db"_s, cs, u"--force"_s}, &out), 0);
        QVERIFY2(out.contains(u"apagadas"_s) && !out.contains(u"MUNICIPIO:"_s), qPrintable(out));
        QCOMPARE(run({u"create"_s, u"--db"_s, u"mysql://x"_s}, &out), 1);
        QCOMPARE(run({u"drop"_s}, &out), 2);
        // The file holds the company's data: its owner's alone.
        const QFileInfo file(cs.mid(7));
        QCOMPARE(file.permissions()
                     & ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser),
                 QFile::Permissions());
    }

    // A demo creation that stops half-way (here: the file may not grow past a size, as on a
    // full disk) leaves nothing that a second run takes for done; and tables left empty by an
    // earlier run are completed.
    void interruptedDemoCreationIsCompletedByTheNextRun_data()
    {
        QTest::addColumn<QString>("firstRun"); // "full disk", "tables only"
        QTest::newRow("the disk fills up during the demo content") << u"full disk"_s;
        QTest::newRow("tables made without their content") << u"tables only"_s;
    }
    void interruptedDemoCreationIsCompletedByTheNextRun()
    {
        QFETCH(QString, firstRun);
        const QString exe = qEnvironmentVariable("CTE_DB_EXE");
        QTemporaryDir dir;
        const QString cs = u"sqlite:"_s + dir.filePath(u"host.db"_s);
        if (firstRun == u"full disk") {
            QProcess p;
            // 192 KiB: room for the tables, not for the places of Brazil.
            p.start(u"/bin/bash"_s,
                    {u"-c"_s, u"ulimit -f 192; exec \"$0\" \"$@\""_s, exe, u"create"_s, u"--db"_s,
                     cs, u"--demo"_s});
            p.waitForFinished(-1);
            QVERIFY(p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0);
        } else {
            QProcess p;
            p.start(exe, {u"create"_s, u"--db"_s, cs});
            p.waitForFinished(-1);
            QCOMPARE(p.exitCode(), 0);
        }
        QProcess second;
        second.start(exe, {u"create"_s, u"--db"_s, cs, u"--demo"_s});
        second.waitForFinished(-1);
        const QString out = QString::fromUtf8(second.readAll());
        QCOMPARE(second.exitCode(), 0);
        QVERIFY2(out.contains(u"MUNICIPIO: 5580"_s), qPrintable(out));
    }
};

QTEST_GUILESS_MAIN(TestHostDb)
#include "tst_hostdb.moc"
