// cte-db: creates the host database's tables (and its demo content) in a SQLite file or a
// PostgreSQL schema.
//   cte-db create --db CONNECTION_STRING [--demo] [--force]
//   cte-db nfe-samples --dir FOLDER  (the demo's invoice files, to import into a CT-e)
#include "DbConnection.h"
#include "Exceptions.h"
#include "HostDb.h"
#include "HostDbMessages.h"
#include "NfeSamples.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

struct Options
{
    QString command;
    QString connectionString;
    QString dir;
    bool demo = false;
    bool force = false;
};

int create(const Options &options, QTextStream &out)
{
    TDbAddress address;
    QString error;
    if (!TDbAddress::Parse(options.connectionString, &address, &error))
        MensErro(error);
    const QString where = address.Describe();
    QSqlDatabase db = OpenConnection(options.connectionString, u"cte-db"_s);
    if (address.kind == TDbKind::PostgreSQL && !address.schema.isEmpty())
        HostDb::CreatePgSchema(db, address.schema);

    const QStringList existing = HostDb::ExistingHostTables(db);
    if (!existing.isEmpty() && !options.force) {
        // Tables left without their demo content (by a run that stopped half-way) are
        // completed rather than declared done.
        if (options.demo && HostDb::HostTablesEmpty(db)) {
            HostDb::LoadHostDemoData(db);
            out << HostDbMsg(u"HOSTDB_DEMO_COMPLETADO"_s).arg(where) << '\n';
            for (const auto &[table, rows] : HostDb::HostRowCounts(db))
                out << HostDbMsg(u"HOSTDB_CONTAGEM"_s).arg(table).arg(rows) << '\n';
            return 0;
        }
        if (existing.size() == HostDb::HostTableNames().size()) {
            out << HostDbMsg(u"HOSTDB_JA_EXISTE"_s).arg(where, existing.join(u", "_s)) << '\n';
            return 0;
        }
        MensErro(HostDbMsg(u"HOSTDB_PARCIAL"_s).arg(where, existing.join(u", "_s)));
    }
    if (!existing.isEmpty()) {
        HostDb::DropHostSchema(db);
        out << HostDbMsg(u"HOSTDB_APAGADAS"_s).arg(existing.join(u", "_s)) << '\n';
    }
    // With the demo content, one transaction: a run that fails half-way leaves nothing.
    if (options.demo)
        HostDb::CreateHostSchemaWithDemo(db);
    else
        HostDb::CreateHostSchema(db);
    out << HostDbMsg(u"HOSTDB_CRIADAS"_s).arg(where, HostDb::HostTableNames().join(u", "_s))
        << '\n';
    if (options.demo) {
        out << HostDbMsg(u"HOSTDB_DEMO"_s) << '\n';
        for (const auto &[table, rows] : HostDb::HostRowCounts(db))
            out << HostDbMsg(u"HOSTDB_CONTAGEM"_s).arg(table).arg(rows) << '\n';
    }
    return 0;
}

int nfeSamples(const Options &options, QTextStream &out)
{
    if (!QDir().mkpath(options.dir))
        MensErro(HostDbMsg(u"HOSTDB_NFE_FALHA"_s).arg(options.dir));
    const QStringList files = NfeSamples::WriteFiles(NfeSamples::DemoSamples(), options.dir);
    if (files.isEmpty())
        MensErro(HostDbMsg(u"HOSTDB_NFE_FALHA"_s).arg(options.dir));
    out << HostDbMsg(u"HOSTDB_NFE_GRAVADAS"_s) << '\n';
    for (const QString &file : files)
        out << HostDbMsg(u"HOSTDB_NFE_ARQUIVO"_s).arg(file) << '\n';
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    // A database file made here holds the company's data: readable by its owner only.
    umask(0077);
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    Options options;
    const QStringList args = app.arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == u"--db"_s && i + 1 < args.size())
            options.connectionString = args.at(++i);
        else if (a.startsWith(u"--db="_s))
            options.connectionString = a.mid(5);
        else if (a == u"--dir"_s && i + 1 < args.size())
            options.dir = args.at(++i);
        else if (a == u"--demo"_s)
            options.demo = true;
        else if (a == u"--force"_s)
            options.force = true;
        else if (a == u"--help"_s || a == u"-h"_s) {
            out << HostDbMsg(u"HOSTDB_USO"_s) << '\n';
            return 0;
        } else if (options.command.isEmpty() && !a.startsWith(u'-'))
            options.command = a;
        else {
            err << HostDbMsg(u"HOSTDB_COMANDO_DESCONHECIDO"_s).arg(a) << '\n'
                << HostDbMsg(u"HOSTDB_USO"_s) << '\n';
            return 2;
        }
    }
    const bool samples = options.command == u"nfe-samples"_s;
    if (samples && options.dir.isEmpty()) {
        err << HostDbMsg(u"HOSTDB_SEM_PASTA"_s) << '\n' << HostDbMsg(u"HOSTDB_USO"_s) << '\n';
        return 2;
    }
    if (!samples && options.command != u"create"_s) {
        if (!options.command.isEmpty())
            err << HostDbMsg(u"HOSTDB_COMANDO_DESCONHECIDO"_s).arg(options.command) << '\n';
        err << HostDbMsg(u"HOSTDB_USO"_s) << '\n';
        return 2;
    }
    if (!samples && options.connectionString.isEmpty()) {
        err << HostDbMsg(u"HOSTDB_SEM_BANCO"_s) << '\n' << HostDbMsg(u"HOSTDB_USO"_s) << '\n';
        return 2;
    }
    try {
        return samples ? nfeSamples(options, out) : create(options, out);
    } catch (const EMensErro &e) {
        out.flush();
        err << HostDbMsg(u"HOSTDB_FALHA"_s).arg(e.text()) << '\n';
        return 1;
    }
}
