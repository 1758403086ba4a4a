#include "Cli_Dfs88000.h"
#include "Cli_Dfs88100.h"
#include "Cli_Dfs88200.h"
#include "Cli_Dfs88300.h"
#include "Cli_Dfs88400.h"
#include "Cli_Dfs88500.h"
#include "Cli_Dfs88600.h"
#include "Cli_Dfs88700.h"
#include "ClientDataSet.h"
#include "DBGrid.h"
#include "DataSource.h"
#include "DbConnection.h"
#include "Exceptions.h"
#include "Field.h"
#include "HostDb.h"
#include "HostWindow.h"
#include "ModalHelper.h"
#include "Orvglob.h"
#include "RecordingMessageSink.h"
#include "ReportDesigner.h"
#include "Screen.h"
#include "TfrmDadosGerRel.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

void resetUnits()
{
    Cli_Dfs88000::ResetUnit();
    Cli_Dfs88100::ResetUnit();
    Cli_Dfs88200::ResetUnit();
    Cli_Dfs88300::ResetUnit();
    Cli_Dfs88400::ResetUnit();
    Cli_Dfs88500::ResetUnit();
    Cli_Dfs88600::ResetUnit();
    Cli_Dfs88700::ResetUnit();
}

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

QString codTela(QWidget *w)
{
    auto *label = w->findChild<QLabel *>(u"lblCodTela"_s);
    return label ? label->text() : u"<none>"_s;
}

void click(QWidget *window, const QString &button)
{
    auto *b = window->findChild<QToolButton *>(button);
    QVERIFY2(b, qPrintable(button));
    b->click();
}

} // namespace

class TestModuleFrame : public QObject
{
    Q_OBJECT

private slots:
    // The filter reads the host database when it is created: a demo one, company 01 (one state
    // registration, so the filter's defaults pass its checks).
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        Orvglob::DBConnection = u"sqlite:"_s + m_dir.filePath(u"host.db"_s);
        QSqlDatabase db = OpenConnection(Orvglob::DBConnection, u"frame-setup"_s);
        HostDb::CreateHostSchema(db);
        HostDb::LoadHostDemoData(db);
        Orvglob::EmprProc = u"01"_s;
        Orvglob::DataProc = QDate(2026, 12, 7);
    }

    void init()
    {
        resetUnits();
        m_area = new QMdiArea;
        m_area->resize(1400, 900);
        m_area->show();
        SetHostMdiArea(m_area);
    }

    void cleanup()
    {
        resetUnits();
        delete m_area;
        flushDeletes();
    }

    void modalWindows_data()
    {
        QTest::addColumn<QString>("factory");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("releasedOnClose");
        QTest::newRow("filter") << u"CriaFiltroCTe"_s << u"frmFiltroCTe"_s << u"TfrmRotiGeral"_s
                                << u"Filtro Conhecimento de Transporte Eletrônico"_s
                                << u"DFS88100"_s << false;
        QTest::newRow("batch") << u"CriaAtualizaLoteCTe"_s << u"frmAtualizaLoteCTe"_s
                               << u"TfrmRotiGeral"_s << u"Atualização do Lote do CT-e"_s
                               << u"DFS88200"_s << true;
        QTest::newRow("dacte")
            << u"CriaDACTE"_s << u"frmDACTE"_s << u"TfrmDadosGerRel"_s
            << u"DACTE (Documento Auxiliar do Conhecimento de Transporte Eletrônico)"_s
            << u"DFS88300"_s << true;
        QTest::newRow("cancel") << u"CriaCancelaCTe"_s << u"frmCancelaCTe"_s << u"TfrmRotiGeral"_s
                                << u"Cancelamento do CT-e"_s << u""_s << true;
        QTest::newRow("email") << u"CriaEnvioEmailCTe"_s << u"frmEnvioEmailCTe"_s
                               << u"TfrmRotiGeral"_s << u"Envio de E-mail do CT-e"_s
                               << u"DFS88500"_s << true;
        QTest::newRow("return-detail")
            << u"CriaDetalheRetorno"_s << u"frmDetalheRetorno"_s << u"QDialog"_s
            << u"Situação da Geração"_s << u"<none>"_s << false;
        QTest::newRow("result-list") << u"CriaObservacao"_s << u"frmObservacao"_s << u"QDialog"_s
                                     << u"Observação"_s << u"<none>"_s << false;
    }

    // Each factory shows its window modally with its caption and screen code; the window is
    // released on close or kept for the next call as its unit says.
    void modalWindows()
    {
        QFETCH(QString, factory);
        QFETCH(QString, name);
        QFETCH(QString, base);
        QFETCH(QString, caption);
        QFETCH(QString, code);
        QFETCH(bool, releasedOnClose);

        auto run = [&] {
            if (factory == u"CriaFiltroCTe")
                Cli_Dfs88100::CriaFiltroCTe();
            else if (factory == u"CriaAtualizaLoteCTe")
                Cli_Dfs88200::CriaAtualizaLoteCTe();
            else if (factory == u"CriaDACTE")
                Cli_Dfs88300::CriaDACTE(7);
            else if (factory == u"CriaCancelaCTe")
                Cli_Dfs88400::CriaCancelaCTe();
            else if (factory == u"CriaEnvioEmailCTe")
                Cli_Dfs88500::CriaEnvioEmailCTe();
            else if (factory == u"CriaDetalheRetorno")
                Cli_Dfs88600::CriaDetalheRetorno();
            else
                Cli_Dfs88700::CriaObservacao();
        };

        QPointer<QWidget> seen;
        QString seenCaption, seenCode;
        bool seenBase = false;
        TCursor cursorWhileShown = crHourGlass;
        WhenModal([&](QWidget *w) {
            seen = w;
            seenCaption = w->windowTitle();
            seenCode = codTela(w);
            seenBase = w->inherits(base.toLatin1().constData());
            cursorWhileShown = Screen::Cursor();
            w->close();
        });
        run();
        QVERIFY(seen);
        QCOMPARE(seen->objectName(), name);
        QCOMPARE(seenCaption, caption);
        QCOMPARE(seenCode, code);
        QVERIFY(seenBase);
        // The factory's hourglass does not hide the dialog, and is gone when it returns.
        QCOMPARE(cursorWhileShown, crDefault);
        QCOMPARE(Screen::Cursor(), crDefault);

        flushDeletes();
        QCOMPARE(seen.isNull(), releasedOnClose);

        QPointer<QWidget> second;
        WhenModal([&](QWidget *w) {
            second = w;
            w->close();
        });
        run();
        QVERIFY(second);
        QCOMPARE(second.data() == seen.data(), !releasedOnClose);
    }

    // A factory whose window cannot be created (the host database is out of reach) passes the
    // error on and gives the default cursor back.
    void failedFactoryGivesTheCursorBack()
    {
        const QString connection = Orvglob::DBConnection;
        Orvglob::DBConnection = u"sqlite:"_s + m_dir.filePath(u"pasta-inexistente/host.db"_s);
        bool raised = false;
        try {
            Cli_Dfs88100::CriaFiltroCTe();
        } catch (const EMensErro &) {
            raised = true;
        }
        Orvglob::DBConnection = connection;
        QVERIFY(raised);
        QVERIFY(!Cli_Dfs88100::frmFiltroCTe);
        QCOMPARE(Screen::Cursor(), crDefault);
    }

    // Two IniProc calls leave one editor, restored and in front; closing it and calling again
    // creates a fresh one.
    void editorIsOneMdiChild()
    {
        Cli_Dfs88000::CriaCTe();
        QVERIFY(Cli_Dfs88000::boStCriado);
        QPointer<TfrmCTe> first = Cli_Dfs88000::frmCTe;
        QVERIFY(first);
        QCOMPARE(m_area->subWindowList().size(), 1);
        QCOMPARE(m_area->subWindowList().first()->widget(), first.data());
        QCOMPARE(first->windowTitle(), u"Conhecimento de Transporte Eletrônico"_s);
        QCOMPARE(codTela(first), u"DFS88000"_s);
        QVERIFY(first->inherits("TfrmPadrao"));
        QCOMPARE(Screen::Cursor(), crDefault);

        // Another window in front and the editor minimised.
        auto *other = m_area->addSubWindow(new QWidget);
        other->show();
        first->SetWindowState(wsMinimized);
        m_area->setActiveSubWindow(other);
        QCOMPARE(first->WindowState(), wsMinimized);

        Cli_Dfs88000::CriaCTe();
        QCOMPARE(Cli_Dfs88000::frmCTe.data(), first.data());
        QCOMPARE(first->WindowState(), wsNormal);
        QCOMPARE(m_area->activeSubWindow(), first->SubWindow());
        int editors = 0;
        for (QMdiSubWindow *s : m_area->subWindowList())
            editors += s->widget() && s->widget()->inherits("TfrmCTe");
        QCOMPARE(editors, 1);

        Cli_Dfs88000::inCount = 5;
        first->Close();
        QVERIFY(!Cli_Dfs88000::boStCriado);
        flushDeletes();
        QVERIFY(first.isNull());

        Cli_Dfs88000::CriaCTe();
        QVERIFY(Cli_Dfs88000::frmCTe);
        QVERIFY(Cli_Dfs88000::boStCriado);
        QCOMPARE(Cli_Dfs88000::inCount, 0); // a fresh window starts without marks
    }

    // The filter is reused: the same window, cancel gives false, confirm true.
    void filterIsReusedAndReportsConfirm()
    {
        WhenModal([](QWidget *w) { click(w, u"sbtCancel"_s); });
        QVERIFY(!Cli_Dfs88100::CriaFiltroCTe());
        QPointer<TfrmFiltroCTe> first = Cli_Dfs88100::frmFiltroCTe;
        QVERIFY(first);
        QVERIFY(!Cli_Dfs88100::boActive);

        bool activeWhileShown = false;
        WhenModal([&](QWidget *w) {
            activeWhileShown = Cli_Dfs88100::boActive;
            click(w, u"sbtConfirma"_s);
        });
        QVERIFY(Cli_Dfs88100::CriaFiltroCTe());
        QVERIFY(activeWhileShown);
        QCOMPARE(Cli_Dfs88100::frmFiltroCTe.data(), first.data());

        // A confirmed visit before does not leak into the next one that is cancelled.
        WhenModal([](QWidget *w) { w->close(); });
        QVERIFY(!Cli_Dfs88100::CriaFiltroCTe());
        flushDeletes();
        QVERIFY(first);
    }

    // The cancellation factory always answers two elements, also when the user cancelled.
    void cancelAnswersTwoElements_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QString>("reason");
        QTest::newRow("cancelled-keeps-last-reason") << false << u"Erro de digitação no valor"_s;
        QTest::newRow("confirmed") << true << u"Serviço não prestado"_s;
    }
    void cancelAnswersTwoElements()
    {
        QFETCH(bool, confirm);
        QFETCH(QString, reason);
        WhenModal([&](QWidget *w) {
            Cli_Dfs88400::stMotivoCancelaCTe = reason;
            Cli_Dfs88400::boConfirma = confirm;
            w->close();
        });
        const QVariantList result = Cli_Dfs88400::CriaCancelaCTe();
        QCOMPARE(result.size(), 2);
        QCOMPARE(result.at(0).toBool(), confirm);
        QCOMPARE(result.at(1).toString(), reason);
    }

    void dacteKeepsTheCode()
    {
        double seen = -1;
        WhenModal([&](QWidget *w) {
            seen = Cli_Dfs88300::flCdCTe;
            w->close();
        });
        Cli_Dfs88300::CriaDACTE(123);
        QCOMPARE(seen, 123.0);
    }

    // The report window's print runs its report by code; without one the user is told, before
    // any data is prepared for it.
    void dacteWithoutReportTellsTheUser()
    {
        RecordingMessageSink sink;
        int prepared = 0;
        WhenModal([&](QWidget *w) {
            auto *form = qobject_cast<TfrmDadosGerRel *>(w);
            QVERIFY(form);
            form->rpddPadrao->ReportCode = u"DFS890"_s;
            form->rpddPadrao->OnBeforeQueryParams = [&] {
                ++prepared;
            };
            click(w, u"sbtConfirma"_s);
            w->close();
        });
        Cli_Dfs88300::CriaDACTE(1);
        QCOMPARE(sink.entries().size(), 1);
        QVERIFY(sink.lastText().contains(u"DFS890"_s));
        QCOMPARE(prepared, 0);
    }

    // The result windows show datasets that belong to the editor window: filled there, they
    // appear in the window's grid.
    void resultWindowsShowTheEditorsData_data()
    {
        QTest::addColumn<QString>("dataset");
        QTest::addColumn<QString>("grid");
        QTest::addColumn<int>("textColumn");
        QTest::newRow("return-detail") << u"cdsDetalheRetorno"_s << u"dbgDetalheRetorno"_s << 1;
        QTest::newRow("result-list") << u"cdsResultNotaFiscal"_s << u"dbgObservacao"_s << 3;
    }
    void resultWindowsShowTheEditorsData()
    {
        QFETCH(QString, dataset);
        QFETCH(QString, grid);
        QFETCH(int, textColumn);
        Cli_Dfs88000::CriaCTe();
        auto *ds = Cli_Dfs88000::frmCTe->findChild<TClientDataSet *>(dataset);
        QVERIFY(ds);
        // Filled from a server packet, as the transmission and the DACTE generation do.
        contracts::DataPacket packet;
        // The detail window shows the return text, the result list the observation.
        packet.fields = {{u"NRCTE"_s, contracts::FieldType::String, 9},
                         {u"DSRETORNO"_s, contracts::FieldType::String, 40},
                         {u"DSOBSERVACAO"_s, contracts::FieldType::String, 40}};
        packet.rows = {{u"000000001"_s, u"CT-e 1 autorizado"_s, u"CT-e 1 autorizado"_s},
                       {u"000000002"_s, u"CT-e 2 rejeitado"_s, u"CT-e 2 rejeitado"_s}};
        ds->LoadFromPacket(packet);

        QStringList shown;
        bool readOnly = false;
        WhenModal([&](QWidget *w) {
            auto *g = w->findChild<TDBGrid *>(grid);
            if (g) {
                for (int row = 0; row < g->DataModel()->rowCount(); ++row)
                    shown << g->DataModel()->index(row, textColumn).data().toString();
            }
            readOnly = g && g->ReadOnly();
            QTest::keyClick(w, Qt::Key_Escape);
        });
        if (dataset == u"cdsDetalheRetorno")
            Cli_Dfs88600::CriaDetalheRetorno();
        else
            Cli_Dfs88700::CriaObservacao();
        QCOMPARE(shown, (QStringList {u"CT-e 1 autorizado"_s, u"CT-e 2 rejeitado"_s}));
        QVERIFY(readOnly);
    }

    // The report window's display texts of the identification and the protocol.
    void dacteDisplayTexts_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("shown");
        const QLocale locale;
        QTest::newRow("dhEmi") << u"dhEmi"_s << u"2012-05-10T14:30:05-03:00"_s
                               << locale.toString(QDate(2012, 5, 10), QLocale::ShortFormat) + u' '
                + locale.toString(QTime(14, 30, 5), QLocale::LongFormat);
        QTest::newRow("dhRecbto-empty") << u"dhRecbto"_s << QString() << QString();
        QTest::newRow("tpServ-2") << u"tpServ"_s << u"2"_s << u"Redespacho"_s;
        QTest::newRow("tpCTe-3") << u"tpCTe"_s << u"3"_s << u"Substituto"_s;
    }
    void dacteDisplayTexts()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, shown);
        TfrmDACTE form;
        TClientDataSet ds;
        ds.AddField(field, contracts::FieldType::String, 25);
        ds.CreateDataSet();
        ds.Append();
        ds.FieldByName(field)->SetAsString(value);
        ds.Post();
        QString text = u"?"_s;
        TField *f = ds.FieldByName(field);
        if (field == u"dhEmi")
            form.cdsDACTeIdedhEmiGetText(f, text, true);
        else if (field == u"dhRecbto")
            form.cdsDACTeInfProtdhRecbtoGetText(f, text, true);
        else if (field == u"tpServ")
            form.cdsDACTeIdetpServGetText(f, text, true);
        else
            form.cdsDACTeIdetpCTeGetText(f, text, true);
        QCOMPARE(text, shown);
    }

private:
    QTemporaryDir m_dir;
    QMdiArea *m_area = nullptr;
};

QTEST_MAIN(TestModuleFrame)
#include "tst_module_frame.moc"
