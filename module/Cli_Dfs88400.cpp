#include "Cli_Dfs88400.h"

#include "DocumentGroup.h"

#include "ControlStyle.h"
#include "Exceptions.h"
#include "HostWindow.h"
#include "Messages.h"
#include "ModuleCatalogues.h"
#include "Screen.h"
#include "StrUtils.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QMimeData>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace Cli_Dfs88400 {

QPointer<TfrmCancelaCTe> frmCancelaCTe;
bool boIdCriado = false;
bool boConfirma = false;
QString stMotivoCancelaCTe;

QVariantList CriaCancelaCTe()
{
    const Screen::HourGlass ampulheta;
    if (!boIdCriado) {
        frmCancelaCTe = new TfrmCancelaCTe(HostMainWindow());
        boIdCriado = true;
    }
    frmCancelaCTe->ShowModal();
    const QVariantList result {boConfirma, stMotivoCancelaCTe};
    return result;
}

void ResetUnit()
{
    delete frmCancelaCTe.data();
    frmCancelaCTe = nullptr;
    boIdCriado = false;
    boConfirma = false;
    stMotivoCancelaCTe.clear();
}

} // namespace Cli_Dfs88400

using namespace Cli_Dfs88400;

TfrmCancelaCTe::TfrmCancelaCTe(QWidget *parent)
    : TfrmRotiGeral(parent)
{
    setObjectName(u"frmCancelaCTe"_s);
    CarregaCatalogo(msgPadrao, u"Cli_Dfs88400_msgPadrao"_s);
    setWindowTitle(msgPadrao->Msg(u"TITULO_JANELA"_s));
    resize(644, 192);

    const TGrupoDadosCTe dados = CriaGrupoDadosCTe(Client(), msgPadrao);
    grbCte = dados.grbCte;
    dbeNumeroCTe = dados.dbeNumeroCTe;
    dbeSerieCTe = dados.dbeSerieCTe;
    dbeNrAcessoCTe = dados.dbeNrAcessoCTe;
    dbeModDocFiscal = dados.dbeModDocFiscal;
    depDataEmissao = dados.depDataEmissao;
    ClientLayout()->addWidget(grbCte);

    grbMotivo = new QGroupBox(msgPadrao->Msg(u"GRB_MOTIVO"_s), Client());
    grbMotivo->setObjectName(u"grbMotivo"_s);
    auto *motivo = new QVBoxLayout(grbMotivo);
    memMotivoCancelaCTe = new TMemoParagrafo(grbMotivo);
    memMotivoCancelaCTe->setObjectName(u"memMotivoCancelaCTe"_s);
    StyleAsInput(memMotivoCancelaCTe);
    motivo->addWidget(memMotivoCancelaCTe);
    ClientLayout()->addWidget(grbMotivo, 1);
}

void TfrmCancelaCTe::FormShow()
{
    boConfirma = false;
    memMotivoCancelaCTe->setFocus();
}

void TfrmCancelaCTe::sbtConfirmaClick()
{
    // Stored exactly as typed: the server says what the authority would refuse.
    const QString motivo = memMotivoCancelaCTe->toPlainText();
    if (EmptyString(motivo)) {
        memMotivoCancelaCTe->setFocus();
        MensErro(msgPadrao->Msg(u"MOTIVO_DEVE"_s), true);
    }
    if (motivo.size() < 15) {
        memMotivoCancelaCTe->setFocus();
        MensErro(msgPadrao->Msg(u"MOTIVO_MAIOR_15"_s), true);
    }
    boConfirma = true;
    stMotivoCancelaCTe = motivo;
    Close();
}

void TfrmCancelaCTe::sbtCancelClick()
{
    TfrmRotiGeral::sbtCancelClick();
    boConfirma = false;
}

void TfrmCancelaCTe::FormClose(TCloseAction &action)
{
    boIdCriado = false;
    TfrmRotiGeral::FormClose(action);
}

void TMemoParagrafo::keyPressEvent(QKeyEvent *event)
{
    // Swallowed: passed on, the dialog would take it for its default command.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TMemoParagrafo::insertFromMimeData(const QMimeData *source)
{
    // A pasted text stays one paragraph too.
    QString text = source->text();
    text.replace(u"\r\n"_s, u" "_s).replace(u'\n', u' ').replace(u'\r', u' ');
    insertPlainText(text);
}
