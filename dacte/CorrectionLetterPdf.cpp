#include "CorrectionLetterPdf.h"

#include "DacteMessages.h"
#include "PdfWriter.h"
#include "Sheet.h"
#include "TextLayout.h"

using namespace Qt::StringLiterals;

namespace dacte {

namespace {

// Millimetres of the A4 page and its margin.
constexpr double kPageW = 210;
constexpr double kPageH = 297;
constexpr double kMargin = 10;
constexpr double kWidth = kPageW - 2 * kMargin;
constexpr int kWrap = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

// The letter's fields are larger than the DACTE's: a caption and one bold line in 10 mm.
void field(Sheet &s, double x, double y, double w, const QString &caption, const QString &value)
{
    s.box(x, y, w, 10);
    s.text(s.r(x + 1, y + 0.5, w - 2, 3), caption, {Face::Regular, 6}, kWrap);
    s.text(s.r(x + 1, y + 4, w - 2, 6), value, {Face::Bold, 9}, Qt::AlignLeft | Qt::AlignVCenter);
}

QString moment(const QDateTime &t)
{
    return t.isValid() ? t.toString(u"dd/MM/yyyy HH:mm:ss"_s) : QString();
}

} // namespace

QByteArray correctionLetterPdf(const CorrectionLetterData &d)
{
    pdf::PdfWriter writer;
    Sheet s(writer.newPage(kPageW, kPageH), kPageW, kMargin);

    s.text(s.r(0, 0, kWidth, 8), dacteMsg(u"CCE_TITULO"_s), {Face::Bold, 14}, Qt::AlignCenter);
    double y = 10;
    field(s, 0, y, 130, dacteMsg(u"CCE_EMITENTE"_s), d.issuerName);
    field(s, 130, y, 60, dacteMsg(u"CCE_CNPJ"_s), d.issuerCnpj);
    y += 10;
    field(s, 0, y, 130, dacteMsg(u"CHAVE"_s), d.accessKey);
    field(s, 130, y, 30, dacteMsg(u"NUMERO"_s), d.number);
    field(s, 160, y, 30, dacteMsg(u"SERIE"_s), d.series);
    y += 10;
    field(s, 0, y, 30, dacteMsg(u"CCE_SEQUENCIA"_s), QString::number(d.sequence));
    field(s, 30, y, 50, dacteMsg(u"CCE_DATA_EVENTO"_s), moment(d.eventAt));
    field(s, 80, y, 50, dacteMsg(u"CCE_PROTOCOLO"_s), d.protocol);
    field(s, 130, y, 60, dacteMsg(u"CCE_REGISTRO"_s), moment(d.registeredAt));
    y += 14;

    // The corrections, one row each, as tall as its longest text needs; the condition of use
    // keeps its place at the foot of the page.
    const double columns[] = {0, 35, 70, 85, kWidth};
    const QString headers[] = {dacteMsg(u"CCE_GRUPO"_s), dacteMsg(u"CCE_CAMPO"_s),
                               dacteMsg(u"CCE_ITEM"_s), dacteMsg(u"CCE_VALOR"_s)};
    s.box(0, y, kWidth, 6);
    for (int c = 0; c < 4; ++c)
        s.text(s.r(columns[c] + 1, y + 1, columns[c + 1] - columns[c] - 2, 5), headers[c],
               {Face::Bold, 7}, kWrap);
    y += 6;
    const TextStyle cell {Face::Regular, 8};
    const double line = lineHeight(cell);
    const double footer = kPageH - 2 * kMargin - 40;
    for (const CorrectionLetterData::Item &item : d.corrections) {
        const double room = footer - y;
        if (room < 6) {
            s.text(s.r(0, y, kWidth, 5), u"…"_s, cell, kWrap);
            break;
        }
        const QString texts[]
            = {item.group, item.field, item.item > 0 ? QString::number(item.item) : QString(),
               item.value};
        QStringList cells[4];
        qsizetype lines = 1;
        for (int c = 0; c < 4; ++c) {
            cells[c] = wrapped(cell, texts[c], columns[c + 1] - columns[c] - 2);
            lines = std::max(lines, cells[c].size());
        }
        // A row taller than the room left keeps the lines that fit, the last one ending in "…".
        const qsizetype fit = std::min(lines, qsizetype((room - 1) / line));
        const double h = std::max(5.0, double(fit) * line + 1);
        for (int c = 0; c < 4; ++c) {
            QStringList shown = cells[c].mid(0, fit);
            if (shown.size() < cells[c].size())
                shown.last() = elided(cell, shown.last() + u'…', columns[c + 1] - columns[c] - 2);
            s.text(s.r(columns[c] + 1, y + 0.5, columns[c + 1] - columns[c] - 2, h),
                   shown.join(u'\n'), cell, kWrap);
        }
        s.box(0, y, kWidth, h);
        y += h;
    }
    s.box(0, footer + 2, kWidth, 38);
    s.text(s.r(1, footer + 3, kWidth - 2, 4), dacteMsg(u"CCE_CONDICAO"_s), {Face::Regular, 6},
           kWrap);
    s.text(s.r(1, footer + 7, kWidth - 2, 32), d.condition, {Face::Regular, 7}, kWrap);
    return writer.finish();
}

} // namespace dacte
