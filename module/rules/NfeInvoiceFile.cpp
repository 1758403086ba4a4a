#include "NfeInvoiceFile.h"

#include "AccessKeyDigit.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr char kNamespace[] = "http://www.portalfiscal.inf.br/nfe";

TNfeReading refuse(const QString &key, const QStringList &args = {})
{
    TNfeReading reading;
    reading.refusalKey = key;
    reading.refusalArgs = args;
    return reading;
}

struct FreeDoc
{
    void operator()(xmlDoc *doc) const { xmlFreeDoc(doc); }
};
struct FreeContext
{
    void operator()(xmlParserCtxt *ctxt) const { xmlFreeParserCtxt(ctxt); }
};

const xmlChar *x(const char *s)
{
    return reinterpret_cast<const xmlChar *>(s);
}

// An element of the NF-e namespace named `name`: a look-alike in another namespace is not one.
bool is(const xmlNode *node, const char *name)
{
    return node && node->type == XML_ELEMENT_NODE && node->ns && node->ns->href
        && xmlStrEqual(node->ns->href, x(kNamespace)) && xmlStrEqual(node->name, x(name));
}

QList<const xmlNode *> children(const xmlNode *parent, const char *name)
{
    QList<const xmlNode *> found;
    for (const xmlNode *n = parent ? parent->children : nullptr; n; n = n->next) {
        if (is(n, name))
            found << n;
    }
    return found;
}

const xmlNode *child(const xmlNode *parent, const char *name)
{
    for (const xmlNode *n = parent ? parent->children : nullptr; n; n = n->next) {
        if (is(n, name))
            return n;
    }
    return nullptr;
}

QString text(const xmlNode *node)
{
    if (!node)
        return {};
    xmlChar *content = xmlNodeGetContent(node);
    const QString s = QString::fromUtf8(reinterpret_cast<const char *>(content)).trimmed();
    xmlFree(content);
    return s;
}

QString text(const xmlNode *parent, const char *name)
{
    return text(child(parent, name));
}

QString attribute(const xmlNode *node, const char *name)
{
    xmlChar *value = node ? xmlGetNoNsProp(node, x(name)) : nullptr;
    if (!value)
        return {};
    const QString s = QString::fromUtf8(reinterpret_cast<const char *>(value));
    xmlFree(value);
    return s;
}

TNfeParty party(const xmlNode *node)
{
    TNfeParty p;
    if (const QString cnpj = text(node, "CNPJ"); !cnpj.isEmpty()) {
        p.registration = cnpj;
        p.personType = u"J"_s;
    } else if (const QString cpf = text(node, "CPF"); !cpf.isEmpty()) {
        p.registration = cpf;
        p.personType = u"F"_s;
    }
    p.name = text(node, "xNome");
    return p;
}

bool allDigits(const QString &s)
{
    return !s.isEmpty()
        && std::all_of(s.begin(), s.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// The key names its issuer, model, series and number: an invoice that says otherwise was altered.
bool keyMatches(const QString &key, const TNfeInvoice &nfe)
{
    return key.mid(6, 14) == nfe.issuer.registration.rightJustified(14, u'0')
        && key.mid(22, 3).toInt() == nfe.series.toInt()
        && key.mid(25, 9).toLongLong() == nfe.number.toLongLong();
}

void readVolumes(const xmlNode *transp, TNfeInvoice &nfe)
{
    for (const xmlNode *vol : children(transp, "vol")) {
        if (const QString q = text(vol, "qVol"); !q.isEmpty()) {
            nfe.volumes += q.toDouble();
            nfe.hasVolumes = true;
        }
        if (const QString w = text(vol, "pesoB"); !w.isEmpty()) {
            nfe.grossWeight += w.toDouble();
            nfe.hasGrossWeight = true;
        }
        nfe.netWeight += text(vol, "pesoL").toDouble();
    }
}

} // namespace

std::optional<qint64> DecimalToCents(const QString &text)
{
    static const QRegularExpression re(u"^(-?)(\\d{1,15})(?:\\.(\\d{1,10}))?$"_s);
    const QRegularExpressionMatch m = re.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    const QString fraction = m.captured(3) + u"000"_s;
    qint64 cents = m.captured(2).toLongLong() * 100 + fraction.left(2).toInt();
    if (fraction.at(2) >= u'5')
        ++cents;
    return m.captured(1).isEmpty() ? cents : -cents;
}

TNfeReading ReadNfeInvoice(const QByteArray &xml)
{
    // A document type may declare entities; an invoice never carries one, so it is not parsed.
    if (xml.contains("<!DOCTYPE"))
        return refuse(u"NFE_XML_DTD"_s);
    std::unique_ptr<xmlParserCtxt, FreeContext> ctxt(xmlNewParserCtxt());
    if (!ctxt)
        return refuse(u"NFE_XML_DANIFICADO"_s, {u"0"_s});
    std::unique_ptr<xmlDoc, FreeDoc> doc(
        xmlCtxtReadMemory(ctxt.get(), xml.constData(), int(xml.size()), nullptr, nullptr,
                          XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    if (!doc || !ctxt->wellFormed)
        return refuse(u"NFE_XML_DANIFICADO"_s, {QString::number(ctxt->lastError.line)});
    if (doc->intSubset || doc->extSubset)
        return refuse(u"NFE_XML_DTD"_s);

    const xmlNode *root = xmlDocGetRootElement(doc.get());
    const xmlNode *nfeNode = is(root, "nfeProc") ? child(root, "NFe")
        : is(root, "NFe")                        ? root
                                                 : nullptr;
    const xmlNode *inf = child(nfeNode, "infNFe");
    const xmlNode *ide = child(inf, "ide");
    const xmlNode *totals = child(child(inf, "total"), "ICMSTot");
    if (!inf || attribute(inf, "versao") != u"4.00" || !ide || !totals)
        return refuse(u"NFE_NAO_NFE"_s);

    const QString id = attribute(inf, "Id");
    const QString key = id.startsWith(u"NFe"_s) ? id.mid(3) : id;
    if (key.size() != 44 || !allDigits(key))
        return refuse(u"NFE_CHAVE_FORMATO"_s, {key});
    if (!AccessKeyChecks(key))
        return refuse(u"NFE_CHAVE_DV"_s, {key});
    const QString model = text(ide, "mod");
    if (model != u"55" || key.mid(20, 2) != u"55")
        return refuse(u"NFE_MODELO"_s, {model == u"55" ? key.mid(20, 2) : model});

    TNfeInvoice nfe;
    nfe.accessKey = key;
    nfe.series = text(ide, "serie");
    nfe.number = text(ide, "nNF");
    nfe.issued = QDateTime::fromString(text(ide, "dhEmi").left(19), Qt::ISODate);
    if (!nfe.issued.isValid())
        return refuse(u"NFE_NAO_NFE"_s);
    nfe.issuer = party(child(inf, "emit"));
    nfe.recipient = party(child(inf, "dest"));
    if (!keyMatches(key, nfe))
        return refuse(u"NFE_CHAVE_DIVERGE"_s, {key});
    if (is(root, "nfeProc")) {
        // Sent with its protocol: it must be this invoice's, and an authorisation of use.
        const xmlNode *protocol = child(child(root, "protNFe"), "infProt");
        if (text(protocol, "chNFe") != key)
            return refuse(u"NFE_CHAVE_DIVERGE"_s, {key});
        const QString status = text(protocol, "cStat");
        if (status != u"100" && status != u"150")
            return refuse(u"NFE_NAO_AUTORIZADA"_s, {status});
    }

    const std::optional<qint64> total = DecimalToCents(text(totals, "vNF"));
    const std::optional<qint64> products = DecimalToCents(text(totals, "vProd"));
    if (!total || !products)
        return refuse(u"NFE_NAO_NFE"_s);
    nfe.totalCents = *total;
    nfe.productsCents = *products;
    readVolumes(child(inf, "transp"), nfe);
    for (const xmlNode *item : children(inf, "det")) {
        const xmlNode *prod = child(item, "prod");
        nfe.products.append({text(prod, "xProd"), DecimalToCents(text(prod, "vProd")).value_or(0)});
    }
    TNfeReading reading;
    reading.invoice = std::move(nfe);
    return reading;
}

TNfeReading ReadNfeInvoiceFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return refuse(u"NFE_ARQUIVO_ILEGIVEL"_s);
    if (info.size() > kNfeMaxFileBytes)
        return refuse(u"NFE_ARQUIVO_GRANDE"_s, {QString::number(kNfeMaxFileBytes / (1024 * 1024))});
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(u"NFE_ARQUIVO_ILEGIVEL"_s);
    // Read no more than allowed, should the file have grown since it was looked at.
    const QByteArray xml = file.read(kNfeMaxFileBytes + 1);
    if (xml.size() > kNfeMaxFileBytes)
        return refuse(u"NFE_ARQUIVO_GRANDE"_s, {QString::number(kNfeMaxFileBytes / (1024 * 1024))});
    return ReadNfeInvoice(xml);
}
