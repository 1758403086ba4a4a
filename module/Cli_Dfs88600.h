#pragma once

#include <QDialog>
#include <QPointer>

class QVBoxLayout;
class TDBGrid;
class TMessages;

// The return-detail window: the per-document result of the DACTE generation, from the editor's
// data. A plain dialog centred on the screen; closing only hides it, and it is shown again as it
// is.
class TfrmDetalheRetorno : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmDetalheRetorno(QWidget *parent = nullptr);

    TMessages *msgPadrao = nullptr;
    // Read-only; shows the editor's dtsDetalheRetorno (bound each time the window is shown).
    TDBGrid *dbgDetalheRetorno = nullptr;
    QVBoxLayout *ClientLayout() const { return m_layout; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    QVBoxLayout *m_layout = nullptr;
};

namespace Cli_Dfs88600 {

extern QPointer<TfrmDetalheRetorno> frmDetalheRetorno;
extern bool boIdCriado;

// Shows the window modally, created on first use.
void CriaDetalheRetorno();

// The unit's state at package load (tests call it between cases).
void ResetUnit();

} // namespace Cli_Dfs88600
