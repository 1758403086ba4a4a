#pragma once

#include "TfrmRotiGeral.h"

#include <QPlainTextEdit>
#include <QPointer>
#include <QVariantList>

class QGroupBox;
class TDBEdit;
class TDateEditPlus;

// A one-paragraph memo: Enter does not break the line.
class TMemoParagrafo : public QPlainTextEdit
{
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;
};

// The cancellation dialog: shows the editor's current document and asks the justification for
// cancelling it.
class TfrmCancelaCTe : public TfrmRotiGeral
{
    Q_OBJECT
public:
    explicit TfrmCancelaCTe(QWidget *parent = nullptr);

    QGroupBox *grbCte = nullptr;
    TDBEdit *dbeNumeroCTe = nullptr;
    TDBEdit *dbeSerieCTe = nullptr;
    TDBEdit *dbeNrAcessoCTe = nullptr;
    TDBEdit *dbeModDocFiscal = nullptr;
    TDateEditPlus *depDataEmissao = nullptr;
    QGroupBox *grbMotivo = nullptr;
    TMemoParagrafo *memMotivoCancelaCTe = nullptr;

protected:
    void FormShow() override;
    void FormClose(TCloseAction &action) override;
    void sbtConfirmaClick() override;
    void sbtCancelClick() override;
};

namespace Cli_Dfs88400 {

extern QPointer<TfrmCancelaCTe> frmCancelaCTe;
extern bool boIdCriado;
extern bool boConfirma;
extern QString stMotivoCancelaCTe;

// Shows the dialog modally; always returns two elements: whether the user confirmed and
// the justification last stored.
QVariantList CriaCancelaCTe();

// The unit's state at package load (tests call it between cases).
void ResetUnit();

} // namespace Cli_Dfs88400
