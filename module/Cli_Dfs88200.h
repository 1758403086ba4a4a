#pragma once

#include "TfrmRotiGeral.h"

#include <QPointer>

class QAction;
class QLabel;
class QToolButton;
class TClientDataSet;
class TDBGrid;
class TDataSource;
class TField;

// The batch status window: lists the transmission batches the server knows and settles the
// documents of the marked ones. It works on the editor's server connection and lists.
class TfrmAtualizaLoteCTe : public TfrmRotiGeral
{
    Q_OBJECT
public:
    explicit TfrmAtualizaLoteCTe(QWidget *parent = nullptr);

    TClientDataSet *cdsAtualizaLoteCTe = nullptr;
    TDataSource *dtsAtualizaLoteCTe = nullptr;
    TDBGrid *dbgPadrao = nullptr;
    QToolButton *sbtAtualiza = nullptr;
    QAction *actAtualizar = nullptr;
    QLabel *imgCheck = nullptr;
    QLabel *imgUncheck = nullptr;

    // Fetches the batch list anew (GetAtualizaLoteCTe): every mark goes.
    void CarregaLotes();

protected:
    void FormShow() override;
    void FormClose(TCloseAction &action) override;
    void sbtConfirmaClick() override;

private:
    void preparaCampos();
    void trocaMarca();
    void dbgPadraoTitleClick(int column);
    bool dbgPadraoDrawColumnCell(QPainter *painter, const QRect &rect, TField *field, int row,
                                 int state);
    bool colunaMarca(int column) const;
};

namespace Cli_Dfs88200 {

extern QPointer<TfrmAtualizaLoteCTe> frmAtualizaLoteCTe;
extern bool boIdCriado;

// Shows the window modally, created on first use; without the editor its list stays empty.
void CriaAtualizaLoteCTe();

// The unit's state at package load (tests call it between cases).
void ResetUnit();

} // namespace Cli_Dfs88200
