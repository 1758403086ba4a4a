#include "TfrmDadosGerRel.h"

#include "Messages.h"
#include "ReportDesigner.h"

#include <QStyle>
#include <QToolButton>

using namespace Qt::StringLiterals;

TfrmDadosGerRel::TfrmDadosGerRel(QWidget *parent)
    : TfrmRotiGeral(parent)
{
    setObjectName(u"frmDadosGerRel"_s);
    rpddPadrao = new TReportDesigner(this, u"rpddPadrao"_s);
    sbtConfirma->setText(FwMsg(u"FW_CMD_IMPRIMIR"_s));
    sbtConfirma->setToolTip(FwMsg(u"FW_CMD_IMPRIMIR"_s));
    sbtConfirma->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
}

void TfrmDadosGerRel::sbtConfirmaClick()
{
    rpddPadrao->Execute();
}
