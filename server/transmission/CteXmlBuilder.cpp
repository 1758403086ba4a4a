#include "CteXmlBuilder.h"

#include "AccessKey.h"
#include "IssuerClock.h"
#include "ServerError.h"
#include "TransmissionMessages.h"
#include "XmlOut.h"

#include <QHash>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

const QString kBrazil = u"1058"_s;

QString digitsOf(const QString &text)
{
    QString out;
    for (QChar c : text) {
        if (c.isDigit() && c.unicode() < 0x80)
            out += c;
    }
    return out;
}

QString withoutLeadingZeros(const QString &digits)
{
    qsizetype i = 0;
    while (i + 1 < digits.size() && digits.at(i) == u'0')
        ++i;
    return digits.mid(i);
}

QByteArray decimal(double value, int places)
{
    const double scale = std::pow(10.0, places);
    double rounded = std::round(value * scale) / scale;
    if (rounded == 0)
        rounded = 0; // no "-0.00"
    return QByteArray::number(rounded, 'f', places);
}

// IBGE code of a state, for documents whose code field was left empty.
QString ufCode(const QString &uf)
{
    static const QHash<QString, QString> codes {
        {u"RO"_s, u"11"_s}, {u"AC"_s, u"12"_s}, {u"AM"_s, u"13"_s}, {u"RR"_s, u"14"_s},
        {u"PA"_s, u"15"_s}, {u"AP"_s, u"16"_s}, {u"TO"_s, u"17"_s}, {u"MA"_s, u"21"_s},
        {u"PI"_s, u"22"_s}, {u"CE"_s, u"23"_s}, {u"RN"_s, u"24"_s}, {u"PB"_s, u"25"_s},
        {u"PE"_s, u"26"_s}, {u"AL"_s, u"27"_s}, {u"SE"_s, u"28"_s}, {u"BA"_s, u"29"_s},
        {u"MG"_s, u"31"_s}, {u"ES"_s, u"32"_s}, {u"RJ"_s, u"33"_s}, {u"SP"_s, u"35"_s},
        {u"PR"_s, u"41"_s}, {u"SC"_s, u"42"_s}, {u"RS"_s, u"43"_s}, {u"MS"_s, u"50"_s},
        {u"MT"_s, u"51"_s}, {u"GO"_s, u"52"_s}, {u"DF"_s, u"53"_s},
    };
    return codes.value(uf.toUpper());
}

// A street line "RUA X, 123" gives the street and the number; without a number, "S/N".
std::pair<QString, QString> streetAndNumber(const QString &line)
{
    const qsizetype comma = line.lastIndexOf(u',');
    if (comma > 0) {
        const QString number = line.mid(comma + 1).trimmed();
        if (!number.isEmpty() && number.size() <= 60 && number.at(0).isDigit())
            return {line.left(comma).trimmed(), number};
    }
    return {line.trimmed(), u"S/N"_s};
}

// "yyyy-MM-ddTHH:mm:ss" without the locale machinery of QDateTime::toString.
QString isoLocal(const QDateTime &dt)
{
    const QDate d = dt.date();
    const QTime t = dt.time();
    return QString::asprintf("%04d-%02d-%02dT%02d:%02d:%02d", d.year(), d.month(), d.day(),
                             t.hour(), t.minute(), t.second());
}

class Builder
{
public:
    Builder(const StoredDocument &doc, const IssuerParameters &issuer, const CteBuildOptions &opt)
        : m_doc(doc)
        , m_issuer(issuer)
        , m_opt(opt)
    {
        m_homologation = m_doc.text(u"IDAMBIENTECTE"_s) == u"2";
    }

    BuiltCte build(const QString &numericCode);

private:
    QString f(const QString &name) const { return m_doc.text(name); }

    void leafMax(const char *tag, const QString &text, int max)
    {
        m_out.leaf(tag, XmlOut::clean(text).left(max).trimmed());
    }
    void leafMaxIfAny(const char *tag, const QString &text, int max)
    {
        m_out.leafIfAny(tag, XmlOut::clean(text).left(max).trimmed());
    }

    void writeIde(const QString &numericCode, const QString &checkDigit);
    void writeTaker();
    void writeCompl();
    void writeEmit();
    void writeParty(const char *element, const char *address, const QString &suffix, bool tradeName,
                    bool suframa);
    void writeRegistration(const QString &suffix);
    void writeAddress(const char *address, const QString &suffix);
    void writeValues();
    void writeTaxes();
    void writeNormal();
    void writeDocuments();

    // The registration-based indicator of the payer's state registration.
    QString takerStateIndicator() const;
    QString takerSuffix() const;

    const StoredDocument &m_doc;
    const IssuerParameters &m_issuer;
    const CteBuildOptions &m_opt;
    bool m_homologation = false;
    QString m_key;
    XmlOut m_out;
};

QString Builder::takerSuffix() const
{
    static const QStringList roles {u"REME"_s, u"EXPE"_s, u"RECE"_s, u"DEST"_s, u"TOMA"_s};
    const int taker = f(u"IDTOMADOR"_s).toInt();
    return roles.value(taker, u"TOMA"_s);
}

QString Builder::takerStateIndicator() const
{
    const QString ie = f(u"NRINSEST"_s + takerSuffix());
    if (ie.compare(u"ISENTO"_s, Qt::CaseInsensitive) == 0)
        return u"2"_s;
    return digitsOf(ie).isEmpty() ? u"9"_s : u"1"_s;
}

BuiltCte Builder::build(const QString &numericCode)
{
    const QString registration = digitsOf(f(u"NRINSJUREMIT"_s));
    const bool issuerIsPerson = f(u"IDTPIJUREMIT"_s) == u"F";
    QString uf = digitsOf(f(u"CDESTADOIBGEEMIT"_s));
    if (uf.isEmpty())
        uf = ufCode(f(u"SGESTADOEMIT"_s));
    const QDateTime emitted = m_doc.document.value(u"DTEMISSAO"_s).toDateTime();
    accesskey::Parts parts;
    parts.ufCode = uf;
    parts.yearMonth = emitted.isValid()
        ? QString::asprintf("%02d%02d", emitted.date().year() % 100, emitted.date().month())
        : QString();
    parts.issuerRegistration
        = issuerIsPerson && registration.size() == 11 ? u"000"_s + registration : registration;
    parts.model = f(u"CDMODDOCFISC"_s);
    parts.series = digitsOf(f(u"CDSERIECTE"_s));
    parts.number = digitsOf(f(u"NRCTE"_s));
    parts.emissionForm = f(u"IDFORMAEMISSAO"_s);
    parts.numericCode = numericCode;
    if (parts.issuerRegistration.size() != 14)
        throw ServerError(txMsg("XML_EMITENTE_INSCRICAO"));
    m_key = accesskey::compose(parts);
    if (m_key.isEmpty())
        throw ServerError(txMsg("XML_CHAVE_INCOMPLETA"));

    m_out.bytes() += "<CTe xmlns=\"http://www.portalfiscal.inf.br/cte\">";
    m_out.open("infCte", " Id=\"CTe" + m_key.toLatin1() + "\" versao=\"4.00\"");
    writeIde(numericCode, m_key.right(1));
    writeCompl();
    writeEmit();
    if (f(u"IDCADREMETENTE"_s) != u"N" && !f(u"IDCADREMETENTE"_s).isEmpty())
        writeParty("rem", "enderReme", u"REME"_s, true, false);
    if (f(u"IDCADEXPEDIDOR"_s) != u"N" && !f(u"IDCADEXPEDIDOR"_s).isEmpty())
        writeParty("exped", "enderExped", u"EXPE"_s, false, false);
    if (f(u"IDCADRECEBEDOR"_s) != u"N" && !f(u"IDCADRECEBEDOR"_s).isEmpty())
        writeParty("receb", "enderReceb", u"RECE"_s, false, false);
    if (f(u"IDCADDESTINATA"_s) != u"N" && !f(u"IDCADDESTINATA"_s).isEmpty())
        writeParty("dest", "enderDest", u"DEST"_s, false, true);
    writeValues();
    writeTaxes();
    writeNormal();
    m_out.close("infCte");
    m_out.open("infCTeSupl");
    const QString qrBase
        = m_opt.qrCodeAddresses.address(f(u"SGESTADOEMIT"_s), m_homologation ? 2 : 1);
    if (qrBase.isEmpty())
        throw ServerError(txMsg("QRCODE_SEM_ENDERECO")
                              .arg(f(u"SGESTADOEMIT"_s), m_homologation ? u"2"_s : u"1"_s));
    const QByteArray qr
        = qrBase.toUtf8() + "?chCTe=" + m_key.toLatin1() + "&tpAmb=" + (m_homologation ? "2" : "1");
    m_out.open("qrCodCTe");
    XmlOut::appendEscaped(m_out.bytes(), qr);
    m_out.close("qrCodCTe");
    m_out.close("infCTeSupl");
    m_out.close("CTe");
    return {m_key, std::move(m_out.bytes())};
}

void Builder::writeIde(const QString &numericCode, const QString &checkDigit)
{
    const QDateTime emitted = m_doc.document.value(u"DTEMISSAO"_s).toDateTime();
    m_out.open("ide");
    m_out.leafAscii("cUF", m_key.left(2).toLatin1());
    m_out.leafAscii("cCT", numericCode.toLatin1());
    m_out.leaf("CFOP", f(u"CDCFOP"_s));
    leafMax("natOp", f(u"DSNATUOPERACAO"_s), 60);
    m_out.leaf("mod", f(u"CDMODDOCFISC"_s));
    m_out.leafAscii("serie", withoutLeadingZeros(digitsOf(f(u"CDSERIECTE"_s))).toLatin1());
    m_out.leafAscii("nCT", withoutLeadingZeros(digitsOf(f(u"NRCTE"_s))).toLatin1());
    m_out.leaf("dhEmi", isoLocal(emitted) + issuerclock::utcOffset(f(u"SGESTADOEMIT"_s)));
    m_out.leaf("tpImp", f(u"IDFORMAIMPDACTE"_s));
    m_out.leaf("tpEmis", f(u"IDFORMAEMISSAO"_s));
    m_out.leafAscii("cDV", checkDigit.toLatin1());
    m_out.leaf("tpAmb", f(u"IDAMBIENTECTE"_s));
    m_out.leaf("tpCTe", f(u"IDTIPOCTE"_s));
    m_out.leafAscii("procEmi", "0");
    leafMax("verProc", f(u"IDVERPROCESSO"_s), 20);
    if (f(u"IDGLOBALIZADO"_s) == u"1")
        m_out.leafAscii("indGlobalizado", "1");
    m_out.leaf("cMunEnv", f(u"CDMUNICIBGEEMIT"_s));
    leafMax("xMunEnv", f(u"NMMUNICIPIOEMIT"_s), 60);
    m_out.leaf("UFEnv", f(u"SGESTADOEMIT"_s));
    m_out.leaf("modal", f(u"IDMODAL"_s));
    m_out.leaf("tpServ", f(u"IDTIPOSERVICO"_s));
    for (const auto &[suffix, mun, name, uf] :
         {std::tuple {u"INISERV", "cMunIni", "xMunIni", "UFIni"},
          std::tuple {u"FIMSERV", "cMunFim", "xMunFim", "UFFim"}}) {
        const QString s = QString::fromUtf16(suffix);
        const bool abroad = !f(u"CDPAIS"_s + s).isEmpty() && f(u"CDPAIS"_s + s) != kBrazil
            && f(u"CDPAISBACEN"_s + s) != kBrazil;
        m_out.leaf(mun, abroad ? u"9999999"_s : f(u"CDMUNICIBGE"_s + s));
        leafMax(name, abroad ? u"EXTERIOR"_s : f(u"NMMUNIC"_s + s), 60);
        m_out.leaf(uf, abroad ? u"EX"_s : f(u"SGESTADO"_s + s));
    }
    m_out.leaf("retira", f(u"IDRETIRA"_s));
    leafMaxIfAny("xDetRetira", f(u"DSRETIRA"_s), 160);
    m_out.leaf("indIEToma", takerStateIndicator());
    writeTaker();
    m_out.close("ide");
}

void Builder::writeTaker()
{
    const QString taker = f(u"IDTOMADOR"_s);
    if (taker != u"4") {
        m_out.open("toma3");
        m_out.leaf("toma", taker);
        m_out.close("toma3");
        return;
    }
    m_out.open("toma4");
    m_out.leafAscii("toma", "4");
    writeRegistration(u"TOMA"_s);
    leafMax("xNome",
            m_homologation ? QString::fromUtf16(kHomologationPartyName) : f(u"NMRAZSOCTOMA"_s), 60);
    leafMaxIfAny("xFant", f(u"NMFANTTOMA"_s), 60);
    const QString phone = digitsOf(f(u"NRTELETOMA"_s));
    if (phone.size() >= 6 && phone.size() <= 14)
        m_out.leafAscii("fone", phone.toLatin1());
    writeAddress("enderToma", u"TOMA"_s);
    leafMaxIfAny("email", f(u"DSEMAILTOMA"_s), 60);
    m_out.close("toma4");
}

void Builder::writeCompl()
{
    QStringList notes;
    for (const FieldValues &row : m_doc.observations) {
        const QString text = XmlOut::clean(StoredDocument::textOf(row, u"DSDADOADIC"_s));
        if (!text.isEmpty())
            notes << text;
    }
    if (notes.isEmpty())
        return;
    m_out.open("compl");
    leafMax("xObs", notes.join(u"; "_s), 2000);
    m_out.close("compl");
}

void Builder::writeRegistration(const QString &suffix)
{
    const QString registration = digitsOf(f(u"NRINSJUR"_s + suffix));
    const bool person = f(u"IDTPIJUR"_s + suffix) == u"F";
    m_out.leafAscii(person ? "CPF" : "CNPJ", registration.toLatin1());
    const QString ie = f(u"NRINSEST"_s + suffix);
    if (ie.compare(u"ISENTO"_s, Qt::CaseInsensitive) == 0)
        m_out.leafAscii("IE", "ISENTO");
    else if (!digitsOf(ie).isEmpty())
        m_out.leafAscii("IE", digitsOf(ie).toLatin1());
}

void Builder::writeAddress(const char *address, const QString &s)
{
    const bool abroad = !f(u"CDPAIS"_s + s).isEmpty() && f(u"CDPAISBACEN"_s + s) != kBrazil
        && f(u"CDPAIS"_s + s) != kBrazil;
    const auto [street, number] = streetAndNumber(f(u"DSENDE"_s + s));
    m_out.open(address);
    leafMax("xLgr", street, 255);
    leafMax("nro", number, 60);
    leafMaxIfAny("xCpl", f(u"DSCOMPEND"_s + s), 60);
    leafMax("xBairro", f(u"NMBAIR"_s + s), 60);
    m_out.leaf("cMun", abroad ? u"9999999"_s : f(u"CDMUNICIBGE"_s + s));
    leafMax("xMun", abroad ? u"EXTERIOR"_s : f(u"NMMUNICIPIO"_s + s), 60);
    const QString cep = digitsOf(f(u"NRCEP"_s + s));
    if (!abroad && cep.size() == 8)
        m_out.leafAscii("CEP", cep.toLatin1());
    m_out.leaf("UF", abroad ? u"EX"_s : f(u"SGESTADO"_s + s));
    const QString country = f(u"CDPAISBACEN"_s + s);
    if (!country.isEmpty() && !f(u"NMPAIS"_s + s).isEmpty()) {
        m_out.leaf("cPais", country);
        leafMax("xPais", f(u"NMPAIS"_s + s), 60);
    }
    m_out.close(address);
}

void Builder::writeEmit()
{
    m_out.open("emit");
    const QString registration = digitsOf(f(u"NRINSJUREMIT"_s));
    m_out.leafAscii(f(u"IDTPIJUREMIT"_s) == u"F" ? "CPF" : "CNPJ", registration.toLatin1());
    const QString ie = digitsOf(f(u"NRINSESTEMIT"_s));
    if (!ie.isEmpty())
        m_out.leafAscii("IE", ie.toLatin1());
    leafMax("xNome", f(u"NMRAZSOCEMIT"_s), 60);
    leafMaxIfAny("xFant", f(u"NMFANTEMIT"_s), 60);
    const auto [street, number] = streetAndNumber(f(u"DSENDEEMIT"_s));
    m_out.open("enderEmit");
    leafMax("xLgr", street, 60);
    leafMax("nro", number, 60);
    leafMaxIfAny("xCpl", f(u"DSCOMPENDEMIT"_s), 60);
    leafMax("xBairro", f(u"NMBAIREMIT"_s), 60);
    m_out.leaf("cMun", f(u"CDMUNICIBGEEMIT"_s));
    leafMax("xMun", f(u"NMMUNICIPIOEMIT"_s), 60);
    const QString cep = digitsOf(f(u"NRCEPEMIT"_s));
    if (cep.size() == 8)
        m_out.leafAscii("CEP", cep.toLatin1());
    m_out.leaf("UF", f(u"SGESTADOEMIT"_s));
    const QString phone = digitsOf(f(u"NRTELEEMIT"_s));
    if (phone.size() >= 6 && phone.size() <= 14)
        m_out.leafAscii("fone", phone.toLatin1());
    m_out.close("enderEmit");
    m_out.leaf("CRT", m_issuer.crt);
    m_out.close("emit");
}

void Builder::writeParty(const char *element, const char *address, const QString &s, bool tradeName,
                         bool suframa)
{
    m_out.open(element);
    writeRegistration(s);
    leafMax("xNome",
            m_homologation ? QString::fromUtf16(kHomologationPartyName) : f(u"NMRAZSOC"_s + s), 60);
    if (tradeName)
        leafMaxIfAny("xFant", f(u"NMFANT"_s + s), 60);
    const QString phone = digitsOf(f(u"NRTELE"_s + s));
    if (phone.size() >= 6 && phone.size() <= 14)
        m_out.leafAscii("fone", phone.toLatin1());
    if (suframa) {
        const QString isuf = digitsOf(f(u"NRINSCSUFRAMADEST"_s));
        if (!isuf.isEmpty())
            m_out.leafAscii("ISUF", isuf.toLatin1());
    }
    writeAddress(address, s);
    leafMaxIfAny("email", f(u"DSEMAIL"_s + s), 60);
    m_out.close(element);
}

void Builder::writeValues()
{
    m_out.open("vPrest");
    m_out.leafAscii("vTPrest", decimal(m_doc.number(u"VRTOTAPRESTSERV"_s), 2));
    m_out.leafAscii("vRec", decimal(m_doc.number(u"VRTOTARECEBER"_s), 2));
    for (const FieldValues &row : m_doc.components) {
        m_out.open("Comp");
        leafMax("xNome", StoredDocument::textOf(row, u"DSCOMPVRPREST"_s), 15);
        m_out.leafAscii("vComp", decimal(row.value(u"VRCOMPONENTE"_s).toDouble(), 2));
        m_out.close("Comp");
    }
    m_out.close("vPrest");
}

void Builder::writeTaxes()
{
    const FieldValues *icms = nullptr;
    for (const FieldValues &row : m_doc.taxes) {
        if (StoredDocument::textOf(row, u"CDIMPOSTO"_s) == u"01"
            || StoredDocument::textOf(row, u"SGIMPOSTO"_s).compare(u"ICMS"_s, Qt::CaseInsensitive)
                == 0) {
            icms = &row;
            break;
        }
    }
    m_out.open("imp");
    m_out.open("ICMS");
    const bool simples = m_issuer.crt == u"1" || m_issuer.crt == u"4";
    if (simples) {
        m_out.open("ICMSSN");
        m_out.leafAscii("CST", "90");
        m_out.leafAscii("indSN", "1");
        m_out.close("ICMSSN");
    } else {
        if (!icms)
            throw ServerError(txMsg("XML_SEM_ICMS"));
        const auto value = [&](const char16_t *name) {
            return icms->value(QString::fromUtf16(name)).toDouble();
        };
        const QString cst = StoredDocument::textOf(*icms, u"CDSITUTRIBIT"_s);
        const QByteArray base = decimal(value(u"VRBASECALCULO"), 2);
        const QByteArray rate = decimal(value(u"VRALIQUOTA"), 2);
        const QByteArray tax = decimal(value(u"VRIMPOSTO"), 2);
        const double reduction = value(u"VRREDBASECALC");
        const double credit = value(u"VRCREDPRESUMIDO");
        if (cst == u"00") {
            m_out.open("ICMS00");
            m_out.leafAscii("CST", "00");
            m_out.leafAscii("vBC", base);
            m_out.leafAscii("pICMS", rate);
            m_out.leafAscii("vICMS", tax);
            m_out.close("ICMS00");
        } else if (cst == u"20") {
            m_out.open("ICMS20");
            m_out.leafAscii("CST", "20");
            m_out.leafAscii("pRedBC", decimal(reduction, 2));
            m_out.leafAscii("vBC", base);
            m_out.leafAscii("pICMS", rate);
            m_out.leafAscii("vICMS", tax);
            m_out.close("ICMS20");
        } else if (cst == u"40" || cst == u"41" || cst == u"51") {
            m_out.open("ICMS45");
            m_out.leaf("CST", cst);
            m_out.close("ICMS45");
        } else if (cst == u"60") {
            m_out.open("ICMS60");
            m_out.leafAscii("CST", "60");
            m_out.leafAscii("vBCSTRet", base);
            m_out.leafAscii("vICMSSTRet", tax);
            m_out.leafAscii("pICMSSTRet", rate);
            if (credit > 0)
                m_out.leafAscii("vCred", decimal(credit, 2));
            m_out.close("ICMS60");
        } else {
            // 90 and anything the parametrization calls otherwise: "other situations".
            m_out.open("ICMS90");
            m_out.leafAscii("CST", "90");
            if (reduction > 0)
                m_out.leafAscii("pRedBC", decimal(reduction, 2));
            m_out.leafAscii("vBC", base);
            m_out.leafAscii("pICMS", rate);
            m_out.leafAscii("vICMS", tax);
            if (credit > 0)
                m_out.leafAscii("vCred", decimal(credit, 2));
            m_out.close("ICMS90");
        }
    }
    m_out.close("ICMS");
    m_out.close("imp");
}

void Builder::writeNormal()
{
    m_out.open("infCTeNorm");
    m_out.open("infCarga");
    if (m_doc.number(u"VRTOTACARGA"_s) > 0)
        m_out.leafAscii("vCarga", decimal(m_doc.number(u"VRTOTACARGA"_s), 2));
    leafMax("proPred", f(u"DSPRODPREDOMINA"_s), 60);
    leafMaxIfAny("xOutCat", f(u"DSOUTCARCARGA"_s), 30);
    for (const FieldValues &row : m_doc.cargoQuantities) {
        m_out.open("infQ");
        m_out.leaf("cUnid", StoredDocument::textOf(row, u"CDUNIDMEDIDA"_s));
        leafMax("tpMed", StoredDocument::textOf(row, u"DSTIPOMEDIDA"_s), 20);
        m_out.leafAscii("qCarga", decimal(row.value(u"QTCARGA"_s).toDouble(), 4));
        m_out.close("infQ");
    }
    if (m_doc.number(u"VRAVERBACAO"_s) > 0)
        m_out.leafAscii("vCargaAverb", decimal(m_doc.number(u"VRAVERBACAO"_s), 2));
    m_out.close("infCarga");
    writeDocuments();
    m_out.open("infModal", " versaoModal=\"4.00\"");
    m_out.open("rodo");
    m_out.leaf("RNTRC", m_issuer.rntrc);
    m_out.close("rodo");
    m_out.close("infModal");
    m_out.close("infCTeNorm");
}

void Builder::writeDocuments()
{
    if (m_doc.fiscalDocuments.isEmpty())
        return;
    int electronic = 0;
    for (const FieldValues &row : m_doc.fiscalDocuments) {
        const QString key = digitsOf(StoredDocument::textOf(row, u"NRACESSONFE"_s));
        if (key.size() == 44)
            ++electronic;
    }
    if (electronic != 0 && electronic != m_doc.fiscalDocuments.size())
        throw ServerError(txMsg("XML_DOCUMENTOS_MISTOS"));
    m_out.open("infDoc");
    for (const FieldValues &row : m_doc.fiscalDocuments) {
        if (electronic) {
            m_out.open("infNFe");
            m_out.leafAscii("chave",
                            digitsOf(StoredDocument::textOf(row, u"NRACESSONFE"_s)).toLatin1());
            m_out.close("infNFe");
            continue;
        }
        m_out.open("infOutros");
        m_out.leafAscii("tpDoc", "99");
        const QString model = StoredDocument::textOf(row, u"CDMODDOCFISC"_s);
        leafMax("descOutros", txMsg("XML_DOCUMENTO_MODELO").arg(model), 100);
        leafMaxIfAny("nDoc", StoredDocument::textOf(row, u"NRNOTAFISC"_s), 20);
        const QDateTime issued = row.value(u"DTEMISSAO"_s).toDateTime();
        if (issued.isValid())
            m_out.leaf("dEmi", issued.toString(u"yyyy-MM-dd"_s));
        const double value = row.value(u"VRNOTAFISC"_s).toDouble();
        if (value > 0)
            m_out.leafAscii("vDocFisc", decimal(value, 2));
        m_out.close("infOutros");
    }
    m_out.close("infDoc");
}

} // namespace

BuiltCte buildCteXml(const StoredDocument &doc, const IssuerParameters &issuer,
                     const QString &numericCode, const CteBuildOptions &options)
{
    Builder builder(doc, issuer, options);
    return builder.build(numericCode);
}
