#include "TfrmRotiGeral.h"

#include "ContainerFocus.h"

#include "Exceptions.h"
#include "Messages.h"
#include "Screen.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TfrmRotiGeral::TfrmRotiGeral(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(u"frmRotiGeral"_s);
    msgPadrao = new TMessages(this, u"msgPadrao"_s);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    panMenu = new QWidget(this);
    panMenu->setObjectName(u"panMenu"_s);
    auto *bar = new QHBoxLayout(panMenu);
    bar->setContentsMargins(4, 4, 4, 4);

    sbtConfirma = new QToolButton(panMenu);
    sbtConfirma->setObjectName(u"sbtConfirma"_s);
    sbtConfirma->setText(FwMsg(u"FW_CMD_CONFIRMAR"_s));
    sbtConfirma->setToolTip(FwMsg(u"FW_CMD_CONFIRMAR"_s));
    sbtConfirma->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    sbtConfirma->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    sbtCancel = new QToolButton(panMenu);
    sbtCancel->setObjectName(u"sbtCancel"_s);
    sbtCancel->setText(FwMsg(u"FW_CMD_CANCELAR"_s));
    sbtCancel->setToolTip(FwMsg(u"FW_CMD_CANCELAR"_s));
    sbtCancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    sbtCancel->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    lblCodTela = new QLabel(panMenu);
    lblCodTela->setObjectName(u"lblCodTela"_s);

    bar->addWidget(sbtConfirma);
    bar->addWidget(sbtCancel);
    bar->addStretch(1);
    bar->addWidget(lblCodTela);
    outer->addWidget(panMenu);

    m_client = new QWidget(this);
    m_client->setObjectName(u"panFundo"_s);
    m_clientLayout = new QVBoxLayout(m_client);
    outer->addWidget(m_client, 1);

    connect(sbtConfirma, &QToolButton::clicked, this,
            [this] { FrameworkGuard([this] { sbtConfirmaClick(); }); });
    connect(sbtCancel, &QToolButton::clicked, this,
            [this] { FrameworkGuard([this] { sbtCancelClick(); }); });
}

void TfrmRotiGeral::SetCodTela(const QString &code)
{
    lblCodTela->setText(code);
}

int TfrmRotiGeral::ShowModal()
{
    m_pendingResult = Rejected;
    return Screen::ShowModal(this);
}

void TfrmRotiGeral::Close()
{
    close();
}

void TfrmRotiGeral::SetModalResult(int result)
{
    m_pendingResult = result;
    close();
}

void TfrmRotiGeral::reject()
{
    SetModalResult(Rejected);
}

void TfrmRotiGeral::accept()
{
    SetModalResult(Accepted);
}

void TfrmRotiGeral::FormClose(TCloseAction &action)
{
    action = caFree;
}

void TfrmRotiGeral::sbtConfirmaClick()
{
    SetModalResult(Accepted);
}

void TfrmRotiGeral::sbtCancelClick()
{
    SetModalResult(Rejected);
}

void TfrmRotiGeral::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FrameworkGuard([this] { FormShow(); });
}

void TfrmRotiGeral::closeEvent(QCloseEvent *event)
{
    TCloseAction action = caFree;
    const bool ok = FrameworkGuard([&] { FormClose(action); });
    if (!ok || action == caNone) {
        event->ignore();
        return;
    }
    event->accept();
    // Ends the modal loop (if any) and hides the window.
    QDialog::done(m_pendingResult);
    if (action == caFree)
        deleteLater();
}

TfrmRotiGeral::~TfrmRotiGeral()
{
    // The focus leaves the window while QWidget's destructor runs; by then a descendant's
    // container handlers would call into an object that no longer exists.
    ContainerFocus::UnwatchWithin(this);
}
