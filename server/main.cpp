// cte-server: the CT-e application server "Dfs88000.rdmCTe".
#include "DemoData.h"
#include "Operations.h"
#include "RpcServer.h"
#include "Schema.h"
#include "ServerError.h"
#include "Sessions.h"
#include "SqlSupport.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <thread>

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

} // namespace

int main(int argc, char *argv[])
{
    // Blocked before any thread starts, so that every thread inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QCoreApplication app(argc, argv);
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
    const QCommandLineOption threadsOption(u"threads"_s, u"Threads de trabalho"_s, u"N"_s, u"8"_s);
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
    parser.addOptions({dbOption, listenOption, portOption, threadsOption, maxBodyOption,
                       createUserOption, passwordFileOption, demoOption});
    parser.process(app);

    setServerConnectionString(parser.value(dbOption));
    try {
        schema::createOrUpgrade(workerDatabase());
        if (parser.isSet(demoOption)) {
            const bool loaded = demodata::load(workerDatabase());
            std::fprintf(stderr, "cte-server: %s\n",
                         loaded ? "demo data loaded" : "demo data already present");
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
    } catch (const ServerError &e) {
        std::fprintf(stderr, "cte-server: %s\n", qUtf8Printable(e.text()));
        return 1;
    }

    if (const int pause = qEnvironmentVariableIntValue("CTE_SERVER_TEST_SAVE_PAUSE_MS"); pause > 0)
        setSavePauseMs(pause);

    ServerOptions options;
    options.host = parser.value(listenOption);
    options.port = parser.value(portOption).toInt();
    options.threads = parser.value(threadsOption).toInt();
    options.maxBodyBytes = parser.value(maxBodyOption).toLongLong();
    RpcServer server(options);
    const int port = server.bind();
    if (port < 0) {
        std::fprintf(stderr, "cte-server: cannot listen on %s:%d\n", qUtf8Printable(options.host),
                     options.port);
        return 1;
    }
    qInfo().noquote() << u"cte-server listening on %1:%2 database %3"_s.arg(options.host)
                             .arg(port)
                             .arg(parser.value(dbOption).section(u'@', -1));
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
