#include "QrCodeCheck.h"

#include "AccessKey.h"
#include "SignatureCheck.h"
#include "StatusCodes.h"
#include "XmlDocument.h"

#include <QUrlQuery>

using namespace Qt::StringLiterals;

namespace qrcode {

namespace {

// Each authorising environment, its query addresses and the states it serves.
struct Authoriser
{
    const char *production;
    const char *homologation;
    const char *states;
};

constexpr Authoriser kAuthorisers[] = {
    {"https://nfe.fazenda.sp.gov.br/CTeConsulta/qrCode",
     "https://homologacao.nfe.fazenda.sp.gov.br/CTeConsulta/qrCode", "SP AP PE RR"},
    {"https://cte.fazenda.mg.gov.br/portalcte/sistema/qrcode.xhtml",
     "https://hcte.fazenda.mg.gov.br/portalcte/sistema/qrcode.xhtml", "MG"},
    {"https://www.dfe.ms.gov.br/cte/qrcode", "https://www.dfe.ms.gov.br/cte/qrcode", "MS"},
    {"https://www.sefaz.mt.gov.br/cte/qrcode", "https://homologacao.sefaz.mt.gov.br/cte/qrcode",
     "MT"},
    {"http://www.fazenda.pr.gov.br/cte/qrcode", "http://www.fazenda.pr.gov.br/cte/qrcode", "PR"},
    // The virtual authority of Rio Grande do Sul serves every other state.
    {"https://dfe-portal.svrs.rs.gov.br/cte/qrCode", "https://dfe-portal.svrs.rs.gov.br/cte/qrCode",
     "AC AL AM BA CE DF ES GO MA PA PB PI RJ RN RO RS SC SE TO"},
};

} // namespace

QString publishedAddress(const QString &ufLetters, int environment)
{
    for (const Authoriser &a : kAuthorisers) {
        if (QString::fromLatin1(a.states).split(u' ').contains(ufLetters))
            return QString::fromLatin1(environment == 1 ? a.production : a.homologation);
    }
    return {};
}

Verdict check(const xmlNode *cte, const QString &key, const QByteArray &certificateDer)
{
    const xmlNode *supplement = xml::child(cte, "infCTeSupl");
    const QString text = xml::text(supplement, "qrCodCTe").trimmed();
    if (!supplement || text.isEmpty())
        return {cstat::QrCodeMissing, u"no infCTeSupl/qrCodCTe"_s};
    const xmlNode *ide = xml::child(xml::child(cte, "infCte"), "ide");
    const QString environment = xml::text(ide, "tpAmb");
    const QString emission = xml::text(ide, "tpEmis");
    const qsizetype question = text.indexOf(u'?');
    const QString address = text.left(question);
    const QUrlQuery query(text.mid(question + 1));
    const QString expected
        = publishedAddress(accesskey::ufLetters(key.left(2)), environment.toInt());
    // The manual: letter case does not count.
    if (question < 0 || address.compare(expected, Qt::CaseInsensitive) != 0)
        return {cstat::QrCodeAddress, u"address %1, the state's is %2"_s.arg(address, expected)};
    if (query.queryItemValue(u"tpAmb"_s) != environment)
        return {cstat::QrCodeAddress,
                u"tpAmb %1 in the QR code, %2 in the document"_s.arg(
                    query.queryItemValue(u"tpAmb"_s), environment)};
    if (query.queryItemValue(u"chCTe"_s) != key)
        return {cstat::QrCodeKey, u"chCTe %1"_s.arg(query.queryItemValue(u"chCTe"_s))};
    const bool contingency = emission == u"4" || emission == u"5";
    const bool signedCode = query.hasQueryItem(u"sign"_s);
    if (contingency && !signedCode)
        return {cstat::QrCodeSignMissing, u"tpEmis %1 without sign"_s.arg(emission)};
    if (!contingency && signedCode)
        return {cstat::QrCodeSignNotAllowed, u"tpEmis %1 with sign"_s.arg(emission)};
    if (signedCode) {
        // A Base64 '+' arrives as is in the XML; a URL decoder would read it as a space.
        const QString sign = query.queryItemValue(u"sign"_s, QUrl::FullyEncoded);
        const auto bytes
            = QByteArray::fromBase64Encoding(QByteArray::fromPercentEncoding(sign.toLatin1()),
                                             QByteArray::AbortOnBase64DecodingErrors);
        if (!bytes || !SignatureCheck::verifies(certificateDer, key.toLatin1(), *bytes))
            return {cstat::QrCodeSignDiffers, u"sign does not verify the key"_s};
    }
    return {};
}

} // namespace qrcode
