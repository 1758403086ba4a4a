#pragma once

#include "FormTypes.h"

#include <QDialog>

class QLabel;
class QToolButton;
class QVBoxLayout;
class TMessages;

// The routine window: a modal dialog with a command bar (panMenu) holding Confirmar
// (sbtConfirma) and Cancelar (sbtCancel), the screen-code label lblCodTela and the catalogue
// msgPadrao. Descendants place their controls in Client().
//
// Closing (Cancelar, Esc, the frame's close box or Close()) runs FormClose with the action caFree:
// the window is released once its modal loop ends. A descendant may keep it (caHide) or refuse to
// close (caNone). Every handler runs through FrameworkGuard.
class TfrmRotiGeral : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmRotiGeral(QWidget *parent = nullptr);
    ~TfrmRotiGeral() override;

    // Shows the window modally and waits until it closes; returns its modal result.
    int ShowModal();
    void Close();
    // Sets the modal result and closes, as a command button of the window does.
    void SetModalResult(int result);

    QWidget *Client() const { return m_client; }
    QVBoxLayout *ClientLayout() const { return m_clientLayout; }
    void SetCodTela(const QString &code);

    TMessages *msgPadrao = nullptr;
    QWidget *panMenu = nullptr;
    QToolButton *sbtConfirma = nullptr;
    QToolButton *sbtCancel = nullptr;
    QLabel *lblCodTela = nullptr;

    void reject() override;
    void accept() override;

protected:
    virtual void FormShow() { }
    virtual void FormClose(TCloseAction &action);
    virtual void sbtConfirmaClick();
    virtual void sbtCancelClick();

    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *m_client = nullptr;
    QVBoxLayout *m_clientLayout = nullptr;
    int m_pendingResult = Rejected;
};
