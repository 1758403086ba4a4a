// The host's invoices that a CT-e references: the candidates of a date window, one invoice with
// its unit quantities, and the products of a set of invoices.
#include "Operations.h"

#include "PacketSql.h"
#include "RpcProtocol.h"
#include "ServerError.h"
#include "ServerMessages.h"
#include "SqlSupport.h"

#include <QDate>
#include <QDateTime>

using namespace Qt::StringLiterals;
using contracts::DataPacket;
using contracts::FieldDef;
using contracts::FieldType;

namespace {

FieldDef str(const QString &name, int size)
{
    return {name, FieldType::String, size};
}
FieldDef num(const QString &name)
{
    return {name, FieldType::Float, 0};
}
FieldDef date(const QString &name)
{
    return {name, FieldType::DateTime, 0};
}

// Columns of an invoice in the order of the single-invoice answer.
const QList<FieldDef> &invoiceFields()
{
    static const QList<FieldDef> fields {
        str(u"NRACESSONFE"_s, 50), str(u"CDFILIAL"_s, 30),   str(u"NRLANCTONF"_s, 10),
        str(u"NRINSJURNF"_s, 20),  str(u"NMRAZSOCNF"_s, 50), str(u"CDSERIE"_s, 5),
        str(u"NRNOTAFISC"_s, 20),  date(u"DTEMISSAO"_s),     str(u"CDMODDOCFISC"_s, 2),
        num(u"VRNOTAFISC"_s),      num(u"VRPRODUTOS"_s),     num(u"VRPBRUTOVOLU"_s),
        num(u"VRPLIQUVOLU"_s)};
    return fields;
}

struct Criteria
{
    QString where = u"1 = 1"_s;
    QList<std::pair<QString, QVariant>> binds;
    bool any = true; // no criterion given

    void add(const QString &column, const QString &value, const QString &param)
    {
        // "T" stands for any value.
        if (value == u"T")
            return;
        where += u" AND N.%1 = %2"_s.arg(column, param);
        binds.append({param, value});
        any = false;
    }
};

Criteria criteria(const Args &a)
{
    Criteria c;
    c.add(u"NRACESSONFE"_s, a.at(0).toString().trimmed(), u":K"_s);
    c.add(u"CDFILIAL"_s, a.at(1).toString().trimmed(), u":F"_s);
    c.add(u"NRLANCTONF"_s, a.at(2).toString().trimmed(), u":L"_s);
    return c;
}

// Only the invoices of the document's company, when the caller names it (older callers do not).
void restrictToCompany(Criteria &c, const Args &a)
{
    const QString company = a.value(6).toString().trimmed();
    if (company.isEmpty())
        return;
    c.where += u" AND N.CDEMPRESA = :E"_s;
    c.binds.append({u":E"_s, company});
}

} // namespace

QVariant GetDocFiscais(CallContext &ctx, const Args &args)
{
    const QString mode = args.at(5).toString().trimmed();
    Criteria c = criteria(args);
    restrictToCompany(c, args);
    const QString columns = packetsql::columnList(invoiceFields(), u"N"_s);
    if (mode == u"N") {
        const QDate from = args.at(3).toDate();
        const QDate to = args.at(4).toDate();
        if (from.isValid()) {
            c.where += u" AND N.DTEMISSAO >= :DI"_s;
            c.binds.append({u":DI"_s, from.startOfDay()});
        }
        if (to.isValid()) {
            c.where += u" AND N.DTEMISSAO < :DF"_s;
            c.binds.append({u":DF"_s, to.addDays(1).startOfDay()});
        }
        QSqlQuery q
            = runSql(ctx.db,
                     u"SELECT %1 FROM NOTAFISCAL N WHERE %2 "
                     "ORDER BY N.DTEMISSAO, N.CDFILIAL, N.NRLANCTONF"_s.arg(columns, c.where),
                     c.binds);
        const DataPacket found = packetsql::fromQuery(q, invoiceFields());
        // The look-up list shows the columns in its own order, with the date as short text.
        static const QStringList order {u"NRACESSONFE"_s,  u"CDFILIAL"_s,   u"NRLANCTONF"_s,
                                        u"CDSERIE"_s,      u"NRNOTAFISC"_s, u"NRINSJURNF"_s,
                                        u"NMRAZSOCNF"_s,   u"VRNOTAFISC"_s, u"DTEMISSAOSTR"_s,
                                        u"CDMODDOCFISC"_s, u"DTEMISSAO"_s,  u"VRPRODUTOS"_s,
                                        u"VRPBRUTOVOLU"_s, u"VRPLIQUVOLU"_s};
        DataPacket list;
        for (const QString &name : order) {
            const int i = found.indexOf(name);
            list.fields.append(i >= 0 ? found.fields.at(i) : str(name, 8));
        }
        for (const contracts::Row &row : found.rows) {
            contracts::Row out;
            for (const QString &name : order) {
                const int i = found.indexOf(name);
                if (i >= 0) {
                    out.append(row.at(i));
                } else {
                    const QDateTime dt = row.at(found.indexOf(u"DTEMISSAO"_s)).toDateTime();
                    out.append(dt.isValid() ? QVariant(dt.toString(u"dd/MM/yy"_s)) : QVariant());
                }
            }
            list.rows.append(out);
        }
        return contracts::okReply({QVariant::fromValue(list)});
    }
    if (mode != u"S")
        throw ServerError(srvMsg("MODO_INVALIDO").arg(mode));

    DataPacket invoice;
    invoice.fields = invoiceFields();
    DataPacket units;
    units.fields = {
        {u"REFERENCIA"_s, FieldType::FixedString, 2}, str(u"SGUNIDADE"_s, 10), num(u"QTUNIDADE"_s)};
    // Found by its key, or by branch and entry, whatever the date window: a document added
    // under one window and removed under another still gives back what it added.
    if (!c.any) {
        QSqlQuery q = runSql(ctx.db,
                             u"SELECT %1, N.QTVOLUMES FROM NOTAFISCAL N WHERE %2 "
                             "ORDER BY N.CDFILIAL, N.NRLANCTONF"_s.arg(columns, c.where),
                             c.binds);
        if (q.next()) {
            contracts::Row row;
            for (qsizetype i = 0; i < invoiceFields().size(); ++i)
                row.append(packetsql::readValue(q.value(int(i)), invoiceFields().at(i)));
            invoice.rows.append(row);
            const QVariant weight = row.at(invoice.indexOf(u"VRPBRUTOVOLU"_s));
            const QVariant volumes = q.value(int(invoiceFields().size()));
            const QVariant netWeight = row.at(invoice.indexOf(u"VRPLIQUVOLU"_s));
            if (!weight.isNull())
                units.rows.append({u"NF"_s, u"KG"_s, weight.toDouble()});
            if (!volumes.isNull())
                units.rows.append({u"VL"_s, u"UN"_s, volumes.toDouble()});
            if (!netWeight.isNull())
                units.rows.append({u"PL"_s, u"KG"_s, netWeight.toDouble()});
        }
    }
    return contracts::okReply({QVariant::fromValue(invoice), QVariant::fromValue(units)});
}

QVariant GetProdDocFiscais(CallContext &ctx, const Args &args)
{
    const DataPacket request = args.at(0).value<DataPacket>();
    const int keyCol = request.indexOf(u"NRACESSONFE"_s);
    const int branchCol = request.indexOf(u"CDFILIAL"_s);
    const int entryCol = request.indexOf(u"NRLANCTONF"_s);
    if (keyCol < 0 || branchCol < 0 || entryCol < 0)
        throw ServerError(srvMsg("PACOTE_PRODUTOS_INVALIDO"));

    DataPacket products;
    products.fields = {num(u"CHAVE"_s),      str(u"CDPRODUTO"_s, 30), str(u"NMPRODUTO"_s, 400),
                       num(u"QTITEMPROD"_s), str(u"SGUNIDADE"_s, 10), num(u"VRUNITITEM"_s),
                       num(u"VRTOTAITEM"_s)};
    const QList<FieldDef> itemFields = products.fields.mid(1);
    double chave = 0;
    for (const contracts::Row &row : request.rows) {
        const QString branch = row.at(branchCol).toString().trimmed();
        const QString entry = row.at(entryCol).toString().trimmed();
        const QString key = row.at(keyCol).toString().trimmed();
        QString where;
        QList<std::pair<QString, QVariant>> binds;
        if (!branch.isEmpty() && !entry.isEmpty()) {
            where = u"N.CDFILIAL = :F AND N.NRLANCTONF = :L"_s;
            binds = {{u":F"_s, branch}, {u":L"_s, entry}};
        } else if (!key.isEmpty()) {
            where = u"N.NRACESSONFE = :K"_s;
            binds = {{u":K"_s, key}};
        } else {
            continue;
        }
        QSqlQuery q = runSql(ctx.db,
                             u"SELECT I.CDPRODUTO, I.NMPRODUTO, I.QTITEMPROD, I.SGUNIDADE, "
                             "I.VRUNITITEM, I.VRTOTAITEM FROM NOTAFISCAL N JOIN NOTAFISCALITEM I "
                             "ON I.CDFILIAL = N.CDFILIAL AND I.NRLANCTONF = N.NRLANCTONF "
                             "WHERE %1 ORDER BY N.CDFILIAL, N.NRLANCTONF, I.NRITEM"_s.arg(where),
                             binds);
        const DataPacket items = packetsql::fromQuery(q, itemFields);
        for (const contracts::Row &item : items.rows) {
            contracts::Row out {++chave};
            out.append(item);
            products.rows.append(out);
        }
    }
    return contracts::okReply({QVariant::fromValue(products)});
}
