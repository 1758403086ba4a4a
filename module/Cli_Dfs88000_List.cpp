// The document list: the mark column's pictures, marking by double click, space bar and title
// click with the limit of marks, and the texts of the status, the e-mail state and the footer.
#include "Cli_Dfs88000.h"

#include "ClientDataSet.h"
#include "DBGrid.h"
#include "DataSource.h"
#include "DocumentStatus.h"
#include "Exceptions.h"
#include "ListMarking.h"
#include "Messages.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>

using namespace Qt::StringLiterals;
using namespace Cli_Dfs88000;

namespace {

// The pictures are drawn on olive, the colour that stands for "transparent".
const QColor kOliva(128, 128, 0);

enum class TMarca { Vazia, Marcada, Cinza };

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

QLabel *imagem(QWidget *parent, const QString &name, TMarca marca)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setPixmap(desenhaMarca(marca));
    label->setFixedSize(16, 16);
    label->hide();
    return label;
}

} // namespace

void TfrmCTe::criaListaDocumentos()
{
    imgUncheck = imagem(this, u"imgUncheck"_s, TMarca::Vazia);
    imgCheck = imagem(this, u"imgCheck"_s, TMarca::Marcada);
    imgGray = imagem(this, u"imgGray"_s, TMarca::Cinza);

    dbgPadrao->OnDrawColumnCell
        = [this](QPainter *painter, const QRect &rect, int, TField *field, int row, int state) {
              return dbgPadraoDrawColumnCell(painter, rect, field, row, state);
          };
    dbgPadrao->OnDblClick = [this] {
        dbgPadraoDblClick();
    };
    dbgPadrao->OnTitleClick = [this](int column) {
        dbgPadraoTitleClick(column);
    };

    cdsCTe->FieldByName(u"IDSTATUSCTE"_s)->OnGetText = [this](TField *f, QString &text, bool) {
        text = StatusText(f->AsString(), *msgListaDados);
    };
    cdsCTe->FieldByName(u"IDEMAILCTE"_s)->OnGetText = [this](TField *f, QString &text, bool) {
        text = EmailText(f->AsString(), *msgPadrao);
    };
    cdsCTe->OnCalcFields = [this](TClientDataSet *ds) {
        ds->FieldByName(u"RODAPE"_s)
            ->SetAsString(FooterText(false, ds->FieldByName(u"CDCTE"_s)->AsString(),
                                     ds->FieldByName(u"NRCTE"_s)->AsString(), *msgPadrao));
    };
}

// --- 1. the mark column ------------------------------------------------------------------------

QPixmap TfrmCTe::MarcaDaLinha(int row) const
{
    const TField *check = cdsCTe->FieldByName(u"IDCHECK"_s);
    const TField *status = cdsCTe->FieldByName(u"IDSTATUSCTE"_s);
    const QString valor = cdsCTe->ValueAt(row, check).toString();
    QPixmap marca;
    if (valor == u"S"_s)
        marca = imgCheck->pixmap();
    else if (valor == u"N"_s)
        marca = imgUncheck->pixmap();
    if (StatusGreyMark(cdsCTe->ValueAt(row, status).toString()))
        marca = imgGray->pixmap();
    return marca;
}

bool TfrmCTe::dbgPadraoDrawColumnCell(QPainter *painter, const QRect &rect, TField *field, int row,
                                      int state)
{
    if (!cdsCTe->Active() || cdsCTe->IsEmpty() || !field || field->FieldName() != u"IDCHECK"_s)
        return false;
    const QPalette &pal = dbgPadrao->palette();
    painter->fillRect(rect, (state & gdSelected) ? pal.highlight() : pal.base());
    const QPixmap marca = MarcaDaLinha(row);
    if (!marca.isNull())
        painter->drawPixmap(QRect(rect.left() + 4, rect.top(), marca.width(), rect.height()), marca,
                            QRect(0, 0, marca.width(), rect.height()));
    return true;
}

// --- 2. one mark -------------------------------------------------------------------------------

TMarkHandlers TfrmCTe::manipuladoresMarca()
{
    return {[this] {
                m_beforePost = cdsCTe->BeforePost;
                m_afterPost = cdsCTe->AfterPost;
                cdsCTe->BeforePost = nullptr;
                cdsCTe->AfterPost = nullptr;
                m_estadoLigado = false;
            },
            [this] {
                cdsCTe->BeforePost = m_beforePost;
                cdsCTe->AfterPost = m_afterPost;
                m_estadoLigado = true;
            }};
}

void TfrmCTe::dbgPadraoDblClick()
{
    TMarkOutcome outcome = TMarkOutcome::Ignored;
    try {
        outcome = ToggleMark(cdsCTe, inCount, manipuladoresMarca());
    } catch (...) {
        AtualizaComandos();
        throw;
    }
    AtualizaComandos();
    if (outcome == TMarkOutcome::LimitReached) {
        dbgPadrao->setFocus(Qt::OtherFocusReason);
        MensErro(msgPadrao->Msg(u"SELECAO_MAX"_s));
    }
}

void TfrmCTe::dbgPadraoKeyDown(int &key, Qt::KeyboardModifiers modifiers)
{
    TfrmPadrao::dbgPadraoKeyDown(key, modifiers);
    if (key == Qt::Key_Space) {
        key = 0;
        dbgPadraoDblClick();
    }
}

// --- 3. all marks ------------------------------------------------------------------------------

void TfrmCTe::dbgPadraoTitleClick(int column)
{
    const TField *field = dbgPadrao->ColumnField(column);
    if (!field || field->FieldName() != u"IDCHECK"_s)
        return;
    try {
        ToggleAllMarks(cdsCTe, inCount, manipuladoresMarca());
    } catch (...) {
        AtualizaComandos();
        throw;
    }
    AtualizaComandos();
}
