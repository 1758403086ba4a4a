#pragma once

#include <QDialog>
#include <QPointer>

class QVBoxLayout;
class TDBGrid;
class TMessages;

// The result-list window: the per-document result of a transmission, from the editor's data.
// A plain dialog centred on the screen; closing (also Esc) only hides it, and it is shown again
// as it is.
class TfrmObservacao : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmObservacao(QWidget *parent = nullptr);

    TMessages *msgPadrao = nullptr;
    // Read-only; shows the editor's dtsResultNotaFiscal (bound each time the window is shown).
    TDBGrid *dbgObservacao = nullptr;
    QVBoxLayout *ClientLayout() const { return m_layout; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    QVBoxLayout *m_layout = nullptr;
};

namespace Cli_Dfs88700 {

extern QPointer<TfrmObservacao> frmObservacao;
extern bool boIdCriado;

// Shows the window modally, created on first use.
void CriaObservacao();

// The unit's state at package load (tests call it between cases).
void ResetUnit();

} // namespace Cli_Dfs88700
