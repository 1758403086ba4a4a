#include "HostOptions.h"

#include "HostCatalogue.h"

#include <QCommandLineParser>
#include <QFile>

using namespace Qt::StringLiterals;

bool ParseServerAddress(const QString &text, QString *host, int *port)
{
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon <= 0)
        return false;
    bool ok = false;
    const int value = text.mid(colon + 1).toInt(&ok);
    if (!ok || value < 1 || value > 65535)
        return false;
    *host = text.left(colon).trimmed();
    *port = value;
    return !host->isEmpty();
}

QDate ParseLoginDate(const QString &text)
{
    QDate date = QDate::fromString(text.trimmed(), u"yyyy-MM-dd"_s);
    if (!date.isValid())
        date = QDate::fromString(text.trimmed(), u"dd/MM/yyyy"_s);
    return date;
}

bool THostOptions::Parse(const QStringList &arguments, THostOptions *options, QString *error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(HostMsg(u"HOST_AJUDA"_s));
    parser.addHelpOption();
    const QCommandLineOption user(u"user"_s, HostMsg(u"HOST_OPT_USUARIO"_s), u"user"_s);
    const QCommandLineOption passwordFile(u"password-file"_s, HostMsg(u"HOST_OPT_SENHA"_s),
                                          u"file"_s);
    const QCommandLineOption company(u"company"_s, HostMsg(u"HOST_OPT_EMPRESA"_s), u"code"_s);
    const QCommandLineOption branch(u"branch"_s, HostMsg(u"HOST_OPT_FILIAL"_s), u"code"_s);
    const QCommandLineOption date(u"date"_s, HostMsg(u"HOST_OPT_DATA"_s), u"date"_s);
    const QCommandLineOption server(u"server"_s, HostMsg(u"HOST_OPT_SERVIDOR"_s), u"host:port"_s);
    const QCommandLineOption db(u"db"_s, HostMsg(u"HOST_OPT_BANCO"_s), u"conn"_s);
    const QCommandLineOption automation(u"automation"_s, HostMsg(u"HOST_OPT_AUTOMACAO"_s),
                                        u"path"_s);
    const QCommandLineOption package(u"package"_s, HostMsg(u"HOST_OPT_PACOTE"_s), u"path"_s);
    const QCommandLineOption openEditor(u"open-editor"_s, HostMsg(u"HOST_OPT_ABRIR_EDITOR"_s));
    parser.addOptions(
        {user, passwordFile, company, branch, date, server, db, automation, package, openEditor});

    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return false;
    }
    THostOptions o;
    if (parser.isSet(u"help"_s)) {
        o.helpText = parser.helpText();
        *options = o;
        return true;
    }
    if (parser.isSet(user))
        o.user = parser.value(user);
    if (parser.isSet(passwordFile)) {
        QFile file(parser.value(passwordFile));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            *error = HostMsg(u"HOST_SENHA_N_LIDA"_s).arg(parser.value(passwordFile));
            return false;
        }
        o.password = QString::fromUtf8(file.readLine()).trimmed();
    }
    if (parser.isSet(company))
        o.company = parser.value(company);
    if (parser.isSet(branch))
        o.branch = parser.value(branch);
    if (parser.isSet(date)) {
        const QDate d = ParseLoginDate(parser.value(date));
        if (!d.isValid()) {
            *error = HostMsg(u"HOST_OPCAO_INVALIDA"_s).arg(u"--date "_s + parser.value(date));
            return false;
        }
        o.date = d;
    }
    if (parser.isSet(server)) {
        QString host;
        int port = 0;
        if (!ParseServerAddress(parser.value(server), &host, &port)) {
            *error = HostMsg(u"HOST_OPCAO_INVALIDA"_s).arg(u"--server "_s + parser.value(server));
            return false;
        }
        o.serverHost = host;
        o.serverPort = port;
    }
    if (parser.isSet(db))
        o.database = parser.value(db);
    o.automation = parser.value(automation);
    o.packagePath = parser.value(package);
    o.openEditor = parser.isSet(openEditor);
    if (!parser.positionalArguments().isEmpty()) {
        *error = HostMsg(u"HOST_OPCAO_INVALIDA"_s).arg(parser.positionalArguments().join(u' '));
        return false;
    }
    *options = o;
    return true;
}
