// E-mail of the current accepted document (EnviaEmailCTe), or of every pending one of the list
// (EnviaEmailPendenteCTe), with the per-document outcome in the e-mail window.
#include "Cli_Dfs88000.h"
#include "Cli_Dfs88500.h"

#include "ClientDataSet.h"
#include "DocumentStatus.h"
#include "Exceptions.h"
#include "Field.h"
#include "Messages.h"
#include "Orvglob.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>

using namespace Qt::StringLiterals;
using namespace Cli_Dfs88000;

void TfrmCTe::criaEmail()
{
    connect(sbtEnviaEmailCTe, &QToolButton::clicked, this,
            [this] { FrameworkGuard([this] { sbtEnviaEmailCTeClick(); }); });
    for (QAction *a : {mnuEnviaEmailCTeSeleBotao, mnuEnviaEmailCTeSeleMenu})
        connect(a, &QAction::triggered, this,
                [this] { FrameworkGuard([this] { mnuEnviaEmailCTeSeleBotaoClick(); }); });
    for (QAction *a : {mnuEnviaEmailCTePendBotao, mnuEnviaEmailCTePendMenu})
        connect(a, &QAction::triggered, this,
                [this] { FrameworkGuard([this] { mnuEnviaEmailCTePendBotaoClick(); }); });
    cdsEnvioEmailCTe->FieldByName(u"IDEMAILCTE"_s)->OnGetText
        = [this](TField *f, QString &text, bool displayText) {
              cdsEnvioEmailCTeIDEMAILCTEGetText(f, text, displayText);
          };
}

void TfrmCTe::cdsEnvioEmailCTeIDEMAILCTEGetText(TField *sender, QString &text, bool)
{
    text = EmailText(sender->AsString(), *msgPadrao);
}

void TfrmCTe::sbtEnviaEmailCTeClick()
{
    if (!sbtEnviaEmailCTe->isEnabled())
        return;
    // Just under the button, whose parent is the toolbar.
    const QPoint canto = sbtEnviaEmailCTe->parentWidget()->mapToGlobal(sbtEnviaEmailCTe->pos());
    pmnEmailCTe->popup(QPoint(canto.x(), canto.y() + 21));
}

void TfrmCTe::mnuEnviaEmailCTeSeleBotaoClick()
{
    if (cdsCTe->FieldByName(u"IDSTATUSCTE"_s)->AsString() != u"A")
        return;
    const double cdCte = cdsCTe->FieldByName(u"CDCTE"_s)->AsFloat();
    const QVariant reply = chamaServidor(u"EnviaEmailCTe"_s, {cdCte, Orvglob::FiliProc});
    if (reply.typeId() == QMetaType::QString)
        MensErro(reply.toString(), true);
    const QVariantList elementos = reply.toList();
    try {
        RecarregaLista();
        cdsCTe->Locate(u"CDCTE"_s, cdCte);
        abreVazio(cdsEnvioEmailCTe);
        const bool enviado = elementos.value(0).toString() == u"S";
        cdsEnvioEmailCTe->Append();
        cdsEnvioEmailCTe->FieldByName(u"CDCTE"_s)
            ->SetValue(cdsCTe->FieldByName(u"CDCTE"_s)->Value());
        cdsEnvioEmailCTe->FieldByName(u"NRCTE"_s)
            ->SetValue(cdsCTe->FieldByName(u"NRCTE"_s)->Value());
        cdsEnvioEmailCTe->FieldByName(u"IDEMAILCTE"_s)->SetAsString(enviado ? u"E"_s : u"P"_s);
        cdsEnvioEmailCTe->FieldByName(u"DSOBSEMAILCTE"_s)
            ->SetAsString(enviado ? msgPadrao->Msg(u"EMAIL_ENVIADO_SUCESSO"_s)
                                  : elementos.value(1).toString());
        cdsEnvioEmailCTe->Post();
    } catch (...) {
        cdsCTe->Locate(u"CDCTE"_s, cdCte);
        throw;
    }
    Cli_Dfs88500::CriaEnvioEmailCTe();
}

void TfrmCTe::mnuEnviaEmailCTePendBotaoClick()
{
    const QVariant reply
        = chamaServidor(u"EnviaEmailPendenteCTe"_s, {cdsCTe->Data(), Orvglob::FiliProc});
    if (reply.typeId() == QMetaType::QString)
        MensErro(reply.toString(), true);
    const QVariantList elementos = reply.toList();
    if (elementos.value(0).toString() != u"S")
        MensErro(elementos.value(1).toString(), true);
    abreVazio(cdsEnvioEmailCTe);
    cdsEnvioEmailCTe->SetData(elementos.value(1));
    RecarregaLista();
    Cli_Dfs88500::CriaEnvioEmailCTe();
}
