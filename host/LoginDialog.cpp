#include "LoginDialog.h"

#include "Exceptions.h"
#include "HostCatalogue.h"
#include "Messages.h"

#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TLoginDialog::TLoginDialog(const TLoginValues &initial, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(u"dlgLogin"_s);
    setWindowTitle(HostMsg(u"HOST_LOGIN_TITULO"_s));

    auto make = [this](const QString &name, const QString &text) {
        auto *e = new QLineEdit(text, this);
        e->setObjectName(name);
        return e;
    };
    m_user = make(u"edtUsuario"_s, initial.user);
    m_password = make(u"edtSenha"_s, initial.password);
    m_password->setEchoMode(QLineEdit::Password);
    m_company = make(u"edtEmpresa"_s, initial.company);
    m_company->setMaxLength(2);
    m_branch = make(u"edtFilial"_s, initial.branch);
    m_branch->setMaxLength(4);
    m_date = new QDateEdit(initial.date.isValid() ? initial.date : QDate::currentDate(), this);
    m_date->setObjectName(u"depDataProc"_s);
    m_date->setCalendarPopup(true);
    m_date->setDisplayFormat(u"dd/MM/yyyy"_s);
    m_server = make(u"edtServidor"_s, initial.serverHost);
    m_port = new QSpinBox(this);
    m_port->setObjectName(u"spnPorta"_s);
    m_port->setRange(1, 65535);
    m_port->setValue(initial.serverPort);
    m_database = make(u"edtBanco"_s, initial.database);
    m_database->setMinimumWidth(320);

    auto *form = new QFormLayout;
    form->addRow(HostMsg(u"HOST_USUARIO"_s), m_user);
    form->addRow(HostMsg(u"HOST_SENHA"_s), m_password);
    form->addRow(HostMsg(u"HOST_EMPRESA"_s), m_company);
    form->addRow(HostMsg(u"HOST_FILIAL"_s), m_branch);
    form->addRow(HostMsg(u"HOST_DATA_PROC"_s), m_date);
    form->addRow(HostMsg(u"HOST_SERVIDOR"_s), m_server);
    form->addRow(HostMsg(u"HOST_PORTA"_s), m_port);
    form->addRow(HostMsg(u"HOST_BANCO"_s), m_database);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *enter
        = buttons->addButton(HostMsg(u"HOST_ENTRAR"_s), QDialogButtonBox::AcceptRole);
    enter->setObjectName(u"btnEntrar"_s);
    enter->setDefault(true);
    QPushButton *quit = buttons->addButton(HostMsg(u"HOST_SAIR"_s), QDialogButtonBox::RejectRole);
    quit->setObjectName(u"btnSair"_s);
    connect(buttons, &QDialogButtonBox::accepted, this, &TLoginDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TLoginDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    // The first empty field gets the focus: usually the password.
    for (QLineEdit *e : {m_user, m_password, m_company, m_branch}) {
        if (e->text().isEmpty()) {
            e->setFocus();
            break;
        }
    }
}

TLoginValues TLoginDialog::Values() const
{
    TLoginValues v;
    v.user = m_user->text().trimmed();
    v.password = m_password->text();
    v.company = m_company->text().trimmed();
    v.branch = m_branch->text().trimmed();
    v.date = m_date->date();
    v.serverHost = m_server->text().trimmed();
    v.serverPort = m_port->value();
    v.database = m_database->text().trimmed();
    return v;
}

void TLoginDialog::accept()
{
    const QString missing = Values().MissingKey();
    if (!missing.isEmpty()) {
        ShowMsg(TMsgKind::Warning, HostMsg(missing));
        QWidget *field = m_user;
        if (missing == u"HOST_EMPRESA_DEVE"_s)
            field = m_company;
        else if (missing == u"HOST_FILIAL_DEVE"_s)
            field = m_branch;
        else if (missing == u"HOST_SERVIDOR_DEVE"_s)
            field = m_server;
        field->setFocus();
        return;
    }
    QDialog::accept();
}
