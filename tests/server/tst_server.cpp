// The application server as a client sees it: a real cte-server process on a loopback port, over
// a database made for the run (SQLite, or PostgreSQL with CTE_TEST_BACKEND=pg).
#include "CTeRecord.h"
#include "DataPacket.h"
#include "NetConnection.h"
#include "RpcProtocol.h"
#include "ServerHarness.h"
#include "Sessions.h"

#include "DbConnection.h"
#include "Exceptions.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <cmath>

using namespace Qt::StringLiterals;
using contracts::DataPacket;
using contracts::Delta;

namespace {

QVariantList asList(const QVariant &v)
{
    return v.toList();
}

DataPacket packetAt(const QVariant &reply, int index)
{
    return reply.toList().value(index).value<DataPacket>();
}

QVariant valueOf(const DataPacket &p, int row, const QString &field)
{
    return p.rows.at(row).at(p.indexOf(field));
}

} // namespace

class TestServer : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<ServerProcess> m_server;
    std::unique_ptr<TNetConnection> m_net;

    QVariant call(const QString &op, const QVariantList &args)
    {
        return m_net->AppServer(op, args);
    }
    QVariant applySave(const QList<std::optional<Delta>> &deltas)
    {
        return call(u"AplicaAlteracoes"_s, saveArgs(deltas));
    }
    // A new document with one cargo quantity, as a save's arguments.
    static QVariantList newDocumentWithCargo(double quantity, const QString &request = {})
    {
        return saveArgs({insertDelta(contracts::cte::documentFields(), {newDocumentValues()}),
                         std::nullopt, std::nullopt, std::nullopt,
                         insertDelta(contracts::cte::cargoQuantityFields(),
                                     {{{u"CDCTE"_s, 0.0},
                                       {u"CDUNIDMEDIDA"_s, u"01"_s},
                                       {u"DSTIPOMEDIDA"_s, u"PESO BRUTO"_s},
                                       {u"QTCARGA"_s, quantity}}})},
                        request);
    }
    // The rows of `table` as the test's own connection sees them.
    int rowsIn(const QString &table)
    {
        return countOf(m_db->db(), u"SELECT COUNT(*) FROM "_s + table);
    }
    DataPacket list(const QHash<int, QVariant> &overrides = {})
    {
        const QVariant reply = call(u"GetDadosGerais"_s, listSelection(overrides));
        return packetAt(reply, 1);
    }
    // Saves a new document with one tax row (ICMS of situation `cst`) and two cargo rows.
    QVariant saveNewReply(const QHash<QString, QVariant> &changes, const QString &cst = u"00"_s)
    {
        auto values = newDocumentValues();
        for (auto it = changes.begin(); it != changes.end(); ++it)
            values.insert(it.key(), it.value());
        const QVariant reply = applySave({insertDelta(contracts::cte::documentFields(), {values}),
                                          insertDelta(contracts::cte::taxFields(),
                                                      {{{u"CDCTEIMPOSTOS"_s, 0.0},
                                                        {u"CDCTE"_s, 0.0},
                                                        {u"CDIMPOSTO"_s, u"01"_s},
                                                        {u"SGIMPOSTO"_s, u"ICMS"_s},
                                                        {u"VRALIQUOTA"_s, 12.0},
                                                        {u"CDSITUTRIBIT"_s, cst}}}),
                                          std::nullopt, std::nullopt,
                                          insertDelta(contracts::cte::cargoQuantityFields(),
                                                      {{{u"CDCTEINFQTCARGA"_s, 0.0},
                                                        {u"CDCTE"_s, 0.0},
                                                        {u"CDUNIDMEDIDA"_s, u"01"_s},
                                                        {u"DSTIPOMEDIDA"_s, u"PESO BRUTO"_s},
                                                        {u"QTCARGA"_s, 0.0},
                                                        {u"IDGERADAAUTO"_s, u"S"_s}},
                                                       {{u"CDCTEINFQTCARGA"_s, 0.0},
                                                        {u"CDCTE"_s, 0.0},
                                                        {u"CDUNIDMEDIDA"_s, u"00"_s},
                                                        {u"DSTIPOMEDIDA"_s, u"CUBAGEM"_s},
                                                        {u"QTCARGA"_s, 2.5},
                                                        {u"IDGERADAAUTO"_s, u"N"_s}}}),
                                          std::nullopt});
        return reply;
    }
    // Saves a new document with one tax row and two cargo rows; returns its key.
    double saveNew(const QHash<QString, QVariant> &changes = {})
    {
        const QVariant reply = saveNewReply(changes);
        if (asList(reply).value(0) != u"S"_s)
            qWarning() << "save refused:" << reply;
        return asList(reply).value(1).toDouble();
    }
    // A taxed row within one state without a rate (company 01, operation type 05), as a database
    // written before that was refused holds it: the check is set aside to write it.
    void insertRateLessRow()
    {
        QSqlQuery q(m_db->db());
        const bool pg = TestDatabase::usePostgres();
        q.exec(pg ? u"ALTER TABLE TRIBSERVICO DROP CONSTRAINT IF EXISTS TRIBSERVICO_ALIQUOTA"_s
                  : u"PRAGMA ignore_check_constraints = ON"_s);
        q.exec(u"INSERT INTO TRIBSERVICO SELECT 900, CDEMPRESA, '05', CDARVPROD, IDPERCURSO, "
               "IDCADTOMADOR, CDTOMADOR, CDCFOP, DSNATUOPERACAO, CDIMPOSTO, SGIMPOSTO, "
               "CDSITUTRIBIT, CDFISCALIT, NULL, VRREDBASECALC, VRPERCCREDPRES, IDINICIOFORAUF "
               "FROM TRIBSERVICO WHERE NRTRIBSERVICO = 4 AND NOT EXISTS (SELECT 1 FROM "
               "TRIBSERVICO WHERE NRTRIBSERVICO = 900)"_s);
        if (!pg)
            q.exec(u"PRAGMA ignore_check_constraints = OFF"_s);
    }
    int rowOf(const DataPacket &p, double key)
    {
        for (int i = 0; i < p.rows.size(); ++i) {
            if (valueOf(p, i, u"CDCTE"_s).toDouble() == key)
                return i;
        }
        return -1;
    }

private slots:
    void initTestCase()
    {
        try {
            m_db = std::make_unique<TestDatabase>();
        } catch (const std::exception &e) {
            QFAIL(e.what());
        }
        m_server = std::make_unique<ServerProcess>(m_db->connectionString());
        QVERIFY2(m_server->port() > 0, qPrintable(m_server->log()));
        m_net = std::make_unique<TNetConnection>();
        m_net->SetPort(m_server->port());
        m_net->Connect(u"tester"_s, TestDatabase::password());
        QVERIFY(m_net->Connected());
    }

    void cleanupTestCase()
    {
        m_net.reset();
        m_server.reset();
        m_db.reset();
    }

    void sessionsAreCheckedOnEveryCall()
    {
        const int port = m_server->port();
        const RawAnswer wrong
            = rawPost(port, u"Login"_s, contracts::encodeCall({u"tester"_s, u"errada"_s}));
        QCOMPARE(wrong.reply.toString(), u"Usuário ou senha inválidos."_s);
        const RawAnswer unknownUser = rawPost(
            port, u"Login"_s, contracts::encodeCall({u"ninguem"_s, TestDatabase::password()}));
        QCOMPARE(unknownUser.reply.toString(), wrong.reply.toString());

        const QByteArray args = contracts::encodeCall({u"3"_s, QString()});
        const RawAnswer none = rawPost(port, u"GetCompValorPrest"_s, args);
        QCOMPARE(none.status, 401);
        QVERIFY(none.reply.toString().startsWith(u"Chamada sem sessão"_s));
        const RawAnswer forged = rawPost(port, u"GetCompValorPrest"_s, args, QString(64, u'a'));
        QCOMPARE(forged.status, 401);
        QVERIFY(forged.reply.toString().startsWith(u"Sessão inválida"_s));

        // A session opened on one server is good on another over the same database.
        const QString token = testerLogin(port);
        ServerProcess other(m_db->connectionString());
        const RawAnswer elsewhere = rawPost(other.port(), u"GetCompValorPrest"_s, args, token);
        QCOMPARE(elsewhere.reply.toList().value(0).toString(), u"S"_s);
        QVERIFY(other.log().contains(u"op=GetCompValorPrest user=tester"_s));

        // Logging out ends it everywhere.
        QCOMPARE(rawPost(other.port(), u"Logout"_s, "[]", token).status, 200);
        QCOMPARE(rawPost(port, u"GetCompValorPrest"_s, args, token).status, 401);
    }

    void unknownOperationsAnswerOneText_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::newRow("never heard of") << u"ExcluiTudo"_s;
        QTest::newRow("misspelt") << u"GeraXml"_s;
    }
    void unknownOperationsAnswerOneText()
    {
        QFETCH(QString, operation);
        const QVariant reply = call(operation, {});
        QCOMPARE(reply.toString(),
                 u"Operação \"%1\" não disponível neste servidor de aplicação."_s.arg(operation));
    }

    void badInputIsRefusedAndNothingWritten_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("expected");

        auto save = [](const Delta &d) {
            return contracts::encodeCall(saveArgs({d}));
        };
        Delta unknownField = insertDelta(contracts::cte::documentFields(), {newDocumentValues()});
        unknownField.fields[5].name = u"NRCTEX"_s;
        Delta wrongType = insertDelta(contracts::cte::documentFields(), {newDocumentValues()});
        wrongType.fields[3].type = contracts::FieldType::Float; // NRCTE
        wrongType.changes[0].newValues[3] = 1.0;
        Delta tooLong = insertDelta(contracts::cte::documentFields(), {newDocumentValues()});
        tooLong.fields[4].size = 10; // CDSERIECTE is 3 wide on the server
        tooLong.changes[0].newValues[4] = u"1234"_s;
        auto values = newDocumentValues();
        values.remove(u"CDSERIECTE"_s);
        const Delta noSeries = insertDelta(contracts::cte::documentFields(), {values});

        QTest::newRow("malformed json")
            << u"AplicaAlteracoes"_s << QByteArray("[null, {") << u"não é JSON válido"_s;
        QTest::newRow("object body")
            << u"GetCliente"_s << QByteArray(R"({"a": 1})") << u"deve ser uma lista JSON"_s;
        QTest::newRow("too few arguments") << u"GetCliente"_s << QByteArray(R"(["101"])")
                                           << u"espera 2 argumentos, mas recebeu 1"_s;
        QTest::newRow("too many arguments")
            << u"AplicaAlteracoes"_s << QByteArray("[null,null,null,null,null,null,\"a\",null]")
            << u"espera 7 argumentos, mas recebeu 8"_s;
        QTest::newRow("number for text")
            << u"GetEmitente"_s << QByteArray(R"(["01", "", 5])")
            << u"O argumento 3 da operação GetEmitente deve ser texto"_s;
        QTest::newRow("text for a delta")
            << u"AplicaAlteracoes"_s << QByteArray(R"(["x",null,null,null,null,null,"a"])")
            << u"O argumento 1 da operação AplicaAlteracoes"_s;
        QTest::newRow("unknown tag") << u"GetProdDocFiscais"_s << QByteArray(R"([{"$blob": 1}])")
                                     << u"desconhecido ou malformado"_s;
        QTest::newRow("packet row too short")
            << u"GetProdDocFiscais"_s
            << QByteArray(R"([{"$packet":{"fields":[{"name":"A","type":"float"}],"rows":[[]]}}])")
            << u"a linha"_s;
        QTest::newRow("packet without the invoice fields")
            << u"GetProdDocFiscais"_s
            << QByteArray(R"([{"$packet":{"fields":[{"name":"A","type":"float"}],"rows":[[1]]}}])")
            << u"NRACESSONFE, CDFILIAL e NRLANCTONF"_s;
        QTest::newRow("delta field unknown") << u"AplicaAlteracoes"_s << save(unknownField)
                                             << u"o campo NRCTEX não pertence a cdsCTe"_s;
        QTest::newRow("delta field of another type")
            << u"AplicaAlteracoes"_s << save(wrongType) << u"o tipo do campo NRCTE"_s;
        QTest::newRow("delta value too long")
            << u"AplicaAlteracoes"_s << save(tooLong) << u"excede 3 caracteres"_s;
        QTest::newRow("document without series")
            << u"AplicaAlteracoes"_s << save(noSeries) << u"série e modelo"_s;
        auto withValue = [](const QString &field, const QVariant &value) {
            auto v = newDocumentValues();
            v.insert(field, value);
            return insertDelta(contracts::cte::documentFields(), {v});
        };
        QTest::newRow("series not the establishment's")
            << u"AplicaAlteracoes"_s << save(withValue(u"CDSERIECTE"_s, u"7"_s))
            << u"a empresa \"01\" não tem estabelecimento com a série \"7\""_s;
        QTest::newRow("series a quote")
            << u"AplicaAlteracoes"_s << save(withValue(u"CDSERIECTE"_s, u"'"_s))
            << u"série \"'\""_s;
        QTest::newRow("series an emoji")
            << u"AplicaAlteracoes"_s << save(withValue(u"CDSERIECTE"_s, u"\U0001F69A"_s))
            << u"não tem estabelecimento"_s;
        QTest::newRow("unknown company")
            << u"AplicaAlteracoes"_s << save(withValue(u"CDEMPRESA"_s, u"99"_s))
            << u"a empresa \"99\" não tem estabelecimento"_s;
        QTest::newRow("model of another document")
            << u"AplicaAlteracoes"_s << save(withValue(u"CDMODDOCFISC"_s, u"55"_s))
            << u"o modelo \"55\""_s;
        QTest::newRow("NUL in a text of a delta")
            << u"AplicaAlteracoes"_s
            << save(withValue(u"DSPRODPREDOMINA"_s, QString(u"MOVEIS"_s + QChar(0) + u"X"_s)))
            << u"o texto do campo DSPRODPREDOMINA na linha 1 contém o caractere nulo"_s;
        QTest::newRow("NUL in a series")
            << u"AplicaAlteracoes"_s << save(withValue(u"CDSERIECTE"_s, QString(QChar(0))))
            << u"o texto do campo CDSERIECTE na linha 1 contém o caractere nulo"_s;
        QTest::newRow("NUL in an argument") << u"GetCliente"_s << QByteArray(R"(["10\u00001", ""])")
                                            << u"argumento 1: o texto contém o caractere nulo"_s;
        // PostgreSQL would keep "?" in its place.
        QTest::newRow("half a surrogate pair in an argument")
            << u"GetCliente"_s << QByteArray(R"(["10\ud8001", ""])")
            << u"argumento 1: o texto contém metade de um par substituto"_s;
        QTest::newRow("half a surrogate pair in a text of a delta")
            << u"AplicaAlteracoes"_s
            << save(withValue(u"DSPRODPREDOMINA"_s, QString(u"MOVEIS"_s + QChar(0xdc00))))
            << u"o texto do campo DSPRODPREDOMINA na linha 1 contém metade de um par substituto"_s;
        QTest::newRow("number too large for its column")
            << u"AplicaAlteracoes"_s << save(withValue(u"VRTOTAPRESTSERV"_s, 1e15))
            << u"o valor do campo VRTOTAPRESTSERV na linha 1 é grande demais"_s;
        QTest::newRow("key too large")
            << u"AplicaAlteracoes"_s << save(withValue(u"CDCTE"_s, 1e300))
            << u"o valor do campo CDCTE na linha 1 é grande demais"_s;
        QTest::newRow("six lists without changes")
            << u"AplicaAlteracoes"_s
            << QByteArray("[null,null,null,null,null,null,\"sem-alteracoes\"]")
            << u"nenhuma das listas traz alterações"_s;
        QTest::newRow("bad situation list")
            << u"GetDadosGerais"_s << contracts::encodeCall(listSelection({{7, u"A_C"_s}}))
            << u"Lista de situações"_s;
        QTest::newRow("bad operation types")
            << u"GetDadosGerais"_s << contracts::encodeCall(listSelection({{8, u"S01,S02"_s}}))
            << u"tipos de operação"_s;
        QTest::newRow("bad selector")
            << u"GetDadosGerais"_s << contracts::encodeCall(listSelection({{9, u"Z"_s}}))
            << u"Seleção de participante"_s;
    }
    void badInputIsRefusedAndNothingWritten()
    {
        QFETCH(QString, operation);
        QFETCH(QByteArray, body);
        QFETCH(QString, expected);
        const int documents = rowsIn(u"CTE"_s);
        const int taxes = rowsIn(u"CTEIMPOSTOS"_s);
        const QString token = testerLogin(m_server->port());

        const RawAnswer a = rawPost(m_server->port(), operation, body, token);
        QCOMPARE(a.reply.typeId(), QMetaType::QString);
        QVERIFY2(a.reply.toString().contains(expected), qPrintable(a.reply.toString()));
        // A refusal names the problem in the module's words, never the database's.
        for (const char16_t *inner : {u"QPSQL", u"QSQLITE", u"SELECT", u"INSERT", u"comando"})
            QVERIFY2(!a.reply.toString().contains(QString::fromUtf16(inner)),
                     qPrintable(a.reply.toString()));
        QCOMPARE(rowsIn(u"CTE"_s), documents);
        QCOMPARE(rowsIn(u"CTEIMPOSTOS"_s), taxes);
        // and the server goes on serving
        QCOMPARE(asList(call(u"GetCompValorPrest"_s, {u"1"_s, QString()})).value(0), u"S"_s);
    }

    void bodyOverTheLimitIsRefused()
    {
        ServerProcess small(m_db->connectionString(), {u"--max-body"_s, u"100000"_s});
        const QString token = testerLogin(small.port());
        const QByteArray big = contracts::encodeCall({QString(200000, u'x'), QString()});
        const RawAnswer a = rawPost(small.port(), u"GetCliente"_s, big, token);
        QCOMPARE(a.status, 413);
        QCOMPARE(a.reply.toString(),
                 u"Requisição recusada: o corpo excede o limite de 100000 bytes."_s);
        const RawAnswer after = rawPost(small.port(), u"GetCliente"_s,
                                        contracts::encodeCall({u"101"_s, QString()}), token);
        QCOMPARE(after.reply.toList().value(0).toString(), u"S"_s);
    }

    void listReplyHasItsElementsInOrder()
    {
        const QVariantList reply = asList(call(u"GetDadosGerais"_s, listSelection()));
        QCOMPARE(reply.size(), 11);
        QCOMPARE(reply.at(0).toString(), u"S"_s);
        const DataPacket docs = packetAt(reply, 1);
        QCOMPARE(docs.fields.first().name, u"IDCHECK"_s);
        QVERIFY(docs.rows.size() >= 3);
        QSet<double> keys;
        for (int i = 0; i < docs.rows.size(); ++i) {
            QCOMPARE(valueOf(docs, i, u"IDCHECK"_s).toString(), u"N"_s);
            keys.insert(valueOf(docs, i, u"CDCTE"_s).toDouble());
        }
        const DataPacket est = packetAt(reply, 2);
        QCOMPARE(est.rows.size(), 1);
        QCOMPARE(valueOf(est, 0, u"CDSERIECTE"_s).toString(), u"1"_s);
        QCOMPARE(valueOf(est, 0, u"CDMODDOCFISCCTE"_s).toString(), u"57"_s);
        QVERIFY(!reply.at(3).toString().isEmpty());
        QCOMPARE(packetAt(reply, 6).rows.size(), 7); // the component register
        QVERIFY(reply.at(8).isNull());
        // Child rows belong to listed documents only.
        for (int element : {4, 5, 7, 9, 10}) {
            const DataPacket child = packetAt(reply, element);
            QVERIFY(child.indexOf(u"CDCTE"_s) >= 0);
            for (int i = 0; i < child.rows.size(); ++i)
                QVERIFY(keys.contains(valueOf(child, i, u"CDCTE"_s).toDouble()));
        }
        QVERIFY(packetAt(reply, 4).rows.size() >= 3);
        QVERIFY(packetAt(reply, 9).rows.size() >= 6);
    }

    // Stored values come back in the list as they were written, whichever way the server reads
    // them from its database.
    void listGivesStoredValuesBack_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QVariant>("expected");
        const QString quotes = u"Frete \"expresso\" \\ retorno"_s;
        const QString accents = u"São José — ½ € 𝄞"_s;
        const QString breaks = u"linha 1\nlinha 2\tfim\u0001"_s;
        const QDateTime moment(QDate(2026, 3, 1), QTime(8, 5, 9, 123));
        QTest::newRow("quotes and backslash")
            << u"DSNATUOPERACAO"_s << QVariant(quotes) << QVariant(quotes);
        QTest::newRow("accents and symbols")
            << u"DSNATUOPERACAO"_s << QVariant(accents) << QVariant(accents);
        QTest::newRow("control characters")
            << u"DSRETIRA"_s << QVariant(breaks) << QVariant(breaks);
        QTest::newRow("null text")
            << u"DSRETIRA"_s << QVariant(QMetaType::fromType<QString>()) << QVariant();
        QTest::newRow("cents") << u"VRTOTACARGA"_s << QVariant(1234.56) << QVariant(1234.56);
        QTest::newRow("whole amount") << u"VRTOTACARGA"_s << QVariant(37000.0) << QVariant(37000.0);
        QTest::newRow("moment") << u"DTAUTORIZACAO"_s << QVariant(moment) << QVariant(moment);
    }
    void listGivesStoredValuesBack()
    {
        QFETCH(QString, field);
        QFETCH(QVariant, stored);
        QFETCH(QVariant, expected);
        const double key = saveNew();
        QSqlQuery q(m_db->db());
        q.prepare(u"UPDATE CTE SET %1 = :V WHERE CDCTE = :K"_s.arg(field));
        q.bindValue(u":V"_s, stored);
        q.bindValue(u":K"_s, qint64(key));
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
        const DataPacket docs = list();
        int row = -1;
        for (int i = 0; i < docs.rows.size() && row < 0; ++i) {
            if (valueOf(docs, i, u"CDCTE"_s).toDouble() == key)
                row = i;
        }
        QVERIFY(row >= 0);
        const QVariant got = valueOf(docs, row, field);
        if (expected.typeId() == QMetaType::Double)
            QCOMPARE(got.toDouble(), expected.toDouble());
        else
            QCOMPARE(got, expected);
    }

    void selectionRules_data()
    {
        QTest::addColumn<QVariantMap>("overrides");
        QTest::addColumn<QStringList>("expectedSenders"); // kind and code of the senders, sorted

        auto m = [](std::initializer_list<std::pair<int, QVariant>> list) {
            QVariantMap map;
            for (const auto &[k, v] : list)
                map.insert(QString::number(k), v);
            return map;
        };
        // The demo documents: sent by clients 101 (twice), 112 and 104, and by supplier 201 (with
        // supplier 206 dispatching); 104's goes to supplier 202; the sender pays.
        const QStringList all {u"C101"_s, u"C101"_s, u"C104"_s, u"C112"_s, u"F201"_s};
        const QStringList clients {u"C101"_s, u"C101"_s, u"C104"_s, u"C112"_s};
        QTest::newRow("everything") << m({}) << all;
        QTest::newRow("pending only")
            << m({{7, u"_P_"_s}}) << QStringList {u"C101"_s, u"C104"_s, u"C112"_s, u"F201"_s};
        QTest::newRow("accepted only") << m({{7, u"_A_"_s}}) << QStringList {u"C101"_s};
        QTest::newRow("no situation") << m({{7, u"_"_s}}) << QStringList {};
        QTest::newRow("sender client 112")
            << m({{9, u"C"_s}, {10, u"112"_s}}) << QStringList {u"C112"_s};
        QTest::newRow("sender any client") << m({{9, u"C"_s}}) << clients;
        QTest::newRow("sender supplier 201")
            << m({{9, u"F"_s}, {11, u"201"_s}}) << QStringList {u"F201"_s};
        QTest::newRow("sender supplier 202") << m({{9, u"F"_s}, {11, u"202"_s}}) << QStringList {};
        QTest::newRow("sender any supplier") << m({{9, u"F"_s}}) << QStringList {u"F201"_s};
        QTest::newRow("dispatcher any supplier") << m({{12, u"F"_s}}) << QStringList {u"F201"_s};
        QTest::newRow("dispatcher any client") << m({{12, u"C"_s}}) << QStringList {};
        QTest::newRow("recipient client 111")
            << m({{18, u"C"_s}, {19, u"111"_s}}) << QStringList {u"C101"_s};
        QTest::newRow("recipient any supplier") << m({{18, u"F"_s}}) << QStringList {u"C104"_s};
        QTest::newRow("recipient supplier 202, client code ignored")
            << m({{18, u"F"_s}, {19, u"111"_s}, {20, u"202"_s}}) << QStringList {u"C104"_s};
        QTest::newRow("payer client 112, supplier code ignored")
            << m({{2, u"C"_s}, {3, u"112"_s}, {4, u"999"_s}}) << QStringList {u"C112"_s};
        QTest::newRow("payer any supplier") << m({{2, u"F"_s}}) << QStringList {u"F201"_s};
        QTest::newRow("operation type listed") << m({{8, u"'S01'"_s}}) << all;
        QTest::newRow("operation types listed, none used")
            << m({{8, u"'S02','S05'"_s}}) << QStringList {};
        QTest::newRow("last two days") << m({{5, QDate::currentDate().addDays(-2)}})
                                       << QStringList {u"C101"_s, u"C104"_s, u"C112"_s, u"F201"_s};
        QTest::newRow("one day, both ends")
            << m({{5, QDate::currentDate().addDays(-3)}, {6, QDate::currentDate().addDays(-3)}})
            << QStringList {u"C101"_s};
        QTest::newRow("other registration") << m({{1, u"999"_s}}) << QStringList {};
        QTest::newRow("other company") << m({{0, u"02"_s}, {1, QString()}}) << QStringList {};
    }
    void selectionRules()
    {
        QFETCH(QVariantMap, overrides);
        QFETCH(QStringList, expectedSenders);
        // Only the demo documents (made 1 to 3 days ago) count here.
        QHash<int, QVariant> o;
        o.insert(6, QDate::currentDate().addDays(-1));
        for (auto it = overrides.begin(); it != overrides.end(); ++it)
            o.insert(it.key().toInt(), it.value());
        const DataPacket docs = list(o);
        QStringList senders;
        for (int i = 0; i < docs.rows.size(); ++i) {
            const QString kind = valueOf(docs, i, u"IDCADREMETENTE"_s).toString();
            senders << kind
                    + valueOf(docs, i, kind == u"F" ? u"CDREMETENTEFOR"_s : u"CDREMETENTECLI"_s)
                          .toString();
        }
        senders.sort();
        QCOMPARE(senders, expectedSenders);
    }

    void saveAssignsKeysAndNumbers()
    {
        const DataPacket before = list();
        const double key = saveNew();
        QVERIFY(key > 0);
        const QVariantList reply = asList(call(u"GetDadosGerais"_s, listSelection()));
        const DataPacket docs = packetAt(reply, 1);
        QCOMPARE(docs.rows.size(), before.rows.size() + 1);
        const int row = rowOf(docs, key);
        QVERIFY(row >= 0);
        int highest = 0;
        for (int i = 0; i < before.rows.size(); ++i)
            highest = std::max(highest, valueOf(before, i, u"NRCTE"_s).toInt());
        QCOMPARE(valueOf(docs, row, u"NRCTE"_s).toString(),
                 u"%1"_s.arg(highest + 1, 9, 10, QLatin1Char('0')));
        QCOMPARE(valueOf(docs, row, u"IDSTATUSCTE"_s).toString(), u"P"_s);
        QCOMPARE(valueOf(docs, row, u"VRTOTAPRESTSERV"_s).toDouble(), 1234.56);
        QCOMPARE(valueOf(docs, row, u"DTEMISSAO"_s).toDateTime(),
                 QDateTime(QDate::currentDate(), QTime(14, 5)));
        const DataPacket cargo = packetAt(reply, 9);
        int mine = 0;
        QSet<double> rowKeys;
        for (int i = 0; i < cargo.rows.size(); ++i) {
            rowKeys.insert(valueOf(cargo, i, u"CDCTEINFQTCARGA"_s).toDouble());
            if (valueOf(cargo, i, u"CDCTE"_s).toDouble() == key) {
                ++mine;
                QVERIFY(valueOf(cargo, i, u"CDCTEINFQTCARGA"_s).toDouble() > 0);
            }
        }
        QCOMPARE(mine, 2);
        QCOMPARE(rowKeys.size(), cargo.rows.size());
    }

    void updateWithStaleValuesIsRefused()
    {
        const double key = saveNew();
        const DataPacket loaded = list();
        const int row = rowOf(loaded, key);

        const QVariantList first = asList(
            applySave({updateDelta(loaded, row, {{u"DSPRODPREDOMINA"_s, u"CADEIRAS"_s}})}));
        QCOMPARE(first.value(0).toString(), u"S"_s);
        QCOMPARE(first.value(1).toDouble(), key);

        // A second user still holds the values read before the first change.
        const QVariant second
            = applySave({updateDelta(loaded, row, {{u"VRTOTAPRESTSERV"_s, 1.0}})});
        QVERIFY2(second.toString().startsWith(u"Registro alterado por outro usuário"_s),
                 qPrintable(second.toString()));
        const DataPacket now = list();
        QCOMPARE(valueOf(now, rowOf(now, key), u"DSPRODPREDOMINA"_s).toString(), u"CADEIRAS"_s);
        QCOMPARE(valueOf(now, rowOf(now, key), u"VRTOTAPRESTSERV"_s).toDouble(), 1234.56);
    }

    void serverOwnedFieldsStayTheServers()
    {
        const double key = saveNew({{u"IDSTATUSCTE"_s, u"A"_s}, {u"NRCTE"_s, u"000000777"_s}});
        DataPacket loaded = list();
        const int row = rowOf(loaded, key);
        QCOMPARE(valueOf(loaded, row, u"IDSTATUSCTE"_s).toString(), u"P"_s);
        QVERIFY(valueOf(loaded, row, u"NRCTE"_s).toString() != u"000000777"_s);
        const QVariantList r
            = asList(applySave({updateDelta(loaded, row, {{u"IDSTATUSCTE"_s, u"A"_s}})}));
        QCOMPARE(r.value(0).toString(), u"S"_s);
        loaded = list();
        QCOMPARE(valueOf(loaded, rowOf(loaded, key), u"IDSTATUSCTE"_s).toString(), u"P"_s);
    }

    void lockedDocumentsCannotChange_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("update") << u"update"_s;
        QTest::newRow("delete") << u"delete"_s;
        QTest::newRow("child row added") << u"child"_s;
    }
    void lockedDocumentsCannotChange()
    {
        QFETCH(QString, change);
        const DataPacket docs = list({{7, u"_A_"_s}});
        QCOMPARE(docs.rows.size(), 1);
        const double key = valueOf(docs, 0, u"CDCTE"_s).toDouble();
        QVariantList args;
        if (change == u"update")
            args = saveArgs({updateDelta(docs, 0, {{u"DSPRODPREDOMINA"_s, u"X"_s}})});
        else if (change == u"delete")
            args = saveArgs({deleteDelta(docs, 0)});
        else
            args = saveArgs({std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                             insertDelta(contracts::cte::additionalDataFields(),
                                         {{{u"CDCTEDADOSADIC"_s, 0.0},
                                           {u"CDCTE"_s, key},
                                           {u"DSDADOADIC"_s, u"OBS"_s}}})});
        const QVariant reply = call(u"AplicaAlteracoes"_s, args);
        QVERIFY2(reply.toString().startsWith(u"Operação bloqueada."_s),
                 qPrintable(reply.toString()));
        const DataPacket after = list({{7, u"_A_"_s}});
        QCOMPARE(after.rows, docs.rows);
        QCOMPARE(
            countOf(m_db->db(), u"SELECT COUNT(*) FROM CTEDADOSADIC WHERE CDCTE = %1"_s.arg(key)),
            0);
    }

    void deletingADocumentDeletesItsRows()
    {
        const double key = saveNew();
        const DataPacket docs = list();
        const QVariantList r = asList(applySave({deleteDelta(docs, rowOf(docs, key))}));
        QCOMPARE(r.value(0).toString(), u"S"_s);
        QCOMPARE(rowOf(list(), key), -1);
        const QSqlDatabase db = m_db->db();
        for (const char16_t *table : {u"CTEIMPOSTOS", u"CTEINFQTCARGA"})
            QCOMPARE(
                countOf(db,
                        u"SELECT COUNT(*) FROM %1 WHERE CDCTE = %2"_s.arg(QString::fromUtf16(table))
                            .arg(key)),
                0);
    }

    void aSaveIsAllOrNothing()
    {
        const double key = saveNew();
        const QVariantList reply = asList(call(u"GetDadosGerais"_s, listSelection()));
        const DataPacket taxes = packetAt(reply, 4);
        int taxRow = -1;
        for (int i = 0; i < taxes.rows.size(); ++i) {
            if (valueOf(taxes, i, u"CDCTE"_s).toDouble() == key)
                taxRow = i;
        }
        QVERIFY(taxRow >= 0);
        DataPacket stale = taxes;
        stale.rows[taxRow][stale.indexOf(u"VRALIQUOTA"_s)] = 99.0;
        const int documents = rowsIn(u"CTE"_s);
        // A new document together with a stale change of another document's tax row.
        const QVariant refused
            = applySave({insertDelta(contracts::cte::documentFields(), {newDocumentValues()}),
                         updateDelta(stale, taxRow, {{u"VRCREDPRESUMIDO"_s, 5.0}})});
        QVERIFY(refused.toString().startsWith(u"Registro alterado por outro usuário"_s));
        QCOMPARE(rowsIn(u"CTE"_s), documents);
        // No number was used up by the refused save.
        const DataPacket before = list();
        int highest = 0;
        for (int i = 0; i < before.rows.size(); ++i)
            highest = std::max(highest, valueOf(before, i, u"NRCTE"_s).toInt());
        const double next = saveNew();
        const DataPacket after = list();
        QCOMPARE(valueOf(after, rowOf(after, next), u"NRCTE"_s).toInt(), highest + 1);
    }

    void concurrentSavesGetConsecutiveNumbers()
    {
        // Two sessions on two server processes over one database, saving at the same moment.
        ServerProcess second(m_db->connectionString());
        const QString tokenA = testerLogin(m_server->port());
        const QString tokenB = testerLogin(second.port());
        const auto body = [] {
            return contracts::encodeCall(
                saveArgs({insertDelta(contracts::cte::documentFields(), {newDocumentValues()})}));
        };
        const int highestBefore = countOf(
            m_db->db(), u"SELECT MAX(CAST(NRCTE AS INTEGER)) FROM CTE WHERE CDSERIECTE = '1'"_s);

        QList<std::tuple<int, QString, QString, QByteArray>> calls;
        for (int i = 0; i < 8; ++i) {
            calls.append({m_server->port(), u"AplicaAlteracoes"_s, tokenA, body()});
            calls.append({second.port(), u"AplicaAlteracoes"_s, tokenB, body()});
        }
        const QList<QVariant> replies = concurrentCalls(calls);
        QSet<double> keys;
        for (const QVariant &r : replies) {
            QCOMPARE(r.toList().value(0).toString(), u"S"_s);
            keys.insert(r.toList().value(1).toDouble());
        }
        QCOMPARE(keys.size(), 16);
        QSqlQuery q(m_db->db());
        QVERIFY(
            q.exec(u"SELECT NRCTE FROM CTE WHERE CDSERIECTE = '1' AND CAST(NRCTE AS INTEGER) > %1 "
                   "ORDER BY NRCTE"_s.arg(highestBefore)));
        QStringList numbers;
        while (q.next())
            numbers << q.value(0).toString();
        QStringList expected;
        for (int i = 1; i <= 16; ++i)
            expected << u"%1"_s.arg(highestBefore + i, 9, 10, QLatin1Char('0'));
        QCOMPARE(numbers, expected);
    }

    // A save sent again under its request identifier (its answer was lost) is answered with the
    // first outcome and applied once, also when the copies arrive together at two servers.
    void repeatedSaveIsAppliedOnce_data()
    {
        QTest::addColumn<bool>("together");
        QTest::newRow("one after the other") << false;
        QTest::newRow("together on two servers") << true;
    }
    void repeatedSaveIsAppliedOnce()
    {
        QFETCH(bool, together);
        ServerProcess second(m_db->connectionString());
        const QString tokenA = testerLogin(m_server->port());
        const QString tokenB = testerLogin(second.port());
        const QString request = QUuid::createUuid().toString(QUuid::WithoutBraces);
        const QByteArray body = contracts::encodeCall(newDocumentWithCargo(2.0, request));
        const int documents = rowsIn(u"CTE"_s);
        const int cargo = rowsIn(u"CTEINFQTCARGA"_s);
        QList<QVariant> replies;
        if (together) {
            QList<std::tuple<int, QString, QString, QByteArray>> calls;
            for (int i = 0; i < 4; ++i) {
                calls.append({m_server->port(), u"AplicaAlteracoes"_s, tokenA, body});
                calls.append({second.port(), u"AplicaAlteracoes"_s, tokenB, body});
            }
            replies = concurrentCalls(calls);
        } else {
            for (int i = 0; i < 3; ++i)
                replies << rawPost(i % 2 ? second.port() : m_server->port(), u"AplicaAlteracoes"_s,
                                   body, i % 2 ? tokenB : tokenA)
                               .reply;
        }
        QCOMPARE(rowsIn(u"CTE"_s), documents + 1);
        QCOMPARE(rowsIn(u"CTEINFQTCARGA"_s), cargo + 1);
        const QVariantList first = replies.first().toList();
        QCOMPARE(first.value(0).toString(), u"S"_s);
        QVERIFY(first.value(1).toDouble() > 0);
        for (const QVariant &r : std::as_const(replies))
            QCOMPARE(r.toList(), first);
    }

    void saveRequestIdentifiers_data()
    {
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("user"); // who repeats a first save of "tester"
        QTest::addColumn<QString>("expected"); // start of the refusal
        QTest::newRow("empty") << QString() << QString()
                               << u"Alterações recusadas: o identificador da gravação"_s;
        QTest::newRow("blank inside")
            << u"a b"_s << QString() << u"Alterações recusadas: o identificador da gravação"_s;
        QTest::newRow("too long") << QString(65, u'a') << QString()
                                  << u"Alterações recusadas: o identificador da gravação"_s;
        QTest::newRow("quote") << u"a'b"_s << QString()
                               << u"Alterações recusadas: o identificador da gravação"_s;
        QTest::newRow("another user's") << u"de-outro-usuario"_s << u"outro"_s
                                        << u"Alterações recusadas: o identificador da gravação "
                                           "já foi usado por outro usuário."_s;
        // A correction sent under the identifier of a save whose answer was lost.
        QTest::newRow("the same user's, with other changes")
            << u"mesmo-id-outras-alteracoes"_s << u"tester"_s
            << u"Alterações recusadas: o identificador da gravação já foi usado para outras "
               "alterações."_s;
    }
    void saveRequestIdentifiers()
    {
        QFETCH(QString, request);
        QFETCH(QString, user);
        QFETCH(QString, expected);
        const QString token = testerLogin(m_server->port());
        const auto save = [&](const QString &t, double cargo = 1.0) {
            QVariantList args = newDocumentWithCargo(cargo, u"x"_s);
            args.last() = request;
            return rawPost(m_server->port(), u"AplicaAlteracoes"_s, contracts::encodeCall(args), t)
                .reply;
        };
        const int documents = rowsIn(u"CTE"_s);
        if (!user.isEmpty()) {
            QCOMPARE(save(token).toList().value(0).toString(), u"S"_s);
            QVariant reply;
            if (user == u"tester") {
                reply = save(token, 2.0);
            } else {
                sessions::createOrUpdateUser(m_db->db(), user, u"senha-do-outro-1"_s);
                reply = save(rawLogin(m_server->port(), user, u"senha-do-outro-1"_s));
            }
            QVERIFY2(reply.toString().startsWith(expected), qPrintable(reply.toString()));
            QCOMPARE(rowsIn(u"CTE"_s), documents + 1);
            return;
        }
        const QVariant reply = save(token);
        QVERIFY2(reply.toString().startsWith(expected), qPrintable(reply.toString()));
        QCOMPARE(rowsIn(u"CTE"_s), documents);
    }

    void serverKilledInTheMiddleOfASaveLeavesNothing()
    {
        QProcessEnvironment env;
        env.insert(u"CTE_SERVER_TEST_SAVE_PAUSE_MS"_s, u"600000"_s);
        auto slow = std::make_unique<ServerProcess>(m_db->connectionString(), QStringList {}, env);
        const QString token = testerLogin(slow->port());
        const int documents = rowsIn(u"CTE"_s);
        const int cargo = rowsIn(u"CTEINFQTCARGA"_s);
        const QByteArray body = contracts::encodeCall(newDocumentWithCargo(1.0));
        QNetworkAccessManager nam;
        QNetworkReply *reply
            = nam.post(callRequest(slow->port(), u"AplicaAlteracoes"_s, token), body);
        // Wait until the server sits inside the transaction with the rows written, then end it.
        while (!slow->log().contains(u"pausing"_s) && slow->running())
            QTest::qWait(20);
        QVERIFY(slow->running());
        slow->kill();
        while (!reply->isFinished())
            QTest::qWait(20);
        QVERIFY(reply->error() != QNetworkReply::NoError);
        reply->deleteLater();
        slow.reset();

        QCOMPARE(rowsIn(u"CTE"_s), documents);
        QCOMPARE(rowsIn(u"CTEINFQTCARGA"_s), cargo);
        // The other server is unaffected and can save.
        QVERIFY(saveNew() > 0);
    }

    // The CFOP and ICMS situation saved are the parametrization's for the document's stored
    // keys: a payer or operation type changed without asking the service again is refused
    // whole. The service is product 010010002 within São Paulo, payer client 103 (5353, 00)
    // unless the row changes it.
    void saveChecksTheFiscalResult_data()
    {
        QTest::addColumn<QVariantHash>("changes");
        QTest::addColumn<QString>("cst"); // of the ICMS row
        QTest::addColumn<bool>("later"); // changes made to the saved document
        QTest::addColumn<QString>("refusal"); // start of the text; empty: saved
        const QString cfop = u"Alterações recusadas: o CFOP \"5353\" do conhecimento não é o "
                             "da parametrização fiscal do serviço"_s;
        const QVariantHash substitute {{u"CDTOMADORCLI"_s, u"110"_s}};
        const QVariantHash asked {{u"CDTOMADORCLI"_s, u"110"_s}, {u"CDCFOP"_s, u"5360"_s}};
        QTest::newRow("agrees") << QVariantHash {} << u"00"_s << false << QString();
        QTest::newRow("payer changed to a tax substitute")
            << substitute << u"00"_s << false << cfop;
        QTest::newRow("payer changed on the saved document")
            << substitute << u"00"_s << true << cfop;
        QTest::newRow("CFOP asked again, ICMS situation stale")
            << asked << u"00"_s << false
            << u"Alterações recusadas: a situação tributária \"00\" do ICMS"_s;
        QTest::newRow("operation type without parametrization")
            << QVariantHash {{u"CDTIPOOPER"_s, u"02"_s}} << u"00"_s << false
            << u"Alterações recusadas: não há parametrização fiscal para o serviço 010010002"_s;
        QTest::newRow("total with three decimals")
            << QVariantHash {{u"VRTOTAPRESTSERV"_s, 1000.555}} << u"00"_s << false
            << u"Alterações recusadas: o valor 1000.555 do campo VRTOTAPRESTSERV"_s;
    }
    void saveChecksTheFiscalResult()
    {
        QFETCH(QVariantHash, changes);
        QFETCH(QString, cst);
        QFETCH(bool, later);
        QFETCH(QString, refusal);
        insertRateLessRow();
        QVariantHash values {{u"CDARVPROD"_s, u"010010002"_s}, {u"CDTIPOOPER"_s, u"01"_s},
                             {u"CDPAISINISERV"_s, u"1058"_s},  {u"SGESTADOINISERV"_s, u"SP"_s},
                             {u"CDPAISFIMSERV"_s, u"1058"_s},  {u"SGESTADOFIMSERV"_s, u"SP"_s},
                             {u"CDCFOP"_s, u"5353"_s}};
        if (!later)
            values.insert(changes);
        const int documents = rowsIn(u"CTE"_s);
        QVariant reply = saveNewReply(values, cst);
        if (later) {
            QCOMPARE(asList(reply).value(0).toString(), u"S"_s);
            const DataPacket loaded = list();
            reply = applySave(
                {updateDelta(loaded, rowOf(loaded, asList(reply).value(1).toDouble()), changes)});
        }
        if (refusal.isEmpty()) {
            QCOMPARE(asList(reply).value(0).toString(), u"S"_s);
            return;
        }
        QVERIFY2(reply.toString().startsWith(refusal), qPrintable(reply.toString()));
        QCOMPARE(rowsIn(u"CTE"_s), documents + (later ? 1 : 0));
    }

    void emitterLookUp_data()
    {
        QTest::addColumn<QString>("company");
        QTest::addColumn<QString>("stateRegistration");
        QTest::addColumn<QString>("registration");
        QTest::addColumn<QStringList>("expected"); // NRINSESTEMIT of the rows
        QTest::newRow("bare") << u"01"_s << QString() << u"18462731000114"_s
                              << QStringList {u"244187365112"_s};
        QTest::newRow("with punctuation")
            << u"01"_s << QString() << u"18.462.731/0001-14"_s << QStringList {u"244187365112"_s};
        QTest::newRow("state registration only")
            << u"02"_s << u"257894310"_s << QString() << QStringList {u"257894310"_s};
        QTest::newRow("other company's")
            << u"01"_s << QString() << u"09317584000106"_s << QStringList {};
        QTest::newRow("two establishments with one CNPJ")
            << u"02"_s << QString() << u"09.317.584/0001-06"_s
            << QStringList {u"0963245178"_s, u"301872456"_s};
        QTest::newRow("one of them by its state registration")
            << u"02"_s << u"301872456"_s << u"09317584000106"_s << QStringList {u"301872456"_s};
        QTest::newRow("registration and wrong state registration")
            << u"02"_s << u"257894310"_s << u"09317584000106"_s << QStringList {};
    }
    void emitterLookUp()
    {
        QFETCH(QString, company);
        QFETCH(QString, stateRegistration);
        QFETCH(QString, registration);
        QFETCH(QStringList, expected);
        const QVariant reply = call(u"GetEmitente"_s, {company, stateRegistration, registration});
        const DataPacket p = packetAt(reply, 1);
        QCOMPARE(p.fields.size(), 20);
        QStringList got;
        for (int i = 0; i < p.rows.size(); ++i)
            got << valueOf(p, i, u"NRINSESTEMIT"_s).toString();
        QCOMPARE(got, expected);
        if (!expected.isEmpty()) {
            QVERIFY(!valueOf(p, 0, u"NMMUNICIPIOEMIT"_s).toString().isEmpty());
            QCOMPARE(valueOf(p, 0, u"CDPAISBACENEMIT"_s).toString(), u"1058"_s);
        }
    }

    void partyLookUp_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("registration");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("client by code")
            << u"GetCliente"_s << u"101"_s << QString() << QStringList {u"101"_s};
        QTest::newRow("client by masked CNPJ shared by two")
            << u"GetCliente"_s << QString() << u"75.230.918/0001-26"_s
            << QStringList {u"108"_s, u"109"_s};
        QTest::newRow("client by code and CNPJ")
            << u"GetCliente"_s << u"109"_s << u"75230918000126"_s << QStringList {u"109"_s};
        QTest::newRow("client code and someone else's CNPJ")
            << u"GetCliente"_s << u"101"_s << u"75230918000126"_s << QStringList {};
        QTest::newRow("inactive client still found")
            << u"GetCliente"_s << QString() << u"627.415.983-55"_s << QStringList {u"106"_s};
        QTest::newRow("supplier by CPF")
            << u"GetFornecedor"_s << QString() << u"145.926.837-73"_s << QStringList {u"203"_s};
        QTest::newRow("supplier CNPJ shared by two, inactive too")
            << u"GetFornecedor"_s << QString() << u"35791426000195"_s
            << QStringList {u"202"_s, u"207"_s};
        QTest::newRow("supplier by code and shared CNPJ")
            << u"GetFornecedor"_s << u"202"_s << u"35.791.426/0001-95"_s << QStringList {u"202"_s};
        QTest::newRow("unknown supplier")
            << u"GetFornecedor"_s << QString() << u"11111111111"_s << QStringList {};
    }
    void partyLookUp()
    {
        QFETCH(QString, operation);
        QFETCH(QString, code);
        QFETCH(QString, registration);
        QFETCH(QStringList, expected);
        const DataPacket p = packetAt(call(operation, {code, registration}), 1);
        QStringList got;
        for (int i = 0; i < p.rows.size(); ++i)
            got << p.rows.at(i).at(0).toString();
        QCOMPARE(got, expected);
        if (!expected.isEmpty()) {
            QVERIFY(!valueOf(p, 0, u"NMMUNICIPIO"_s).toString().isEmpty());
            QVERIFY(!valueOf(p, 0, u"CDMUNICIBGE"_s).toString().isEmpty());
        }
        const QVariant nothing = call(operation, {QString(), QString()});
        QCOMPARE(nothing.toString(), u"Informe o código ou a inscrição para a pesquisa."_s);
    }

    // The fiscal treatment by company, operation type, product, kind of route and payer, with
    // the ICMS computed from a total of 1,000.00.
    void serviceParametrization_data()
    {
        QTest::addColumn<QStringList>("service"); // company, registration, operation, product
        QTest::addColumn<QStringList>("route"); // country, state, country, state
        QTest::addColumn<QStringList>("payer"); // source, code
        QTest::addColumn<QString>("cfop");
        QTest::addColumn<QString>("nature");
        QTest::addColumn<QString>("cst");
        QTest::addColumn<QList<double>>("icms"); // base, rate, reduction, value, presumed credit
        QTest::addColumn<QStringList>("messages");
        const QString sp = u"244187365112"_s;
        const QStringList spsp {u"1058"_s, u"SP"_s, u"1058"_s, u"SP"_s};
        const QStringList commerce {u"C"_s, u"102"_s};
        const QString toCommerce = u"PREST. SERV. TRANSPORTE A ESTAB. COMERCIAL"_s;
        QTest::newRow("intrastate")
            << QStringList {u"01"_s, sp, u"01"_s, u"010010001"_s} << spsp << commerce << u"5353"_s
            << toCommerce << u"00"_s << QList<double> {1000, 12, 0, 120, 0} << QStringList {};
        QTest::newRow("interstate at 12 %")
            << QStringList {u"01"_s, sp, u"01"_s, u"010010001"_s}
            << QStringList {u"1058"_s, u"SP"_s, u"1058"_s, u"RS"_s} << commerce << u"6353"_s
            << toCommerce << u"00"_s << QList<double> {1000, 12, 0, 120, 0} << QStringList {};
        QTest::newRow("interstate at 7 % from the southeast to the northeast")
            << QStringList {u"01"_s, sp, u"01"_s, u"010010001"_s}
            << QStringList {u"1058"_s, u"SP"_s, u"1058"_s, u"BA"_s} << commerce << u"6353"_s
            << toCommerce << u"00"_s << QList<double> {1000, 7, 0, 70, 0} << QStringList {};
        QTest::newRow("interstate at 12 % from the south to the southeast")
            << QStringList {u"02"_s, u"0963245178"_s, u"01"_s, u"010010002"_s}
            << QStringList {u"1058"_s, u"RS"_s, u"1058"_s, u"SP"_s} << commerce << u"6353"_s
            << toCommerce << u"00"_s << QList<double> {1000, 12, 0, 120, 0} << QStringList {};
        QTest::newRow("export") << QStringList {u"01"_s, sp, u"01"_s, u"010010001"_s}
                                << QStringList {u"1058"_s, u"SP"_s, u"0639"_s, u"EX"_s} << commerce
                                << u"7358"_s << u"PRESTACAO DE SERVICO DE TRANSPORTE NO EXTERIOR"_s
                                << u"41"_s << QList<double> {0, 0, 0, 0, 0} << QStringList {};
        QTest::newRow("reduced base")
            << QStringList {u"01"_s, sp, u"01"_s, u"010020001"_s} << spsp << commerce << u"5353"_s
            << toCommerce << u"20"_s << QList<double> {800, 12, 20, 96, 0} << QStringList {};
        QTest::newRow("presumed credit and an observation")
            << QStringList {u"01"_s, sp, u"01"_s, u"010010003"_s} << spsp << commerce << u"5353"_s
            << toCommerce << u"90"_s << QList<double> {1000, 12, 0, 120, 24}
            << QStringList {u"MERCADORIA TRANSPORTADA SOB RESPONSABILIDADE DO REMETENTE ATE A "
                            "ENTREGA"_s};
        QTest::newRow("payer not a taxpayer")
            << QStringList {u"01"_s, sp, u"01"_s, u"010010001"_s} << spsp
            << QStringList {u"C"_s, u"105"_s} << u"5357"_s
            << u"PREST. SERV. TRANSPORTE A NAO CONTRIBUINTE"_s << u"00"_s
            << QList<double> {1000, 12, 0, 120, 0} << QStringList {};
        QTest::newRow("payer not a taxpayer in another state")
            << QStringList {u"01"_s, sp, u"01"_s, u"010010001"_s}
            << QStringList {u"1058"_s, u"SP"_s, u"1058"_s, u"PE"_s}
            << QStringList {u"C"_s, u"106"_s} << u"6357"_s
            << u"PREST. SERV. TRANSPORTE A NAO CONTRIBUINTE"_s << u"00"_s
            << QList<double> {1000, 7, 0, 70, 0} << QStringList {};
        QTest::newRow("the same code as a supplier is another payer")
            << QStringList {u"01"_s, sp, u"01"_s, u"010010001"_s} << spsp
            << QStringList {u"F"_s, u"105"_s} << u"5353"_s << toCommerce << u"00"_s
            << QList<double> {1000, 12, 0, 120, 0} << QStringList {};
        QTest::newRow("payer as tax substitute")
            << QStringList {u"01"_s, sp, u"01"_s, u"010010002"_s} << spsp
            << QStringList {u"C"_s, u"110"_s} << u"5360"_s
            << u"PREST. SERV. TRANSPORTE A CONTRIB. SUBSTITUTO"_s << u"60"_s
            << QList<double> {1000, 12, 0, 120, 0}
            << QStringList {u"ICMS DE RESPONSABILIDADE DO TOMADOR DO SERVICO POR SUBSTITUICAO "
                            "TRIBUTARIA"_s};
        QTest::newRow("deferred redispatch")
            << QStringList {u"01"_s, sp, u"03"_s, u"020010001"_s} << spsp << commerce << u"5353"_s
            << toCommerce << u"51"_s << QList<double> {0, 0, 0, 0, 0}
            << QStringList {u"ICMS DIFERIDO CONFORME REGULAMENTO DO ICMS DO ESTADO"_s};
        // A service starting outside the emitter's state has rows of its own.
        const QString outside = u"PREST. SERV. TRANSPORTE INICIADA EM OUTRA UF"_s;
        QTest::newRow("starting outside the emitter's state, across states")
            << QStringList {u"02"_s, u"257894310"_s, u"01"_s, u"010010001"_s}
            << QStringList {u"1058"_s, u"SP"_s, u"1058"_s, u"RS"_s} << commerce << u"6932"_s
            << outside << u"90"_s << QList<double> {1000, 12, 0, 120, 0} << QStringList {};
        QTest::newRow("starting outside the emitter's state, within one state")
            << QStringList {u"01"_s, sp, u"01"_s, u"010020001"_s}
            << QStringList {u"1058"_s, u"RJ"_s, u"1058"_s, u"RJ"_s} << commerce << u"5932"_s
            << outside << u"90"_s << QList<double> {1000, 12, 0, 120, 0} << QStringList {};
    }
    void serviceParametrization()
    {
        QFETCH(QStringList, service);
        QFETCH(QStringList, route);
        QFETCH(QStringList, payer);
        QFETCH(QString, cfop);
        QFETCH(QString, nature);
        QFETCH(QString, cst);
        QFETCH(QList<double>, icms);
        QFETCH(QStringList, messages);
        const QVariantList r
            = asList(call(u"GetDadosServico"_s,
                          {service.at(0), service.at(1), u"S"_s, service.at(2), service.at(3),
                           route.at(0), route.at(1), u"0950"_s, route.at(2), route.at(3), u"0001"_s,
                           1000.0, payer.at(0), payer.at(1), u"0001"_s}));
        QCOMPARE(r.value(0).toString(), u"S"_s);
        QCOMPARE(r.value(1).toString(), u"S"_s);
        QCOMPARE(r.value(3).toString(), cfop);
        QCOMPARE(r.value(4).toString(), nature);
        const DataPacket taxes = packetAt(r, 2);
        QCOMPARE(taxes.rows.size(), 1);
        QCOMPARE(valueOf(taxes, 0, u"SGIMPOSTO"_s).toString(), u"ICMS"_s);
        QCOMPARE(valueOf(taxes, 0, u"CDSITUTRIBIT"_s).toString(), cst);
        const QList<double> got {valueOf(taxes, 0, u"VRBASECALCULO"_s).toDouble(),
                                 valueOf(taxes, 0, u"VRALIQUOTA"_s).toDouble(),
                                 valueOf(taxes, 0, u"VRREDBASECALC"_s).toDouble(),
                                 valueOf(taxes, 0, u"VRIMPOSTO"_s).toDouble(),
                                 valueOf(taxes, 0, u"VRCREDPRESUMIDO"_s).toDouble()};
        QCOMPARE(got, icms);
        const DataPacket msgs = packetAt(r, 5);
        QCOMPARE(msgs.fields.at(1).name, u"DSDADOADIC"_s);
        QStringList texts;
        for (int i = 0; i < msgs.rows.size(); ++i)
            texts << valueOf(msgs, i, u"DSDADOADIC"_s).toString();
        QCOMPARE(texts, messages);
    }

    // Nothing registered for the service: the reply says so and carries nothing else.
    void serviceWithoutParametrization_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("product");
        QTest::addColumn<QStringList>("route");
        const QStringList spsp {u"1058"_s, u"SP"_s, u"1058"_s, u"SP"_s};
        QTest::newRow("product") << u"01"_s << u"020010002"_s << spsp;
        QTest::newRow("operation type") << u"02"_s << u"010010001"_s << spsp;
        QTest::newRow("no operation type") << QString() << u"010010001"_s << spsp;
        QTest::newRow("route abroad")
            << u"03"_s << u"020010001"_s << QStringList {u"1058"_s, u"SP"_s, u"0639"_s, u"EX"_s};
    }
    void serviceWithoutParametrization()
    {
        QFETCH(QString, operation);
        QFETCH(QString, product);
        QFETCH(QStringList, route);
        const QVariantList r = asList(call(
            u"GetDadosServico"_s,
            {u"01"_s, u"244187365112"_s, u"S"_s, operation, product, route.at(0), route.at(1),
             u"0950"_s, route.at(2), route.at(3), u"0950"_s, 500.0, u"C"_s, u"102"_s, u"0001"_s}));
        QCOMPARE(r, (QVariantList {u"S"_s, u"N"_s}));
    }

    // The ICMS of a total, half cents up (8.155 is 8.16), and what the service look-up refuses.
    void serviceTotals_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("to"); // from São Paulo
        QTest::addColumn<double>("total");
        QTest::addColumn<QVariant>("answer"); // the ICMS value, or the refusal
        QTest::newRow("116.50 at 7 %") << u"01"_s << u"BA"_s << 116.5 << QVariant(8.16);
        QTest::newRow("1013.50 at 7 %") << u"01"_s << u"BA"_s << 1013.5 << QVariant(70.95);
        QTest::newRow("total with three decimals")
            << u"01"_s << u"SP"_s << 1000.555
            << QVariant(u"O valor total da prestação deve ter no máximo duas casas decimais."_s);
        QTest::newRow("taxed row without a rate")
            << u"05"_s << u"SP"_s << 1000.0
            << QVariant(
                   u"A parametrização fiscal 900 do serviço é tributada dentro do estado e "
                   "não tem alíquota de ICMS. Corrija a parametrização fiscal centralizada."_s);
    }
    void serviceTotals()
    {
        QFETCH(QString, operation);
        QFETCH(QString, to);
        QFETCH(double, total);
        QFETCH(QVariant, answer);
        insertRateLessRow();
        const QVariant r = call(u"GetDadosServico"_s,
                                {u"01"_s, u"244187365112"_s, u"S"_s, operation, u"010010002"_s,
                                 u"1058"_s, u"SP"_s, u"0950"_s, u"1058"_s, to, u"0950"_s, total,
                                 u"C"_s, u"102"_s, u"0001"_s});
        if (answer.typeId() == QMetaType::QString)
            QCOMPARE(r.toString(), answer.toString());
        else
            QCOMPARE(valueOf(packetAt(r, 2), 0, u"VRIMPOSTO"_s), answer);
    }

    void valueComponents_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("name");
        QTest::newRow("registered") << u"3"_s << u"PEDAGIO"_s;
        QTest::newRow("not registered") << u"99"_s << QString();
        QTest::newRow("not a number") << u"abc"_s << QString();
    }
    void valueComponents()
    {
        QFETCH(QString, code);
        QFETCH(QString, name);
        const DataPacket p = packetAt(call(u"GetCompValorPrest"_s, {code, QString()}), 1);
        QCOMPARE(p.rows.size(), name.isEmpty() ? 0 : 1);
        if (!name.isEmpty()) {
            QCOMPARE(valueOf(p, 0, u"DSCOMPVRPREST"_s).toString(), name);
            QCOMPARE(valueOf(p, 0, u"CDCOMPVRPREST"_s).toDouble(), code.toDouble());
        }
    }

    // The demo invoices were issued 1, 2, 3, 5, 8 and 40 days ago (company 01) and 1, 2 and 4
    // days ago (company 02).
    void fiscalDocumentWindow_data()
    {
        QTest::addColumn<int>("fromDaysAgo");
        QTest::addColumn<int>("toDaysAgo");
        QTest::addColumn<QString>("company"); // empty: the call without it
        QTest::addColumn<int>("rows");
        QTest::newRow("last eight days") << 8 << 0 << QString() << 8;
        QTest::newRow("yesterday only") << 1 << 1 << QString() << 2;
        QTest::newRow("forty days ago") << 40 << 40 << QString() << 1;
        QTest::newRow("today, none issued") << 0 << 0 << QString() << 0;
        QTest::newRow("no dates: every invoice") << -1 << -1 << QString() << 9;
        QTest::newRow("company 01's") << -1 << -1 << u"01"_s << 6;
        QTest::newRow("company 02's yesterday") << 1 << 1 << u"02"_s << 1;
    }
    void fiscalDocumentWindow()
    {
        QFETCH(int, fromDaysAgo);
        QFETCH(int, toDaysAgo);
        QFETCH(QString, company);
        QFETCH(int, rows);
        const QDate today = QDate::currentDate();
        const QVariant from = fromDaysAgo < 0 ? QVariant() : QVariant(today.addDays(-fromDaysAgo));
        const QVariant to = toDaysAgo < 0 ? QVariant() : QVariant(today.addDays(-toDaysAgo));
        QVariantList args {u"T"_s, u"T"_s, u"T"_s, from, to, u"N"_s};
        if (!company.isEmpty())
            args << company;
        const DataPacket window = packetAt(call(u"GetDocFiscais"_s, args), 1);
        QCOMPARE(window.rows.size(), rows);
        QCOMPARE(window.fields.at(8).name, u"DTEMISSAOSTR"_s);
        for (int i = 0; i < window.rows.size(); ++i) {
            const QDateTime issued = valueOf(window, i, u"DTEMISSAO"_s).toDateTime();
            QCOMPARE(valueOf(window, i, u"DTEMISSAOSTR"_s).toString(),
                     issued.toString(u"dd/MM/yy"_s));
            if (fromDaysAgo >= 0)
                QVERIFY(issued.date() >= today.addDays(-fromDaysAgo));
            QCOMPARE(valueOf(window, i, u"NRACESSONFE"_s).toString().size(), 44);
        }
    }

    // One invoice with its unit quantities, by key or by branch and entry, whatever the window.
    void fiscalDocumentOne_data()
    {
        QTest::addColumn<QString>("by");
        QTest::addColumn<int>("windowFromDaysAgo"); // -1: no window
        QTest::newRow("key, no window") << u"key"_s << -1;
        QTest::newRow("branch and entry, no window") << u"entry"_s << -1;
        QTest::newRow("key, window that leaves it out") << u"key"_s << 0;
        QTest::newRow("branch and entry, window that leaves it out") << u"entry"_s << 0;
    }
    void fiscalDocumentOne()
    {
        QFETCH(QString, by);
        QFETCH(int, windowFromDaysAgo);
        const QDate today = QDate::currentDate();
        // The invoice of 40 days ago.
        const DataPacket all = packetAt(
            call(u"GetDocFiscais"_s,
                 {u"T"_s, u"T"_s, u"T"_s, today.addDays(-40), today.addDays(-40), u"N"_s}),
            1);
        QCOMPARE(all.rows.size(), 1);
        const QString key = valueOf(all, 0, u"NRACESSONFE"_s).toString();
        const QString branch = valueOf(all, 0, u"CDFILIAL"_s).toString();
        const QString entry = valueOf(all, 0, u"NRLANCTONF"_s).toString();
        const QVariantList criteria = by == u"key" ? QVariantList {key, u"T"_s, u"T"_s}
                                                   : QVariantList {u"T"_s, branch, entry};
        const QVariant from
            = windowFromDaysAgo < 0 ? QVariant() : QVariant(today.addDays(-windowFromDaysAgo));
        const QVariantList r
            = asList(call(u"GetDocFiscais"_s, criteria + QVariantList {from, from, u"S"_s}));
        QCOMPARE(r.value(0).toString(), u"S"_s);
        const DataPacket one = packetAt(r, 1);
        QCOMPARE(one.rows.size(), 1);
        QCOMPARE(valueOf(one, 0, u"NRACESSONFE"_s).toString(), key);
        QCOMPARE(valueOf(one, 0, u"CDFILIAL"_s).toString(), branch);
        QCOMPARE(valueOf(one, 0, u"NRLANCTONF"_s).toString(), entry);
        const DataPacket units = packetAt(r, 2);
        QCOMPARE(units.rows.size(), 3);
        const QStringList references {u"NF"_s, u"VL"_s, u"PL"_s};
        for (int i = 0; i < 3; ++i)
            QCOMPARE(valueOf(units, i, u"REFERENCIA"_s).toString(), references.at(i));
        QCOMPARE(valueOf(units, 0, u"QTUNIDADE"_s).toDouble(),
                 valueOf(one, 0, u"VRPBRUTOVOLU"_s).toDouble());
        QCOMPARE(valueOf(units, 1, u"QTUNIDADE"_s).toDouble(), 4.0);
        QCOMPARE(valueOf(units, 2, u"QTUNIDADE"_s).toDouble(),
                 valueOf(one, 0, u"VRPLIQUVOLU"_s).toDouble());
    }

    void fiscalDocumentRefusals_data()
    {
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<QString>("answer"); // "none": success without a row; else error part
        QTest::newRow("unknown branch and entry")
            << QVariantList {u"T"_s, u"9999"_s, u"1"_s, QVariant(), QVariant(), u"S"_s}
            << u"none"_s;
        QTest::newRow("unknown key")
            << QVariantList {QString(44, u'1'), u"T"_s, u"T"_s, QVariant(), QVariant(), u"S"_s}
            << u"none"_s;
        QTest::newRow("no criterion")
            << QVariantList {u"T"_s, u"T"_s, u"T"_s, QVariant(), QVariant(), u"S"_s} << u"none"_s;
        QTest::newRow("branch and entry of another company's invoice")
            << QVariantList {u"T"_s, u"0001"_s, u"64101"_s, QVariant(), QVariant(), u"S"_s, u"02"_s}
            << u"none"_s;
        QTest::newRow("unknown mode")
            << QVariantList {u"T"_s, u"T"_s, u"T"_s, QVariant(), QVariant(), u"X"_s}
            << u"inválido"_s;
    }
    void fiscalDocumentRefusals()
    {
        QFETCH(QVariantList, args);
        QFETCH(QString, answer);
        const QVariant reply = call(u"GetDocFiscais"_s, args);
        if (answer == u"none") {
            QCOMPARE(packetAt(reply, 1).rows.size(), 0);
            QCOMPARE(packetAt(reply, 2).rows.size(), 0);
        } else {
            QVERIFY2(reply.toString().contains(answer), qPrintable(reply.toString()));
        }
    }

    // Products of a set of invoices: by branch and entry, and by key, in request order.
    void fiscalDocumentProducts()
    {
        const DataPacket window = packetAt(
            call(u"GetDocFiscais"_s, {u"T"_s, u"T"_s, u"T"_s, QVariant(), QVariant(), u"N"_s}), 1);
        QVERIFY(window.rows.size() >= 2);
        const auto itemsOf = [](int row, const DataPacket &w) {
            return valueOf(w, row, u"VRPRODUTOS"_s).toDouble();
        };
        DataPacket request;
        request.fields = {{u"NRACESSONFE"_s, contracts::FieldType::String, 50},
                          {u"CDFILIAL"_s, contracts::FieldType::String, 30},
                          {u"NRLANCTONF"_s, contracts::FieldType::String, 10}};
        request.rows = {{QString(), valueOf(window, 0, u"CDFILIAL"_s).toString(),
                         valueOf(window, 0, u"NRLANCTONF"_s).toString()},
                        {valueOf(window, 1, u"NRACESSONFE"_s).toString(), QString(), QString()},
                        {QString(), QString(), QString()}};
        const DataPacket products
            = packetAt(call(u"GetProdDocFiscais"_s, {QVariant::fromValue(request)}), 1);
        QVERIFY(products.rows.size() >= 2);
        double total = 0;
        for (int i = 0; i < products.rows.size(); ++i) {
            QCOMPARE(valueOf(products, i, u"CHAVE"_s).toDouble(), double(i + 1));
            QVERIFY(!valueOf(products, i, u"NMPRODUTO"_s).toString().isEmpty());
            total += valueOf(products, i, u"VRTOTAITEM"_s).toDouble();
        }
        // Every item of both invoices, and none of a row naming nothing.
        QCOMPARE(std::round(total * 100),
                 std::round((itemsOf(0, window) + itemsOf(1, window)) * 100));
    }

    void schemaIsCreatedOrRefusedAtStart()
    {
        QTemporaryDir dir;
        QFile emptyFile(dir.filePath(u"vazio.db"_s));
        QVERIFY(emptyFile.open(QIODevice::WriteOnly));
        emptyFile.close();
        const QString empty = u"sqlite:"_s + emptyFile.fileName();
        {
            ServerProcess fresh(empty);
            QVERIFY2(fresh.port() > 0, qPrintable(fresh.log()));
        }
        const QString newer = u"sqlite:"_s + dir.filePath(u"novo.db"_s);
        {
            QSqlDatabase db = OpenConnection(newer, u"newer"_s);
            QSqlQuery q(db);
            QVERIFY(q.exec(u"CREATE TABLE SRVVERSAO (NRVERSAO INTEGER NOT NULL)"_s));
            QVERIFY(q.exec(u"INSERT INTO SRVVERSAO VALUES (99)"_s));
            db.close();
        }
        QSqlDatabase::removeDatabase(u"newer"_s);
        ServerProcess refused(newer);
        QCOMPARE(refused.port(), -1);
        QVERIFY2(refused.log().contains(u"versão 99 do esquema, mais nova"_s),
                 qPrintable(refused.log()));
    }

    // A host database made before the start outside the emitter's state had rows of its own
    // (.run/demo.db of an earlier version): the server adds the key column at start, and from
    // then on a second row for one key and a taxed row within one state without a rate are
    // refused.
    void earlierHostParametrizationIsUpgraded()
    {
        QTemporaryDir dir;
        const QString connection = u"sqlite:"_s + dir.filePath(u"anterior.db"_s);
        QSqlQuery q(OpenConnection(connection, u"old-host"_s));
        const QString row = u"INSERT INTO TRIBSERVICO (NRTRIBSERVICO, CDEMPRESA, CDTIPOOPER, "
                            "CDARVPROD, IDPERCURSO, CDSITUTRIBIT, VRALIQUOTA) VALUES (%1, '01', "
                            "'01', '010010001', 'E', '00', %2)"_s;
        QVERIFY(q.exec(u"CREATE TABLE TRIBSERVICO (NRTRIBSERVICO NUMERIC(9) PRIMARY KEY, "
                       "CDEMPRESA, CDTIPOOPER, CDARVPROD, IDPERCURSO, IDCADTOMADOR, CDTOMADOR, "
                       "CDCFOP, DSNATUOPERACAO, CDIMPOSTO, SGIMPOSTO, CDSITUTRIBIT, CDFISCALIT, "
                       "VRALIQUOTA, VRREDBASECALC, VRPERCCREDPRES)"_s));
        QVERIFY(q.exec(row.arg(1).arg(12)));
        QVERIFY(ServerProcess(connection).port() > 0);
        QVERIFY(!q.exec(row.arg(2).arg(12)));
        QVERIFY(!q.exec(u"UPDATE TRIBSERVICO SET VRALIQUOTA = NULL"_s));
        QVERIFY(
            q.exec(u"UPDATE TRIBSERVICO SET IDINICIOFORAUF = 'S' WHERE IDINICIOFORAUF = 'N'"_s));
        QCOMPARE(q.numRowsAffected(), 1);
        QVERIFY(q.exec(row.arg(2).arg(12)));
    }

    void everyRequestIsLogged()
    {
        call(u"GetCompValorPrest"_s, {u"1"_s, QString()});
        const QString log = m_server->log();
        QVERIFY(log.contains(u"op=GetCompValorPrest user=tester session="_s));
        QVERIFY(log.contains(u"outcome=S"_s));
        QVERIFY(log.contains(u"outcome=\"Operação \\\"GeraXml\\\" não disponível"_s));
    }
};

QTEST_GUILESS_MAIN(TestServer)
#include "tst_server.moc"
