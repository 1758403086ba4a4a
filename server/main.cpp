// cte-server: the CT-e application server "Dfs88000.rdmCTe".
#include "DbConnection.h"
#include "DemoData.h"
#include "Health.h"
#include "HttpFront.h"
#include "Operations.h"
#include "RpcServer.h"
#include "Schema.h"
#include "ServerError.h"
#include "ServerMessages.h"
#include "Sessions.h"
#include "SqlSupport.h"
#include "TransmissionSettings.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <optional>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The first line of a file, or of the standard input for "-".
std::optional<QString> readPasswordFile(const QString &path)
{
    QFile file;
    const bool ok = path == u"-" ? file.open(stdin, QIODevice::ReadOnly)
                                 : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!ok)
        return std::nullopt;
    QString line = QString::fromUtf8(file.readLine());
    while (line.endsWith(u'\n') || line.endsWith(u'\r'))
        line.chop(1);
    return line;
}

// An integer option within [low, high]; nothing (and a message) otherwise.
std::optional<qint64> numberOption(const QCommandLineParser &parser,
                                   const QCommandLineOption &option, qint64 low, qint64 high)
{
    const QString text = parser.value(option).trimmed();
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (ok && value >= low && value <= high)
        return value;
    std::fprintf(stderr, "cte-server: %s\n",
                 qUtf8Printable(srvMsg("OPCAO_INVALIDA")
                                    .arg(option.names().constFirst(), text, QString::number(low),
                                         QString::number(high))));
    return std::nullopt;
}

QString describeDatabase(const QString &connection)
{
    TDbAddress address;
    QString error;
    return TDbAddress::Parse(connection, &address, &error) ? address.Describe() : QString();
}

// A SQLite file that does not exist would be created empty, where no one can log in: the server
// refuses to serve it, and says so when an administrative command creates it.
bool checkDatabaseFile(const QString &connection, bool administering)
{
    TDbAddress address;
    QString error;
    if (!TDbAddress::Parse(connection, &address, &error)) {
        std::fprintf(stderr, "cte-server: %s\n", qUtf8Printable(error));
        return false;
    }
    if (address.kind != TDbKind::SQLite)
        return true;
    const QFileInfo file(address.path);
    if (file.exists() && !file.isFile()) {
        std::fprintf(stderr, "cte-server: %s\n",
                     qUtf8Printable(srvMsg("BANCO_NAO_ARQUIVO").arg(address.path)));
        return false;
    }
    if (file.exists())
        return true;
    if (!administering) {
        std::fprintf(stderr, "cte-server: %s\n",
                     qUtf8Printable(srvMsg("BANCO_INEXISTENTE").arg(address.path)));
        return false;
    }
    if (!file.dir().exists()) {
        std::fprintf(stderr, "cte-server: %s\n",
                     qUtf8Printable(srvMsg("BANCO_PASTA_INEXISTENTE").arg(file.absolutePath())));
        return false;
    }
    std::fprintf(stderr, "cte-server: %s\n",
                 qUtf8Printable(srvMsg("BANCO_CRIADO").arg(address.path)));
    return true;
}

// Raises the open-file limit to what the system allows this process (the usual soft limit of
// 1,024 would run out long before the connection limit) and returns the connections that fit in
// it, leaving room for the workers' database files and the server's own.
int connectionsWithinFileLimit(int wanted, int workers)
{
    rlimit files {};
    if (getrlimit(RLIMIT_NOFILE, &files) != 0)
        return wanted;
    if (files.rlim_cur < files.rlim_max) {
        rlimit raised = files;
        raised.rlim_cur = files.rlim_max;
        if (setrlimit(RLIMIT_NOFILE, &raised) == 0)
            files = raised;
    }
    const rlim_t reserve = 64 + 4 * rlim_t(workers);
    if (files.rlim_cur == RLIM_INFINITY || files.rlim_cur >= rlim_t(wanted) + reserve)
        return wanted;
    return int(std::max<rlim_t>(16, files.rlim_cur > reserve ? files.rlim_cur - reserve : 0));
}

} // namespace

int main(int argc, char *argv[])
{
    // Blocked before any thread starts, so that every thread inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    // Database files made here (SQLite, its journal) hold the company's data: owner only.
    umask(0077);
    // The DACTE is drawn with fonts, which need a GUI application; the server has no screen.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Such an application asks for the user's runtime folder, which a service started outside a
    // session lacks: Qt makes it (owner only) where told, without a warning at every start.
    if (!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR",
                QFile::encodeName(QDir::tempPath() + u"/cte-server-runtime-"_s
                                  + QString::number(getuid())));
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"cte-server"_s);
    qSetMessagePattern(u"%{time yyyy-MM-ddTHH:mm:ss.zzz} %{if-warning}warning: %{endif}"
                       "%{if-critical}error: %{endif}%{message}"_s);

    QCommandLineParser parser;
    parser.setApplicationDescription(u"Servidor de aplicação do CT-e (Dfs88000.rdmCTe)"_s);
    parser.addHelpOption();
    const QCommandLineOption dbOption(u"db"_s, u"Banco: sqlite:ARQUIVO ou postgresql://…"_s,
                                      u"CONN"_s, u"sqlite:cte.db"_s);
    const QCommandLineOption listenOption(u"listen"_s, u"Endereço de escuta"_s, u"HOST"_s,
                                          u"127.0.0.1"_s);
    const QCommandLineOption portOption(u"port"_s, u"Porta (0: qualquer porta livre)"_s, u"PORT"_s,
                                        u"8850"_s);
    const QCommandLineOption threadsOption(
        u"threads"_s, u"Threads de trabalho, cada uma com sua conexão ao banco"_s, u"N"_s, u"8"_s);
    const QCommandLineOption idleOption(
        u"idle-timeout"_s, u"Segundos que uma conexão ociosa fica aberta"_s, u"S"_s, u"60"_s);
    const QCommandLineOption headerOption(u"header-timeout"_s,
                                          u"Segundos para receber os cabeçalhos de um pedido"_s,
                                          u"S"_s, u"10"_s);
    const QCommandLineOption loginDelayOption(
        u"login-delay-ms"_s,
        u"Espera após as tentativas de login malsucedidas toleradas (dobra a cada nova falha)"_s,
        u"MS"_s, u"1000"_s);
    const QCommandLineOption maxConnectionsOption(
        u"max-connections"_s, u"Conexões de clientes abertas ao mesmo tempo"_s, u"N"_s, u"4000"_s);
    const QCommandLineOption perAddressOption(
        u"max-connections-per-address"_s,
        u"Conexões abertas ao mesmo tempo a partir de um endereço (exceto proxies confiáveis)"_s,
        u"N"_s, u"256"_s);
    const QCommandLineOption maxBodyOption(u"max-body"_s, u"Tamanho máximo do corpo em bytes"_s,
                                           u"BYTES"_s, u"0"_s);
    const QCommandLineOption createUserOption(
        u"create-user"_s, u"Cria o usuário (ou troca sua senha) e termina"_s, u"NAME"_s);
    const QCommandLineOption passwordFileOption(
        u"password-file"_s, u"Arquivo com a senha na primeira linha (- para a entrada padrão)"_s,
        u"FILE"_s);
    const QCommandLineOption demoOption(
        u"demo"_s,
        u"Carrega os dados de demonstração do servidor (sobre os do cte-db) e termina"_s);
    const QCommandLineOption settingsOption(
        u"settings"_s,
        u"Arquivo de configuração da transmissão (certificado, SEFAZ, schemas, "
        "e-mail; docs/transmission.md)"_s,
        u"FILE"_s);
    const QCommandLineOption demoCertificateOption(
        u"demo-certificate"_s,
        u"Com --demo: grava o certificado A1 de demonstração do emitente demo (ARQUIVO.p12, "
        "ARQUIVO.password, ARQUIVO.pem) e as inscrições estaduais das empresas de demonstração "
        "(ARQUIVO.issuers)"_s,
        u"FILE"_s);
    const QCommandLineOption trustedProxyOption(
        u"trusted-proxy"_s,
        u"Endereço de um proxy à frente do servidor (HAProxy): o cliente é o endereço que ele "
        "informa em X-Forwarded-For; repita para vários"_s,
        u"ADDR"_s);
    parser.addOptions({dbOption, listenOption, portOption, threadsOption, idleOption, headerOption,
                       loginDelayOption, maxBodyOption, createUserOption, passwordFileOption,
                       demoOption, settingsOption, demoCertificateOption, trustedProxyOption,
                       maxConnectionsOption, perAddressOption});
    parser.process(app);

    ServerOptions options;
    options.host = parser.value(listenOption);
    const auto port = numberOption(parser, portOption, 0, 65535);
    const auto threads = numberOption(parser, threadsOption, 1, 1000);
    const auto idle = numberOption(parser, idleOption, 1, 86400);
    const auto header = numberOption(parser, headerOption, 1, 3600);
    const auto maxBody = numberOption(parser, maxBodyOption, 0, 1LL << 40);
    const auto loginDelay = numberOption(parser, loginDelayOption, 0, 3600 * 1000);
    const auto maxConnections = numberOption(parser, maxConnectionsOption, 1, 1000000);
    const auto perAddress = numberOption(parser, perAddressOption, 1, 1000000);
    if (!port || !threads || !idle || !header || !maxBody || !loginDelay || !maxConnections
        || !perAddress)
        return 2;
    options.maxConnections = connectionsWithinFileLimit(int(*maxConnections), int(*threads));
    options.maxPerAddress = int(*perAddress);
    options.loginDelayMs = *loginDelay;
    options.port = int(*port);
    options.threads = int(*threads);
    options.idleSeconds = int(*idle);
    options.headerSeconds = int(*header);
    options.maxBodyBytes = qsizetype(*maxBody);
    for (const QString &proxy : parser.values(trustedProxyOption)) {
        if (normalAddress(proxy).isEmpty()) {
            std::fprintf(stderr, "cte-server: %s\n",
                         qUtf8Printable(srvMsg("PROXY_INVALIDO").arg(proxy)));
            return 2;
        }
        options.trustedProxies.append(proxy);
    }

    const QString connection = parser.value(dbOption);
    const bool administering = parser.isSet(demoOption) || parser.isSet(createUserOption);
    if (!checkDatabaseFile(connection, administering))
        return 1;
    setServerConnectionString(connection);
    {
        // The build and the installation put the schema package beside the programs.
        TransmissionSettings defaults;
        defaults.schemaDir
            = QDir::cleanPath(QCoreApplication::applicationDirPath() + u"/../schemas/PL_CTe_400"_s);
        setTransmissionSettings(defaults);
    }
    if (parser.isSet(settingsOption)) {
        QString error;
        const TransmissionSettings settings
            = readTransmissionSettings(parser.value(settingsOption), &error);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "cte-server: settings: %s\n", qUtf8Printable(error));
            return 2;
        }
        setTransmissionSettings(settings);
    }
    try {
        schema::createOrUpgrade(workerDatabase());
        if (parser.isSet(demoOption)) {
            const bool loaded = demodata::load(workerDatabase());
            std::fprintf(stderr, "cte-server: %s\n",
                         loaded ? "demo data loaded" : "demo data already present");
            if (parser.isSet(demoCertificateOption)
                && (!demodata::writeDemoCertificate(parser.value(demoCertificateOption))
                    || !demodata::writeDemoIssuers(
                        workerDatabase(), parser.value(demoCertificateOption) + u".issuers"_s))) {
                std::fprintf(stderr, "cte-server: cannot write the demo certificate\n");
                return 1;
            }
            if (!parser.isSet(createUserOption))
                return 0;
        }
        if (parser.isSet(createUserOption)) {
            const auto password = parser.isSet(passwordFileOption)
                ? readPasswordFile(parser.value(passwordFileOption))
                : std::nullopt;
            if (!password) {
                std::fprintf(stderr,
                             "cte-server: --create-user needs a readable --password-file\n");
                return 2;
            }
            sessions::createOrUpdateUser(workerDatabase(), parser.value(createUserOption),
                                         *password);
            std::fprintf(stderr, "cte-server: user %s saved\n",
                         qUtf8Printable(parser.value(createUserOption)));
            return 0;
        }
        if (sessions::userCount(workerDatabase()) == 0)
            std::fprintf(stderr, "cte-server: %s\n", qUtf8Printable(srvMsg("SEM_USUARIOS")));
    } catch (const DatabaseError &e) {
        std::fprintf(stderr, "cte-server: %s\n",
                     qUtf8Printable(srvMsg("BANCO_ABERTURA").arg(e.detail())));
        return 1;
    } catch (const EMensErro &e) {
        std::fprintf(stderr, "cte-server: %s\n", qUtf8Printable(e.text()));
        return 1;
    }

    if (const int pause = qEnvironmentVariableIntValue("CTE_SERVER_TEST_SAVE_PAUSE_MS"); pause > 0)
        setSavePauseMs(pause);

    RpcServer server(options);
    server.addRoute(healthRoute());
    QString bindError;
    const int bound = server.bind(&bindError);
    if (bound < 0) {
        std::fprintf(
            stderr, "cte-server: %s\n",
            qUtf8Printable(srvMsg("PORTA_INDISPONIVEL")
                               .arg(options.host, QString::number(options.port), bindError)));
        return 1;
    }
    rlimit files {};
    getrlimit(RLIMIT_NOFILE, &files);
    qInfo().noquote()
        << u"cte-server listening on %1:%2 database %3 workers %4 connections %5 open-files %6"_s
               .arg(options.host, QString::number(bound), describeDatabase(connection),
                    QString::number(options.threads), QString::number(options.maxConnections),
                    QString::number(qulonglong(files.rlim_cur)));
    // SIGTERM and SIGINT are taken by this thread alone (sigwait), whenever they come: also
    // before the server loop has started, when a stop would otherwise be lost.
    std::atomic<bool> finished {false};
    bool ok = false;
    std::thread serving([&] {
        ok = server.serve();
        finished = true;
    });
    int signalNumber = 0;
    sigwait(&stopSignals, &signalNumber);
    while (!finished) {
        server.stop();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    serving.join();
    return ok ? 0 : 1;
}
