#include "CorrectionLetterPdf.h"

#include "DacteMessages.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

using namespace Qt::StringLiterals;

namespace dacte {

namespace {

// Millimetres of the A4 page and its margin.
constexpr double kPageW = 210;
constexpr double kPageH = 297;
constexpr double kMargin = 10;
constexpr double kWidth = kPageW - 2 * kMargin;

QFont font(double points, bool bold = false)
{
    QFont f(u"DejaVu Sans"_s);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

// Draws in millimetres from the top-left margin.
class Sheet
{
public:
    Sheet(QPainter &p, double dotsPerMm)
        : m_p(p)
        , m_scale(dotsPerMm)
    {
        m_p.setPen(QPen(Qt::black, 0.2 * m_scale));
    }
    QRectF r(double x, double y, double w, double h) const
    {
        return {(kMargin + x) * m_scale, (kMargin + y) * m_scale, w * m_scale, h * m_scale};
    }
    void box(double x, double y, double w, double h) { m_p.drawRect(r(x, y, w, h)); }
    // Draws `text` wrapped in the box; the height it took, in millimetres.
    double text(double x, double y, double w, double h, const QString &text, const QFont &f,
                int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap)
    {
        m_p.setFont(f);
        QRectF used;
        m_p.drawText(r(x, y, w, h), flags, text, &used);
        return used.height() / m_scale;
    }
    void field(double x, double y, double w, const QString &caption, const QString &value)
    {
        box(x, y, w, 10);
        text(x + 1, y + 0.5, w - 2, 3, caption, font(6));
        text(x + 1, y + 4, w - 2, 6, value, font(9, true), Qt::AlignLeft | Qt::AlignVCenter);
    }

private:
    QPainter &m_p;
    double m_scale;
};

QString moment(const QDateTime &t)
{
    return t.isValid() ? t.toString(u"dd/MM/yyyy HH:mm:ss"_s) : QString();
}

} // namespace

QByteArray correctionLetterPdf(const CorrectionLetterData &d)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(600);
    writer.setCreator(dacteMsg(u"CCE_TITULO"_s));
    writer.setTitle(d.accessKey);
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    QPainter painter(&writer);
    Sheet s(painter, writer.resolution() / 25.4);

    s.text(0, 0, kWidth, 8, dacteMsg(u"CCE_TITULO"_s), font(14, true), Qt::AlignCenter);
    double y = 10;
    s.field(0, y, 130, dacteMsg(u"CCE_EMITENTE"_s), d.issuerName);
    s.field(130, y, 60, dacteMsg(u"CCE_CNPJ"_s), d.issuerCnpj);
    y += 10;
    s.field(0, y, 130, dacteMsg(u"CHAVE"_s), d.accessKey);
    s.field(130, y, 30, dacteMsg(u"NUMERO"_s), d.number);
    s.field(160, y, 30, dacteMsg(u"SERIE"_s), d.series);
    y += 10;
    s.field(0, y, 30, dacteMsg(u"CCE_SEQUENCIA"_s), QString::number(d.sequence));
    s.field(30, y, 50, dacteMsg(u"CCE_DATA_EVENTO"_s), moment(d.eventAt));
    s.field(80, y, 50, dacteMsg(u"CCE_PROTOCOLO"_s), d.protocol);
    s.field(130, y, 60, dacteMsg(u"CCE_REGISTRO"_s), moment(d.registeredAt));
    y += 14;

    // The corrections, one row each, as tall as the new value needs; the condition of use keeps
    // its place at the foot of the page.
    const double columns[] = {0, 35, 70, 85, kWidth};
    const QString headers[] = {dacteMsg(u"CCE_GRUPO"_s), dacteMsg(u"CCE_CAMPO"_s),
                               dacteMsg(u"CCE_ITEM"_s), dacteMsg(u"CCE_VALOR"_s)};
    s.box(0, y, kWidth, 6);
    for (int c = 0; c < 4; ++c)
        s.text(columns[c] + 1, y + 1, columns[c + 1] - columns[c] - 2, 5, headers[c],
               font(7, true));
    y += 6;
    const double footer = kPageH - 2 * kMargin - 40;
    for (const CorrectionLetterData::Item &item : d.corrections) {
        const double room = footer - y;
        if (room < 6) {
            s.text(0, y, kWidth, 5, u"…"_s, font(8));
            break;
        }
        const double h
            = std::min(room,
                       std::max(5.0,
                                s.text(columns[3] + 1, y + 0.5, columns[4] - columns[3] - 2, room,
                                       item.value, font(8))
                                    + 1));
        s.text(columns[0] + 1, y + 0.5, columns[1] - columns[0] - 2, h, item.group, font(8));
        s.text(columns[1] + 1, y + 0.5, columns[2] - columns[1] - 2, h, item.field, font(8));
        s.text(columns[2] + 1, y + 0.5, columns[3] - columns[2] - 2, h,
               item.item > 0 ? QString::number(item.item) : QString(), font(8));
        s.box(0, y, kWidth, h);
        y += h;
    }
    s.box(0, footer + 2, kWidth, 38);
    s.text(1, footer + 3, kWidth - 2, 4, dacteMsg(u"CCE_CONDICAO"_s), font(6));
    s.text(1, footer + 7, kWidth - 2, 32, d.condition, font(7));
    painter.end();
    return bytes;
}

} // namespace dacte
