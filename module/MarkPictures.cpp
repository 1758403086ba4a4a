#include "MarkPictures.h"

#include "DBGrid.h"

#include <QLabel>
#include <QPainter>

namespace {

// The pictures are drawn on olive, the colour that stands for "transparent".
const QColor kOliva(128, 128, 0);

QPixmap desenhaMarca(TMarca marca)
{
    QImage img(16, 16, QImage::Format_ARGB32);
    img.fill(kOliva);
    QPainter p(&img);
    const QRect caixa(2, 2, 12, 12);
    const bool cinza = marca == TMarca::Cinza;
    p.fillRect(caixa, cinza ? QColor(192, 192, 192) : Qt::white);
    p.setPen(cinza ? QColor(128, 128, 128) : QColor(64, 64, 64));
    p.drawRect(caixa.adjusted(0, 0, -1, -1));
    if (marca != TMarca::Vazia) {
        p.setPen(QPen(cinza ? QColor(96, 96, 96) : Qt::black, 2));
        p.drawPolyline(QPolygon({QPoint(4, 8), QPoint(7, 11), QPoint(12, 4)}));
    }
    p.end();
    const QRgb oliva = kOliva.rgb();
    for (int y = 0; y < img.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            if (line[x] == oliva)
                line[x] = qRgba(0, 0, 0, 0);
        }
    }
    return QPixmap::fromImage(img);
}

} // namespace

QLabel *CriaImagemMarca(QWidget *parent, const QString &name, TMarca marca)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setPixmap(desenhaMarca(marca));
    label->setFixedSize(16, 16);
    label->hide();
    return label;
}

void DesenhaMarca(QPainter *painter, const QRect &rect, int state, const QPalette &palette,
                  const QPixmap &marca)
{
    painter->fillRect(rect, (state & gdSelected) ? palette.highlight() : palette.base());
    if (!marca.isNull())
        painter->drawPixmap(QRect(rect.left() + 4, rect.top(), marca.width(), rect.height()), marca,
                            QRect(0, 0, marca.width(), rect.height()));
}
