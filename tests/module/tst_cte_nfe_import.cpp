// NF-e files imported into the real editor, offscreen, against a real cte-server on a loopback
// port and the demo data: what is added, what is refused and why, the sums, the parties.
#include "CTeRecord.h"
#include "Cli_Dfs88000.h"
#include "ClientDataSet.h"
#include "EditorFixture.h"
#include "Exceptions.h"
#include "NfeSamples.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QProgressDialog>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using NfeSamples::Sample;

namespace {

Sample invoice(qint64 number, double weight, int volumes, qint64 cents)
{
    Sample s;
    s.number = number;
    s.products = {{u"PRODUTO %1"_s.arg(number), cents}};
    s.grossWeight = weight;
    s.volumes = volumes;
    return s;
}

} // namespace

class TestCTeNfeImport : public EditorFixture
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString escreve(const QString &name, const QByteArray &xml)
    {
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(xml) != xml.size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
        return file.fileName();
    }

    void novoDocumento()
    {
        listar(u"P"_s);
        trigger(u"mnuIncluir"_s);
        QCOMPARE(m_frm->cdsCTe->State(), dsInsert);
    }

    // Drops `path` on the fiscal documents' page, as a file manager does.
    void solta(const QString &path)
    {
        pagina(m_frm->tshInfCTeNormalSubstituto);
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path)});
        QWidget *page = m_frm->scbInfCTeNormalSubstituto->widget();
        QDragEnterEvent enter({5, 5}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(page, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop({5, 5}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(page, &drop);
        QVERIFY(drop.isAccepted());
        QCoreApplication::processEvents();
    }

    // "gross/volumes" of the quantity rows the system keeps.
    QString mantidas()
    {
        TClientDataSet *q = m_frm->cdsCTeInfQtCarga;
        QStringList out {u"-"_s, u"-"_s};
        for (int row = 0; row < q->RecordCount(); ++row) {
            if (q->ValueAt(row, q->FieldByName(u"IDGERADAAUTO"_s)).toString() == u"S")
                out[q->ValueAt(row, q->FieldByName(u"CDUNIDMEDIDA"_s)) == u"01"_s ? 0 : 1]
                    = QString::number(q->ValueAt(row, q->FieldByName(u"QTCARGA"_s)).toDouble());
        }
        return out.join(u'/');
    }

    QStringList chaves()
    {
        QStringList out;
        TClientDataSet *docs = m_frm->cdsCTeDocFiscais;
        for (int row = 0; row < docs->RecordCount(); ++row)
            out << docs->TextAt(row, docs->FieldByName(u"NRACESSONFE"_s));
        return out;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        EditorFixture::initTestCase();
    }

    // A folder of files from the shipper, dropped on a new document: every good invoice is
    // added once, every other file is refused on its own, the sender comes from the register
    // and the unregistered recipient is reported.
    void fillsANewDocumentFromAFolder()
    {
        QVERIFY(QDir(m_dir.path()).mkpath(u"pasta"_s));
        Sample a = invoice(4101, 1250.5, 12, 2157055);
        a.recipientRegistration = u"11222333000181"_s;
        a.recipientName = u"LOJA SEM CADASTRO LTDA"_s;
        Sample b = invoice(4102, 640, 8, 978000);
        b.withProtocol = false;
        Sample spoiled = invoice(4103, 1, 1, 100);
        spoiled.spoilCheckDigit = true;
        Sample consumer = invoice(4104, 1, 1, 100);
        consumer.model = u"65"_s;
        Sample other = invoice(4105, 1, 1, 100);
        other.issuerRegistration = u"42816397000134"_s;
        other.issuerName = u"AUTO PECAS RODOVIA LTDA"_s;
        const QByteArray xmlA = NfeSamples::Xml(a);
        const QByteArray entity = NfeSamples::Xml(b).replace(
            "?>", "?><!DOCTYPE nfeProc [<!ENTITY e SYSTEM \"file:///etc/hostname\">]>");
        for (const auto &[name, xml] : {std::pair {u"1-a.xml"_s, xmlA},
                                        {u"2-b.xml"_s, NfeSamples::Xml(b)},
                                        {u"3-a-de-novo.xml"_s, xmlA},
                                        {u"4-digito.xml"_s, NfeSamples::Xml(spoiled)},
                                        {u"5-nfce.xml"_s, NfeSamples::Xml(consumer)},
                                        {u"6-cortado.xml"_s, xmlA.left(400)},
                                        {u"7-dtd.xml"_s, entity},
                                        {u"8-outro.xml"_s, NfeSamples::Xml(other)}})
            escreve(u"pasta/"_s + name, xml);
        novoDocumento();
        const QString antes = mantidas();
        solta(m_dir.filePath(u"pasta"_s));

        QCOMPARE(errors(), 0);
        QCOMPARE(chaves(), (QStringList {NfeSamples::AccessKey(a), NfeSamples::AccessKey(b)}));
        QCOMPARE(Cli_Dfs88000::slCTeDocFiscais, chaves());
        QCOMPARE(antes, u"0/-"_s);
        QCOMPARE(mantidas(), u"1890.5/20"_s);
        QCOMPARE(valor(u"VRTOTACARGA"_s), 31350.55);
        QCOMPARE(campo(u"DSPRODPREDOMINA"_s), u"PRODUTO 4101"_s);
        QCOMPARE(campo(contracts::cte::partyClientCodeField(u"REME"_s)), u"101"_s);
        QCOMPARE(campo(u"NMRAZSOCREME"_s), u"METALURGICA VALE DO PARAIBA LTDA"_s);
        QCOMPARE(campo(u"NRINSJURDEST"_s), QString());
        // Removing an imported invoice takes back what it added.
        QVERIFY(m_frm->cdsCTeDocFiscais->Locate(u"NRACESSONFE"_s, NfeSamples::AccessKey(b)));
        QVERIFY(FrameworkGuard([this] { m_frm->cdsCTeDocFiscais->Delete(); }));
        QCOMPARE(mantidas(), u"1250.5/12"_s);
        QCOMPARE(Cli_Dfs88000::slCTeDocFiscais, QStringList {NfeSamples::AccessKey(a)});
        QCOMPARE(
            textsOf(TMsgKind::Information),
            QStringList {
                u"Arquivos lidos: 8. Notas fiscais incluídas: 2. Arquivos recusados: 6.\n"
                "3-a-de-novo.xml: Documento fiscal já informado.\n"
                "4-digito.xml: Dígito verificador da chave de acesso %1 não confere.\n"
                "5-nfce.xml: Documento de modelo 65: só a NF-e (modelo 55) é aceita.\n"
                "6-cortado.xml: XML danificado ou incompleto (linha 1).\n"
                "7-dtd.xml: XML com declaração de tipo de documento (DTD) não é aceito.\n"
                "8-outro.xml: NF-e emitida por 42816397000134 - AUTO PECAS RODOVIA LTDA, que não "
                "é o remetente do CT-e.\n"
                "Destinatário 11.222.333/0001-81 - LOJA SEM CADASTRO LTDA não foi preenchido: "
                "não está cadastrado como cliente nem como fornecedor."_s.arg(
                    NfeSamples::AccessKey(spoiled))});
    }

    // Stopping a large batch keeps what was read and says how much was left.
    void stopsALargeBatch()
    {
        QList<Sample> samples;
        for (int n = 1; n <= 60; ++n)
            samples << invoice(5000 + n, 10, 1, 1000);
        QVERIFY(QDir(m_dir.path()).mkpath(u"lote"_s));
        const QStringList files = NfeSamples::WriteFiles(samples, m_dir.filePath(u"lote"_s));
        QCOMPARE(files.size(), 60);
        novoDocumento();
        QTimer::singleShot(0, m_frm, [this] {
            if (auto *progress = m_frm->findChild<QProgressDialog *>(u"prgImportaNFe"_s))
                progress->cancel();
        });
        QVERIFY(FrameworkGuard([&] { m_frm->ImportaNotasFiscais(files); }));
        const qsizetype added = chaves().size();
        QVERIFY(added > 0 && added < 60);
        QCOMPARE(textsOf(TMsgKind::Information).value(0).split(u'\n'),
                 (QStringList {u"Arquivos lidos: %1. Notas fiscais incluídas: %1. Arquivos "
                               "recusados: 0."_s.arg(added),
                               u"Importação interrompida: %1 arquivo(s) não foram lidos."_s.arg(
                                   60 - added)}));
        QCOMPARE(mantidas(), u"%1/%2"_s.arg(added * 10).arg(added));
    }

    // A pending document of the demo data takes two invoices of its sender and is saved: the
    // server holds them under their keys, with the weight they added.
    void savesTheImportedInvoices()
    {
        listar(u"P"_s);
        QVERIFY(m_frm->cdsCTe->Locate(u"IDSTATUSCTE"_s, u"P"_s));
        const double key = valor(u"CDCTE"_s);
        const QString weight = u"SELECT QTCARGA FROM CTEINFQTCARGA WHERE CDCTE = ? AND "
                               "IDGERADAAUTO = 'S' AND CDUNIDMEDIDA = '01'"_s;
        const double before = sql(weight, {key}).toDouble();
        QList<Sample> samples {invoice(6001, 100, 1, 5000), invoice(6002, 50.25, 2, 7000)};
        for (Sample &s : samples)
            s.issuerRegistration = campo(u"NRINSJURREME"_s);
        trigger(u"mnuAlterar"_s);
        QVERIFY(FrameworkGuard(
            [&] { m_frm->ImportaNotasFiscais(NfeSamples::WriteFiles(samples, m_dir.path())); }));
        trigger(u"mnuConfirmar"_s);
        QCOMPARE(lastError(), QString());
        QCOMPARE(m_frm->cdsCTe->State(), dsBrowse);
        for (const Sample &s : samples)
            QCOMPARE(
                count(u"SELECT COUNT(*) FROM CTEDOCFISCAIS WHERE CDCTE = ? AND NRACESSONFE = ?"_s,
                      {key, NfeSamples::AccessKey(s)}),
                1);
        QCOMPARE(sql(weight, {key}).toDouble(), before + 150.25);
    }
};

QTEST_MAIN(TestCTeNfeImport)
#include "tst_cte_nfe_import.moc"
