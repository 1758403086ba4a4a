// authority-sim: the tax authority's CT-e web services of layout 4.00, on this machine.
//   authority-sim serve  [--host H] [--port N] [--data DIR] [--schemas DIR] [--trusted-root PEM]
//                        [--environment 1|2] [--threads N] [--fault SETTING]...
//                        [--tls-cert PEM --tls-key PEM [--client-ca PEM]] [--clock-offset SECS]
//   authority-sim issuer --data DIR --uf UF --ie IE --cnpj CNPJ [--disabled]
//   authority-sim fault  --data DIR [--key KEY] (SETTING | --clear)
#include "AccessKey.h"
#include "AuthorityClock.h"
#include "AuthorityServer.h"
#include "AuthorityStore.h"
#include "Faults.h"
#include "SchemaSet.h"
#include "SignatureCheck.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <libxml/parser.h>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "authority-sim: %s\n", qPrintable(message));
    return 2;
}

int serve(const QCommandLineParser &args)
{
    AuthorityOptions options;
    options.host = args.value(u"host"_s);
    bool ok = true;
    options.port = args.value(u"port"_s).toInt(&ok);
    if (!ok || options.port < 0 || options.port > 65535)
        return fail(u"invalid --port"_s);
    options.environment = args.value(u"environment"_s).toInt();
    if (options.environment != 1 && options.environment != 2)
        return fail(u"--environment is 1 (production) or 2 (homologation)"_s);
    options.threads = args.value(u"threads"_s).toInt();
    for (const QString &setting : args.values(u"fault"_s)) {
        store::Fault fault;
        if (!faults::parse(setting, &fault))
            return fail(u"invalid --fault %1"_s.arg(setting));
        options.faults.append(fault);
    }
    options.tlsCertificate = args.value(u"tls-cert"_s);
    options.tlsKey = args.value(u"tls-key"_s);
    options.clientCa = args.value(u"client-ca"_s);
    if (options.tlsCertificate.isEmpty() != options.tlsKey.isEmpty())
        return fail(u"--tls-cert and --tls-key go together"_s);
    authorityclock::setOffsetSeconds(args.value(u"clock-offset"_s).toLongLong());

    QString error;
    if (!store::open(args.value(u"data"_s), &error))
        return fail(error);
    SchemaSet schemas;
    if (!schemas.load(args.value(u"schemas"_s), &error))
        return fail(error);
    SignatureCheck signatures;
    if (args.isSet(u"trusted-root"_s)) {
        if (!signatures.loadTrustedRoot(args.value(u"trusted-root"_s), &error))
            return fail(error);
    } else {
        std::fprintf(stderr, "authority-sim: no --trusted-root: every signature will be refused\n");
    }

    AuthorityServer server(options, schemas, signatures);
    if (!server.isValid())
        return fail(u"the TLS certificate or key cannot be used"_s);
    const int port = server.bind();
    if (port < 0)
        return fail(u"cannot listen on %1:%2"_s.arg(options.host).arg(options.port));
    std::printf("authority-sim: listening on %s://%s:%d (environment %d, data %s)\n",
                options.tlsCertificate.isEmpty() ? "http" : "https", qPrintable(options.host), port,
                options.environment, qPrintable(store::databasePath()));
    std::fflush(stdout);
    return server.serve() ? 0 : 1;
}

int issuer(const QCommandLineParser &args)
{
    store::Issuer issuer;
    issuer.uf = args.value(u"uf"_s).toUpper();
    issuer.ie = args.value(u"ie"_s);
    issuer.cnpj = args.value(u"cnpj"_s);
    issuer.enabled = !args.isSet(u"disabled"_s);
    if (issuer.uf.size() != 2 || issuer.ie.isEmpty() || !accesskey::isValidCnpj(issuer.cnpj))
        return fail(u"issuer needs --uf (two letters), --ie and a valid --cnpj"_s);
    QString error;
    if (!store::open(args.value(u"data"_s), &error))
        return fail(error);
    store::addIssuer(issuer);
    return 0;
}

int fault(const QCommandLineParser &args)
{
    QString error;
    if (!store::open(args.value(u"data"_s), &error))
        return fail(error);
    const QString scope = args.isSet(u"key"_s) ? args.value(u"key"_s) : u"*"_s;
    if (args.isSet(u"clear"_s)) {
        store::clearFaults(args.isSet(u"key"_s) ? scope : QString());
        return 0;
    }
    const QStringList rest = args.positionalArguments().mid(1);
    if (rest.size() != 1)
        return fail(
            u"fault needs one SETTING (slow:MS, unavailable, drop, reject:CODE) or --clear"_s);
    store::Fault f;
    f.scope = scope;
    if (!faults::parse(rest.first(), &f))
        return fail(u"invalid fault %1"_s.arg(rest.first()));
    store::setFault(f);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"authority-sim"_s);
    xmlInitParser();

    QCommandLineParser args;
    args.setApplicationDescription(u"A local stand-in of the tax authority's CT-e web services"_s);
    args.addHelpOption();
    args.addPositionalArgument(u"command"_s, u"serve (default), issuer or fault"_s);
    args.addOptions({
        {u"host"_s, u"Address to listen on."_s, u"host"_s, u"127.0.0.1"_s},
        {u"port"_s, u"Port to listen on (0: any free port)."_s, u"port"_s, u"8860"_s},
        {u"data"_s, u"Folder of the stand-in's database."_s, u"dir"_s, u"authority-data"_s},
        // The build and the installation put the schema package beside the programs.
        {u"schemas"_s, u"Folder of the layout 4.00 XSDs."_s, u"dir"_s,
         QDir::cleanPath(app.applicationDirPath() + u"/../schemas/PL_CTe_400"_s)},
        {u"trusted-root"_s, u"PEM of the certificates signatures must chain to."_s, u"pem"_s},
        {u"environment"_s, u"1 production, 2 homologation."_s, u"n"_s, u"2"_s},
        {u"threads"_s, u"Worker threads."_s, u"n"_s, u"16"_s},
        {u"fault"_s, u"A switch for the whole run (slow:MS, unavailable, drop, reject:CODE)."_s,
         u"setting"_s},
        {u"tls-cert"_s, u"Serve HTTPS with this certificate (PEM)."_s, u"pem"_s},
        {u"tls-key"_s, u"The TLS certificate's private key (PEM)."_s, u"pem"_s},
        {u"client-ca"_s, u"Require client certificates signed by this CA (PEM)."_s, u"pem"_s},
        {u"clock-offset"_s, u"Run as if the clock were SECS seconds ahead (negative: behind)."_s,
         u"secs"_s, u"0"_s},
        {u"uf"_s, u"issuer: the issuer's UF (two letters)."_s, u"uf"_s},
        {u"ie"_s, u"issuer: the state registration."_s, u"ie"_s},
        {u"cnpj"_s, u"issuer: the CNPJ."_s, u"cnpj"_s},
        {u"disabled"_s, u"issuer: registered but not enabled to issue."_s},
        {u"key"_s, u"fault: only for this access key."_s, u"key"_s},
        {u"clear"_s, u"fault: remove the stored switches (of --key, or all)."_s},
    });
    args.process(app);
    const QString command = args.positionalArguments().value(0, u"serve"_s);
    try {
        if (command == u"serve")
            return serve(args);
        if (command == u"issuer")
            return issuer(args);
        if (command == u"fault")
            return fault(args);
    } catch (const std::exception &e) {
        return fail(QString::fromUtf8(e.what()));
    }
    return fail(u"unknown command %1"_s.arg(command));
}
