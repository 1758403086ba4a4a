// cte-call: calls one operation of the application server from the command line.
//   cte-call --server HOST:PORT --user U --password-file F OPERATION 'JSON-ARGUMENTS'
// Prints the JSON reply; exit status 0 when the reply's element 0 is "S", 1 otherwise (2 for a
// wrong command line).
#include "Exceptions.h"
#include "NetConnection.h"
#include "RpcProtocol.h"
#include "ServerReply.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

int usage(const char *problem)
{
    std::fprintf(
        stderr,
        "cte-call: %s\nusage: cte-call --server HOST:PORT --user USER --password-file FILE "
        "OPERATION 'JSON-ARGUMENTS'\n  FILE holds the password on its first line (- reads "
        "it from the standard input)\n",
        problem);
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QString server, user, passwordFile;
    QStringList positional;
    const QStringList args = app.arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        auto next = [&]() {
            return i + 1 < args.size() ? args.at(++i) : QString();
        };
        if (a == u"--server")
            server = next();
        else if (a == u"--user")
            user = next();
        else if (a == u"--password-file")
            passwordFile = next();
        else if (a.startsWith(u"--"))
            return usage("unknown option");
        else
            positional << a;
    }
    if (server.isEmpty() || user.isEmpty() || passwordFile.isEmpty() || positional.size() != 2)
        return usage("missing arguments");
    const qsizetype colon = server.lastIndexOf(u':');
    bool portOk = false;
    const int port = colon > 0 ? server.mid(colon + 1).toInt(&portOk) : 0;
    if (!portOk)
        return usage("--server must be HOST:PORT");

    QFile file;
    const bool opened = passwordFile == u"-"
        ? file.open(stdin, QIODevice::ReadOnly)
        : (file.setFileName(passwordFile), file.open(QIODevice::ReadOnly));
    if (!opened)
        return usage("cannot read the password file");
    QString password = QString::fromUtf8(file.readLine());
    while (password.endsWith(u'\n') || password.endsWith(u'\r'))
        password.chop(1);

    QString error;
    const auto callArgs = contracts::decodeCall(positional.at(1).toUtf8(), &error);
    if (!callArgs) {
        std::fprintf(stderr, "cte-call: %s\n", qUtf8Printable(error));
        return 2;
    }

    TNetConnection net;
    net.SetHost(server.left(colon));
    net.SetPort(port);
    try {
        net.Connect(user, password);
        const QVariant reply = net.AppServer(positional.at(0), *callArgs);
        net.Disconnect();
        std::fprintf(stdout, "%s\n", contracts::encodeReply(reply).constData());
        return IsReplyOk(reply) ? 0 : 1;
    } catch (const EMensErro &e) {
        std::fprintf(stderr, "cte-call: %s\n", qUtf8Printable(e.text()));
        return 1;
    }
}
