#include "DactePainter.h"

#include "Barcodes.h"
#include "DacteMessages.h"
#include "DacteSummary.h"
#include "PainterCanvas.h"
#include "Sheet.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace dacte {

namespace {

// Heights in millimetres of the blocks, by orientation; the width is the page's.
struct Metrics
{
    double pageW, pageH;
    double header, identification, route, party, taker, cargo, components, tax, notes, modal,
        reserved;
    int documentsPerLine;
};
constexpr double kMargin = 5;
constexpr double kDocumentRow = 3.6;
constexpr double kTitle = Sheet::kTitle;
// Shares of a document's cell: kind, issuer's registration, number or access key.
constexpr double kKind = 0.1, kIssuer = 0.26, kNumber = 0.64;
const Metrics kPortrait {210, 297, 30, 26, 7, 21, 12, 7, 17, 9, 15, 9, 12, 2};
const Metrics kLandscape {297, 210, 27, 26, 7, 16, 10, 7, 12, 9, 10, 9, 9, 3};

// The height left for the document list on the first page, and on a continuation page.
double firstDocumentsHeight(const Metrics &m)
{
    return m.pageH - 2 * kMargin - m.header - m.identification - m.route - 2 * m.party - m.taker
        - 2 * m.cargo - m.components - m.tax - m.notes - m.modal - m.reserved;
}
double continuationDocumentsHeight(const Metrics &m)
{
    return m.pageH - 2 * kMargin - m.header;
}
int documentsFitting(const Metrics &m, double height)
{
    // The column captions above, the "continues" line below.
    return std::max(1, int((height - kTitle - 3 - kDocumentRow) / kDocumentRow))
        * m.documentsPerLine;
}

QString msg(const char *key)
{
    return dacteMsg(QString::fromLatin1(key));
}

QString masked(const QString &digits, const QString &mask)
{
    QString out;
    qsizetype at = 0;
    for (const QChar c : mask) {
        if (at >= digits.size())
            break;
        out += c == u'9' ? digits.at(at++) : c;
    }
    return out;
}

QString registration(const QString &cnpj, const QString &cpf)
{
    if (!cnpj.isEmpty())
        return masked(cnpj, u"99.999.999/9999-99"_s);
    return masked(cpf, u"999.999.999-99"_s);
}

QString money(const QString &text)
{
    if (text.isEmpty())
        return {};
    static const QLocale br(QLocale::Portuguese, QLocale::Brazil);
    return br.toString(decimalOf(text), 'f', 2);
}

QString dateTime(const QString &iso)
{
    // The text as issued: its own clock, whatever the offset.
    const QDateTime t = QDateTime::fromString(iso.left(19), Qt::ISODate);
    return t.isValid() ? t.toString(u"dd/MM/yyyy HH:mm:ss"_s) : iso;
}

QString date(const QString &iso)
{
    const QDate d = QDate::fromString(iso.left(10), Qt::ISODate);
    return d.isValid() ? d.toString(u"dd/MM/yyyy"_s) : iso;
}

QString keyGroups(const QString &key)
{
    QStringList groups;
    for (qsizetype i = 0; i < key.size(); i += 4)
        groups << key.mid(i, 4);
    return groups.join(u' ');
}

// One referenced document as its line shows it.
struct DocumentLine
{
    QString kind, issuer, number;
};

QList<DocumentLine> documentLines(const DacteData &d)
{
    QList<DocumentLine> lines;
    const QString sender = registration(d.value(u"Rem"_s, u"CNPJ"_s), d.value(u"Rem"_s, u"CPF"_s));
    for (const Row &r : d.rows(u"InfNF"_s))
        lines.append({msg("DOC_NF"), sender, r.value(u"serie"_s) + u" / "_s + r.value(u"nDoc"_s)});
    for (const Row &r : d.rows(u"InfNFe"_s))
        lines.append({msg("DOC_NFE"), sender, r.value(u"chave"_s)});
    for (const Row &r : d.rows(u"InfOutros"_s))
        lines.append({msg("DOC_OUTROS"), sender,
                      r.value(u"descOutros"_s).isEmpty()
                          ? r.value(u"nDoc"_s)
                          : r.value(u"descOutros"_s) + u" / "_s + r.value(u"nDoc"_s)});
    return lines;
}

// The page as drawn: the blocks in order from the top, `y` the next free line.
class Page
{
public:
    Page(Canvas &c, const DacteData &data, int number)
        : m(isLandscape(data) ? kLandscape : kPortrait)
        , s(c, m.pageW, kMargin)
        , d(data)
        , page(number)
        , W(s.width())
    { }

    void header(int pages);
    void identification();
    void route();
    void parties();
    void cargo();
    void components();
    void tax();
    int documents(int first, double height, bool continuation);
    void notes();
    void modal();
    void reserved();
    // Across the middle of `area` (millimetres), the largest free space of the page.
    void homologation(double top, double height);
    // Across the middle of the page, above everything.
    void cancelled();

    const Metrics &m;
    Sheet s;
    const DacteData &d;
    int page;
    double W;
    double y = 0;

private:
    void party(double x, double w, const QString &caption, const QString &who,
               const QString &address);
};

void Page::header(int pages)
{
    const double h = m.header;
    const double wEmit = W * 0.38, wTitle = W * 0.17, xKey = wEmit + wTitle, wKey = W - xKey;
    // The issuer.
    s.box(0, y, wEmit, h);
    const QString fantasy = d.value(u"Emit"_s, u"xFant"_s);
    s.text(s.r(1, y + 1, wEmit - 2, 5), d.value(u"Emit"_s, u"xNome"_s), s.bold(),
           Qt::AlignLeft | Qt::AlignVCenter);
    const auto ender = [this](const char *f) {
        return d.value(u"EnderEmit"_s, QString::fromLatin1(f));
    };
    QStringList lines;
    if (!fantasy.isEmpty())
        lines << fantasy;
    lines << QStringList {ender("xLgr"), ender("nro"), ender("xCpl")}
                 .filter(QRegularExpression(u"\\S"_s))
                 .join(u", "_s);
    lines << ender("xBairro") + u" - "_s + masked(ender("CEP"), u"99999-999"_s);
    lines << ender("xMun") + u" - "_s + ender("UF") + u"   "_s + msg("FONE") + u": "_s
            + ender("fone");
    lines << msg("CNPJCPF") + u": "_s
            + registration(d.value(u"Emit"_s, u"CNPJ"_s), d.value(u"Emit"_s, u"CPF"_s)) + u"   "_s
            + msg("IE") + u": "_s + d.value(u"Emit"_s, u"IE"_s);
    s.text(s.r(1, y + 6.5, wEmit - 2, h - 7.5), lines.join(u'\n'), s.value(),
           Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap);
    // The document's title and modal.
    s.box(wEmit, y, wTitle, h);
    s.text(s.r(wEmit, y + 1, wTitle, 6), msg("TITULO"), s.big(), Qt::AlignCenter);
    s.text(s.r(wEmit + 1, y + 7, wTitle - 2, 9), msg("SUBTITULO"), s.label(),
           Qt::AlignCenter | Qt::TextWordWrap);
    s.text(s.r(wEmit, y + 17, wTitle, 3), msg("MODAL"), s.label(), Qt::AlignCenter);
    s.text(s.r(wEmit, y + 20, wTitle, 4), dacteMsg(u"MODAL_"_s + d.value(u"Ide"_s, u"modal"_s)),
           s.bold(), Qt::AlignCenter);
    // Number, series, sheet and issue; the key as bars and as text.
    const double cw = wKey / 8;
    s.field(xKey, y, cw, 6, msg("MODELO"), d.value(u"Ide"_s, u"mod"_s), Qt::AlignCenter);
    s.field(xKey + cw, y, cw, 6, msg("SERIE"), d.value(u"Ide"_s, u"serie"_s), Qt::AlignCenter);
    s.field(xKey + 2 * cw, y, 1.6 * cw, 6, msg("NUMERO"), d.value(u"Ide"_s, u"nCT"_s),
            Qt::AlignCenter);
    s.field(xKey + 3.6 * cw, y, 0.9 * cw, 6, msg("FOLHA"),
            dacteMsg(u"FOLHA_DE"_s).arg(page + 1).arg(pages), Qt::AlignCenter);
    s.field(xKey + 4.5 * cw, y, wKey - 4.5 * cw, 6, msg("EMISSAO"),
            dateTime(d.value(u"Ide"_s, u"dhEmi"_s)), Qt::AlignCenter);
    const QString key = d.value(u"InfProt"_s, u"chCTe"_s);
    s.box(xKey, y + 6, wKey, h - 6);
    drawSymbol(s.canvas(), code128(key.toLatin1()), s.r(xKey + 3, y + 7, wKey - 6, h - 16), false);
    s.field(xKey, y + h - 9, wKey, 5, msg("CHAVE"), keyGroups(key), Qt::AlignCenter, true);
    s.text(s.r(xKey + 1, y + h - 4, wKey - 2, 4), msg("CONSULTA"), s.label(),
           Qt::AlignCenter | Qt::TextWordWrap);
    y += h;
}

void Page::identification()
{
    const double h = m.identification, qr = h, wLeft = W - qr;
    const double half = h / 4;
    const auto ide = [this](const char *f) {
        return d.value(u"Ide"_s, QString::fromLatin1(f));
    };
    const QString toma = d.rows(u"Toma4"_s).isEmpty() ? d.value(u"Toma3"_s, u"toma"_s)
                                                      : d.value(u"Toma4"_s, u"toma"_s);
    const double c = wLeft / 4;
    s.field(0, y, c, half, msg("TIPO_CTE"), dacteMsg(u"tpCTe_"_s + ide("tpCTe")));
    s.field(c, y, c, half, msg("TIPO_SERVICO"), dacteMsg(u"tpServ_"_s + ide("tpServ")));
    s.field(2 * c, y, c, half, msg("GLOBALIZADO"),
            ide("indGlobalizado") == u"1" ? msg("SIM") : msg("NAO"));
    s.field(3 * c, y, c, half, msg("TOMA_IND"), dacteMsg(u"toma_"_s + toma));
    s.field(0, y + half, wLeft, half, msg("CFOP"), ide("CFOP") + u" - "_s + ide("natOp"));
    const QString protocol = d.value(u"InfProt"_s, u"nProt"_s) + u" - "_s
        + dateTime(d.value(u"InfProt"_s, u"dhRecbto"_s));
    s.field(0, y + 2 * half, wLeft * 0.65, half, msg("PROTOCOLO"), protocol, Qt::AlignLeft, true);
    s.field(wLeft * 0.65, y + 2 * half, wLeft * 0.35, half, msg("SUFRAMA"),
            d.value(u"Dest"_s, u"ISUF"_s));
    s.field(0, y + 3 * half, wLeft / 2, half, msg("INICIO"),
            ide("UFIni") + u" - "_s + ide("xMunIni"));
    s.field(wLeft / 2, y + 3 * half, wLeft / 2, half, msg("TERMINO"),
            ide("UFFim") + u" - "_s + ide("xMunFim"));
    s.box(wLeft, y, qr, h);
    // 10 % quiet zone around the symbol.
    drawSymbol(s.canvas(), qrCode(ide("qrCodCTe").toUtf8()),
               s.r(wLeft + qr * 0.1, y + qr * 0.1, qr * 0.8, qr * 0.8), true);
    y += h;
}

void Page::route()
{
    // Start and end are in the identification block; this line carries the delivery forecast.
    s.field(0, y, W / 2, m.route, msg("PREVISAO"), date(d.value(u"Rodo"_s, u"dPrev"_s)));
    s.field(W / 2, y, W / 2, m.route, msg("CIOT"), d.value(u"Rodo"_s, u"CIOT"_s));
    y += m.route;
}

void Page::party(double x, double w, const QString &caption, const QString &who,
                 const QString &address)
{
    const double h = who == u"Toma4" ? m.taker : m.party;
    s.box(x, y, w, h);
    s.text(s.r(x + 0.6, y + 0.3, w - 1.2, 2.4), caption, s.label(), Qt::AlignLeft | Qt::AlignTop);
    const auto p = [&](const char *f) {
        return d.value(who, QString::fromLatin1(f));
    };
    const auto a = [&](const char *f) {
        return d.value(address, QString::fromLatin1(f));
    };
    const QString street = QStringList {a("xLgr"), a("nro"), a("xCpl"), a("xBairro")}
                               .filter(QRegularExpression(u"\\S"_s))
                               .join(u", "_s);
    const QString name = p("xNome");
    const QList<std::pair<QString, QString>> lines = {
        {QString(), name},
        {msg("ENDERECO"), street},
        {msg("MUNICIPIO"),
         a("xMun") + u" - "_s + a("UF") + u"   "_s + msg("CEP") + u": "_s
             + masked(a("CEP"), u"99999-999"_s)},
        {msg("CNPJCPF"),
         registration(p("CNPJ"), p("CPF")) + u"   "_s + msg("IE") + u": "_s + p("IE")},
        {msg("PAIS"), a("xPais") + u"   "_s + msg("FONE") + u": "_s + p("fone")},
    };
    if (name.isEmpty())
        return;
    const double line = (h - 3) / lines.size();
    double at = y + 2.6;
    for (const auto &[label, value] : lines) {
        const QString text = label.isEmpty() ? value : label + u": "_s + value;
        s.text(s.r(x + 1, at, w - 2, line), text, label.isEmpty() ? s.bold() : s.value(),
               Qt::AlignLeft | Qt::AlignVCenter);
        at += line;
    }
}

void Page::parties()
{
    party(0, W / 2, msg("REMETENTE"), u"Rem"_s, u"EnderReme"_s);
    party(W / 2, W / 2, msg("DESTINATARIO"), u"Dest"_s, u"EnderDest"_s);
    y += m.party;
    party(0, W / 2, msg("EXPEDIDOR"), u"Exped"_s, u"EnderExped"_s);
    party(W / 2, W / 2, msg("RECEBEDOR"), u"Receb"_s, u"EnderReceb"_s);
    y += m.party;
    // The taker: given in full (toma4) or one of the parties above (toma3).
    static const char16_t *const roles[][2] = {{u"Rem", u"EnderReme"},
                                               {u"Exped", u"EnderExped"},
                                               {u"Receb", u"EnderReceb"},
                                               {u"Dest", u"EnderDest"}};
    const int role = d.value(u"Toma3"_s, u"toma"_s).toInt();
    if (!d.rows(u"Toma4"_s).isEmpty() || role < 0 || role > 3) {
        party(0, W, msg("TOMADOR"), u"Toma4"_s, u"EnderToma"_s);
    } else {
        s.box(0, y, W, m.taker);
        const QString who = QString::fromUtf16(roles[role][0]);
        const QString where = QString::fromUtf16(roles[role][1]);
        const auto p = [&](const char *f) {
            return d.value(who, QString::fromLatin1(f));
        };
        const auto a = [&](const char *f) {
            return d.value(where, QString::fromLatin1(f));
        };
        s.text(s.r(0.6, y + 0.3, W - 1.2, 2.4), msg("TOMADOR"), s.label(), Qt::AlignLeft);
        s.text(s.r(1, y + 2.6, W - 2, 3), p("xNome"), s.bold(), Qt::AlignLeft | Qt::AlignVCenter);
        s.text(s.r(1, y + 5.6, W - 2, 3),
               msg("CNPJCPF") + u": "_s + registration(p("CNPJ"), p("CPF")) + u"   "_s + msg("IE")
                   + u": "_s + p("IE") + u"   "_s + msg("MUNICIPIO") + u": "_s + a("xMun")
                   + u" - "_s + a("UF"),
               s.value(), Qt::AlignLeft | Qt::AlignVCenter);
    }
    y += m.taker;
}

void Page::cargo()
{
    const auto c = [this](const char *f) {
        return d.value(u"InfCarga"_s, QString::fromLatin1(f));
    };
    s.field(0, y, W * 0.45, m.cargo, msg("PRODUTO"), c("proPred"));
    s.field(W * 0.45, y, W * 0.35, m.cargo, msg("OUTRAS"), c("xOutCat"));
    s.field(W * 0.8, y, W * 0.2, m.cargo, msg("VALOR_CARGA"), money(c("vCarga")), Qt::AlignRight);
    y += m.cargo;
    const CargoSummary q = cargoSummary(d.rows(u"InfQ"_s));
    static const QLocale br(QLocale::Portuguese, QLocale::Brazil);
    const auto n = [](double v, int decimals) {
        return br.toString(v, 'f', decimals);
    };
    const double w = W / 5;
    s.field(0, y, w, m.cargo, msg("PESO_BRUTO"), n(q.grossKg, 3), Qt::AlignRight);
    s.field(w, y, w, m.cargo, msg("PESO_BASE"), n(q.taxableKg, 3), Qt::AlignRight);
    s.field(2 * w, y, w, m.cargo, msg("PESO_AFERIDO"), n(q.measuredKg, 3), Qt::AlignRight);
    s.field(3 * w, y, w, m.cargo, msg("CUBAGEM"), n(q.cubicMetres, 4), Qt::AlignRight);
    s.field(4 * w, y, w, m.cargo, msg("VOLUMES"), n(q.units, 4), Qt::AlignRight);
    y += m.cargo;
}

void Page::components()
{
    const double h = m.components, wTotals = W * 0.22, wList = W - wTotals;
    s.title(0, y, W, msg("COMPONENTES"));
    const double top = y + kTitle, body = h - kTitle;
    const QList<Row> &comps = d.rows(u"Comp"_s);
    const int perColumn = std::max(1, int((body - 0.5) / 3.0));
    const int columns = 3;
    const double cw = wList / columns;
    s.box(0, top, wList, body);
    for (int i = 0; i < comps.size() && i < perColumn * columns; ++i) {
        const double x = (i / perColumn) * cw, yy = top + 0.5 + (i % perColumn) * 3.0;
        s.text(s.r(x + 1, yy, cw * 0.6, 3), comps.at(i).value(u"xNome"_s), s.value(),
               Qt::AlignLeft | Qt::AlignVCenter);
        s.text(s.r(x + cw * 0.6, yy, cw * 0.4 - 1, 3), money(comps.at(i).value(u"vComp"_s)),
               s.value(), Qt::AlignRight | Qt::AlignVCenter);
    }
    s.field(wList, top, wTotals, body / 2, msg("VALOR_TOTAL"),
            money(d.value(u"VPrest"_s, u"vTPrest"_s)), Qt::AlignRight, true);
    s.field(wList, top + body / 2, wTotals, body / 2, msg("VALOR_RECEBER"),
            money(d.value(u"VPrest"_s, u"vRec"_s)), Qt::AlignRight, true);
    y += h;
}

void Page::tax()
{
    // The one tax group the document carries.
    struct Group
    {
        const char16_t *set, *situation, *base, *rate, *value, *reduction, *st;
    };
    static const Group groups[] = {
        {u"ICMS00", nullptr, u"vBC", u"pICMS", u"vICMS", nullptr, nullptr},
        {u"ICMS20", nullptr, u"vBC", u"pICMS", u"vICMS", u"pRedBC", nullptr},
        {u"ICMS45", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
        {u"ICMS60", u"CST_60", u"vBCSTRet", u"pICMSSTRet", nullptr, nullptr, u"vICMSSTRet"},
        {u"ICMS90", u"CST_90", u"vBC", u"pICMS", u"vICMS", u"pRedBC", nullptr},
        {u"ICMSOutraUF", u"CST_OUTRAUF", u"vBCOutraUF", u"pICMSOutraUF", u"vICMSOutraUF",
         u"pRedBCOutraUF", nullptr},
        {u"ICMSSN", u"CST_SN", nullptr, nullptr, nullptr, nullptr, nullptr},
    };
    s.title(0, y, W, msg("IMPOSTO"));
    QString situation, base, rate, value, reduction, st;
    for (const Group &g : groups) {
        const QString set = QString::fromUtf16(g.set);
        if (d.rows(set).isEmpty())
            continue;
        const auto f = [&](const char16_t *name) {
            return name ? d.value(set, QString::fromUtf16(name)) : QString();
        };
        situation = g.situation ? dacteMsg(QString::fromUtf16(g.situation))
                                : dacteMsg(u"CST_"_s + d.value(set, u"CST"_s));
        base = money(f(g.base));
        rate = money(f(g.rate));
        value = money(f(g.value));
        reduction = money(f(g.reduction));
        st = money(f(g.st));
        break;
    }
    const double top = y + kTitle, h = m.tax - kTitle;
    const double w = W / 8;
    s.field(0, top, 3 * w, h, msg("SIT_TRIB"), situation);
    s.field(3 * w, top, w, h, msg("BASE"), base, Qt::AlignRight);
    s.field(4 * w, top, w, h, msg("ALIQUOTA"), rate, Qt::AlignRight);
    s.field(5 * w, top, w, h, msg("VALOR_ICMS"), value, Qt::AlignRight);
    s.field(6 * w, top, w, h, msg("RED_BC"), reduction, Qt::AlignRight);
    s.field(7 * w, top, w, h, msg("ICMS_ST"), st, Qt::AlignRight);
    y += m.tax;
}

int Page::documents(int first, double height, bool continuation)
{
    const QList<DocumentLine> lines = documentLines(d);
    s.title(0, y, W, continuation ? msg("DOCUMENTOS_CONT") : msg("DOCUMENTOS"));
    const double top = y + kTitle;
    const int perLine = m.documentsPerLine;
    const double cw = W / perLine;
    s.box(0, top, W, height - kTitle);
    for (int c = 0; c < perLine; ++c) {
        const double x = c * cw;
        s.text(s.r(x + 1, top, cw * kKind, 3), msg("TIPO_DOC"), s.label(),
               Qt::AlignLeft | Qt::AlignVCenter);
        s.text(s.r(x + cw * kKind, top, cw * kIssuer, 3), msg("CNPJ_EMITENTE"), s.label(),
               Qt::AlignLeft | Qt::AlignVCenter);
        s.text(s.r(x + cw * (kKind + kIssuer), top, cw * kNumber - 1, 3), msg("SERIE_NRO"),
               s.label(), Qt::AlignLeft | Qt::AlignVCenter);
    }
    const int fit = documentsFitting(m, height);
    int shown = 0;
    for (int i = first; i < lines.size() && shown < fit; ++i, ++shown) {
        const DocumentLine &l = lines.at(i);
        const double x = (shown % perLine) * cw;
        const double yy = top + 3 + (shown / perLine) * kDocumentRow;
        s.text(s.r(x + 1, yy, cw * kKind, kDocumentRow), l.kind, s.small(),
               Qt::AlignLeft | Qt::AlignVCenter);
        s.text(s.r(x + cw * kKind, yy, cw * kIssuer, kDocumentRow), l.issuer, s.small(),
               Qt::AlignLeft | Qt::AlignVCenter);
        s.text(s.r(x + cw * (kKind + kIssuer), yy, cw * kNumber - 1, kDocumentRow), l.number,
               s.small(), Qt::AlignLeft | Qt::AlignVCenter);
    }
    if (first + shown < lines.size())
        s.text(s.r(1, y + height - 3, W - 2, 3), msg("CONTINUA"), s.bold(),
               Qt::AlignRight | Qt::AlignVCenter);
    y += height;
    return shown;
}

void Page::notes()
{
    s.title(0, y, W, msg("OBSERVACOES"));
    QStringList parts;
    if (const QString obs = d.value(u"Compl"_s, u"xObs"_s); !obs.isEmpty())
        parts << obs;
    for (const Row &r : d.rows(u"ObsCont"_s))
        parts << r.value(u"xTexto"_s);
    for (const Row &r : d.rows(u"ObsFisco"_s))
        parts << r.value(u"xTexto"_s);
    if (const QString tributos = d.value(u"ICMS"_s, u"vTotTrib"_s); !tributos.isEmpty())
        parts << msg("TRIBUTOS").arg(money(tributos));
    if (const QString fisco = d.value(u"ICMS"_s, u"infAdFisco"_s); !fisco.isEmpty())
        parts << fisco;
    s.box(0, y + kTitle, W, m.notes - kTitle);
    s.canvas().save();
    const QRectF area = s.r(1, y + kTitle + 0.5, W - 2, m.notes - kTitle - 1);
    s.canvas().clip(area);
    s.text(area, parts.join(u" | "_s), s.value(), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap);
    s.canvas().restore();
    y += m.notes;
}

void Page::modal()
{
    s.title(0, y, W, msg("MODAL_RODO"));
    s.field(0, y + kTitle, W, m.modal - kTitle, msg("RNTRC"), d.value(u"Rodo"_s, u"RNTRC"_s));
    y += m.modal;
}

void Page::reserved()
{
    s.field(0, y, W * 0.6, m.reserved, msg("USO_EMISSOR"), QString());
    s.field(W * 0.6, y, W * 0.4, m.reserved, msg("FISCO"), QString());
    y += m.reserved;
}

void Page::homologation(double top, double height)
{
    if (d.value(u"Ide"_s, u"tpAmb"_s) != u"2")
        return;
    s.text(s.r(0, top + height / 2 - 5, W, 10), msg("HOMOLOGACAO"), {Face::Bold, 15},
           Qt::AlignCenter, QColor(200, 0, 0, 170));
}

void Page::cancelled()
{
    if (!isCancelled(d))
        return;
    const double h = m.pageH - 2 * kMargin;
    s.text(s.r(0, h / 2 - 15, W, 30), msg("CANCELADO"), {Face::Bold, 72}, Qt::AlignCenter,
           QColor(200, 0, 0, 110));
}

} // namespace

bool isCancelled(const DacteData &data)
{
    const QString status = data.value(u"InfProt"_s, u"cStat"_s);
    return status == u"101" || status == u"135";
}

bool isLandscape(const DacteData &data)
{
    return data.value(u"Ide"_s, u"tpImp"_s) == u"2";
}

int pageCount(const DacteData &data)
{
    const Metrics &m = isLandscape(data) ? kLandscape : kPortrait;
    const int count = int(documentLines(data).size());
    // What the first page holds, then whole continuation pages.
    const int first = documentsFitting(m, firstDocumentsHeight(m));
    if (count <= first)
        return 1;
    const int next = documentsFitting(m, continuationDocumentsHeight(m));
    return 1 + (count - first + next - 1) / next;
}

void drawPage(QPainter &painter, const DacteData &data, int page)
{
    PainterCanvas canvas(painter, isLandscape(data) ? kLandscape.pageW : kPortrait.pageW);
    drawPage(canvas, data, page);
}

void drawPage(Canvas &canvas, const DacteData &data, int page)
{
    const int pages = pageCount(data);
    Page p(canvas, data, page);
    p.header(pages);
    if (page == 0) {
        p.identification();
        p.route();
        p.parties();
        p.cargo();
        p.components();
        p.tax();
        const double top = p.y;
        p.documents(0, firstDocumentsHeight(p.m), false);
        p.homologation(top, firstDocumentsHeight(p.m));
        p.notes();
        p.modal();
        p.reserved();
    } else {
        const int first = documentsFitting(p.m, firstDocumentsHeight(p.m))
            + (page - 1) * documentsFitting(p.m, continuationDocumentsHeight(p.m));
        const double top = p.y;
        p.documents(first, continuationDocumentsHeight(p.m), true);
        p.homologation(top, continuationDocumentsHeight(p.m));
    }
    p.cancelled();
}

} // namespace dacte
