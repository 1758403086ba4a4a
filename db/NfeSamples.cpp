#include "NfeSamples.h"

#include "AccessKeyDigit.h"

#include <QDir>
#include <QFile>
#include <QXmlStreamWriter>

using namespace Qt::StringLiterals;

namespace NfeSamples {

namespace {

QString cents(qint64 value)
{
    return u"%1.%2"_s.arg(value / 100).arg(value % 100, 2, 10, QLatin1Char('0'));
}

void registration(QXmlStreamWriter &w, const QString &digits)
{
    w.writeTextElement(digits.size() == 11 ? u"CPF"_s : u"CNPJ"_s, digits);
}

void writeInvoice(QXmlStreamWriter &w, const Sample &s, const QString &key)
{
    qint64 total = 0;
    for (const auto &product : s.products)
        total += product.second;
    w.writeStartElement(u"NFe"_s);
    w.writeStartElement(u"infNFe"_s);
    w.writeAttribute(u"Id"_s, u"NFe"_s + key);
    w.writeAttribute(u"versao"_s, u"4.00"_s);
    w.writeStartElement(u"ide"_s);
    w.writeTextElement(u"cUF"_s, s.ufCode);
    w.writeTextElement(u"cNF"_s, key.mid(35, 8));
    w.writeTextElement(u"natOp"_s, u"VENDA DE MERCADORIA"_s);
    w.writeTextElement(u"mod"_s, s.model);
    w.writeTextElement(u"serie"_s, QString::number(s.series));
    w.writeTextElement(u"nNF"_s, QString::number(s.number));
    w.writeTextElement(u"dhEmi"_s, s.issued.toString(u"yyyy-MM-dd"_s) + u"T10:30:00-03:00"_s);
    w.writeTextElement(u"tpNF"_s, u"1"_s);
    w.writeTextElement(u"tpAmb"_s, u"2"_s);
    w.writeEndElement();
    w.writeStartElement(u"emit"_s);
    registration(w, s.issuerRegistration);
    w.writeTextElement(u"xNome"_s, s.issuerName);
    w.writeEndElement();
    w.writeStartElement(u"dest"_s);
    registration(w, s.recipientRegistration);
    w.writeTextElement(u"xNome"_s, s.recipientName);
    w.writeEndElement();
    for (qsizetype i = 0; i < s.products.size(); ++i) {
        w.writeStartElement(u"det"_s);
        w.writeAttribute(u"nItem"_s, QString::number(i + 1));
        w.writeStartElement(u"prod"_s);
        w.writeTextElement(u"cProd"_s, QString::number(i + 1));
        w.writeTextElement(u"xProd"_s, s.products.at(i).first);
        w.writeTextElement(u"vProd"_s, cents(s.products.at(i).second));
        w.writeEndElement();
        w.writeEndElement();
    }
    w.writeStartElement(u"total"_s);
    w.writeStartElement(u"ICMSTot"_s);
    w.writeTextElement(u"vProd"_s, cents(total));
    w.writeTextElement(u"vNF"_s, cents(total));
    w.writeEndElement();
    w.writeEndElement();
    w.writeStartElement(u"transp"_s);
    w.writeTextElement(u"modFrete"_s, u"0"_s);
    if (s.volumes != 0 || s.grossWeight != 0 || s.netWeight != 0) {
        w.writeStartElement(u"vol"_s);
        w.writeTextElement(u"qVol"_s, QString::number(s.volumes));
        w.writeTextElement(u"esp"_s, u"CAIXA"_s);
        w.writeTextElement(u"pesoL"_s, QString::number(s.netWeight, 'f', 3));
        w.writeTextElement(u"pesoB"_s, QString::number(s.grossWeight, 'f', 3));
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeEndElement(); // infNFe
    w.writeEndElement(); // NFe
}

} // namespace

QString AccessKey(const Sample &s)
{
    // A numeric code of 8 digits that differs from the number.
    const qint64 code = (s.number * 7919 + 13) % 100000000;
    const QString key = s.ufCode + s.issued.toString(u"yyMM"_s)
        + s.issuerRegistration.rightJustified(14, u'0') + s.model
        + QString::number(s.series).rightJustified(3, u'0')
        + QString::number(s.number).rightJustified(9, u'0') + u"1"_s
        + QString::number(code).rightJustified(8, u'0');
    const int digit = AccessKeyCheckDigit(key);
    return key + QString::number(s.spoilCheckDigit ? (digit + 1) % 10 : digit);
}

QByteArray Xml(const Sample &s)
{
    const QString key = AccessKey(s);
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.writeStartDocument(u"1.0"_s);
    w.writeDefaultNamespace(u"http://www.portalfiscal.inf.br/nfe"_s);
    if (s.withProtocol) {
        w.writeStartElement(u"nfeProc"_s);
        w.writeAttribute(u"versao"_s, u"4.00"_s);
    }
    writeInvoice(w, s, key);
    if (s.withProtocol) {
        w.writeStartElement(u"protNFe"_s);
        w.writeAttribute(u"versao"_s, u"4.00"_s);
        w.writeStartElement(u"infProt"_s);
        w.writeTextElement(u"tpAmb"_s, u"2"_s);
        w.writeTextElement(u"chNFe"_s, key);
        w.writeTextElement(u"dhRecbto"_s,
                           s.issued.toString(u"yyyy-MM-dd"_s) + u"T10:31:02-03:00"_s);
        w.writeTextElement(u"nProt"_s,
                           u"1352600000"_s + QString::number(s.number).rightJustified(5, u'0'));
        w.writeTextElement(u"cStat"_s, s.protocolStatus);
        w.writeEndElement();
        w.writeEndElement();
        w.writeEndElement(); // nfeProc
    }
    w.writeEndDocument();
    return out;
}

QList<Sample> DemoSamples()
{
    const auto sample = [](qint64 number, const QList<std::pair<QString, qint64>> &products,
                           double gross, double net, int volumes) {
        Sample s;
        s.number = number;
        s.products = products;
        s.grossWeight = gross;
        s.netWeight = net;
        s.volumes = volumes;
        return s;
    };
    const QString sheet = u"CHAPA DE ACO LAMINADO A FRIO 2MM"_s;
    return {
        sample(4101, {{sheet, 1845000}, {u"PERFIL METALICO U 100MM"_s, 312050}}, 1250.5, 1200, 12),
        sample(4102, {{u"TUBO DE ACO GALVANIZADO 2 POL"_s, 978000}}, 640, 610.25, 8),
        sample(4103, {{sheet, 922500}}, 615.75, 600, 6)};
}

QStringList WriteFiles(const QList<Sample> &samples, const QString &dir)
{
    QStringList paths;
    for (const Sample &s : samples) {
        const QString path = QDir(dir).filePath(AccessKey(s) + u"-nfe.xml"_s);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(Xml(s)) < 0)
            return {};
        paths << path;
    }
    return paths;
}

} // namespace NfeSamples
