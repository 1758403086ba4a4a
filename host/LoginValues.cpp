#include "LoginValues.h"

#include "HostOptions.h"
#include "Orvglob.h"
#include "StrUtils.h"

#include <QSettings>

using namespace Qt::StringLiterals;

TLoginValues TLoginValues::Remembered(const QSettings &settings)
{
    TLoginValues v;
    v.user = settings.value(u"login/user"_s).toString();
    v.company = settings.value(u"login/company"_s).toString();
    v.branch = settings.value(u"login/branch"_s).toString();
    v.serverHost = settings.value(u"login/serverHost"_s, v.serverHost).toString();
    v.serverPort = settings.value(u"login/serverPort"_s, v.serverPort).toInt();
    v.database = settings.value(u"login/database"_s).toString();
    v.date = QDate::currentDate();
    return v;
}

void TLoginValues::Remember(QSettings &settings) const
{
    settings.setValue(u"login/user"_s, user);
    settings.setValue(u"login/company"_s, company);
    settings.setValue(u"login/branch"_s, branch);
    settings.setValue(u"login/serverHost"_s, serverHost);
    settings.setValue(u"login/serverPort"_s, serverPort);
    settings.setValue(u"login/database"_s, database);
    settings.remove(u"login/password"_s);
    settings.sync();
}

void TLoginValues::Apply(const THostOptions &o)
{
    if (o.user)
        user = *o.user;
    if (o.password)
        password = *o.password;
    if (o.company)
        company = *o.company;
    if (o.branch)
        branch = *o.branch;
    if (o.date)
        date = *o.date;
    if (o.serverHost)
        serverHost = *o.serverHost;
    if (o.serverPort)
        serverPort = *o.serverPort;
    if (o.database)
        database = *o.database;
}

QString TLoginValues::MissingKey() const
{
    if (user.trimmed().isEmpty())
        return u"HOST_USUARIO_DEVE"_s;
    if (company.trimmed().isEmpty())
        return u"HOST_EMPRESA_DEVE"_s;
    if (branch.trimmed().isEmpty())
        return u"HOST_FILIAL_DEVE"_s;
    if (!date.isValid())
        return u"HOST_DATA_DEVE"_s;
    if (serverHost.trimmed().isEmpty())
        return u"HOST_SERVIDOR_DEVE"_s;
    if (serverPort < 1 || serverPort > 65535)
        return u"HOST_PORTA_DEVE"_s;
    return {};
}

void TLoginValues::Publish() const
{
    Orvglob::UsuarioProc = user.trimmed();
    Orvglob::SenhaProc = password;
    Orvglob::EmprProc = Ajusta(company, 2);
    Orvglob::FiliProc = branch.trimmed();
    Orvglob::DataProc = date;
    Orvglob::WebURL = serverHost.trimmed();
    Orvglob::WebPort = serverPort;
    Orvglob::DBConnection = database.trimmed();
}
