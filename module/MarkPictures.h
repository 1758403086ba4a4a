#pragma once

#include <QPixmap>
#include <QString>

class QLabel;
class QPainter;
class QPalette;
class QRect;
class QWidget;

// The pictures of a list's mark column, held by hidden labels (imgCheck, imgUncheck, imgGray)
// as the windows keep them, and their drawing in a cell.
enum class TMarca { Vazia, Marcada, Cinza };

QLabel *CriaImagemMarca(QWidget *parent, const QString &name, TMarca marca);

// Fills the cell with the grid's brush and draws `marca` 4 pixels from its left edge, at its
// top, as wide as the picture and as high as the cell.
void DesenhaMarca(QPainter *painter, const QRect &rect, int state, const QPalette &palette,
                  const QPixmap &marca);
