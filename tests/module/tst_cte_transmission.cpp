// The editor's transmission command and its result windows, against a real cte-server and the
// real authority stand-in.
#include "A1Certificate.h"
#include "AuthorityHarness.h"
#include "CTeRecord.h"
#include "Cli_Dfs88000.h"
#include "Cli_Dfs88100.h"
#include "Cli_Dfs88200.h"
#include "Cli_Dfs88300.h"
#include "Cli_Dfs88400.h"
#include "Cli_Dfs88500.h"
#include "Cli_Dfs88600.h"
#include "Cli_Dfs88700.h"
#include "Cli_Dfs88800.h"
#include "Cli_Dfs88900.h"
#include "ClientDataSet.h"
#include "DBEdit.h"
#include "DBGrid.h"
#include "DactePainter.h"
#include "DacteReport.h"
#include "DacteXml.h"
#include "DataSource.h"
#include "DemoData.h"
#include "EditorFixture.h"
#include "Exceptions.h"
#include "Field.h"
#include "MailSink.h"
#include "ModalHelper.h"
#include "PdfProbe.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace Qt::StringLiterals;

class TestCTeTransmission : public EditorFixture
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<AuthorityProcess> m_authority;
    std::unique_ptr<ServerProcess> m_brokenServer; // its certificate does not exist, nor e-mail
    std::unique_ptr<MailSinkProcess> m_mail;

    QString settings(const QString &name, const QString &p12)
    {
        const QString path = m_dir.filePath(name + u".ini"_s);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(u"[certificate]\nfile=%1\npasswordFile=%2\n[authority]\nreception="
                       "http://127.0.0.1:%3/ws/CTeRecepcaoSincV4/CTeRecepcaoSincV4.asmx\n"
                       "[schemas]\ndir=%4\n%5"_s.arg(p12, m_dir.filePath(u"demo.password"_s))
                           .arg(m_authority->port())
                           .arg(qEnvironmentVariable("CTE_SCHEMA_DIR"))
                           .arg(name == u"ok"
                                    ? u"[mail]\nserver=127.0.0.1\nsecurity=none\n"
                                      "from=cte@serraazul.test\nport=%1\n"_s.arg(m_mail->port())
                                    : QString())
                           .toUtf8());
        return path;
    }

    // The editor on the server at `port`, listing every document.
    void open(int port)
    {
        beginCase(port);
        openEditor();
        listar();
    }

    // Marks the listed document `key` as the user does (double click on its row).
    void mark(qint64 key)
    {
        QVERIFY(m_frm->cdsCTe->Locate(u"CDCTE"_s, double(key)));
        FrameworkGuard([this] { m_frm->dbgPadrao->OnDblClick(); });
        QCOMPARE(m_frm->cdsCTe->FieldByName(u"IDCHECK"_s)->AsString(), u"S"_s);
    }

    // The first page of a DACTE at 100 dpi.
    static QImage pageImage(const dacte::DacteData &data)
    {
        QImage image(827, 1170, QImage::Format_RGB32);
        image.setDotsPerMeterX(3937);
        image.setDotsPerMeterY(3937);
        image.fill(Qt::white);
        QPainter painter(&image);
        dacte::drawPage(painter, data, 0);
        return image;
    }

    int fault(const QStringList &args)
    {
        return AuthorityProcess::command(m_dir.filePath(u"authority"_s),
                                         QStringList {u"fault"_s} + args);
    }

    // The editor opened and `key` transmitted alone while the stand-in's switch `setting` is on;
    // the document is not sent ("Não") and ends in `expected`.
    void transmitUnderFault(qint64 key, const QString &setting, const QString &expected)
    {
        open(m_server->port());
        mark(key);
        QCOMPARE(fault({setting}), 0);
        const QStringList shown = transmit();
        QCOMPARE(fault({u"--clear"_s}), 0);
        QCOMPARE(shown, QStringList {u"Não"_s});
        QCOMPARE(status(key), expected);
    }

    // The stand-in authorises and then drops the connection: the answer is lost.
    void transmitWithoutAnswer(qint64 key) { transmitUnderFault(key, u"drop"_s, u"T"_s); }

    QString status(qint64 key)
    {
        return sql(u"SELECT IDSTATUSCTE FROM CTE WHERE CDCTE = ?"_s, {key}).toString();
    }

    // Presses the command; a result window that opens is read and closed. Gives the texts the
    // result grid showed under "Enviado", or "(none)" when no window opened.
    QStringList transmit()
    {
        QStringList shown;
        bool opened = false;
        QTimer watch;
        watch.setInterval(20);
        connect(&watch, &QTimer::timeout, this, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible())
                return;
            watch.stop();
            if (auto *grid = modal->findChild<TDBGrid *>(u"dbgObservacao"_s)) {
                opened = true;
                TClientDataSet *ds = m_frm->cdsResultNotaFiscal;
                TField *sent = ds->FieldByName(u"IDGERADO"_s);
                for (ds->First(); !ds->Eof(); ds->Next())
                    shown << sent->DisplayText();
                if (grid->DataSource() != m_frm->findChild<TDataSource *>(u"dtsResultNotaFiscal"_s))
                    shown << u"(grid not on dtsResultNotaFiscal)"_s;
            }
            modal->close();
        });
        watch.start();
        QAction *command = m_frm->findChild<QAction *>(u"mnuTransCTe"_s);
        if (command && command->isEnabled())
            command->trigger();
        else
            FrameworkGuard([this] { m_frm->sbtTransCTeClick(); });
        watch.stop();
        QCoreApplication::processEvents();
        return opened ? shown : QStringList {u"(none)"_s};
    }

private slots:
    void initTestCase()
    {
        m_db = std::make_unique<TestDatabase>();
        QVERIFY(demodata::writeDemoCertificate(m_dir.filePath(u"demo"_s)));
        m_authority = AuthorityProcess::forDemoIssuer(m_dir.filePath(u"authority"_s),
                                                      m_dir.filePath(u"demo.pem"_s));
        QVERIFY2(m_authority && m_authority->port() > 0, "authority-sim did not start");
        m_mail = std::make_unique<MailSinkProcess>();
        QVERIFY(m_mail->port() > 0);
        startServer({u"--settings"_s, settings(u"ok"_s, m_dir.filePath(u"demo.p12"_s))});
        m_brokenServer = std::make_unique<ServerProcess>(
            m_db->connectionString(),
            QStringList {u"--settings"_s, settings(u"broken"_s, m_dir.filePath(u"nowhere.p12"_s))});
        QVERIFY(m_brokenServer->port() > 0);
    }
    // Each case opens the editor on the server it needs.
    void init() { }
    void cleanupTestCase()
    {
        m_brokenServer.reset();
        stopServer();
        m_authority.reset();
    }

    void oneAuthorisedShowsOnlyTheSuccessBox()
    {
        const qint64 key = demodata::insertCompleteDemoDocument(m_db->db());
        open(m_server->port());
        mark(key);
        QCOMPARE(Cli_Dfs88000::inCount, 1);
        QCOMPARE(transmit(), QStringList {u"(none)"_s});
        QCOMPARE(textsOf(TMsgKind::Information), QStringList {u"CT-e enviado com sucesso."_s});
        QCOMPARE(textsOf(TMsgKind::Error), QStringList());
        QCOMPARE(status(key), u"A"_s);
        // Reloaded on the same document, unmarked, accepted with its access key.
        QCOMPARE(m_frm->cdsCTe->FieldByName(u"CDCTE"_s)->AsFloat(), double(key));
        QCOMPARE(m_frm->cdsCTe->FieldByName(u"IDSTATUSCTE"_s)->AsString(), u"A"_s);
        QCOMPARE(m_frm->cdsCTe->FieldByName(u"NRACESSOCTE"_s)->AsString().size(), 44);
        QVERIFY(!marcas().contains(u"S"_s));
        QCOMPARE(Cli_Dfs88000::inCount, 0);
        QVERIFY(!m_frm->findChild<QAction *>(u"mnuTransCTe"_s)->isEnabled());
    }

    void oneRefusedOpensTheWindowWithNao()
    {
        // The authority refuses whatever it receives now.
        const qint64 key = demodata::insertCompleteDemoDocument(m_db->db());
        transmitUnderFault(key, u"reject:230"_s, u"R"_s);
        QCOMPARE(textsOf(TMsgKind::Information), QStringList());
        QVERIFY(m_frm->cdsResultNotaFiscal->FieldByName(u"DSOBSERVACAO"_s)
                    ->AsString()
                    .contains(u"230"_s));
    }

    // The story of a document whose answer was lost: it stays "T" until the status query settles
    // it, and once accepted it is cancelled through the dialog, which refuses a short reason.
    void lostAnswerSettledThenCancelled()
    {
        const qint64 key = demodata::insertCompleteDemoDocument(m_db->db());
        transmitWithoutAnswer(key);

        mark(key);
        trigger(u"mnuAtualizaLoteCTe"_s);
        QCOMPARE(textsOf(TMsgKind::Information),
                 QStringList {u"Consulta realizada com sucesso."_s});
        QCOMPARE(status(key), u"A"_s);
        QCOMPARE(m_frm->cdsCTe->FieldByName(u"CDCTE"_s)->AsFloat(), double(key));
        QVERIFY(!marcas().contains(u"S"_s));
        QCOMPARE(Cli_Dfs88000::inCount, 0);

        m_sink->clear();
        QStringList dialog;
        WhenModal([&](QWidget *w) {
            auto *frm = qobject_cast<TfrmCancelaCTe *>(w);
            if (!frm) {
                w->close();
                return;
            }
            dialog << frm->dbeNrAcessoCTe->text();
            frm->memMotivoCancelaCTe->setPlainText(u"Frete desistido"_s.left(14));
            frm->sbtConfirma->click();
            dialog << (frm->isVisible() ? u"open"_s : u"closed"_s);
            frm->memMotivoCancelaCTe->setPlainText(u"Frete desistido"_s);
            frm->sbtConfirma->click();
        });
        trigger(u"mnuCancelaCTe"_s);
        QCOMPARE(
            dialog,
            (QStringList {m_frm->cdsCTe->FieldByName(u"NRACESSOCTE"_s)->AsString(), u"open"_s}));
        QCOMPARE(
            textsOf(TMsgKind::Error),
            QStringList {u"Motivo do Cancelamento do CT-e deve conter no mínimo 15 caracteres."_s});
        QCOMPARE(textsOf(TMsgKind::Information),
                 QStringList {u"Cancelamento do CT-e realizado com sucesso."_s});
        QCOMPARE(status(key), u"C"_s);
        QCOMPARE(m_frm->cdsCTe->FieldByName(u"IDSTATUSCTE"_s)->AsString(), u"C"_s);
        QVERIFY(Cli_Dfs88000::boModoLeitura);
        QVERIFY(!m_frm->findChild<QAction *>(u"mnuCancelaCTe"_s)->isEnabled());
        QVERIFY(!m_frm->findChild<QAction *>(u"mnuAlterar"_s)->isEnabled());
    }

    // A correction letter through the dialog (a forbidden field refused, then one sent and
    // listed with its protocol), and a range voided in the window opened from the host's menu.
    void correctionLetterAndVoiding()
    {
        const qint64 key = demodata::insertCompleteDemoDocument(m_db->db());
        open(m_server->port());
        mark(key);
        QCOMPARE(transmit(), QStringList {u"(none)"_s});
        QVERIFY(m_frm->findChild<QAction *>(u"mnuCartaCorrecaoCTe"_s)->isEnabled());
        m_sink->clear();
        const auto choose = [](TfrmCartaCorrecaoCTe *frm, const QString &group,
                               const QString &field, const QString &value) {
            qobject_cast<QComboBox *>(frm->grdCorrecoes->cellWidget(0, 0))->setCurrentText(group);
            qobject_cast<QComboBox *>(frm->grdCorrecoes->cellWidget(0, 1))->setCurrentText(field);
            frm->grdCorrecoes->item(0, 2)->setText(value);
        };
        bool stayedOpen = false;
        WhenModal([&](QWidget *w) {
            auto *frm = qobject_cast<TfrmCartaCorrecaoCTe *>(w);
            if (!frm) {
                w->close();
                return;
            }
            choose(frm, u"emit"_s, u"CNPJ"_s, u"09317584000106"_s);
            frm->sbtConfirma->click();
            stayedOpen = frm->isVisible();
            choose(frm, u"compl"_s, u"xObs"_s, u"Entregar na doca 3"_s);
            frm->sbtConfirma->click();
        });
        trigger(u"mnuCartaCorrecaoCTe"_s);
        QVERIFY(stayedOpen);
        QCOMPARE(textsOf(TMsgKind::Error).value(0).left(59),
                 u"O campo CNPJ do grupo emit não pode ser corrigido por carta"_s);
        const QString protocol
            = sql(u"SELECT NRPROTOCOLO FROM CTEEVENTO WHERE CDCTE = ? AND TPEVENTO = '110110'"_s,
                  {key})
                  .toString();
        QCOMPARE(protocol.size(), 15);
        QCOMPARE(textsOf(TMsgKind::Information),
                 QStringList {
                     u"Carta de Correção registrada pela SEFAZ. Protocolo %1."_s.arg(protocol)});
        QStringList listed;
        WhenModal([&](QWidget *w) {
            if (auto *frm = qobject_cast<TfrmCartaCorrecaoCTe *>(w))
                listed << frm->grdCartas->item(0, 1)->text();
            w->close();
        });
        trigger(u"mnuCartaCorrecaoCTe"_s);
        QCOMPARE(listed, QStringList {protocol});

        m_sink->clear();
        QString voided;
        WhenModal([&](QWidget *w) {
            auto *frm = qobject_cast<TfrmInutilizaCTe *>(w);
            if (!frm) {
                w->close();
                return;
            }
            frm->edtNumeroInicial->setText(u"900001"_s);
            frm->edtNumeroFinal->setText(u"900002"_s);
            frm->memMotivo->setPlainText(u"Numeracao pulada por falha"_s);
            frm->sbtConfirma->click();
            voided = frm->grdInutilizadas->rowCount() > 0 ? frm->grdInutilizadas->item(0, 3)->text()
                                                          : QString();
            frm->close();
        });
        FrameworkGuard([] { Cli_Dfs88900::CriaInutilizaCTe(); });
        QCOMPARE(voided, u"900002"_s);
        QCOMPARE(textsOf(TMsgKind::Information).value(0).left(39),
                 u"Inutilização homologada pela SEFAZ. Pro"_s);
    }

    void batchWindowSettlesMarkedBatches()
    {
        const qint64 key = demodata::insertCompleteDemoDocument(m_db->db());
        transmitWithoutAnswer(key);

        QStringList seen;
        WhenModal([&](QWidget *w) {
            auto *frm = qobject_cast<TfrmAtualizaLoteCTe *>(w);
            if (!frm) {
                w->close();
                return;
            }
            TClientDataSet *lotes = frm->cdsAtualizaLoteCTe;
            const auto marks = [lotes] {
                QStringList m;
                for (lotes->First(); !lotes->Eof(); lotes->Next())
                    m << lotes->FieldByName(u"IDCHECK"_s)->AsString();
                m.removeDuplicates();
                return m.join(u',');
            };
            // The title of the mark column marks every batch, then none; F5 drops the marks.
            frm->dbgPadrao->OnTitleClick(0);
            seen << marks();
            frm->dbgPadrao->OnTitleClick(0);
            seen << marks();
            frm->dbgPadrao->OnTitleClick(0);
            QTest::keyClick(frm, Qt::Key_F5);
            seen << marks();
            frm->sbtConfirma->click();
            seen << textsOf(TMsgKind::Error).join(u';');
            // The newest batch is this transmission's: marked with the space bar.
            lotes->Last();
            frm->dbgPadrao->SetSelectedIndex(0);
            int space = Qt::Key_Space;
            frm->dbgPadrao->OnKeyDown(space, Qt::NoModifier);
            // The document now accepted has its e-mail pending: that window opens.
            WhenModal(
                [&](QWidget *email) {
                    seen << email->objectName();
                    email->close();
                },
                frm);
            frm->sbtConfirma->click();
            seen << marks();
            frm->close();
        });
        Cli_Dfs88200::CriaAtualizaLoteCTe();
        QCOMPARE(seen,
                 (QStringList {u"S"_s, u"N"_s, u"N"_s, u"Lote deve ser informado."_s,
                               u"frmEnvioEmailCTe"_s, u"N"_s}));
        QCOMPARE(status(key), u"A"_s);
        QCOMPARE(m_frm->cdsEnvioEmailCTe->RecordCount(), 1);
    }

    void twoDocumentsAlwaysOpenTheWindow()
    {
        const qint64 first = demodata::insertCompleteDemoDocument(m_db->db());
        const qint64 second = demodata::insertCompleteDemoDocument(m_db->db());
        open(m_server->port());
        mark(first);
        mark(second);
        QCOMPARE(transmit(), (QStringList {u"Sim"_s, u"Sim"_s}));
        QCOMPARE(textsOf(TMsgKind::Information), QStringList());
        QCOMPARE(status(first), u"A"_s);
        QCOMPARE(status(second), u"A"_s);
    }

    void emptyResultReloadsAndClearsMarks()
    {
        // The only marked document is deleted by someone else: nothing to report.
        const qint64 kept = demodata::insertCompleteDemoDocument(m_db->db());
        const qint64 gone = demodata::insertCompleteDemoDocument(m_db->db());
        open(m_server->port());
        mark(gone);
        QVERIFY(m_frm->cdsCTe->Locate(u"CDCTE"_s, double(kept)));
        for (const char16_t *table : {u"CTEIMPOSTOS", u"CTECOMPVALOR", u"CTEDOCFISCAIS",
                                      u"CTEINFQTCARGA", u"CTEDADOSADIC", u"CTE"})
            sql(u"DELETE FROM %1 WHERE CDCTE = ?"_s.arg(QString::fromUtf16(table)), {gone});
        QCOMPARE(transmit(), QStringList {u"(none)"_s});
        QCOMPARE(textsOf(TMsgKind::Information), QStringList());
        QCOMPARE(textsOf(TMsgKind::Error), QStringList());
        QVERIFY(!m_frm->cdsCTe->Locate(u"CDCTE"_s, double(gone)));
        QVERIFY(!marcas().contains(u"S"_s));
        QCOMPARE(Cli_Dfs88000::inCount, 0);
        QCOMPARE(status(kept), u"P"_s);
    }

    void failureKeepsMarksAndCurrentDocument()
    {
        const qint64 marked = demodata::insertCompleteDemoDocument(m_db->db());
        const qint64 current = demodata::insertCompleteDemoDocument(m_db->db());
        open(m_brokenServer->port());
        mark(marked);
        QVERIFY(m_frm->cdsCTe->Locate(u"CDCTE"_s, double(current)));
        const QStringList before = marcas();
        QCOMPARE(transmit(), QStringList {u"(none)"_s});
        QCOMPARE(textsOf(TMsgKind::Error).size(), 1);
        QVERIFY2(textsOf(TMsgKind::Error).first().contains(u"certificado"_s),
                 qPrintable(textsOf(TMsgKind::Error).first()));
        QCOMPARE(marcas(), before);
        QCOMPARE(Cli_Dfs88000::inCount, 1);
        QCOMPARE(m_frm->cdsCTe->FieldByName(u"CDCTE"_s)->AsFloat(), double(current));
        QCOMPARE(status(marked), u"P"_s);
    }

    // The edit is saved first; the save reloads the list, which clears the marks, so nothing is
    // left to send either way.
    void editIsPostedFirst_data()
    {
        QTest::addColumn<QString>("cfop");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QString>("error");
        QTest::newRow("valid edit is saved")
            << u"6352"_s << true
            << u"Conhecimento de transporte deve ser informado para transmissão."_s;
        QTest::newRow("failing check saves and sends nothing") << QString() << false << u"CFOP"_s;
    }

    void editIsPostedFirst()
    {
        QFETCH(QString, cfop);
        QFETCH(bool, saved);
        QFETCH(QString, error);
        const qint64 key = demodata::insertCompleteDemoDocument(m_db->db());
        open(m_server->port());
        mark(key);
        m_frm->cdsCTe->Edit();
        m_frm->cdsCTe->FieldByName(u"DSOUTCARCARGA"_s)->SetAsString(u"GRANEL"_s);
        m_frm->cdsCTe->FieldByName(u"CDCFOP"_s)->SetAsString(cfop);
        QCOMPARE(transmit(), QStringList {u"(none)"_s});
        QCOMPARE(status(key), u"P"_s);
        QCOMPARE(textsOf(TMsgKind::Error).size(), 1);
        QVERIFY2(textsOf(TMsgKind::Error).first().contains(error),
                 qPrintable(textsOf(TMsgKind::Error).first()));
        QCOMPARE(sql(u"SELECT DSOUTCARCARGA FROM CTE WHERE CDCTE = ?"_s, {key}).toString()
                     == u"GRANEL",
                 saved);
    }

    void nothingMarked_data()
    {
        QTest::addColumn<bool>("query");
        QTest::newRow("transmission") << false;
        QTest::newRow("status query") << true;
    }

    void nothingMarked()
    {
        QFETCH(bool, query);
        open(m_server->port());
        if (query)
            FrameworkGuard([this] { m_frm->sbtAtualizaLoteCTeClick(); });
        else
            QCOMPARE(transmit(), QStringList {u"(none)"_s});
        QCOMPARE(
            textsOf(TMsgKind::Error),
            QStringList {u"Conhecimento de transporte deve ser informado para transmissão."_s});
        QCOMPARE(m_frm->cdsCTe->Filtered(), false);
    }

    void sentMarkText_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("S") << u"S"_s << u"Sim"_s;
        QTest::newRow("N") << u"N"_s << u"Não"_s;
        QTest::newRow("other") << u"X"_s << QString();
        QTest::newRow("empty") << QString() << QString();
    }

    void sentMarkText()
    {
        QFETCH(QString, value);
        QFETCH(QString, text);
        open(m_server->port());
        TClientDataSet *ds = m_frm->cdsResultNotaFiscal;
        contracts::DataPacket p;
        p.fields = contracts::cte::transmissionResultFields();
        contracts::Row row(p.fields.size());
        row[p.indexOf(u"IDGERADO"_s)] = value;
        p.rows.append(row);
        ds->SetData(QVariant::fromValue(p));
        QString shown = u"unchanged"_s;
        m_frm->cdsResultNotaFiscalIDGERADOGetText(ds->FieldByName(u"IDGERADO"_s), shown, true);
        QCOMPARE(shown, text);
    }

    void resultWindows_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QList<int>>("widths");
        QTest::newRow("transmission result")
            << u"Observação"_s << QSize(899, 220)
            << QStringList {u"NRCTE"_s, u"IDGERADO"_s, u"NRACESSONFE"_s, u"DSOBSERVACAO"_s}
            << QStringList {u"Número"_s, u"Enviado"_s, u"Chave de acesso CT-e"_s, u"Observação"_s}
            << QList<int> {0, 51, 266, 484};
        QTest::newRow("return detail")
            << u"Situação da Geração"_s << QSize(1205, 220)
            << QStringList {u"NRACESSONFE"_s, u"DSRETORNO"_s, u"IDSTATUS"_s}
            << QStringList {u"Chave de Acesso"_s, u"Descrição"_s, u"Status"_s}
            << QList<int> {285, 778, 84};
        QTest::newRow("e-mail result")
            << u"Envio de E-mail do CT-e"_s << QSize()
            << QStringList {u"CDCTE"_s, u"NRCTE"_s, u"IDEMAILCTE"_s, u"DSOBSEMAILCTE"_s}
            << QStringList {u"Código"_s, u"Número"_s, u"Status"_s, u"Observação"_s}
            << QList<int> {65, 65, 65, 583};
    }

    void resultWindows()
    {
        QFETCH(QString, window);
        QFETCH(QSize, size);
        QFETCH(QStringList, fields);
        QFETCH(QStringList, titles);
        QFETCH(QList<int>, widths);
        QWidget *w = nullptr;
        if (window == u"Observação")
            w = new TfrmObservacao;
        else if (window == u"Situação da Geração")
            w = new TfrmDetalheRetorno;
        else
            w = new TfrmEnvioEmailCTe;
        std::unique_ptr<QWidget> owner(w);
        QCOMPARE(w->windowTitle(), window);
        if (size.isValid())
            QCOMPARE(w->size(), size);
        const TDBGrid *grid = w->findChild<TDBGrid *>();
        QVERIFY(grid);
        QVERIFY(grid->ReadOnly());
        QVERIFY(grid->RowSelect());
        QCOMPARE(grid->palette().color(QPalette::Base),
                 grid->palette().color(QPalette::ToolTipBase));
        QCOMPARE(grid->Columns().size(), fields.size());
        for (int i = 0; i < fields.size(); ++i) {
            QCOMPARE(grid->Columns().at(i).FieldName, fields.at(i));
            QCOMPARE(grid->Columns().at(i).Title, titles.at(i));
            QCOMPARE(grid->Columns().at(i).Width, widths.at(i));
        }
    }

    // The DACTE of the accepted document, as the user gets it: a cancelled save dialog sends
    // nothing; saved, the PDF carries the key and the temporary folder is left clean; a document
    // the server no longer holds as accepted shows its return details before the question; the
    // report window's sets, from PreparaDACTe, draw the same page as the stored XML.
    void dacteOfTheAcceptedDocument()
    {
        const qint64 key = demodata::insertCompleteDemoDocument(m_db->db());
        QString accessKey;
        accepted(key, accessKey);
        QVERIFY(acao(u"mnuImprimir"_s)->isEnabled());
        const QString tmp = m_dir.filePath(u"tmp"_s);
        QVERIFY(QDir().mkpath(tmp));
        qputenv("TMPDIR", tmp.toUtf8());
        const QString target = m_dir.filePath(accessKey + u"-cte.pdf"_s);
        const auto save = [&](QWidget *w) {
            auto *dialog = qobject_cast<QFileDialog *>(w);
            QVERIFY(dialog && dialog->objectName() == u"svdPdfDACTE");
            QCOMPARE(dialog->selectedFiles().value(0).section(u'/', -1), accessKey + u"-cte.pdf"_s);
            dialog->setDirectory(m_dir.path());
            QMetaObject::invokeMethod(dialog, "accept");
        };

        WhenModal([](QWidget *w) { w->close(); });
        trigger(u"mnuImprimir"_s);
        QCOMPARE(calls(u"GerarDACTE"_s), 0);

        m_sink->clear();
        m_sink->queueAnswer(mbNo);
        WhenModal(save);
        trigger(u"mnuImprimir"_s);
        QFile pdf(target);
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(
            probePdf(pdf.readAll()).text.contains(accessKey.left(4) + u' ' + accessKey.mid(4, 4)));
        QCOMPARE(textsOf(TMsgKind::Question),
                 QStringList {u"DACTE gerado com sucesso. Deseja abrir o arquivo?"_s});
        QCOMPARE(QDir(tmp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList());

        // The print ends by reloading the list; the document is chosen again.
        QVERIFY(m_frm->cdsCTe->Locate(u"CDCTE"_s, double(key)));
        sql(u"UPDATE CTE SET IDSTATUSCTE = 'P' WHERE CDCTE = ?"_s, {key});
        m_sink->clear();
        m_sink->queueAnswer(mbNo);
        // The same file again: the dialog asks before replacing it.
        QStringList seen;
        WhenModal([&](QWidget *w) {
            WhenModal(
                [&, w](QWidget *box) {
                    seen << box->objectName();
                    qobject_cast<QMessageBox *>(box)->button(QMessageBox::Yes)->click();
                    WhenModal(
                        [&](QWidget *detail) {
                            seen << detail->objectName()
                                    + m_frm->cdsDetalheRetorno->FieldByName(u"IDSTATUS"_s)
                                          ->AsString()
                                    + QString::number(m_sink->entries().size());
                            detail->close();
                        },
                        w);
                },
                w);
            save(w);
        });
        trigger(u"mnuImprimir"_s);
        QCOMPARE(seen, (QStringList {QString(), u"frmDetalheRetorno10"_s}));
        QCOMPARE(textsOf(TMsgKind::Question).size(), 1);
        QCOMPARE(errors(), 0);
        sql(u"UPDATE CTE SET IDSTATUSCTE = 'A' WHERE CDCTE = ?"_s, {key});

        QImage fromSets, fromXml;
        WhenModal([&](QWidget *w) {
            auto *form = qobject_cast<TfrmDACTE *>(w);
            FrameworkGuard([form] { form->rpddPadraoBeforeGetQueryParams(); });
            fromSets = pageImage(dacte::dataFromSources(*form));
            w->close();
        });
        Cli_Dfs88300::CriaDACTE(double(key));
        fromXml = pageImage(dacte::readDacteXml(
            sql(u"SELECT DSXMLCTE FROM CTE WHERE CDCTE = ?"_s, {key}).toString().toUtf8(),
            sql(u"SELECT DSXMLPROTOCOLO FROM CTE WHERE CDCTE = ?"_s, {key}).toString().toUtf8(),
            double(key)));
        QCOMPARE(textsOf(TMsgKind::Error), QStringList());
        QVERIFY(!fromSets.isNull());
        QVERIFY(fromSets == fromXml);
    }

private:
    // The editor on the document `key` once the stand-in accepted it; its access key.
    void accepted(qint64 key, QString &accessKey)
    {
        open(m_server->port());
        mark(key);
        QCOMPARE(transmit(), QStringList {u"(none)"_s});
        QVERIFY(m_frm->cdsCTe->Locate(u"CDCTE"_s, double(key)));
        accessKey = m_frm->cdsCTe->FieldByName(u"NRACESSOCTE"_s)->AsString();
    }

    // The e-mail window's rows into `rows` as "Código|Status|Observação", read and closed when
    // it opens.
    void emailRows(QStringList &rows)
    {
        WhenModal([&](QWidget *w) {
            if (auto *frm = qobject_cast<TfrmEnvioEmailCTe *>(w);
                frm && frm->dbgPadrao->DataSource() == m_frm->dtsEnvioEmailCTe) {
                TClientDataSet *ds = m_frm->cdsEnvioEmailCTe;
                for (ds->First(); !ds->Eof(); ds->Next())
                    rows << ds->FieldByName(u"CDCTE"_s)->AsString() + u'|'
                            + ds->FieldByName(u"IDEMAILCTE"_s)->DisplayText() + u'|'
                            + ds->FieldByName(u"DSOBSEMAILCTE"_s)->AsString();
            }
            w->close();
        });
    }

    // Answers the directory chooser with `folder`; a new one is created once confirmed.
    void chooseFolder(const QString &folder)
    {
        m_sink->queueAnswer(mbYes);
        WhenModal([folder](QWidget *w) {
            if (auto *dialog = qobject_cast<QFileDialog *>(w)) {
                // Typed, as a user does for a folder that may not exist yet.
                dialog->findChild<QLineEdit *>(u"fileNameEdit"_s)->setText(folder);
                QMetaObject::invokeMethod(dialog, "accept");
            } else {
                w->close();
            }
        });
    }

private slots:
    // The user e-mails an accepted document, which the sink receives, then exports its XML; a
    // server without e-mail leaves it pending with its reason.
    void emailAndXmlOfTheAcceptedDocument()
    {
        const qint64 key = demodata::insertCompleteDemoDocument(m_db->db());
        QString accessKey;
        accepted(key, accessKey);
        const qsizetype before = m_mail->messages().size();
        QStringList rows;
        emailRows(rows);
        trigger(u"mnuEnviaEmailCTeSeleMenu"_s);
        QCOMPARE(rows, QStringList {u"%1|Enviado|E-mail enviado com sucesso."_s.arg(key)});
        QCOMPARE(m_mail->messages().size(), before + 1);
        QVERIFY(
            m_mail->messages().constLast().attachmentNames.contains(accessKey + u"-procCTe.xml"_s));
        QCOMPARE(m_frm->cdsCTe->FieldByName(u"CDCTE"_s)->AsFloat(), double(key));
        QCOMPARE(m_frm->cdsCTe->FieldByName(u"IDEMAILCTE"_s)->DisplayText(), u"Enviado"_s);

        // Its XML, not in other situations, and once cancelled into a folder given with a
        // trailing separator, once accepted into one typed new.
        QVERIFY(QDir().mkpath(m_dir.filePath(u"xml/C"_s)));
        for (const QString &status : {u"P"_s, u"T"_s, u"R"_s, u"C"_s, u"A"_s}) {
            sql(u"UPDATE CTE SET IDSTATUSCTE = ? WHERE CDCTE = ?"_s, {status, key});
            listar();
            QVERIFY(m_frm->cdsCTe->Locate(u"CDCTE"_s, double(key)));
            const bool exported = status == u"A" || status == u"C";
            const QString folder = m_dir.filePath(u"xml/"_s + status + (exported ? u"/"_s : u""_s));
            m_sink->clear();
            if (exported)
                chooseFolder(status == u"C" ? folder : folder.chopped(1));
            trigger(u"actGeraXML"_s);
            QCOMPARE(textsOf(exported ? TMsgKind::Information : TMsgKind::Error),
                     QStringList {exported ? u"XML CT-e gerado com sucesso."_s
                                           : u"Não é possível gerar XML do CT-e selecionado."_s});
            QCOMPARE(QDir(folder).entryList(QDir::Files),
                     exported ? QStringList {accessKey + u"-procCTe.xml"_s} : QStringList());
        }
        QFile file(m_dir.filePath(u"xml/A/"_s + accessKey + u"-procCTe.xml"_s));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?><cteProc"));
        QCOMPARE(m_frm->cdsCTe->FieldByName(u"CDCTE"_s)->AsFloat(), double(key));

        sql(u"UPDATE CTE SET IDEMAILCTE = 'P' WHERE CDCTE = ?"_s, {key});
        open(m_brokenServer->port());
        QVERIFY(m_frm->cdsCTe->Locate(u"CDCTE"_s, double(key)));
        rows.clear();
        emailRows(rows);
        trigger(u"mnuEnviaEmailCTeSeleMenu"_s);
        QCOMPARE(rows.size(), 1);
        QVERIFY2(rows.at(0).startsWith(u"%1|Pendente|E-mail não enviado"_s.arg(key)),
                 qPrintable(rows.at(0)));
        QCOMPARE(m_frm->cdsCTe->FieldByName(u"IDEMAILCTE"_s)->DisplayText(), u"Pendente"_s);
    }

    // The pending command sends the whole list; the server takes the accepted documents whose
    // e-mail was not sent, and the window shows them by code.
    void pendingEmailsOfTheList()
    {
        QList<qint64> keys;
        for (int i = 0; i < 4; ++i)
            keys << demodata::insertCompleteDemoDocument(m_db->db());
        open(m_server->port());
        for (qint64 key : keys.mid(1))
            mark(key);
        QCOMPARE(transmit(), (QStringList {u"Sim"_s, u"Sim"_s, u"Sim"_s}));
        sql(u"UPDATE CTE SET IDEMAILCTE = 'E' WHERE CDCTE = ?"_s, {keys.at(2)});
        QStringList rows;
        emailRows(rows);
        trigger(u"mnuEnviaEmailCTePendBotao"_s);
        const QString sent = u"%1|Enviado|E-mail enviado para compras@metalvale.com.br, "
                             "nfe@boamesa.com.br."_s;
        for (const QString &row : std::as_const(rows))
            QVERIFY(!row.startsWith(QString::number(keys.at(0)) + u'|'));
        QVERIFY(rows.indexOf(sent.arg(keys.at(1))) >= 0);
        QVERIFY(!rows.contains(sent.arg(keys.at(2))));
        QVERIFY(rows.indexOf(sent.arg(keys.at(3))) > rows.indexOf(sent.arg(keys.at(1))));
        QCOMPARE(m_frm->cdsCTe->FieldByName(u"IDEMAILCTE"_s)->DisplayText(), u"Enviado"_s);
    }

    // What the server answers is written inside the folder only: a generated row without text
    // writes nothing and still counts as generated, a name that would leave the folder is
    // refused for its row, and the declaration becomes version 1.0 in UTF-8.
    void xmlAnswerWritten_data()
    {
        QTest::addColumn<QStringList>("rows"); // "generated|name|text"
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("message");
        const QString ok = u"XML CT-e gerado com sucesso."_s;
        const QString refused = u"Arquivo não gravado: o nome \"%1\" recebido do servidor não é "
                                "um nome de arquivo simples."_s;
        QTest::newRow("empty text") << QStringList {u"S|a.xml|"_s} << QStringList() << ok;
        QTest::newRow("no rows") << QStringList() << QStringList() << ok;
        QTest::newRow("not generated")
            << QStringList {u"N||"_s, u"S|b.xml|<b/>"_s} << QStringList {u"b.xml"_s}
            << u"Não foi possível gerar o XML do CT-e selecionado."_s;
        QTest::newRow("declaration")
            << QStringList {u"S|c.xml|<?xml version='1.0' encoding='ISO-8859-1'?><c>ç</c>"_s}
            << QStringList {u"c.xml"_s} << ok;
        for (const QString &name : {u"../fora.xml"_s, u"/tmp/fora.xml"_s, u"sub/fora.xml"_s,
                                    u"sub\\fora.xml"_s, u"fora\0.xml"_s, u".."_s, QString()})
            QTest::newRow(qPrintable(u"hostile "_s + name))
                << QStringList {u"S|"_s + name + u"|<a/>"_s, u"S|b.xml|<b/>"_s}
                << QStringList {u"b.xml"_s} << refused.arg(name);
    }
    void xmlAnswerWritten()
    {
        QFETCH(QStringList, rows);
        QFETCH(QStringList, files);
        QFETCH(QString, message);
        open(m_server->port());
        contracts::DataPacket p;
        p.fields = contracts::cte::transmissionResultFields();
        for (const QString &r : rows) {
            contracts::Row row(p.fields.size());
            row[p.indexOf(u"IDGERADO"_s)] = r.section(u'|', 0, 0);
            row[p.indexOf(u"DSNOMEARQXML"_s)] = r.section(u'|', 1, 1);
            row[p.indexOf(u"DSTEXTOXML"_s)] = r.section(u'|', 2);
            p.rows.append(row);
        }
        m_frm->cdsResultNotaFiscal->SetData(QVariant::fromValue(p));
        QTemporaryDir outside;
        const QString folder = outside.filePath(u"escolhida/"_s);
        QVERIFY(QDir().mkpath(folder));
        m_sink->clear();
        FrameworkGuard([&] { m_frm->GravaResultadoXML(folder); });
        QCOMPARE(textsOf(TMsgKind::Information), QStringList {message});
        QCOMPARE(QDir(folder).entryList(QDir::Files), files);
        QCOMPARE(QDir(outside.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList {u"escolhida"_s});
        if (files.contains(u"c.xml"_s)) {
            QFile c(folder + u"c.xml"_s);
            QVERIFY(c.open(QIODevice::ReadOnly));
            QCOMPARE(c.readAll(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?><c>ç</c>");
        }
    }
};

QTEST_MAIN(TestCTeTransmission)
#include "tst_cte_transmission.moc"
