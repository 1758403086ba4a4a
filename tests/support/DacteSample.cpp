#include "DacteSample.h"

#include "AccessKey.h"
#include "CteXmlBuilder.h"
#include "DemoDocument.h"

using namespace Qt::StringLiterals;

DacteSample dacteSample(int invoices, bool landscape)
{
    StoredDocument doc = demodocument::complete(u"4321"_s);
    doc.document.insert(u"IDFORMAIMPDACTE"_s, landscape ? u"2"_s : u"1"_s);
    const FieldValues invoice = doc.fiscalDocuments.value(0);
    doc.fiscalDocuments.clear();
    for (int i = 0; i < invoices; ++i) {
        FieldValues row = invoice;
        const QString number = QString::number(4101 + i).rightJustified(9, u'0');
        const QString key
            = invoice.value(u"NRACESSONFE"_s).toString().left(25) + number + u"100000019"_s;
        row.insert(u"NRACESSONFE"_s, key + QString::number(accesskey::checkDigit(key)));
        row.insert(u"NRNOTAFISC"_s, QString::number(4101 + i));
        doc.fiscalDocuments.append(row);
    }
    const BuiltCte built
        = buildCteXml(doc, demodocument::issuerParameters(), u"12345678"_s, CteBuildOptions {});
    DacteSample sample;
    sample.cteXml = built.xml;
    sample.protocolXml
        = u"<protCTe xmlns=\"http://www.portalfiscal.inf.br/cte\" versao=\"4.00\">"
          "<infProt><tpAmb>2</tpAmb><verAplic>SVRS202401</verAplic><chCTe>%1</chCTe>"
          "<dhRecbto>2026-12-07T10:15:30-03:00</dhRecbto>"
          "<nProt>135260000012345</nProt>"
          "<digVal>q1w2e3r4t5y6u7i8o9p0a1s2d3f=</digVal><cStat>100</cStat>"
          "<xMotivo>Autorizado o uso do CT-e</xMotivo></infProt></protCTe>"_s.arg(built.accessKey)
              .toUtf8();
    return sample;
}
