#include "Exceptions.h"
#include "HostOptions.h"
#include "LoginValues.h"
#include "Orvglob.h"
#include "PackageLoader.h"
#include "RecordingMessageSink.h"

#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString binDir()
{
    return qEnvironmentVariable("CTE_BINARY_DIR") + u"/bin"_s;
}

} // namespace

class TestHost : public QObject
{
    Q_OBJECT

private slots:
    void init() { Orvglob::Reset(); }

    void options_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("skipsDialog");
        QTest::addColumn<QString>("serverHost");
        QTest::addColumn<int>("serverPort");
        QTest::addColumn<QDate>("date");
        QTest::newRow("nothing-asks")
            << QStringList {} << true << false << QString() << 0 << QDate();
        QTest::newRow("user-and-company-log-in")
            << QStringList {u"--user"_s, u"ana"_s, u"--company"_s, u"01"_s} << true << true
            << QString() << 0 << QDate();
        QTest::newRow("automation-logs-in") << QStringList {u"--automation"_s, u"/x/plugin.so"_s}
                                            << true << true << QString() << 0 << QDate();
        QTest::newRow("server-and-iso-date")
            << QStringList {u"--server"_s, u"10.0.0.5:8090"_s, u"--date"_s, u"2026-12-07"_s} << true
            << false << u"10.0.0.5"_s << 8090 << QDate(2026, 12, 7);
        QTest::newRow("brazilian-date") << QStringList {u"--date"_s, u"07/12/2026"_s} << true
                                        << false << QString() << 0 << QDate(2026, 12, 7);
        QTest::newRow("server-without-port") << QStringList {u"--server"_s, u"localhost"_s} << false
                                             << false << QString() << 0 << QDate();
        QTest::newRow("port-out-of-range") << QStringList {u"--server"_s, u"h:70000"_s} << false
                                           << false << QString() << 0 << QDate();
        QTest::newRow("bad-date") << QStringList {u"--date"_s, u"31/02/2026"_s} << false << false
                                  << QString() << 0 << QDate();
        QTest::newRow("unknown-option")
            << QStringList {u"--colour"_s} << false << false << QString() << 0 << QDate();
        QTest::newRow("missing-password-file")
            << QStringList {u"--password-file"_s, u"/nonexistent/pw"_s} << false << false
            << QString() << 0 << QDate();
    }
    void options()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, ok);
        QFETCH(bool, skipsDialog);
        QFETCH(QString, serverHost);
        QFETCH(int, serverPort);
        QFETCH(QDate, date);
        THostOptions o;
        QString error;
        QCOMPARE(THostOptions::Parse(QStringList {u"host"_s} + args, &o, &error), ok);
        if (!ok) {
            QVERIFY(!error.isEmpty());
            return;
        }
        QCOMPARE(o.loginFromCommandLine(), skipsDialog);
        QCOMPARE(o.serverHost.value_or(QString()), serverHost);
        QCOMPARE(o.serverPort.value_or(0), serverPort);
        QCOMPARE(o.date.value_or(QDate()), date);
    }

    void openEditorOption()
    {
        THostOptions o;
        QString error;
        QVERIFY(THostOptions::Parse({u"host"_s}, &o, &error));
        QVERIFY(!o.openEditor);
        QVERIFY(THostOptions::Parse({u"host"_s, u"--open-editor"_s}, &o, &error));
        QVERIFY(o.openEditor);
    }

    // The login is remembered without its password; the command line overrides what was
    // remembered; publishing fills the values the package reads.
    void loginRememberedWithoutPassword()
    {
        QTemporaryDir dir;
        QTemporaryFile pw(dir.filePath(u"pw-XXXXXX"_s));
        QVERIFY(pw.open());
        pw.write("s3gredo\nsecond line\n");
        pw.flush();

        QSettings settings(dir.filePath(u"host.ini"_s), QSettings::IniFormat);
        THostOptions o;
        QString error;
        QVERIFY2(
            THostOptions::Parse({u"host"_s, u"--user"_s, u"ana"_s, u"--password-file"_s,
                                 pw.fileName(), u"--company"_s, u"1"_s, u"--branch"_s, u"01"_s,
                                 u"--server"_s, u"srv:9001"_s, u"--db"_s, u"sqlite:/tmp/x.db"_s},
                                &o, &error),
            qPrintable(error));
        TLoginValues login = TLoginValues::Remembered(settings);
        QCOMPARE(login.date, QDate::currentDate());
        login.Apply(o);
        QCOMPARE(login.password, u"s3gredo"_s);
        QCOMPARE(login.MissingKey(), QString());
        login.Remember(settings);
        login.Publish();
        QCOMPARE(Orvglob::EmprProc, u"01"_s);
        QCOMPARE(Orvglob::WebURL, u"srv"_s);
        QCOMPARE(Orvglob::WebPort, 9001);
        QCOMPARE(Orvglob::SenhaProc, u"s3gredo"_s);
        QCOMPARE(Orvglob::DBConnection, u"sqlite:/tmp/x.db"_s);

        QSettings again(dir.filePath(u"host.ini"_s), QSettings::IniFormat);
        const TLoginValues back = TLoginValues::Remembered(again);
        QCOMPARE(back.user, u"ana"_s);
        QCOMPARE(back.serverPort, 9001);
        QCOMPARE(back.database, u"sqlite:/tmp/x.db"_s);
        QVERIFY(back.password.isEmpty());
        QVERIFY(!again.allKeys().join(u' ').contains(u"password"_s));

        login.company.clear();
        QCOMPARE(login.MissingKey(), u"HOST_EMPRESA_DEVE"_s);
    }

    // A missing package or function is a message naming it, not a crash. (The package itself
    // loads only into the host, which carries the framework it needs: see hostRunsAutomation.)
    void packageLoaderReportsWhatIsMissing()
    {
        RecordingMessageSink sink;
        TPackageLoader other(qEnvironmentVariable("CTE_AUTOMATION_PLUGIN"));
        QVERIFY(FrameworkGuard([&] { other.Resolve("HostAutomation"); }));
        QVERIFY(!FrameworkGuard([&] { other.Resolve("IniProc"); }));
        QVERIFY(sink.lastText().contains(u"IniProc"_s));

        TPackageLoader missing(u"/nonexistent/Pkg_Dfs88000"_s);
        QVERIFY(!FrameworkGuard([&] { missing.Resolve("IniProc"); }));
        QVERIFY(sink.lastText().contains(u"/nonexistent/Pkg_Dfs88000"_s));
        QCOMPARE(sink.entries().size(), 2);
    }

    // The real host, headless, logged in from the command line, driven by a plug-in.
    void hostRunsAutomation_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QStringList>("extra");
        QTest::newRow("all-windows") << u"all-windows"_s << QStringList {};
        QTest::newRow("missing-package")
            << u"missing-package"_s << QStringList {u"--package"_s, u"/nonexistent/Pkg_Dfs88000"_s};
    }
    void hostRunsAutomation()
    {
        QFETCH(QString, scenario);
        QFETCH(QStringList, extra);
        QTemporaryDir config;
        QProcess host;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_CONFIG_HOME"_s, config.path());
        env.insert(u"CTE_AUTOMATION_SCENARIO"_s, scenario);
        host.setProcessEnvironment(env);
        host.start(binDir() + u"/host"_s,
                   QStringList {u"--automation"_s, qEnvironmentVariable("CTE_AUTOMATION_PLUGIN"),
                                u"--user"_s, u"teste"_s, u"--company"_s, u"01"_s, u"--branch"_s,
                                u"01"_s, u"--date"_s, u"2026-12-07"_s, u"--server"_s,
                                u"127.0.0.1:1"_s}
                       + extra);
        QVERIFY(host.waitForFinished(-1));
        const QByteArray err = host.readAllStandardError();
        QCOMPARE(host.exitStatus(), QProcess::NormalExit);
        QVERIFY2(host.exitCode() == 0, err.constData());
        if (scenario == u"all-windows")
            QVERIFY(host.readAllStandardOutput().contains("all windows opened"));
        // The login is remembered for the next run.
        QSettings remembered(config.path() + u"/CTeModule/host.conf"_s, QSettings::IniFormat);
        QCOMPARE(remembered.value(u"login/user"_s).toString(), u"teste"_s);
    }

    void hostWithoutPluginFails()
    {
        QTemporaryDir config;
        QProcess host;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_CONFIG_HOME"_s, config.path());
        host.setProcessEnvironment(env);
        host.start(binDir() + u"/host"_s,
                   {u"--automation"_s, u"/nonexistent/plugin.so"_s, u"--user"_s, u"t"_s,
                    u"--company"_s, u"01"_s, u"--branch"_s, u"01"_s});
        QVERIFY(host.waitForFinished(-1));
        QVERIFY(host.exitCode() != 0);
        QVERIFY(host.readAllStandardError().contains("/nonexistent/plugin.so"));
    }
};

QTEST_MAIN(TestHost)
#include "tst_host.moc"
