#include "DemoData.h"

#include "CTeRecord.h"
#include "FiscalTreatment.h"
#include "Operations.h"
#include "ServerError.h"
#include "SqlSupport.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QUuid>

using namespace Qt::StringLiterals;

namespace demodata {

namespace {

// Check digit of a 43-digit access key: mod 11, weights 2 to 9 from the right.
QString withCheckDigit(const QString &key43)
{
    int sum = 0;
    int weight = 2;
    for (qsizetype i = key43.size() - 1; i >= 0; --i) {
        sum += key43.at(i).digitValue() * weight;
        weight = weight == 9 ? 2 : weight + 1;
    }
    const int rest = sum % 11;
    return key43 + QString::number(rest < 2 ? 0 : 11 - rest);
}

void insertComponents(const QSqlDatabase &db)
{
    const QStringList names {u"FRETE PESO"_s,   u"FRETE VALOR"_s,   u"PEDAGIO"_s,   u"GRIS"_s,
                             u"TAXA SEC/CAT"_s, u"TAXA DESCARGA"_s, u"AD VALOREM"_s};
    for (qsizetype i = 0; i < names.size(); ++i)
        runSql(db, u"INSERT INTO COMPVRPREST (CDCOMPVRPREST, DSCOMPVRPREST) VALUES (:C, :D)"_s,
               {{u":C", qint64(i + 1)}, {u":D", names.at(i)}});
}

void insertInvoices(const QSqlDatabase &db)
{
    struct Invoice
    {
        const char16_t *company, *branch, *shipperCnpj, *uf, *recipientCnpj, *recipientName;
        int daysAgo;
        double value, weight, volumes;
        QList<std::tuple<const char16_t *, const char16_t *, double, const char16_t *, double>>
            items;
    };
    const Invoice invoices[] = {
        {u"01",
         u"0001",
         u"61348257000123",
         u"35",
         u"27451963000168",
         u"COMERCIAL DE ALIMENTOS BOA MESA LTDA",
         2,
         18750.00,
         1250.5,
         12,
         {{u"MV-1010", u"CHAPA DE ACO LAMINADO 2MM", 40, u"UN", 312.50},
          {u"MV-2040", u"PERFIL METALICO U 100MM", 25, u"UN", 250.00}}},
        {u"01",
         u"0001",
         u"61348257000123",
         u"35",
         u"83726154000192",
         u"SUPERMERCADOS RECIFE CENTER LTDA",
         3,
         9420.00,
         610.0,
         8,
         {{u"MV-3300", u"PRATELEIRA DE ACO 5 NIVEIS", 30, u"UN", 314.00}}},
        {u"01",
         u"0001",
         u"38104726000147",
         u"43",
         u"19583746000101",
         u"FARMACEUTICA GUANABARA LTDA",
         5,
         32600.00,
         2150.0,
         40,
         {{u"MS-0110", u"ARMARIO DE MDF 2 PORTAS", 20, u"UN", 980.00},
          {u"MS-0220", u"MESA DE ESCRITORIO 1,20M", 30, u"UN", 433.33}}},
        {u"01",
         u"0001",
         u"75230918000126",
         u"42",
         u"52916384000190",
         u"DISTRIBUIDORA NORTE AMAZONIA LTDA",
         1,
         15300.00,
         980.0,
         55,
         {{u"TB-7001", u"TECIDO DE ALGODAO CRU (M)", 3000, u"M", 5.10}}},
        {u"01",
         u"0001",
         u"70821439000160",
         u"35",
         u"27451963000168",
         u"COMERCIAL DE ALIMENTOS BOA MESA LTDA",
         8,
         7800.00,
         3200.0,
         100,
         {{u"CL-0045", u"PISO CERAMICO 45X45 (CX)", 100, u"CX", 78.00}}},
        {u"01",
         u"0001",
         u"61348257000123",
         u"35",
         u"70821439000160",
         u"CERAMICA LITORAL PAULISTA LTDA",
         40,
         5100.00,
         400.0,
         4,
         {{u"MV-1010", u"CHAPA DE ACO LAMINADO 2MM", 16, u"UN", 318.75}}},
        // Company 02: invoices recorded by its Porto Alegre (0002) and Joinville (0003) branches.
        {u"02",
         u"0002",
         u"38104726000147",
         u"43",
         u"83726154000192",
         u"SUPERMERCADOS RECIFE CENTER LTDA",
         1,
         21480.00,
         1830.0,
         36,
         {{u"MS-0310",
           u"CONJUNTO DE ESTANTES DE ACO GALVANIZADO COM SEIS PRATELEIRAS REGULAVEIS E SAPATAS", 24,
           u"UN", 545.00},
          {u"MS-0110", u"ARMARIO DE MDF 2 PORTAS", 8, u"UN", 1050.00}}},
        {u"02",
         u"0002",
         u"38104726000147",
         u"43",
         u"27451963000168",
         u"COMERCIAL DE ALIMENTOS BOA MESA LTDA",
         4,
         6900.00,
         720.0,
         15,
         {{u"MS-0220", u"MESA DE ESCRITORIO 1,20M", 15, u"UN", 460.00}}},
        {u"02",
         u"0003",
         u"75230918000126",
         u"42",
         u"19583746000101",
         u"FARMACEUTICA GUANABARA LTDA",
         2,
         11220.00,
         640.0,
         22,
         {{u"TB-7002", u"TECIDO DE ALGODAO TINTO (M)", 1700, u"M", 6.60}}},
    };
    const QDate today = QDate::currentDate();
    int number = 4100;
    for (const Invoice &inv : invoices) {
        ++number;
        const QDate issued = today.addDays(-inv.daysAgo);
        const QString key
            = withCheckDigit(QString::fromUtf16(inv.uf) + issued.toString(u"yyMM"_s)
                             + QString::fromUtf16(inv.shipperCnpj) + u"55"_s + u"001"_s
                             + u"%1"_s.arg(number, 9, 10, QLatin1Char('0')) + u"1"_s
                             + u"%1"_s.arg(number * 7919 % 100000000, 8, 10, QLatin1Char('0')));
        const QString entry = u"%1"_s.arg(number + 60000);
        double products = 0;
        for (const auto &item : inv.items)
            products += std::get<2>(item) * std::get<4>(item);
        runSql(db,
               u"INSERT INTO NOTAFISCAL (CDFILIAL, NRLANCTONF, CDEMPRESA, NRACESSONFE, NRINSJURNF, "
               "NMRAZSOCNF, CDSERIE, NRNOTAFISC, DTEMISSAO, CDMODDOCFISC, VRNOTAFISC, VRPRODUTOS, "
               "VRPBRUTOVOLU, VRPLIQUVOLU, QTVOLUMES) VALUES (:F, :L, :E, :K, :J, :N, '1', "
               ":NR, :D, '55', :V, :VP, :PB, :PL, :Q)"_s,
               {{u":F", QString::fromUtf16(inv.branch)},
                {u":L", entry},
                {u":E", QString::fromUtf16(inv.company)},
                {u":K", key},
                {u":J", QString::fromUtf16(inv.recipientCnpj)},
                {u":N", QString::fromUtf16(inv.recipientName)},
                {u":NR", QString::number(number)},
                {u":D", issued.startOfDay().addSecs(9 * 3600)},
                {u":V", inv.value},
                {u":VP", std::round(products * 100) / 100},
                {u":PB", inv.weight},
                {u":PL", std::round(inv.weight * 0.92 * 100) / 100},
                {u":Q", inv.volumes}});
        int itemNo = 0;
        for (const auto &[code, name, qty, unit, price] : inv.items) {
            runSql(db,
                   u"INSERT INTO NOTAFISCALITEM (CDFILIAL, NRLANCTONF, NRITEM, CDPRODUTO, "
                   "NMPRODUTO, QTITEMPROD, SGUNIDADE, VRUNITITEM, VRTOTAITEM) VALUES (:F, :L, "
                   ":I, :C, :N, :Q, :U, :P, :T)"_s,
                   {{u":F", QString::fromUtf16(inv.branch)},
                    {u":L", entry},
                    {u":I", ++itemNo},
                    {u":C", QString::fromUtf16(code)},
                    {u":N", QString::fromUtf16(name)},
                    {u":Q", qty},
                    {u":U", QString::fromUtf16(unit)},
                    {u":P", price},
                    {u":T", std::round(qty * price * 100) / 100}});
        }
    }
}

// The first row of a look-up reply's packet as field values, empty when there is none.
QHash<QString, QVariant> firstRow(const QVariant &reply)
{
    QHash<QString, QVariant> values;
    const contracts::DataPacket packet = reply.toList().value(1).value<contracts::DataPacket>();
    if (packet.rows.isEmpty())
        return values;
    for (qsizetype i = 0; i < packet.fields.size(); ++i)
        values.insert(packet.fields.at(i).name, packet.rows.first().value(i));
    return values;
}

// Copies what the editor would copy into a party: the register row of client (or supplier)
// `code` into role `role`, the recipient's SUFRAMA registration included.
void fillParty(CallContext &ctx, QHash<QString, QVariant> &v, const QString &role, bool supplier,
               const QString &code)
{
    using namespace contracts::cte;
    const QHash<QString, QVariant> row = firstRow(supplier ? GetFornecedor(ctx, {code, QString()})
                                                           : GetCliente(ctx, {code, QString()}));
    v.insert(partySourceField(role), supplier ? u"F"_s : u"C"_s);
    v.insert(supplier ? partySupplierCodeField(role) : partyClientCodeField(role), code);
    QList<PartyColumn> columns = partyRegisterColumns();
    if (role == u"DEST")
        columns << recipientSuframaColumn();
    for (const PartyColumn &c : std::as_const(columns))
        v.insert(c.stem + role, row.value(supplier ? c.supplier : c.client));
}

// The emitter as the editor copies it from the establishment.
void fillEmitter(CallContext &ctx, QHash<QString, QVariant> &v)
{
    const QHash<QString, QVariant> row = firstRow(GetEmitente(
        ctx, {v.value(u"CDEMPRESA"_s), v.value(u"NRINSESTEMIT"_s), v.value(u"NRINSJUREMIT"_s)}));
    for (auto it = row.begin(); it != row.end(); ++it)
        v.insert(it.key(), it.value());
}

// A party of a demo document: "C" a client, "F" a supplier, and its code.
struct DemoParty
{
    const char16_t *kind;
    const char16_t *code;
};

// A document of company 01 from São Paulo state: a sender and a recipient among the demo clients
// or suppliers, the sender pays; a dispatcher only when given. CFOP, nature and `tax` are the
// host's parametrization for the service.
// The end of the service as the editor copies it from the host's municipality.
struct DemoPlace
{
    const char16_t *uf, *ufName, *ufCode, *municipality, *name, *ibge;
};

contracts::Delta demoDocument(CallContext &ctx, int daysAgo, DemoParty sender, DemoParty recipient,
                              DemoParty dispatcher, const DemoPlace &end, double total,
                              QHash<QString, QVariant> &tax)
{
    contracts::Delta d;
    d.fields = contracts::cte::documentFields();
    QHash<QString, QVariant> v {
        {u"CDCTE"_s, 0.0},
        {u"CDEMPRESA"_s, u"01"_s},
        {u"CDSERIECTE"_s, u"1"_s},
        {u"CDMODDOCFISC"_s, u"57"_s},
        {u"DTEMISSAO"_s, QDateTime(QDate::currentDate().addDays(-daysAgo), QTime(10, 30))},
        {u"IDMODAL"_s, u"01"_s},
        {u"IDTIPOSERVICO"_s, u"0"_s},
        {u"IDTIPOCTE"_s, u"0"_s},
        {u"IDFORMAEMISSAO"_s, u"1"_s},
        {u"IDGLOBALIZADO"_s, u"0"_s},
        {u"IDFORMAIMPDACTE"_s, u"1"_s},
        {u"IDAMBIENTECTE"_s, u"2"_s},
        {u"IDVERPROCESSO"_s, u"ORV_DFS_1.00"_s},
        {u"IDRETIRA"_s, u"1"_s},
        {u"IDEMAILCTE"_s, u"P"_s},
        {u"CDPAISINISERV"_s, u"1058"_s},
        {u"NMPAISINISERV"_s, u"BRASIL"_s},
        {u"CDPAISBACENINISERV"_s, u"1058"_s},
        {u"SGESTADOINISERV"_s, u"SP"_s},
        {u"NMESTADOINISERV"_s, u"SAO PAULO"_s},
        {u"CDESTADOIBGEINISERV"_s, u"35"_s},
        {u"CDMUNICINISERV"_s, u"0950"_s},
        {u"NMMUNICINISERV"_s, u"CAMPINAS"_s},
        {u"CDMUNICIBGEINISERV"_s, u"3509502"_s},
        {u"CDPAISFIMSERV"_s, u"1058"_s},
        {u"NMPAISFIMSERV"_s, u"BRASIL"_s},
        {u"CDPAISBACENFIMSERV"_s, u"1058"_s},
        {u"SGESTADOFIMSERV"_s, QString::fromUtf16(end.uf)},
        {u"NMESTADOFIMSERV"_s, QString::fromUtf16(end.ufName)},
        {u"CDESTADOIBGEFIMSERV"_s, QString::fromUtf16(end.ufCode)},
        {u"CDMUNICFIMSERV"_s, QString::fromUtf16(end.municipality)},
        {u"NMMUNICFIMSERV"_s, QString::fromUtf16(end.name)},
        {u"CDMUNICIBGEFIMSERV"_s, QString::fromUtf16(end.ibge)},
        {u"IDCADEXPEDIDOR"_s, u"N"_s},
        {u"IDCADRECEBEDOR"_s, u"N"_s},
        {u"IDTOMADOR"_s, u"0"_s},
        {u"NRINSJUREMIT"_s, u"18462731000114"_s},
        {u"IDTPIJUREMIT"_s, u"J"_s},
        {u"NMRAZSOCEMIT"_s, u"TRANSPORTES SERRA AZUL LTDA"_s},
        {u"NRINSESTEMIT"_s, u"244187365112"_s},
        {u"CDPRODUTO"_s, u"1101"_s},
        {u"CDARVPROD"_s, u"010010001"_s},
        {u"NMPRODUTO"_s, u"FRETE CARGA FRACIONADA"_s},
        {u"VRTOTAPRESTSERV"_s, total},
        {u"VRTOTARECEBER"_s, total},
        {u"IDENTRSAIDOP"_s, u"S"_s},
        {u"CDTIPOOPER"_s, u"01"_s},
        {u"NMTIPOOPER"_s, u"PRESTACAO DE SERV. TRANSPORTE"_s},
        {u"VRTOTACARGA"_s, total * 20},
        {u"DSPRODPREDOMINA"_s, u"PRODUTOS METALURGICOS"_s},
    };
    // Parties and emitter as the editor fills them: the payer is the sender (indicator 0).
    const auto party = [&ctx, &v](const QString &role, DemoParty p) {
        if (p.kind)
            fillParty(ctx, v, role, QString::fromUtf16(p.kind) == u"F", QString::fromUtf16(p.code));
    };
    fillEmitter(ctx, v);
    party(u"REME"_s, sender);
    party(u"EXPE"_s, dispatcher);
    party(u"DEST"_s, recipient);
    party(u"TOMA"_s, sender);
    const auto treatment = fiscal::findTreatment(ctx, fiscal::keysOfDocument(v));
    if (!treatment)
        throw ServerError(u"demo: no fiscal treatment for a demo document"_s);
    v.insert(u"CDCFOP"_s, treatment->cfop);
    v.insert(u"DSNATUOPERACAO"_s, treatment->nature);
    const fiscal::Icms icms = fiscal::icmsOf(*treatment, money::centsOf(total).value_or(0));
    tax = {{u"CDIMPOSTO"_s, treatment->taxCode},
           {u"SGIMPOSTO"_s, treatment->taxName},
           {u"VRBASECALCULO"_s, money::toDouble(icms.base)},
           {u"VRALIQUOTA"_s, money::toDouble(icms.rate)},
           {u"VRREDBASECALC"_s, money::toDouble(icms.reduction)},
           {u"VRIMPOSTO"_s, money::toDouble(icms.value)},
           {u"VRCREDPRESUMIDO"_s, money::toDouble(icms.credit)},
           {u"CDSITUTRIBIT"_s, treatment->cst},
           {u"CDFISCALIT"_s, treatment->fiscalCode}};
    contracts::Row row;
    for (const contracts::FieldDef &f : d.fields)
        row.append(v.value(f.name));
    d.changes.append({contracts::Change::Kind::Insert, {}, row});
    return d;
}

contracts::Delta childRows(const QList<contracts::FieldDef> &fields,
                           const QList<QHash<QString, QVariant>> &rows)
{
    contracts::Delta d;
    d.fields = fields;
    for (const auto &values : rows) {
        contracts::Row row;
        for (const contracts::FieldDef &f : fields)
            row.append(values.value(
                f.name, f.type == contracts::FieldType::Float ? QVariant(0.0) : QVariant()));
        d.changes.append({contracts::Change::Kind::Insert, {}, row});
    }
    return d;
}

void insertDocuments(const QSqlDatabase &db)
{
    CallContext ctx {db, u"demo"_s};
    struct Doc
    {
        int daysAgo;
        DemoParty sender, recipient, dispatcher;
        DemoPlace end;
        double total;
    };
    // Clients for the most part; one sent by a supplier (with a supplier dispatching it) and one
    // delivered to a supplier.
    const Doc docs[] = {
        {3,
         {u"C", u"101"},
         {u"C", u"102"},
         {},
         {u"MG", u"MINAS GERAIS", u"31", u"0620", u"BELO HORIZONTE", u"3106200"},
         1850.00},
        {2,
         {u"C", u"112"},
         {u"C", u"110"},
         {},
         {u"PE", u"PERNAMBUCO", u"26", u"1160", u"RECIFE", u"2611606"},
         2740.50},
        {1,
         {u"C", u"101"},
         {u"C", u"111"},
         {},
         {u"RJ", u"RIO DE JANEIRO", u"33", u"0455", u"RIO DE JANEIRO", u"3304557"},
         980.00},
        {2,
         {u"F", u"201"},
         {u"C", u"103"},
         {u"F", u"206"},
         {u"RS", u"RIO GRANDE DO SUL", u"43", u"0210", u"BENTO GONCALVES", u"4302105"},
         1320.00},
        {1,
         {u"C", u"104"},
         {u"F", u"202"},
         {},
         {u"RS", u"RIO GRANDE DO SUL", u"43", u"0510", u"CAXIAS DO SUL", u"4305108"},
         640.00},
    };
    QList<qint64> keys;
    for (const Doc &doc : docs) {
        QHash<QString, QVariant> tax;
        const contracts::Delta document = demoDocument(ctx, doc.daysAgo, doc.sender, doc.recipient,
                                                       doc.dispatcher, doc.end, doc.total, tax);
        const Args args {
            QVariant::fromValue(document),
            QVariant::fromValue(childRows(contracts::cte::taxFields(), {tax})),
            QVariant::fromValue(childRows(contracts::cte::valueComponentFields(),
                                          {{{u"CDCOMPVRPREST"_s, 1.0},
                                            {u"DSCOMPVRPREST"_s, u"FRETE PESO"_s},
                                            {u"VRCOMPONENTE"_s, doc.total}}})),
            QVariant(),
            QVariant::fromValue(childRows(contracts::cte::cargoQuantityFields(),
                                          {{{u"CDUNIDMEDIDA"_s, u"01"_s},
                                            {u"DSTIPOMEDIDA"_s, u"PESO BRUTO"_s},
                                            {u"QTCARGA"_s, 0.0},
                                            {u"IDGERADAAUTO"_s, u"S"_s}},
                                           {{u"CDUNIDMEDIDA"_s, u"03"_s},
                                            {u"DSTIPOMEDIDA"_s, u"QUANTIDADE DE VOLUME"_s},
                                            {u"QTCARGA"_s, 10.0},
                                            {u"IDGERADAAUTO"_s, u"N"_s}}})),
            QVariant(),
            QUuid::createUuid().toString(QUuid::WithoutBraces),
        };
        const QVariantList reply = AplicaAlteracoes(ctx, args).toList();
        keys.append(qint64(reply.value(1).toDouble()));
    }
    // The oldest one has been accepted by the authority: it shows read-only.
    runSql(db,
           u"UPDATE CTE SET IDSTATUSCTE = 'A', CDSTATUSCTE = '100', "
           "DSSTATUSCTE = 'Autorizado o uso do CT-e', NRPROTOCOLCTE = '135260000012345' "
           "WHERE CDCTE = :K"_s,
           {{u":K", keys.first()}});
    // ... in the batch that took it to the authority.
    runSql(db,
           u"INSERT INTO CTELOTE (NRLOTE, CDEMPRESA, CDINSCESTA, DTENVIO, NRRECIBO, IDSITUACAO, "
           "CDSTATUS, DSSTATUS) VALUES (1, '01', '244187365112', :D, '351000000012345', 'P', "
           "'104', 'Lote processado')"_s,
           {{u":D", QDateTime(QDate::currentDate().addDays(-3), QTime(11, 0))}});
    runSql(db, u"INSERT INTO CTELOTEDOC (NRLOTE, CDCTE) VALUES (1, :K)"_s, {{u":K", keys.first()}});
}

} // namespace

bool load(const QSqlDatabase &db)
{
    QSqlQuery q = runSql(db, u"SELECT COUNT(*) FROM COMPVRPREST"_s);
    if (q.next() && q.value(0).toInt() > 0)
        return false;
    q.finish();
    {
        SqlTransaction tx(db);
        insertComponents(db);
        insertInvoices(db);
        tx.commit();
    }
    insertDocuments(db);
    loadTransmissionDemo(db);
    return true;
}

} // namespace demodata
