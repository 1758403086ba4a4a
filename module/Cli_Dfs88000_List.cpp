// The document list: the mark column's pictures, marking by double click, space bar and title
// click with the limit of marks, and the texts of the status, the e-mail state and the footer.
#include "Cli_Dfs88000.h"

#include "ClientDataSet.h"
#include "DBGrid.h"
#include "DataSource.h"
#include "DocumentStatus.h"
#include "Exceptions.h"
#include "ListMarking.h"
#include "MarkPictures.h"
#include "Messages.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>

using namespace Qt::StringLiterals;
using namespace Cli_Dfs88000;

void TfrmCTe::criaListaDocumentos()
{
    imgUncheck = CriaImagemMarca(this, u"imgUncheck"_s, TMarca::Vazia);
    imgCheck = CriaImagemMarca(this, u"imgCheck"_s, TMarca::Marcada);
    imgGray = CriaImagemMarca(this, u"imgGray"_s, TMarca::Cinza);

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
    DesenhaMarca(painter, rect, state, dbgPadrao->palette(), MarcaDaLinha(row));
    return true;
}

// --- 2. one mark -------------------------------------------------------------------------------

TMarkHandlers TfrmCTe::manipuladoresMarca()
{
    return {[this] {
                // A transmitted document is marked too, though it may not be edited.
                m_beforeEdit = cdsCTe->BeforeEdit;
                m_beforePost = cdsCTe->BeforePost;
                m_afterPost = cdsCTe->AfterPost;
                cdsCTe->BeforeEdit = nullptr;
                cdsCTe->BeforePost = nullptr;
                cdsCTe->AfterPost = nullptr;
                m_estadoLigado = false;
            },
            [this] {
                cdsCTe->BeforeEdit = m_beforeEdit;
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
