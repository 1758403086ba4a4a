// The DACTE report's derived sets and the files of a DACTE request, without a window.
#include "ClientDataSet.h"
#include "DacteFiles.h"
#include "DacteReportData.h"
#include "Field.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <quazip.h>
#include <quazipfile.h>
#include <quazipnewinfo.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

// A set as the server's packet would load it: string fields after CDCTE.
std::unique_ptr<TClientDataSet> set(const QStringList &fields, const QList<QStringList> &rows)
{
    auto ds = std::make_unique<TClientDataSet>();
    ds->AddField(u"CDCTE"_s, contracts::FieldType::Float);
    for (const QString &f : fields)
        ds->AddField(f, f == u"NRSEQ" ? contracts::FieldType::Float : contracts::FieldType::String,
                     44);
    ds->CreateDataSet();
    for (const QStringList &row : rows) {
        ds->Append();
        ds->FieldByName(u"CDCTE"_s)->SetValue(7.0);
        for (qsizetype i = 0; i < fields.size(); ++i)
            ds->FieldByName(fields.at(i))->SetValue(row.value(i));
        ds->Post();
    }
    return ds;
}

QStringList column(TClientDataSet *ds, const QString &field)
{
    QStringList out;
    for (ds->First(); !ds->Eof(); ds->Next())
        out << ds->FieldByName(field)->AsString();
    return out;
}

// A ZIP archive of `entries` (name, content); an entry whose content starts with "->" is stored
// as a link to the rest.
QString archive(const QString &path, const QList<std::pair<QString, QByteArray>> &entries)
{
    QuaZip zip(path);
    zip.open(QuaZip::mdCreate);
    for (const auto &[name, content] : entries) {
        QuaZipNewInfo info(name);
        if (content.startsWith("->"))
            info.externalAttr = quint32(S_IFLNK | 0777) << 16;
        QuaZipFile file(&zip);
        file.open(QIODevice::WriteOnly, info);
        file.write(content.startsWith("->") ? content.mid(2) : content);
        file.close();
    }
    zip.close();
    return path;
}

} // namespace

class TestDacteReport : public QObject
{
    Q_OBJECT

private slots:
    void cargoSummary_data()
    {
        QTest::addColumn<QList<QStringList>>("rows"); // cUnid, tpMed, qCarga
        QTest::addColumn<QStringList>("expected"); // gross, volumes, cubic metres
        QTest::newRow("tonnes") << QList<QStringList> {{u"02"_s, u"PESO BRUTO"_s, u"1.5"_s}}
                                << QStringList {u"1500.00"_s, u"0.00"_s, u"0.00"_s};
        QTest::newRow("kilograms-rounded")
            << QList<QStringList> {{u"01"_s, u"Peso Bruto"_s, u"1234.567"_s}}
            << QStringList {u"1234.57"_s, u"0.00"_s, u"0.00"_s};
        QTest::newRow("units-weigh-nothing")
            << QList<QStringList> {{u"03"_s, u"PESO BRUTO"_s, u"1.5"_s}}
            << QStringList {u"0.00"_s, u"1.50"_s, u"0.00"_s};
        QTest::newRow("two-rows-add") << QList<QStringList> {{u"01"_s, u"PESO BRUTO"_s, u"10"_s},
                                                             {u"01"_s, u"PESO BRUTO"_s, u"20"_s},
                                                             {u"00"_s, u"CUBAGEM"_s, u"2.25"_s}}
                                      << QStringList {u"30.00"_s, u"0.00"_s, u"2.25"_s};
        QTest::newRow("none") << QList<QStringList> {} << QStringList {};
    }
    void cargoSummary()
    {
        QFETCH(QList<QStringList>, rows);
        QFETCH(QStringList, expected);
        const auto infQ = set({u"cUnid"_s, u"tpMed"_s, u"qCarga"_s}, rows);
        TClientDataSet summary;
        dactereport::PreencheInfQAux(infQ.get(), &summary);
        QVERIFY(summary.Active());
        QCOMPARE(summary.RecordCount(), expected.isEmpty() ? 0 : 1);
        if (!expected.isEmpty()) {
            summary.First();
            QCOMPARE((QStringList {summary.FieldByName(u"qCarga_Peso_Bruto"_s)->AsString(),
                                   summary.FieldByName(u"qCarga_Qtd_Volumes"_s)->AsString(),
                                   summary.FieldByName(u"qCarga_Cubagem"_s)->AsString()}),
                     expected);
        }
    }

    void paging_data()
    {
        QTest::addColumn<int>("documents");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("lastLinePage");
        QTest::addColumn<QStringList>("maxPerPageRow");
        QTest::newRow("1") << 1 << 1 << 1 << QStringList {u"1"_s};
        QTest::newRow("3") << 3 << 1 << 1 << QStringList {u"1"_s};
        QTest::newRow("32") << 32 << 11 << 1 << QStringList {u"1"_s};
        QTest::newRow("33") << 33 << 11 << 1 << QStringList {u"1"_s};
        QTest::newRow("34") << 34 << 12 << 2 << QStringList {u"2"_s, u"2"_s};
    }
    void paging()
    {
        QFETCH(int, documents);
        QFETCH(int, lines);
        QFETCH(int, lastLinePage);
        QFETCH(QStringList, maxPerPageRow);
        QList<QStringList> invoices;
        for (int i = 1; i <= documents; ++i)
            invoices << QStringList {QString::number(i), u"1"_s, QString::number(1000 + i)};
        const auto rem = set({u"CNPJ"_s, u"CPF"_s}, {{u"61348257000123"_s, QString()}});
        const auto nf = set({u"NRSEQ"_s, u"serie"_s, u"nDoc"_s}, invoices);
        const auto nfe = set({u"NRSEQ"_s, u"chave"_s}, {});
        TClientDataSet doc, lines_, pages;
        dactereport::PreencheInfDoc(rem.get(), nf.get(), nfe.get(), &doc);
        dactereport::PreencheInfDocAux(&doc, &lines_, &pages);
        QCOMPARE(lines_.RecordCount(), lines);
        lines_.Last();
        QCOMPARE(lines_.FieldByName(u"CDPAGINA"_s)->AsInteger(), qint64(lastLinePage));
        QCOMPARE(column(&pages, u"MAXPAGINA"_s), maxPerPageRow);
        QCOMPARE(column(&doc, u"CNPJCPF"_s).value(0), u"61.348.257/0001-23"_s);
    }

    void senderWithoutCnpjShowsItsCpf()
    {
        const auto rem = set({u"CNPJ"_s, u"CPF"_s}, {{QString(), u"12345678909"_s}});
        const auto nf = set({u"NRSEQ"_s, u"nDoc"_s}, {{u"1"_s, u"10"_s}, {u"2"_s, u"11"_s}});
        const auto nfe = set({u"NRSEQ"_s, u"chave"_s}, {{u"3"_s, u"3526"_s}});
        TClientDataSet doc;
        dactereport::PreencheInfDoc(rem.get(), nf.get(), nfe.get(), &doc);
        QCOMPARE(column(&doc, u"CNPJCPF"_s), QStringList(3, u"123.456.789-09"_s));
        QCOMPARE(column(&doc, u"mod"_s).last(), u"55"_s);
    }

    // An archive from outside: any unsafe entry refuses it before anything is written.
    void unsafeArchiveWritesNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("parent") << u"../fora.pdf"_s << QByteArray("x");
        QTest::newRow("inner-parent") << u"a/../../fora.pdf"_s << QByteArray("x");
        QTest::newRow("absolute") << u"/tmp/fora.pdf"_s << QByteArray("x");
        QTest::newRow("drive") << u"C:fora.pdf"_s << QByteArray("x");
        QTest::newRow("backslash") << u"..\\fora.pdf"_s << QByteArray("x");
        QTest::newRow("link") << u"link.pdf"_s << QByteArray("->/etc/passwd");
    }
    void unsafeArchiveWritesNothing()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"unpack/inner"_s);
        QVERIFY(dactefiles::makePrivateDir(folder));
        const QString zip
            = archive(dir.filePath(u"a.zip"_s), {{u"bom.pdf"_s, "%PDF"}, {name, content}});
        const dactefiles::UnpackFailure failure = dactefiles::unpackArchive(zip, folder);
        QCOMPARE(failure.key, u"ARQUIVO_ENTRADA_RECUSADA"_s);
        QCOMPARE(failure.entry, name);
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
                 QStringList());
        QCOMPARE(QDir(dir.filePath(u"unpack"_s)).entryList(QDir::Files), QStringList());
    }

    void pdfsAreTakenFromThePrivateFolder()
    {
        QTemporaryDir dir;
        const QString name = dactefiles::GeraNomeArquivo();
        QCOMPARE(name.size(), 37);
        QVERIFY(name.left(17).toULongLong() > 0);
        const QString folder = dir.filePath(name);
        const QString zip = dir.filePath(name + u".zip"_s);
        QFile source(archive(dir.filePath(u"src.zip"_s),
                             {{u"a.pdf"_s, "1"},
                              {u"a.pdf.bak"_s, "2"},
                              {u"leia.txt"_s, "3"},
                              {u"sub/b.pdf"_s, "4"}}));
        QVERIFY(source.open(QIODevice::ReadOnly));
        QVERIFY(dactefiles::writePrivateFile(zip, source.readAll()));
        QVERIFY(dactefiles::makePrivateDir(folder));
        const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
            | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
        QCOMPARE(QFile::permissions(zip) & others, QFileDevice::Permissions());
        QCOMPARE(QFile::permissions(folder) & others, QFileDevice::Permissions());
        QCOMPARE(dactefiles::unpackArchive(zip, folder).key, QString());
        QStringList pdfs = dactefiles::ListarArquivos(folder);
        pdfs.sort();
        QCOMPARE(pdfs, (QStringList {folder + u"/a.pdf"_s, folder + u"/a.pdf.bak"_s}));
    }
};

QTEST_GUILESS_MAIN(TestDacteReport)
#include "tst_dactereport.moc"
