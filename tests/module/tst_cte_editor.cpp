// The CT-e editor driven through its real window, offscreen, against a real cte-server on a
// loopback port and a demo database made for the run.
#include "CTeRecord.h"
#include "Cli_Dfs88000.h"
#include "Cli_Dfs88100.h"
#include "ClientDataSet.h"
#include "DBEdit.h"
#include "DBGrid.h"
#include "DBText.h"
#include "DataSource.h"
#include "DateEditPlus.h"
#include "EditorFixture.h"
#include "EditorSample.h"
#include "Exceptions.h"
#include "HostWindow.h"
#include "ListMarking.h"
#include "MainWindow.h"
#include "ModalHelper.h"
#include "NetConnection.h"
#include "Orvglob.h"
#include "RpcProtocol.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPointer>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

class TestCTeEditor : public EditorFixture
{
    Q_OBJECT

    bool locate(const QString &status) { return m_frm->cdsCTe->Locate(u"IDSTATUSCTE"_s, status); }
    QStringList enabledCommands()
    {
        QStringList out;
        for (const char16_t *n :
             {u"mnuIncluir", u"mnuAlterar", u"mnuExcluir", u"mnuProcurar", u"mnuVerificar",
              u"mnuCancelar", u"mnuConfirmar", u"mnuTransCTe", u"mnuCancelaCTe", u"mnuImprimir"}) {
            if (QAction *a = acao(QString::fromUtf16(n)); a && a->isEnabled())
                out << QString::fromUtf16(n);
        }
        const int form = m_frm->pgcPadrao->indexOf(m_frm->tshFormulario);
        if (m_frm->pgcPadrao->isTabEnabled(form))
            out << u"tshFormulario"_s;
        return out;
    }
    // The emitter and the payer count as accepted, as after leaving their edits (a new emitter
    // empties the taxes). The filter lists the documents of its state registration.
    void aceitaEmitenteETomador()
    {
        TClientDataSet *cte = m_frm->cdsCTe;
        if (campo(u"NRINSJUREMIT"_s) != u"18462731000114"_s) {
            cte->FieldByName(u"NRINSESTEMIT"_s)->SetAsString(u"244187365112"_s);
            cte->FieldByName(u"NRINSJUREMIT"_s)->SetAsString(u"18462731000114"_s);
        }
        Cli_Dfs88000::stNrInsJurEmitAux = campo(u"NRINSJUREMIT"_s);
        if (campo(u"NRINSJURTOMA"_s).isEmpty()) {
            cte->FieldByName(u"IDCADTOMADOR"_s)->SetAsString(u"C"_s);
            cte->FieldByName(u"CDTOMADORCLI"_s)->SetAsString(u"103"_s);
            cte->FieldByName(u"NRINSJURTOMA"_s)->SetAsString(u"38104726000147"_s);
            cte->FieldByName(u"NMRAZSOCTOMA"_s)->SetAsString(u"INDUSTRIA DE MOVEIS SERRANA LTDA"_s);
        }
        Cli_Dfs88000::stNrInsJurTomaAux = campo(u"NRINSJURTOMA"_s);
    }
    // Makes a document ready to be saved by the checks this window runs itself: route, emitter
    // and payer, the service with the fiscal treatment the server gives it, a fiscal document and
    // the predominant product.
    void completa()
    {
        TClientDataSet *cte = m_frm->cdsCTe;
        atribuiRota();
        aceitaEmitenteETomador();
        if (campo(u"CDARVPROD"_s).isEmpty()) {
            cte->FieldByName(u"CDARVPROD"_s)->SetAsString(u"010010001"_s);
            cte->FieldByName(u"VRTOTAPRESTSERV"_s)->SetAsFloat(1000);
            cte->FieldByName(u"VRTOTARECEBER"_s)->SetAsFloat(1000);
        }
        // Leaving the service panel accepts the service as the user does.
        QWidget *pagina = m_frm->pgcDados->currentWidget();
        m_frm->pgcDados->setCurrentWidget(m_frm->tshTotais);
        foca(m_frm->dbeValorTotaReceber);
        vaiPara(m_frm->dbgImposto);
        m_frm->pgcDados->setCurrentWidget(pagina);
        QVERIFY(!campo(u"CDCFOP"_s).isEmpty());
        cte->FieldByName(u"DSPRODPREDOMINA"_s)->SetAsString(u"MOVEIS"_s);
        if (m_frm->cdsCTeDocFiscais->IsEmpty())
            anexaDocumentoFiscal();
        if (m_frm->cdsCTeInfQtCarga->IsEmpty()) {
            m_frm->cdsCTeInfQtCarga->Append();
            m_frm->cdsCTeInfQtCarga->FieldByName(u"CDUNIDMEDIDA"_s)->SetAsString(u"01"_s);
            m_frm->cdsCTeInfQtCarga->FieldByName(u"DSTIPOMEDIDA"_s)->SetAsString(u"PESO"_s);
            m_frm->cdsCTeInfQtCarga->FieldByName(u"QTCARGA"_s)->SetAsFloat(1);
            m_frm->cdsCTeInfQtCarga->Post();
        }
    }
    // As the grid runs its handlers: through the framework's guard, which shows what they raise.
    void dblClick()
    {
        FrameworkGuard([this] { m_frm->dbgPadrao->OnDblClick(); });
    }
    void titleClick(int column)
    {
        FrameworkGuard([this, column] { m_frm->dbgPadrao->OnTitleClick(column); });
    }
    // The next list loads are refused by the server (a malformed operation-type list), or
    // accepted again.
    // The editor opened again inside the host's main window, as the host's menu does.
    void abreNoHost(TMainWindow &host)
    {
        m_frm->Close();
        flushDeletes();
        Cli_Dfs88000::ResetUnit();
        host.show();
        QVERIFY(QTest::qWaitForWindowActive(&host));
        openEditor();
    }
    void recargaFalha(bool falha)
    {
        TRecordFilter &f = Cli_Dfs88100::frmFiltroCTe->Filtro;
        f.RecTodosTipoOper = !falha;
        f.RecListaTipoOper = falha ? u"malformada"_s : QString();
    }
    QList<int> changeCounts()
    {
        QList<int> out;
        for (TClientDataSet *cds :
             {m_frm->cdsCTe, m_frm->cdsCTeImpostos, m_frm->cdsCTeCompValor, m_frm->cdsCTeDocFiscais,
              m_frm->cdsCTeInfQtCarga, m_frm->cdsCTeDadosAdic})
            out << cds->ChangeCount();
        return out;
    }
    // The CDCTE of the n-th pending document of the list (0-based).
    double pendente(int n)
    {
        const TField *status = m_frm->cdsCTe->FieldByName(u"IDSTATUSCTE"_s);
        const TField *key = m_frm->cdsCTe->FieldByName(u"CDCTE"_s);
        for (int row = 0; row < m_frm->cdsCTe->RecordCount(); ++row) {
            if (m_frm->cdsCTe->ValueAt(row, status) == u"P"_s && n-- == 0)
                return m_frm->cdsCTe->ValueAt(row, key).toDouble();
        }
        return -1;
    }
    // Alters document `key` and confirms it with `carga` as its other cargo characteristics.
    void salva(double key, const QString &carga)
    {
        QVERIFY(m_frm->cdsCTe->Locate(u"CDCTE"_s, key));
        trigger(u"mnuAlterar"_s);
        completa();
        m_frm->cdsCTe->FieldByName(u"DSOUTCARCARGA"_s)->SetAsString(carga);
        trigger(u"mnuConfirmar"_s);
    }
private slots:
    // One database and server for the run: the demo documents plus 55 pending ones (enough to
    // reach the limit of marks) and one rejected.
    void initTestCase()
    {
        startServer();
        const QString token = rawLogin(m_server->port(), u"tester"_s, TestDatabase::password());
        for (int i = 0; i < 55; ++i) {
            const RawAnswer a
                = rawPost(m_server->port(), u"AplicaAlteracoes"_s,
                          contracts::encodeCall(
                              {QVariant::fromValue(insertDelta(contracts::cte::documentFields(),
                                                               {newDocumentValues()})),
                               QVariant(), QVariant(), QVariant(), QVariant(), QVariant(),
                               u"preparo-%1"_s.arg(i)}),
                          token);
            QVERIFY2(IsReplyOkForTest(a.reply), a.body.constData());
        }
        sql(u"UPDATE CTE SET IDSTATUSCTE = 'R' WHERE CDCTE = (SELECT MAX(CDCTE) FROM CTE)"_s);
    }

    // --- showing the window and the company panel -------------------------------------------

    void showSeedsTheCompany()
    {
        QCOMPARE(m_frm->medCdEmpresa->text(), u"01"_s);
        QVERIFY(!m_frm->edtNmEmpresa->text().isEmpty());
        QVERIFY(!m_frm->cdsCTe->Active());
        QVERIFY(m_frm->netCTe->Connected());
        QCOMPARE(m_frm->pgcPadrao->currentWidget(), m_frm->tshFolhaDados);
        QCOMPARE(m_frm->pgcDados->currentWidget(), m_frm->tshIdentificacao);
        QCOMPARE(enabledCommands(), QStringList());
    }

    void companyCodeOfOneDigit()
    {
        m_frm->medCdEmpresa->setText(u"1"_s);
        m_frm->Vd_Empresa(true);
        QCOMPARE(m_frm->medCdEmpresa->text(), u"01"_s);
        const QVariant name = sql(u"SELECT NMRAZSOCEMPR FROM EMPRESA WHERE CDEMPRESA = '01'"_s);
        QCOMPARE(m_frm->edtNmEmpresa->text(), name.toString());
    }

    // Leaving the panel with an unregistered code: the message, the focus back on the code, no
    // filter and no list.
    void companyNotRegistered()
    {
        foca(m_frm->medCdEmpresa);
        m_frm->medCdEmpresa->setText(u"99"_s);
        m_frm->dbgPadrao->setFocus();
        QTRY_COMPARE(m_sink->lastText(), u"Empresa não cadastrada."_s);
        QVERIFY(m_frm->medCdEmpresa->hasFocus());
        QVERIFY(!Cli_Dfs88100::frmFiltroCTe);
        QVERIFY(!m_frm->cdsCTe->Active());
        QVERIFY(m_frm->edtNmEmpresa->text().isEmpty());
    }

    // Leaving the panel opens the filter; its confirm loads the list and the grid gets the focus.
    void leavingThePanelLists()
    {
        foca(m_frm->medCdEmpresa);
        confirmaFiltroAoSairDoPainel();
        QTRY_VERIFY(m_frm->dbgPadrao->hasFocus());
        QCOMPARE(errors(), 0);
        // Entering it again closes the list.
        m_frm->medCdEmpresa->setFocus();
        QTRY_VERIFY(!m_frm->cdsCTe->Active());
    }

    // --- the list ----------------------------------------------------------------------------

    void situationTextWithNothingTicked()
    {
        listar(u"A"_s);
        QVERIFY(m_frm->cdsCTe->RecordCount() > 0);
        for (int row = 0; row < m_frm->cdsCTe->RecordCount(); ++row) {
            m_frm->cdsCTe->SetRecNo(row + 1);
            QCOMPARE(campo(u"IDSTATUSCTE"_s), u"A"_s);
        }
        // "_" alone is a valid situation list that selects nothing: any other text with no
        // letter is refused by the server.
        listar(QString());
        QCOMPARE(errors(), 0);
        QVERIFY(m_frm->cdsCTe->Active());
        QCOMPARE(m_frm->cdsCTe->RecordCount(), 0);
        QVERIFY(m_server->log().contains(u"op=GetDadosGerais"_s));
    }

    void listTextsAndFooter()
    {
        listar();
        QVERIFY(locate(u"A"_s));
        QCOMPARE(m_frm->cdsCTe->FieldByName(u"IDSTATUSCTE"_s)->DisplayText(), u"Aceito"_s);
        QCOMPARE(m_frm->cdsCTe->FieldByName(u"IDEMAILCTE"_s)->DisplayText(), u"Pendente"_s);
        QVERIFY(locate(u"R"_s));
        QCOMPARE(m_frm->cdsCTe->FieldByName(u"IDSTATUSCTE"_s)->DisplayText(), u"Rejeitado"_s);
        const QString footer
            = u"Código: %1 - Número: %2"_s.arg(campo(u"CDCTE"_s), campo(u"NRCTE"_s));
        QTRY_COMPARE(m_frm->dbtNome->text(), footer);
        QCOMPARE(m_frm->cdsCTe->FieldByName(u"RODAPE"_s)->DisplayText(), footer);
        // The bar the user reads empties with the list.
        listar(QString());
        QCOMPARE(m_frm->cdsCTe->RecordCount(), 0);
        QTRY_COMPARE(m_frm->dbtNome->text(), QString());
    }

    void footerOfDocument123Number456()
    {
        const double key = sql(u"SELECT MIN(CDCTE) FROM CTE WHERE IDSTATUSCTE = 'P'"_s).toDouble();
        sql(u"UPDATE CTE SET NRCTE = '456' WHERE CDCTE = ?"_s, {key});
        listar();
        QVERIFY(m_frm->cdsCTe->Locate(u"NRCTE"_s, u"456"_s));
        QCOMPARE(m_frm->cdsCTe->FieldByName(u"RODAPE"_s)->DisplayText(),
                 u"Código: %1 - Número: 456"_s.arg(qint64(key)));
    }

    void statusGatesAndReadOnly()
    {
        listar();
        QVERIFY(locate(u"R"_s));
        QVERIFY(!Cli_Dfs88000::boModoLeitura);
        QVERIFY(m_frm->dbeCdTipoOper->isEnabled());
        QVERIFY(m_frm->dbgQuantidade->Editing());
        QVERIFY(acao(u"mnuAlterar"_s)->isEnabled());
        QVERIFY(acao(u"mnuExcluir"_s)->isEnabled());

        QVERIFY(locate(u"A"_s));
        QVERIFY(Cli_Dfs88000::boModoLeitura);
        QVERIFY(!m_frm->dbeCdTipoOper->isEnabled());
        QVERIFY(!m_frm->depDataEmissao->isEnabled());
        QVERIFY(!m_frm->dbgQuantidade->Editing());
        QVERIFY(m_frm->dbgQuantidade->RowSelect());
        QVERIFY(!acao(u"mnuAlterar"_s)->isEnabled());
        QVERIFY(!acao(u"mnuExcluir"_s)->isEnabled());
        QVERIFY(acao(u"mnuCancelaCTe"_s)->isEnabled());
        // The gate holds even when the edit is asked for directly.
        QVERIFY_THROWS_EXCEPTION(EMensErro, m_frm->cdsCTe->Edit());
        QCOMPARE(m_frm->cdsCTe->State(), dsBrowse);
        // Display controls stay disabled whatever the mode.
        QVERIFY(locate(u"P"_s));
        QVERIFY(!m_frm->dbeNumeroCTe->isEnabled());
    }

    void commandsInEachState()
    {
        listar(QString());
        QCOMPARE(enabledCommands(), QStringList {u"mnuIncluir"_s});

        listar();
        QVERIFY(locate(u"P"_s));
        QCOMPARE(enabledCommands(),
                 (QStringList {u"mnuIncluir"_s, u"mnuAlterar"_s, u"mnuExcluir"_s, u"mnuProcurar"_s,
                               u"mnuVerificar"_s, u"tshFormulario"_s}));
        trigger(u"mnuAlterar"_s);
        QCOMPARE(m_frm->cdsCTe->State(), dsEdit);
        QCOMPARE(m_frm->pgcPadrao->currentWidget(), m_frm->tshFormulario);
        QCOMPARE(enabledCommands(),
                 (QStringList {u"mnuCancelar"_s, u"mnuConfirmar"_s, u"tshFormulario"_s}));
        QVERIFY(!m_frm->pgcPadrao->isTabEnabled(m_frm->pgcPadrao->indexOf(m_frm->tshFolhaDados)));
        m_sink->queueAnswer(mbYes);
        trigger(u"mnuCancelar"_s);
        QCOMPARE(m_frm->cdsCTe->State(), dsBrowse);

        QVERIFY(locate(u"P"_s));
        m_frm->dbgPadrao->setFocus();
        QTest::keyClick(m_frm->dbgPadrao, Qt::Key_Space);
        QCOMPARE(Cli_Dfs88000::inCount, 1);
        QCOMPARE(enabledCommands(), (QStringList {u"mnuVerificar"_s, u"mnuTransCTe"_s}));
    }

    // --- marking -----------------------------------------------------------------------------

    void fiftyMarksThenTheLimit()
    {
        listar(u"PR"_s);
        const int rows = m_frm->cdsCTe->RecordCount();
        QVERIFY(rows > 51);
        m_frm->dbgPadrao->setFocus();
        for (int i = 1; i <= 50; ++i) {
            m_frm->cdsCTe->SetRecNo(i);
            dblClick();
        }
        QCOMPARE(Cli_Dfs88000::inCount, 50);
        const qsizetype saves = m_server->log().count(u"op=AplicaAlteracoes"_s);
        m_frm->cdsCTe->SetRecNo(51);
        m_sink->clear();
        dblClick(); // the guard shows the refusal
        QCOMPARE(m_sink->lastText(),
                 u"Operação Bloqueada! Não é permitido selecionar mais de 50 Conhecimentos."_s);
        QCOMPARE(Cli_Dfs88000::inCount, 50);
        QCOMPARE(campo(u"IDCHECK"_s), u"N"_s);
        QCOMPARE(m_frm->cdsCTe->State(), dsBrowse);

        m_frm->cdsCTe->SetRecNo(3);
        dblClick();
        m_frm->cdsCTe->SetRecNo(51);
        dblClick();
        QCOMPARE(Cli_Dfs88000::inCount, 50);
        QCOMPARE(campo(u"IDCHECK"_s), u"S"_s);
        QCOMPARE(marcas().count(u"S"_s), 50);
        // Marks are neither validated nor saved: nothing was asked of the server.
        QCOMPARE(m_server->log().count(u"op=AplicaAlteracoes"_s), saves);
        // A reload discards them.
        trigger(u"mnuVerificar"_s);
        QCOMPARE(marcas().count(u"S"_s), 0);
        QCOMPARE(Cli_Dfs88000::inCount, 0);
    }

    void titleClickMarksTheFirstFiftyEligible()
    {
        listar();
        QStringList expected;
        int taken = 0;
        const TField *status = m_frm->cdsCTe->FieldByName(u"IDSTATUSCTE"_s);
        for (int row = 0; row < m_frm->cdsCTe->RecordCount(); ++row) {
            const QString s = m_frm->cdsCTe->ValueAt(row, status).toString();
            const bool take = (s == u"P"_s || s == u"R"_s) && taken < 50;
            taken += take;
            expected << (take ? u"S"_s : u"N"_s);
        }
        QCOMPARE(taken, 50);
        m_frm->cdsCTe->Last();
        const int markColumn = IndiceCol(m_frm->dbgPadrao, u"IDCHECK"_s);
        QVERIFY(markColumn >= 0);
        titleClick(markColumn);
        QCOMPARE(marcas(), expected);
        QCOMPARE(Cli_Dfs88000::inCount, 50);
        QCOMPARE(m_frm->cdsCTe->RecNo(), 1);
        // Another title changes nothing.
        titleClick(IndiceCol(m_frm->dbgPadrao, u"NRCTE"_s));
        QCOMPARE(marcas(), expected);
        titleClick(markColumn);
        QCOMPARE(marcas().count(u"S"_s), 0);
        QCOMPARE(Cli_Dfs88000::inCount, 0);
    }

    void spaceBarIsDoubleClick()
    {
        listar();
        QVERIFY(locate(u"P"_s));
        const int recNo = m_frm->cdsCTe->RecNo();
        m_frm->dbgPadrao->setFocus();
        QTest::keyClick(m_frm->dbgPadrao, Qt::Key_Space);
        QCOMPARE(m_frm->cdsCTe->RecNo(), recNo);
        QCOMPARE(campo(u"IDCHECK"_s), u"S"_s);
        QTest::keyClick(m_frm->dbgPadrao, Qt::Key_Space);
        QCOMPARE(campo(u"IDCHECK"_s), u"N"_s);
        QCOMPARE(Cli_Dfs88000::inCount, 0);
    }

    // An accepted document shows the grey picture, marked or not, and cannot be marked.
    void acceptedIsGreyAndUnmarkable()
    {
        listar();
        QVERIFY(locate(u"A"_s));
        const int row = m_frm->cdsCTe->RecNo() - 1;
        dblClick();
        QCOMPARE(campo(u"IDCHECK"_s), u"N"_s);
        QCOMPARE(Cli_Dfs88000::inCount, 0);

        auto *gray = m_frm->findChild<QLabel *>(u"imgGray"_s);
        auto *uncheck = m_frm->findChild<QLabel *>(u"imgUncheck"_s);
        QVERIFY(gray && uncheck);
        const int markColumn = IndiceCol(m_frm->dbgPadrao, u"IDCHECK"_s);
        const auto pictureAt = [&](int r) {
            m_frm->dbgPadrao->scrollTo(m_frm->dbgPadrao->DataModel()->index(r, markColumn));
            const QRect cell
                = m_frm->dbgPadrao->visualRect(m_frm->dbgPadrao->DataModel()->index(r, markColumn));
            const QImage shot = m_frm->dbgPadrao->viewport()->grab().toImage();
            return shot.copy(cell.left() + 4, cell.top(), 16, qMin(16, cell.height()));
        };
        const QImage grey = gray->pixmap().toImage();
        const QImage drawn = pictureAt(row);
        // The box's inside (no olive there) is copied as it is.
        for (const QPoint p : {QPoint(5, 5), QPoint(8, 3), QPoint(11, 6)})
            QCOMPARE(drawn.pixelColor(p).rgb(), grey.pixelColor(p).rgb());
        QVERIFY(locate(u"P"_s));
        const QImage white = pictureAt(m_frm->cdsCTe->RecNo() - 1);
        QCOMPARE(white.pixelColor(QPoint(5, 5)).rgb(),
                 uncheck->pixmap().toImage().pixelColor(QPoint(5, 5)).rgb());
        QVERIFY(white.pixelColor(QPoint(5, 5)) != drawn.pixelColor(QPoint(5, 5)));
    }

    // --- a new document, alter, cancel, save -------------------------------------------------

    void newDocumentStartsWithFiveCargoRows()
    {
        listar();
        trigger(u"mnuIncluir"_s);
        QCOMPARE(m_frm->cdsCTe->State(), dsInsert);
        QCOMPARE(m_frm->pgcPadrao->currentWidget(), m_frm->tshFormulario);
        QCOMPARE(m_frm->pgcDados->currentWidget(), m_frm->tshIdentificacao);
        QCOMPARE(campo(u"IDSTATUSCTE"_s), u"P"_s);
        QCOMPARE(campo(u"CDEMPRESA"_s), u"01"_s);
        QVERIFY(campo(u"IDVERPROCESSO"_s).startsWith(u"ORV_"_s));
        QVERIFY(!campo(u"CDSERIECTE"_s).isEmpty());
        TClientDataSet *carga = m_frm->cdsCTeInfQtCarga;
        QCOMPARE(carga->RecordCount(), 5);
        carga->First();
        QCOMPARE(carga->FieldByName(u"DSTIPOMEDIDA"_s)->AsString(), u"PESO BRUTO"_s);
        QCOMPARE(carga->FieldByName(u"IDGERADAAUTO"_s)->AsString(), u"S"_s);
        int automatic = 0;
        for (int row = 0; row < 5; ++row)
            automatic += carga->ValueAt(row, carga->FieldByName(u"IDGERADAAUTO"_s)) == u"S"_s;
        QCOMPARE(automatic, 1);
    }

    void validationStopsOnTheRightPage()
    {
        listar();
        trigger(u"mnuIncluir"_s);
        m_sink->clear();
        trigger(u"mnuConfirmar"_s);
        QCOMPARE(m_sink->lastText(), u"Tipo de operação deve ser informado."_s);
        QCOMPARE(m_frm->pgcDados->currentWidget(), m_frm->tshIdentificacao);
        atribuiRota();
        trigger(u"mnuConfirmar"_s);
        QCOMPARE(m_sink->lastText(), u"Emitente deve ser informado."_s);
        QCOMPARE(m_frm->cdsCTe->State(), dsInsert);
        QCOMPARE(m_frm->pgcDados->currentWidget(), m_frm->tshEmitente);
        completa();
        m_frm->cdsCTe->FieldByName(u"CDCFOP"_s)->Clear();
        m_frm->LimpaListasServico();
        trigger(u"mnuConfirmar"_s);
        QCOMPARE(m_sink->lastText(),
                 u"CFOP deve ser informado. Favor verificar o serviço e sua parametrização "
                 u"fiscal centralizada."_s);
        QCOMPARE(m_frm->cdsCTe->State(), dsInsert);
        QCOMPARE(m_frm->pgcDados->currentWidget(), m_frm->tshTotais);
        m_frm->cdsCTe->FieldByName(u"CDCFOP"_s)->SetAsString(u"5932"_s);
        trigger(u"mnuConfirmar"_s);
        QCOMPARE(m_sink->lastText(),
                 u"Imposto deve ser informado. Favor verificar o serviço e sua parametrização "
                 u"fiscal centralizada."_s);
    }

    void cancelInAChildGridCancelsOnlyThatRow()
    {
        listar();
        QVERIFY(locate(u"P"_s));
        trigger(u"mnuAlterar"_s);
        m_frm->pgcDados->setCurrentWidget(m_frm->tshTotais);
        TClientDataSet *comp = m_frm->cdsCTeCompValor;
        const int before = comp->RecordCount();
        foca(m_frm->dbgCompValorPrestacao);
        comp->Append();
        m_sink->clear();
        trigger(u"mnuCancelar"_s);
        QCOMPARE(comp->State(), dsBrowse);
        QCOMPARE(comp->RecordCount(), before);
        QCOMPARE(m_frm->cdsCTe->State(), dsEdit);
        QVERIFY(m_sink->entries().isEmpty());
    }

    // A save that changes only the record sends null for every child list: the request's size
    // in the server's log is that of exactly these six arguments.
    void unchangedChildListsTravelAsNull()
    {
        listar();
        QVERIFY(locate(u"P"_s));
        const double key = campo(u"CDCTE"_s).toDouble();
        trigger(u"mnuAlterar"_s);
        completa();
        // The rows the checks need are taken as loaded: only the record changes.
        for (TClientDataSet *child : {m_frm->cdsCTeImpostos, m_frm->cdsCTeDocFiscais,
                                      m_frm->cdsCTeInfQtCarga, m_frm->cdsCTeDadosAdic})
            child->MergeChangeLog();
        m_frm->cdsCTe->FieldByName(u"DSOUTCARCARGA"_s)->SetAsString(u"FRAGIL"_s);
        QVariantList sent;
        const TDataSetNotifyEvent save = m_frm->cdsCTe->AfterPost;
        m_frm->cdsCTe->AfterPost = [&](TClientDataSet *ds) {
            // The request identifier goes last: a text as long as the editor's (36 characters).
            sent = {
                m_frm->cdsCTe->Delta(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(),
                QString(36, u'0')};
            for (TClientDataSet *child :
                 {m_frm->cdsCTeImpostos, m_frm->cdsCTeCompValor, m_frm->cdsCTeDocFiscais,
                  m_frm->cdsCTeInfQtCarga, m_frm->cdsCTeDadosAdic})
                QCOMPARE(child->ChangeCount(), 0);
            save(ds);
        };
        trigger(u"mnuConfirmar"_s);
        m_frm->cdsCTe->AfterPost = save;
        QCOMPARE(errors(), 0);
        const QRegularExpression line(u"op=AplicaAlteracoes user=tester .* bytes=(\\d+)/"_s);
        QRegularExpressionMatch last;
        for (auto it = line.globalMatch(m_server->log()); it.hasNext();)
            last = it.next();
        QVERIFY(last.hasMatch());
        QCOMPARE(last.captured(1).toLongLong(), qint64(contracts::encodeCall(sent).size()));
        QCOMPARE(sql(u"SELECT DSOUTCARCARGA FROM CTE WHERE CDCTE = ?"_s, {key}),
                 QVariant(u"FRAGIL"_s));
        QCOMPARE(campo(u"CDCTE"_s).toDouble(), key);
    }

    // The server refuses the save: the error shows and the document stays in edit with what was
    // typed; once the cause is gone the same Confirm saves it.
    void refusedSaveKeepsTheWork()
    {
        listar();
        QVERIFY(locate(u"R"_s));
        const double key = campo(u"CDCTE"_s).toDouble();
        trigger(u"mnuAlterar"_s);
        completa();
        m_frm->cdsCTe->FieldByName(u"DSOUTCARCARGA"_s)->SetAsString(u"REFRIGERADA"_s);
        m_frm->pgcDados->setCurrentWidget(m_frm->tshDadosCompl);
        // Meanwhile the authority accepted it.
        sql(u"UPDATE CTE SET IDSTATUSCTE = 'A' WHERE CDCTE = ?"_s, {key});
        m_sink->clear();
        trigger(u"mnuConfirmar"_s);
        QVERIFY2(m_sink->lastText().startsWith(u"Operação bloqueada."_s),
                 qPrintable(m_sink->texts().join(u" | "_s)));
        QCOMPARE(m_frm->cdsCTe->State(), dsEdit);
        QCOMPARE(campo(u"DSOUTCARCARGA"_s), u"REFRIGERADA"_s);
        QCOMPARE(campo(u"CDCTE"_s).toDouble(), key);
        QCOMPARE(m_frm->pgcPadrao->currentWidget(), m_frm->tshFormulario);
        QCOMPARE(m_frm->pgcDados->currentWidget(), m_frm->tshDadosCompl);
        QCOMPARE(m_frm->cdsCTeDocFiscais->RecordCount(), 1);

        sql(u"UPDATE CTE SET IDSTATUSCTE = 'R' WHERE CDCTE = ?"_s, {key});
        m_sink->clear();
        trigger(u"mnuConfirmar"_s);
        QCOMPARE(errors(), 0);
        QCOMPARE(m_frm->cdsCTe->State(), dsBrowse);
        QCOMPARE(campo(u"CDCTE"_s).toDouble(), key);
        QCOMPARE(sql(u"SELECT DSOUTCARCARGA FROM CTE WHERE CDCTE = ?"_s, {key}),
                 QVariant(u"REFRIGERADA"_s));
        QCOMPARE(sql(u"SELECT COUNT(*) FROM CTEDOCFISCAIS WHERE CDCTE = ?"_s, {key}).toInt(), 1);
    }

    // The server is gone while a new document is saved: it stays with what was typed and its
    // five cargo rows; with a server back, the next command saves it and the editor moves to it.
    void newDocumentSurvivesANetworkFault()
    {
        listar();
        trigger(u"mnuIncluir"_s);
        completa();
        m_frm->cdsCTe->FieldByName(u"DSOUTCARCARGA"_s)->SetAsString(u"NOVO"_s);
        m_server->kill();
        m_sink->clear();
        trigger(u"mnuConfirmar"_s);
        QCOMPARE(errors(), 1);
        QCOMPARE(campo(u"DSOUTCARCARGA"_s), u"NOVO"_s);
        QCOMPARE(m_frm->cdsCTeInfQtCarga->RecordCount(), 5);

        m_server = std::make_unique<ServerProcess>(m_db->connectionString());
        QVERIFY(m_server->port() > 0);
        m_frm->netCTe->SetPort(m_server->port());
        Orvglob::WebPort = m_server->port();
        m_sink->clear();
        // Whatever the user does next first settles the save left without an answer.
        trigger(u"mnuAlterar"_s);
        QCOMPARE(errors(), 0);
        QCOMPARE(m_frm->cdsCTe->State(), dsBrowse);
        QCOMPARE(campo(u"DSOUTCARCARGA"_s), u"NOVO"_s);
        QVERIFY(campo(u"CDCTE"_s).toDouble() > 0);
        QVERIFY(!campo(u"NRCTE"_s).isEmpty());
        QCOMPARE(m_frm->cdsCTeInfQtCarga->RecordCount(), 5);
    }

    void cancelReloadsAndStaysOnTheDocument()
    {
        listar();
        QVERIFY(locate(u"R"_s));
        const QString key = campo(u"CDCTE"_s);
        trigger(u"mnuAlterar"_s);
        m_frm->cdsCTe->FieldByName(u"DSOUTCARCARGA"_s)->SetAsString(u"DESCARTADO"_s);
        m_sink->queueAnswer(mbYes);
        trigger(u"mnuCancelar"_s);
        QCOMPARE(m_frm->cdsCTe->State(), dsBrowse);
        QCOMPARE(campo(u"CDCTE"_s), key);
        QVERIFY(campo(u"DSOUTCARCARGA"_s) != u"DESCARTADO"_s);
        QCOMPARE(m_frm->pgcPadrao->currentWidget(), m_frm->tshFolhaDados);
    }

    // A delete the server takes leaves the list without the document; one it refuses (the
    // document was changed by someone else meanwhile) is given up whole, even when the reload
    // after it fails: the next save does not carry it.
    void deleteSavesAndReloads_data()
    {
        QTest::addColumn<bool>("refused");
        QTest::newRow("saved") << false;
        QTest::newRow("refused, then the reload fails") << true;
    }
    void deleteSavesAndReloads()
    {
        QFETCH(bool, refused);
        listar();
        trigger(u"mnuIncluir"_s);
        completa();
        trigger(u"mnuConfirmar"_s);
        QCOMPARE(errors(), 0);
        const double key = campo(u"CDCTE"_s).toDouble();
        const int rows = m_frm->cdsCTe->RecordCount();
        if (refused) {
            sql(u"UPDATE CTE SET DSOUTCARCARGA = 'OUTRO USUARIO' WHERE CDCTE = ?"_s, {key});
            recargaFalha(true);
        }
        m_sink->queueAnswer(mbYes);
        trigger(u"mnuExcluir"_s);
        if (!refused) {
            QCOMPARE(errors(), 0);
            QCOMPARE(m_frm->cdsCTe->RecordCount(), rows - 1);
            QVERIFY(!m_frm->cdsCTe->Locate(u"CDCTE"_s, key));
            QCOMPARE(sql(u"SELECT COUNT(*) FROM CTE WHERE CDCTE = ?"_s, {key}).toInt(), 0);
            return;
        }
        QVERIFY(errors() >= 1);
        recargaFalha(false);
        QCOMPARE(changeCounts(), QList<int>(6, 0));
        QCOMPARE(m_frm->cdsCTe->RecordCount(), rows);
        QCOMPARE(sql(u"SELECT COUNT(*) FROM CTE WHERE CDCTE = ?"_s, {key}).toInt(), 1);
    }

    // --- marks never travel -------------------------------------------------------------------

    // Marking and unmarking leave no change behind: the next save of another document sends
    // only that document, even when the marked one has moved on on the server since the load.
    void marksNeverTravelInASave_data()
    {
        QTest::addColumn<bool>("all");
        QTest::newRow("double click") << false;
        QTest::newRow("title click") << true;
    }
    void marksNeverTravelInASave()
    {
        QFETCH(bool, all);
        listar(u"P"_s);
        const double marcado = pendente(0);
        const double outro = pendente(1);
        QVERIFY(marcado > 0 && outro > 0);
        QVERIFY(m_frm->cdsCTe->Locate(u"CDCTE"_s, marcado));
        const int markColumn = IndiceCol(m_frm->dbgPadrao, u"IDCHECK"_s);
        for (int i = 0; i < 2; ++i) {
            if (all)
                titleClick(markColumn);
            else
                dblClick();
            QCOMPARE(changeCounts(), QList<int>(6, 0));
        }
        QCOMPARE(Cli_Dfs88000::inCount, 0);
        sql(u"UPDATE CTE SET DSOUTCARCARGA = 'MUDOU NO SERVIDOR' WHERE CDCTE = ?"_s, {marcado});
        m_sink->clear();
        salva(outro, u"SO ESTE"_s);
        QCOMPARE(errors(), 0);
        QCOMPARE(campo(u"CDCTE"_s).toDouble(), outro);
        QCOMPARE(sql(u"SELECT DSOUTCARCARGA FROM CTE WHERE CDCTE = ?"_s, {outro}),
                 QVariant(u"SO ESTE"_s));
        QCOMPARE(sql(u"SELECT DSOUTCARCARGA FROM CTE WHERE CDCTE = ?"_s, {marcado}),
                 QVariant(u"MUDOU NO SERVIDOR"_s));
    }

    // --- the filter command --------------------------------------------------------------------

    void filterNotWhileEditing_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("alter") << u"mnuAlterar"_s;
        QTest::newRow("include") << u"mnuIncluir"_s;
    }
    void filterNotWhileEditing()
    {
        QFETCH(QString, command);
        listar();
        QVERIFY(locate(u"P"_s));
        QVERIFY(m_frm->mnuFiltrar->isEnabled());
        const qsizetype loads = m_server->log().count(u"op=GetDadosGerais"_s);
        trigger(command);
        QVERIFY(m_frm->EmEdicao());
        QVERIFY(!m_frm->mnuFiltrar->isEnabled());
        QVERIFY(!m_frm->sbtFiltro->isEnabled());
        // Neither the menu nor the button reaches the filter.
        QTest::mouseClick(m_frm->sbtFiltro, Qt::LeftButton);
        m_frm->mnuFiltrar->trigger();
        QVERIFY(m_frm->EmEdicao());
        QVERIFY(!Cli_Dfs88100::boActive);
        QCOMPARE(m_server->log().count(u"op=GetDadosGerais"_s), loads);
        m_sink->queueAnswer(mbYes);
        trigger(u"mnuCancelar"_s);
        QVERIFY(m_frm->mnuFiltrar->isEnabled());
        QVERIFY(m_frm->sbtFiltro->isEnabled());
    }

    // --- the change log after failures ----------------------------------------------------------

    // Cancel gives up every pending change of the six lists, also when the reload fails, so
    // that none of them goes out with the next save.
    void cancelDropsEveryChangeWhenTheReloadFails_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("alter") << u"mnuAlterar"_s;
        QTest::newRow("include") << u"mnuIncluir"_s;
    }
    void cancelDropsEveryChangeWhenTheReloadFails()
    {
        QFETCH(QString, command);
        listar(u"P"_s);
        const double cancelado = pendente(0);
        const double outro = pendente(1);
        QVERIFY(m_frm->cdsCTe->Locate(u"CDCTE"_s, cancelado));
        const int impostos
            = count(u"SELECT COUNT(*) FROM CTEIMPOSTOS WHERE CDCTE = ?"_s, {cancelado});
        const int carga = count(u"SELECT COUNT(*) FROM CTEINFQTCARGA"_s);
        const int documentos = count(u"SELECT COUNT(*) FROM CTE"_s);
        trigger(command);
        completa();
        AppendAsServer(m_frm->cdsCTeImpostos,
                       {{u"CDCTE"_s, campo(u"CDCTE"_s).toDouble()}, {u"CDIMPOSTO"_s, u"02"_s}});
        recargaFalha(true);
        m_sink->clear();
        m_sink->queueAnswer(mbYes);
        trigger(u"mnuCancelar"_s);
        QCOMPARE(errors(), 1);
        QCOMPARE(m_frm->cdsCTe->State(), dsBrowse);
        QCOMPARE(changeCounts(), QList<int>(6, 0));

        recargaFalha(false);
        m_sink->clear();
        salva(outro, u"OUTRO"_s);
        QCOMPARE(errors(), 0);
        QCOMPARE(sql(u"SELECT DSOUTCARCARGA FROM CTE WHERE CDCTE = ?"_s, {outro}),
                 QVariant(u"OUTRO"_s));
        QCOMPARE(count(u"SELECT COUNT(*) FROM CTE"_s), documentos);
        QCOMPARE(count(u"SELECT COUNT(*) FROM CTEINFQTCARGA"_s), carga);
        QCOMPARE(count(u"SELECT COUNT(*) FROM CTEIMPOSTOS WHERE CDCTE = ?"_s, {cancelado}),
                 impostos);
    }

    // A save the server committed is not sent again when the reload after it fails: the change
    // log is clear and the next save of another document carries only that one.
    void savedDocumentIsNotSentAgainWhenTheReloadFails()
    {
        listar(u"P"_s);
        const double outro = pendente(0);
        const int documentos = count(u"SELECT COUNT(*) FROM CTE"_s);
        trigger(u"mnuIncluir"_s);
        completa();
        m_frm->cdsCTe->FieldByName(u"DSOUTCARCARGA"_s)->SetAsString(u"UMA VEZ"_s);
        recargaFalha(true);
        m_sink->clear();
        trigger(u"mnuConfirmar"_s);
        QCOMPARE(errors(), 1);
        QVERIFY(m_sink->lastText().contains(u"tipos de operação"_s));
        QCOMPARE(count(u"SELECT COUNT(*) FROM CTE"_s), documentos + 1);
        QCOMPARE(m_frm->cdsCTe->State(), dsBrowse);
        QCOMPARE(changeCounts(), QList<int>(6, 0));

        recargaFalha(false);
        m_sink->clear();
        salva(outro, u"DEPOIS"_s);
        QCOMPARE(errors(), 0);
        QCOMPARE(count(u"SELECT COUNT(*) FROM CTE"_s), documentos + 1);
        QCOMPARE(count(u"SELECT COUNT(*) FROM CTE WHERE DSOUTCARCARGA = 'UMA VEZ'"_s), 1);
    }

    // The answer of a committed save is lost (the call times out): the document keeps what was
    // typed, but nothing more is taken until the outcome is known. The next edit first sends the
    // same request again, which the server answers with the first outcome; a correction typed
    // afterwards is saved as a save of its own, not lost behind the first one.
    void timeOutAfterTheCommitSavesOnce()
    {
        QProcessEnvironment env;
        env.insert(u"CTE_SERVER_TEST_SAVE_PAUSE_MS"_s, u"3000"_s);
        ServerProcess slow(m_db->connectionString(), {}, env);
        QVERIFY(slow.port() > 0);
        m_frm->netCTe->SetPort(slow.port());
        listar(u"P"_s);
        const int documentos = count(u"SELECT COUNT(*) FROM CTE"_s);
        trigger(u"mnuIncluir"_s);
        completa();
        m_frm->cdsCTe->FieldByName(u"DSOUTCARCARGA"_s)->SetAsString(u"SEM RESPOSTA"_s);
        m_frm->netCTe->SetTimeoutSeconds(1);
        m_sink->clear();
        trigger(u"mnuConfirmar"_s);
        QCOMPARE(errors(), 1);
        QVERIFY(!m_frm->EmEdicao());
        QCOMPARE(campo(u"DSOUTCARCARGA"_s), u"SEM RESPOSTA"_s);
        // The server commits once its pause is over.
        QVERIFY(slow.waitForLog(u"op=AplicaAlteracoes"_s));
        QCOMPARE(count(u"SELECT COUNT(*) FROM CTE"_s), documentos + 1);
        const double key
            = sql(u"SELECT CDCTE FROM CTE WHERE DSOUTCARCARGA = 'SEM RESPOSTA'"_s).toDouble();

        m_frm->netCTe->SetTimeoutSeconds(120);
        m_sink->clear();
        trigger(u"mnuAlterar"_s);
        QCOMPARE(errors(), 0);
        QCOMPARE(textsOf(TMsgKind::Information).size(), 1);
        QCOMPARE(m_frm->cdsCTe->State(), dsBrowse);
        QCOMPARE(count(u"SELECT COUNT(*) FROM CTE"_s), documentos + 1);
        QCOMPARE(campo(u"CDCTE"_s).toDouble(), key);
        QCOMPARE(changeCounts(), QList<int>(6, 0));

        trigger(u"mnuAlterar"_s);
        QVERIFY(m_frm->EmEdicao());
        m_frm->cdsCTe->FieldByName(u"DSOUTCARCARGA"_s)->SetAsString(u"CORRIGIDO"_s);
        trigger(u"mnuConfirmar"_s);
        QCOMPARE(errors(), 0);
        QCOMPARE(count(u"SELECT COUNT(*) FROM CTE"_s), documentos + 1);
        QCOMPARE(sql(u"SELECT DSOUTCARCARGA FROM CTE WHERE CDCTE = ?"_s, {key}).toString(),
                 u"CORRIGIDO"_s);
    }

    // --- nothing typed is dropped silently ------------------------------------------------------

    // While a document is edited or inserted, the company panel is not offered and closing the
    // editor (its close box, or the host closing its windows) is refused with a message; the
    // work stays as it was.
    void noSilentDiscardWhileEditing_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("leave");
        for (const char *command : {"mnuAlterar", "mnuIncluir"}) {
            for (const char *leave : {"company panel", "close box", "host closing"})
                QTest::newRow((QByteArray(command) + ", " + leave).constData())
                    << QString::fromLatin1(command) << QString::fromLatin1(leave);
        }
    }
    void noSilentDiscardWhileEditing()
    {
        QFETCH(QString, command);
        QFETCH(QString, leave);
        TMainWindow host(nullptr);
        QMdiArea &area = *host.MdiArea();
        // However the case ends, the editor leaves the host before the host goes.
        const auto release = qScopeGuard([&] {
            if (leave != u"host closing")
                return;
            if (Cli_Dfs88000::frmCTe && Cli_Dfs88000::frmCTe->EmEdicao())
                Cli_Dfs88000::frmCTe->cdsCTe->Cancel();
            area.closeAllSubWindows();
            flushDeletes();
            m_frm = Cli_Dfs88000::frmCTe;
            SetHostMdiArea(nullptr);
        });
        if (leave == u"host closing")
            abreNoHost(host);
        else
            SetHostMdiArea(nullptr);
        listar();
        QVERIFY(locate(u"P"_s));
        trigger(command);
        QVERIFY(m_frm->EmEdicao());
        m_frm->cdsCTe->FieldByName(u"DSOUTCARCARGA"_s)->SetAsString(u"DIGITADO"_s);
        QPointer<TfrmCTe> editor = m_frm;
        m_sink->clear();
        if (leave == u"company panel") {
            QVERIFY(!m_frm->panEmpresa->isEnabled());
            m_frm->medCdEmpresa->setFocus(Qt::MouseFocusReason);
            QTest::mouseClick(m_frm->medCdEmpresa, Qt::LeftButton);
            QVERIFY(!m_frm->medCdEmpresa->hasFocus());
            QVERIFY(m_sink->entries().isEmpty());
        } else {
            if (leave == u"close box")
                m_frm->Close();
            else
                QVERIFY(!host.close());
            flushDeletes();
            QVERIFY(editor);
            QCOMPARE(errors(), 1);
            QVERIFY(m_sink->lastText().contains(u"em edição"_s));
            if (leave == u"host closing") {
                QCOMPARE(area.subWindowList().size(), 1);
                QVERIFY(host.isVisible());
            }
        }
        QVERIFY(Cli_Dfs88000::boStCriado);
        QVERIFY(m_frm->cdsCTe->Active());
        QVERIFY(m_frm->EmEdicao());
        QCOMPARE(campo(u"DSOUTCARCARGA"_s), u"DIGITADO"_s);
        // Once the edit is over, the panel and closing work again.
        m_sink->queueAnswer(mbYes);
        trigger(u"mnuCancelar"_s);
        QVERIFY(m_frm->panEmpresa->isEnabled());
        if (leave == u"host closing") {
            QVERIFY(host.close());
            flushDeletes();
            QVERIFY(!editor);
            QVERIFY(area.subWindowList().isEmpty());
        }
    }

    // --- smaller ones ---------------------------------------------------------------------------

    // The fields the list shows by default, in order, as the server's packet brings them.
    void defaultFieldOrder()
    {
        listar();
        QStringList visible;
        for (const TField *f : m_frm->cdsCTe->Fields()) {
            if (f->Visible())
                visible << f->FieldName();
        }
        QCOMPARE(visible,
                 (QStringList {u"NRCTE"_s, u"CDSERIECTE"_s, u"NRACESSOCTE"_s, u"DTEMISSAO"_s,
                               u"IDSTATUSCTE"_s, u"CDSTATUSCTE"_s, u"DSSTATUSCTE"_s,
                               u"NRINSJURTOMA"_s, u"NMRAZSOCTOMA"_s, u"IDEMAILCTE"_s}));
    }

    // A filter whose emission dates were left empty lists every date: the empty dates travel
    // as null, which the server takes as an open range.
    void emptyDatesListEveryDate()
    {
        listar();
        const int wide = m_frm->cdsCTe->RecordCount();
        QVERIFY(wide > 0);
        TRecordFilter &f = Cli_Dfs88100::frmFiltroCTe->Filtro;
        f.RecDataSaidIni = QDate();
        f.RecDataSaidFim = QDate();
        m_sink->clear();
        FrameworkGuard([this] { m_frm->CarregaDadosGerais(); });
        QCOMPARE(errors(), 0);
        QCOMPARE(m_frm->cdsCTe->RecordCount(), wide);
    }

    // --- the connection comes back -------------------------------------------------------------

    void sessionEndedByTheServerIsOpenedAgain()
    {
        listar();
        sql(u"DELETE FROM SRVSESSAO"_s);
        m_sink->clear();
        trigger(u"mnuVerificar"_s);
        QCOMPARE(errors(), 0);
        QVERIFY(m_frm->cdsCTe->RecordCount() > 0);
        // A save too, after the session expired.
        sql(u"UPDATE SRVSESSAO SET DTEXPIRA = DTCRIACAO"_s);
        salva(pendente(0), u"DE VOLTA"_s);
        QCOMPARE(errors(), 0);
        QCOMPARE(count(u"SELECT COUNT(*) FROM CTE WHERE DSOUTCARCARGA = 'DE VOLTA'"_s), 1);
    }

    // The server was down when the editor came up: once it is back, leaving the company panel
    // lists without reopening the editor.
    void serverDownAtShowIsReachedLater()
    {
        m_frm->Close();
        flushDeletes();
        Cli_Dfs88000::ResetUnit();
        m_server->kill();
        m_sink->clear();
        openEditor();
        QCOMPARE(errors(), 1);
        QVERIFY(!m_frm->netCTe->Connected());
        m_server = std::make_unique<ServerProcess>(m_db->connectionString());
        QVERIFY(m_server->port() > 0);
        m_frm->netCTe->SetPort(m_server->port());
        Orvglob::WebPort = m_server->port();
        m_sink->clear();
        listar();
        QCOMPARE(errors(), 0);
        QVERIFY(m_frm->cdsCTe->RecordCount() > 0);
    }

private:
    static bool IsReplyOkForTest(const QVariant &reply)
    {
        return reply.typeId() == QMetaType::QVariantList
            && reply.toList().value(0).toString() == u"S"_s;
    }
};

QTEST_MAIN(TestCTeEditor)
#include "tst_cte_editor.moc"
