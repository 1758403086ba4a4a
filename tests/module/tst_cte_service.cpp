// The route, the operation type, the service product with its fiscal treatment, the value
// components and the taxes, driven through the real editor, offscreen, against a real cte-server
// on a loopback port and a demo database made for the run.
#include "BtnPesquisa.h"
#include "Cli_Dfs88000.h"
#include "Cli_Dfs88100.h"
#include "ClientDataSet.h"
#include "DBEdit.h"
#include "DBGrid.h"
#include "DBLookupComboBox.h"
#include "DataSetModel.h"
#include "DataSource.h"
#include "DateEditPlus.h"
#include "EditorFixture.h"
#include "Exceptions.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QSqlError>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

class TestCTeService : public EditorFixture
{
    Q_OBJECT

    // A new document, with the route typed on "Identificação" (start and end in Campinas (SP)
    // unless another end state and municipality are given), the emitter and the payer.
    void novoComRota(const QString &estadoFim = u"SP"_s, const QString &municipioFim = u"0950"_s)
    {
        novoComRotaEEmitente(estadoFim, municipioFim);
        tomador();
    }
    void novoComRotaEEmitente(const QString &estadoFim, const QString &municipioFim)
    {
        listar();
        trigger(u"mnuIncluir"_s);
        QCOMPARE(m_frm->cdsCTe->State(), dsInsert);
        const struct
        {
            TDBEdit *edit;
            QString text;
        } passos[] = {
            {m_frm->dbeCdTipoOper, u"01"_s},
            {m_frm->dbeCdPaisIniPrestaServico, u"1058"_s},
            {m_frm->dbeSgEstaIniPrestaServico, u"SP"_s},
            {m_frm->dbeCdMuniIniPrestaServico, u"0950"_s},
            {m_frm->dbeCdPaisFimPrestaServico, u"1058"_s},
            {m_frm->dbeSgEstaFimPrestaServico, estadoFim},
            {m_frm->dbeCdMuniFimPrestaServico, municipioFim},
        };
        for (const auto &p : passos) {
            digita(p.edit, p.text);
            vaiPara(m_frm->depDataEmissao);
        }
        QCOMPARE(m_sink->texts(), QStringList());
        QCOMPARE(campo(u"NMTIPOOPER"_s), u"PRESTACAO DE SERV. TRANSPORTE"_s);
        QCOMPARE(campo(u"NMMUNICINISERV"_s), u"Campinas"_s);
        // The emitter's state registration is an argument of the fiscal look-up.
        pagina(m_frm->tshEmitente);
        digita(m_frm->dbeNrInsJurEmit, u"18462731000114"_s);
        vaiPara(m_frm->btnInsJurEmit);
        QCOMPARE(m_sink->texts(), QStringList());
        QCOMPARE(campo(u"NRINSESTEMIT"_s), u"244187365112"_s);
    }
    // The payer, a client identified on its own page (indicator "4").
    void tomador()
    {
        m_frm->cdsCTe->FieldByName(u"IDTOMADOR"_s)->SetAsString(u"4"_s);
        m_frm->cdsCTe->FieldByName(u"IDCADTOMADOR"_s)->SetAsString(u"C"_s);
        pagina(m_frm->tshTomador);
        digita(m_frm->dbeNrInsJurToma, u"38104726000147"_s);
        vaiPara(m_frm->btnInsJurToma);
        QCOMPARE(m_sink->texts(), QStringList());
        QCOMPARE(campo(u"NMRAZSOCTOMA"_s), u"INDUSTRIA DE MOVEIS SERRANA LTDA"_s);
    }

    // Types product, total and amount to receive on "Totais" and leaves the panel.
    void servico(const QString &produto, const QString &total, const QString &receber)
    {
        pagina(m_frm->tshTotais);
        digita(m_frm->dbeCdServPrestado, produto);
        digita(m_frm->dbeValorTotaPrestServ, total);
        digita(m_frm->dbeValorTotaReceber, receber);
        vaiPara(m_frm->dbgCompValorPrestacao);
    }

    // A new document whose freight (product 010010001) of 1000 is all to be received.
    void novoComServico()
    {
        novoComRota();
        servico(u"010010001"_s, u"1000"_s, u"1000"_s);
    }
    // Insert in the component grid: a new row, its code cell selected.
    TDBGrid *novaLinhaComponente()
    {
        TDBGrid *grid = m_frm->dbgCompValorPrestacao;
        foca(grid);
        QTest::keyClick(grid, Qt::Key_Insert);
        grid->SetSelectedIndex(0);
        return grid;
    }
    // Adds a component row by typing its code and value in the grid; Down leaves the row.
    void componente(const QString &codigo, const QString &valor)
    {
        novaLinhaComponente();
        tecla(codigo);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        tecla(valor);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        FrameworkGuard([this] { m_frm->cdsCTeCompValor->Post(); });
    }

    // Completes what the other sections check and confirms.
    void salva()
    {
        anexaDocumentoFiscal();
        m_frm->cdsCTe->FieldByName(u"DSPRODPREDOMINA"_s)->SetAsString(u"MOVEIS"_s);
        trigger(u"mnuConfirmar"_s);
        QCOMPARE(m_sink->texts(), QStringList());
        QCOMPARE(m_frm->cdsCTe->State(), dsBrowse);
    }
    QStringList componentes()
    {
        QStringList out;
        TClientDataSet *c = m_frm->cdsCTeCompValor;
        for (int row = 0; row < c->RecordCount(); ++row)
            out << c->DisplayTextAt(row, c->FieldByName(u"CDCOMPVRPREST"_s)) + u'='
                    + c->DisplayTextAt(row, c->FieldByName(u"VRCOMPONENTE"_s));
        return out;
    }

private slots:
    // A route code that is not registered for its side: the message, "Identificação" in front,
    // the focus back on the code, and the side's dependent fields cleared.
    void routeCodeNotRegistered_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("cleared");
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("country") << u"dbeCdPaisFimPrestaServico"_s << u"9999"_s
                                 << u"Pais não cadastrado."_s
                                 << QStringList {u"NMPAISFIMSERV"_s,   u"CDPAISBACENFIMSERV"_s,
                                                 u"SGESTADOFIMSERV"_s, u"CDESTADOIBGEFIMSERV"_s,
                                                 u"CDMUNICFIMSERV"_s,  u"CDMUNICIBGEFIMSERV"_s}
                                 << QStringList {u"NMPAISINISERV"_s, u"CDMUNICIBGEINISERV"_s};
        // EX is a state of Argentina only.
        QTest::newRow("state of another country")
            << u"dbeSgEstaFimPrestaServico"_s << u"EX"_s << u"Estado não cadastrado."_s
            << QStringList {u"NMESTADOFIMSERV"_s, u"CDESTADOIBGEFIMSERV"_s, u"CDMUNICFIMSERV"_s,
                            u"NMMUNICFIMSERV"_s, u"CDMUNICIBGEFIMSERV"_s}
            << QStringList {u"NMPAISFIMSERV"_s, u"CDPAISBACENFIMSERV"_s};
        QTest::newRow("municipality")
            << u"dbeCdMuniIniPrestaServico"_s << u"0001"_s << u"Município não cadastrado."_s
            << QStringList {u"NMMUNICINISERV"_s, u"CDMUNICIBGEINISERV"_s}
            << QStringList {u"NMESTADOINISERV"_s, u"CDESTADOIBGEINISERV"_s};
    }
    void routeCodeNotRegistered()
    {
        QFETCH(QString, edit);
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(QStringList, cleared);
        QFETCH(QStringList, kept);
        novoComRota();
        auto *codigo = m_frm->findChild<TDBEdit *>(edit);
        QVERIFY(codigo);
        digita(codigo, text);
        vaiPara(m_frm->depDataEmissao);
        QTRY_COMPARE(m_sink->lastText(), message);
        QCOMPARE(m_frm->pgcDados->currentWidget(), m_frm->tshIdentificacao);
        QTRY_VERIFY(codigo->hasFocus());
        for (const QString &f : cleared)
            QVERIFY2(campo(f).isEmpty(), qPrintable(f));
        for (const QString &f : kept)
            QVERIFY2(!campo(f).isEmpty(), qPrintable(f));
    }

    // Every route code is required when saving; the first empty one is reported, in order.
    void routeRequiredOnSave_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("operation type")
            << u"CDTIPOOPER"_s << u"Tipo de operação deve ser informado."_s << u"dbeCdTipoOper"_s;
        QTest::newRow("start country") << u"CDPAISINISERV"_s << u"Pais deve ser informado."_s
                                       << u"dbeCdPaisIniPrestaServico"_s;
        QTest::newRow("end state") << u"SGESTADOFIMSERV"_s << u"Estado deve ser informado."_s
                                   << u"dbeSgEstaFimPrestaServico"_s;
        QTest::newRow("end municipality")
            << u"CDMUNICFIMSERV"_s << u"Município deve ser informado."_s
            << u"dbeCdMuniFimPrestaServico"_s;
    }
    void routeRequiredOnSave()
    {
        QFETCH(QString, field);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        novoComRota();
        auto *edit = m_frm->findChild<TDBEdit *>(focus);
        digita(edit, QString());
        pagina(m_frm->tshTotais);
        m_sink->clear();
        trigger(u"mnuConfirmar"_s);
        QCOMPARE(m_sink->lastText(), message);
        QVERIFY(campo(field).isEmpty());
        QCOMPARE(m_frm->pgcDados->currentWidget(), m_frm->tshIdentificacao);
        QTRY_VERIFY(edit->hasFocus());
        QCOMPARE(m_frm->cdsCTe->State(), dsInsert);
    }

    // The whole service: route, product and totals bring CFOP, nature, taxes and observations;
    // the value is broken down into components and the document is saved.
    void serviceAcceptedAndSaved_data()
    {
        QTest::addColumn<QString>("endState");
        QTest::addColumn<QString>("endMunicipality");
        QTest::addColumn<QString>("product");
        QTest::addColumn<QString>("cfop");
        QTest::addColumn<double>("icms");
        QTest::addColumn<double>("credit");
        QTest::addColumn<int>("observations");
        QTest::newRow("intrastate")
            << u"SP"_s << u"5030"_s << u"010010001"_s << u"5353"_s << 120.0 << 0.0 << 0;
        QTest::newRow("interstate to the northeast")
            << u"BA"_s << u"2740"_s << u"010010001"_s << u"6353"_s << 70.0 << 0.0 << 0;
        QTest::newRow("presumed credit with an observation")
            << u"SP"_s << u"5030"_s << u"010010003"_s << u"5353"_s << 120.0 << 24.0 << 1;
    }
    void serviceAcceptedAndSaved()
    {
        QFETCH(QString, endState);
        QFETCH(QString, endMunicipality);
        QFETCH(QString, product);
        QFETCH(QString, cfop);
        QFETCH(double, icms);
        QFETCH(double, credit);
        QFETCH(int, observations);
        novoComRota(endState, endMunicipality);
        QCOMPARE(m_sink->texts(), QStringList());
        const int before = m_frm->cdsCTeDadosAdic->RecordCount();
        servico(product, u"1000"_s, u"950"_s);
        QCOMPARE(m_sink->texts(), QStringList());
        QVERIFY(!campo(u"NMPRODUTO"_s).isEmpty());
        QCOMPARE(campo(u"CDCFOP"_s), cfop);
        QVERIFY(!campo(u"DSNATUOPERACAO"_s).isEmpty());
        TClientDataSet *taxes = m_frm->cdsCTeImpostos;
        QCOMPARE(taxes->RecordCount(), 1);
        QCOMPARE(taxes->FieldByName(u"VRIMPOSTO"_s)->AsFloat(), icms);
        QCOMPARE(taxes->FieldByName(u"VRCREDPRESUMIDO"_s)->AsFloat(), credit);
        QCOMPARE(m_frm->cdsCTeDadosAdic->RecordCount(), before + observations);
        QCOMPARE(Cli_Dfs88000::stCdArvProdAux, product);
        QCOMPARE(Cli_Dfs88000::doVrTotaPrestServ, 1000.0);

        componente(u"1"_s, u"800"_s);
        componente(u"3"_s, u"200"_s);
        QCOMPARE(m_sink->texts(), QStringList());
        QCOMPARE(componentes(), (QStringList {u"1=800,00"_s, u"3=200,00"_s}));
        QCOMPARE(Cli_Dfs88000::slCTeCompValor, (QStringList {u"1"_s, u"3"_s}));

        salva();
        const double key = valor(u"CDCTE"_s);
        QVERIFY(key > 0);
        QCOMPARE(campo(u"CDCFOP"_s), cfop);
        QCOMPARE(m_frm->cdsCTeImpostos->RecordCount(), 1);
        QCOMPARE(componentes(), (QStringList {u"1=800,00"_s, u"3=200,00"_s}));
        QCOMPARE(count(u"SELECT COUNT(*) FROM CTECOMPVALOR WHERE CDCTE = ?"_s, {key}), 2);
    }

    // A new document filled by hand on the demo data: the emitter and the five parties, some
    // typed and some picked with F9 inside their edit, the payer copied from the recipient, the
    // route and the service. The server brings the fiscal treatment, the value is broken into
    // components, and once saved the list shows the payer.
    void newDocumentFilledByHand()
    {
        novoComRotaEEmitente(u"SP"_s, u"5030"_s);
        // A party typed on its page, or picked with F9 inside its edit by `keyField`.
        const auto informa = [this](size_t papel, const QString &kind, const QString &entry,
                                    const QString &keyField = {}) {
            const TfrmCTe::TPaginaParte &parte = m_frm->Partes[papel];
            pagina(parte.tsh);
            escolhe(parte.dcbInfCad, kind);
            if (keyField.isEmpty())
                digita(parte.dbeNrInsJur, entry);
            else
                pesquisaF9(parte.dbeNrInsJur, keyField, entry);
            vaiPara(parte.btnInsJur);
        };
        informa(1, u"C"_s, u"61.348.257/0001-23"_s);
        informa(2, u"F"_s, u"206"_s, u"CDFORNECED"_s);
        informa(3, u"C"_s, u"31874265909"_s);
        // One of two clients sharing a registration: leaving the edit keeps the one chosen.
        informa(4, u"C"_s, u"109"_s, u"CDCLIENTE"_s);
        QCOMPARE(m_sink->texts(), QStringList());
        QStringList partes;
        for (const char16_t *f :
             {u"CDREMETENTECLI", u"NMRAZSOCREME", u"CDEXPEDIDORFOR", u"NMRAZSOCEXPE",
              u"CDRECEBEDORCLI", u"NMRAZSOCRECE", u"CDDESTINATACLI", u"NMRAZSOCDEST"})
            partes << campo(QString::fromUtf16(f));
        QCOMPARE(partes,
                 (QStringList {u"101"_s, u"METALURGICA VALE DO PARAIBA LTDA"_s, u"206"_s,
                               u"TRANSPORTADORA LITORAL NORTE LTDA"_s, u"105"_s,
                               u"JOAO CARLOS PEREIRA"_s, u"109"_s,
                               u"TEXTIL BLUMENAU S.A. - FATURAMENTO"_s}));
        // The payer: indicator 3 copies the recipient.
        pagina(m_frm->tshTomador);
        escolhe(m_frm->dcbIndicador, u"3"_s);
        QCOMPARE(m_sink->texts(), QStringList());
        QCOMPARE(campo(u"NRINSJURTOMA"_s), u"75230918000126"_s);
        QCOMPARE(campo(u"NMRAZSOCTOMA"_s), u"TEXTIL BLUMENAU S.A. - FATURAMENTO"_s);

        // The service, with a presumed credit and its observation.
        const int before = m_frm->cdsCTeDadosAdic->RecordCount();
        servico(u"010010003"_s, u"1000"_s, u"950"_s);
        QCOMPARE(m_sink->texts(), QStringList());
        QCOMPARE(campo(u"CDCFOP"_s), u"5353"_s);
        QVERIFY(!campo(u"DSNATUOPERACAO"_s).isEmpty());
        QCOMPARE(m_frm->cdsCTeImpostos->RecordCount(), 1);
        QCOMPARE(m_frm->cdsCTeImpostos->FieldByName(u"VRIMPOSTO"_s)->AsFloat(), 120.0);
        QCOMPARE(m_frm->cdsCTeImpostos->FieldByName(u"VRCREDPRESUMIDO"_s)->AsFloat(), 24.0);
        QCOMPARE(m_frm->cdsCTeDadosAdic->RecordCount(), before + 1);
        componente(u"1"_s, u"800"_s);
        componente(u"3"_s, u"200"_s);
        QCOMPARE(m_sink->texts(), QStringList());

        salva();
        const double key = valor(u"CDCTE"_s);
        QSqlQuery q(m_db->db());
        q.prepare(u"SELECT NRINSJURREME, NRINSJUREXPE, NRINSJURRECE, NRINSJURDEST, IDTOMADOR, "
                  u"NRINSJURTOMA, NMRAZSOCTOMA, CDDESTINATACLI, CDEXPEDIDORFOR, CDCFOP, "
                  u"VRTOTARECEBER FROM CTE WHERE CDCTE = ?"_s);
        q.addBindValue(key);
        QVERIFY2(q.exec() && q.next(), qPrintable(q.lastError().text()));
        QStringList saved;
        for (int c = 0; c < 11; ++c)
            saved << q.value(c).toString();
        QCOMPARE(saved,
                 (QStringList {u"61348257000123"_s, u"23478156000188"_s, u"31874265909"_s,
                               u"75230918000126"_s, u"3"_s, u"75230918000126"_s,
                               u"TEXTIL BLUMENAU S.A. - FATURAMENTO"_s, u"109"_s, u"206"_s,
                               u"5353"_s, u"950"_s}));
        QCOMPARE(count(u"SELECT COUNT(*) FROM CTECOMPVALOR WHERE CDCTE = ?"_s, {key}), 2);

        // The list, loaded again, shows the payer in its columns.
        listar();
        QVERIFY(m_frm->cdsCTe->Locate(u"CDCTE"_s, key));
        TDBGrid *grid = m_frm->dbgPadrao;
        const int row = m_frm->cdsCTe->CurrentRow();
        auto coluna = [&](const QString &field) {
            return grid->DataModel()->index(row, IndiceCol(grid, field)).data().toString();
        };
        QCOMPARE(coluna(u"NRINSJURTOMA"_s), u"75.230.918/0001-26"_s);
        QCOMPARE(coluna(u"NMRAZSOCTOMA"_s), u"TEXTIL BLUMENAU S.A. - FATURAMENTO"_s);
    }

    // An empty amount to receive is reported even by the panel's check, which does not insist
    // on a product.
    void emptyAmountToReceive()
    {
        novoComRota();
        servico(u"010010001"_s, u"1000"_s, QString());
        QTRY_COMPARE(m_sink->lastText(), u"Valor a receber deve ser informado."_s);
        QCOMPARE(m_frm->pgcDados->currentWidget(), m_frm->tshTotais);
        QTRY_VERIFY(m_frm->dbeValorTotaReceber->hasFocus());
        QVERIFY(campo(u"CDCFOP"_s).isEmpty());
        QVERIFY(Cli_Dfs88000::stCdArvProdAux.isEmpty());
    }

    // A product without fiscal parametrization is accepted with no CFOP and no taxes; saving
    // then asks for the CFOP.
    void productWithoutParametrization()
    {
        novoComRota();
        servico(u"020010002"_s, u"500"_s, u"500"_s);
        QCOMPARE(m_sink->texts(), QStringList());
        QCOMPARE(campo(u"NMPRODUTO"_s), u"SUBCONTRATACAO DE FRETE"_s);
        QVERIFY(campo(u"CDCFOP"_s).isEmpty());
        QVERIFY(m_frm->cdsCTeImpostos->IsEmpty());
        trigger(u"mnuConfirmar"_s);
        QCOMPARE(m_sink->lastText(),
                 u"CFOP deve ser informado. Favor verificar o serviço e sua parametrização "
                 u"fiscal centralizada."_s);
        QCOMPARE(m_frm->pgcDados->currentWidget(), m_frm->tshTotais);
        QCOMPARE(m_frm->cdsCTe->State(), dsInsert);
    }

    // Typing another start country once the product was accepted: that side's state and
    // municipality, the product, its totals, the components and the taxes are emptied.
    void typingAnotherStartCountryClears()
    {
        novoComServico();
        componente(u"2"_s, u"1000"_s);
        QCOMPARE(m_frm->cdsCTeImpostos->RecordCount(), 1);
        QCOMPARE(m_frm->cdsCTeCompValor->RecordCount(), 1);
        pagina(m_frm->tshIdentificacao);
        foca(m_frm->dbeCdPaisIniPrestaServico);
        m_frm->dbeCdPaisIniPrestaServico->selectAll();
        QTest::keyClicks(m_frm->dbeCdPaisIniPrestaServico, u"0"_s);
        for (const char16_t *f :
             {u"NMPAISINISERV", u"SGESTADOINISERV", u"NMESTADOINISERV", u"CDMUNICINISERV",
              u"NMMUNICINISERV", u"CDARVPROD", u"NMPRODUTO", u"VRTOTAPRESTSERV", u"VRTOTARECEBER"})
            QVERIFY2(campo(QString::fromUtf16(f)).isEmpty(), qPrintable(QString::fromUtf16(f)));
        QVERIFY(m_frm->cdsCTeImpostos->IsEmpty());
        QVERIFY(m_frm->cdsCTeCompValor->IsEmpty());
        QVERIFY(Cli_Dfs88000::slCTeCompValor.isEmpty());
        QVERIFY(Cli_Dfs88000::stCdArvProdAux.isEmpty());
        // The end side stays.
        QCOMPARE(campo(u"NMMUNICFIMSERV"_s), u"Campinas"_s);
    }

    // A component is used once per document; its row's value can still be changed, and after
    // deleting it the component can be added again.
    void componentUsedOnce()
    {
        novoComServico();
        componente(u"1"_s, u"600"_s);
        QCOMPARE(m_sink->texts(), QStringList());

        // The same code again: refused on leaving the code column, which keeps the cell.
        m_sink->clear();
        TDBGrid *grid = novaLinhaComponente();
        tecla(u"1"_s);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(m_sink->texts(), QStringList {u"Componente de valor já informado."_s});
        QCOMPARE(m_frm->pgcDados->currentWidget(), m_frm->tshTotais);
        QCOMPARE(grid->SelectedIndex(), 0);
        QCOMPARE(m_frm->cdsCTeCompValor->State(), dsInsert);
        // Esc drops the new row.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QCOMPARE(m_frm->cdsCTeCompValor->State(), dsBrowse);
        QCOMPARE(componentes(), QStringList {u"1=600,00"_s});

        // An existing row's value changes; posting it again unchanged is accepted too.
        m_sink->clear();
        TClientDataSet *c = m_frm->cdsCTeCompValor;
        c->First();
        c->Edit();
        c->FieldByName(u"VRCOMPONENTE"_s)->SetAsFloat(700);
        c->Post();
        c->Edit();
        c->Post();
        QCOMPARE(m_sink->texts(), QStringList());
        QCOMPARE(componentes(), QStringList {u"1=700,00"_s});
        QCOMPARE(Cli_Dfs88000::slCTeCompValor, QStringList {u"1"_s});

        // Ctrl+Delete in the grid asks, then deletes; the code is free again.
        foca(grid);
        m_sink->queueAnswer(mbOK);
        QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
        QVERIFY(c->IsEmpty());
        QVERIFY(Cli_Dfs88000::slCTeCompValor.isEmpty());
        m_sink->clear();
        componente(u"1"_s, u"1000"_s);
        QCOMPARE(m_sink->texts(), QStringList());
        QCOMPARE(componentes(), QStringList {u"1=1.000,00"_s});
    }

    // The code check runs on leaving the code column and on posting the row.
    void componentCodeChecks_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("post");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty code leaves the column quietly") << QString() << false << QString();
        QTest::newRow("empty code refused on post")
            << QString() << true << u"Componente de valor deve ser informado."_s;
        QTest::newRow("unregistered code on leaving the column")
            << u"99"_s << false << u"Componente de valor não cadastrado."_s;
        QTest::newRow("registered code takes its name") << u"4"_s << false << QString();
    }
    void componentCodeChecks()
    {
        QFETCH(QString, code);
        QFETCH(bool, post);
        QFETCH(QString, message);
        novoComServico();
        TDBGrid *grid = novaLinhaComponente();
        m_sink->clear();
        tecla(code);
        if (post) {
            FrameworkGuard([this] { m_frm->cdsCTeCompValor->Post(); });
        } else {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(m_sink->lastText(), message);
        if (message.isEmpty() && !code.isEmpty()) {
            QCOMPARE(m_frm->cdsCTeCompValor->FieldByName(u"DSCOMPVRPREST"_s)->AsString(),
                     u"GRIS"_s);
            QCOMPARE(grid->SelectedIndex(), 1);
        }
        if (!message.isEmpty()) {
            QCOMPARE(grid->SelectedIndex(), 0);
            QCOMPARE(m_frm->cdsCTeCompValor->State(), dsInsert);
        }
    }

    // The component look-up copies the picked component into the row; F9 opens it only from
    // the code column.
    void componentLookUp_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("opens");
        QTest::newRow("code column") << 0 << true;
        QTest::newRow("value column") << 2 << false;
    }
    void componentLookUp()
    {
        QFETCH(int, column);
        QFETCH(bool, opens);
        novoComServico();
        TDBGrid *grid = m_frm->dbgCompValorPrestacao;
        foca(grid);
        grid->SetSelectedIndex(column);
        if (!opens) {
            QTest::keyClick(grid, Qt::Key_F9);
            QVERIFY(QApplication::activeModalWidget() == nullptr);
            QVERIFY(m_frm->cdsCTeCompValor->IsEmpty());
            return;
        }
        pesquisa([grid] { QTest::keyClick(grid, Qt::Key_F9); },
                 [](TDBGrid *list) { QVERIFY(list->DataSet()->Locate(u"CDCOMPVRPREST"_s, 3)); });
        QCOMPARE(m_frm->cdsCTeCompValor->State(), dsInsert);
        QCOMPARE(m_frm->cdsCTeCompValor->FieldByName(u"DSCOMPVRPREST"_s)->AsString(), u"PEDAGIO"_s);
        QVERIFY(Cli_Dfs88000::slCTeCompValor.isEmpty());
        m_frm->cdsCTeCompValor->Post();
        QCOMPARE(Cli_Dfs88000::slCTeCompValor, QStringList {u"3"_s});
    }

    // The fiscal treatment follows every key it depends on. After a product was accepted with a
    // component, each step changes something ("payer", "opertype", "total", "product" typed,
    // "pick" the product in its look-up, or "panel": visit and leave the service panel); the save
    // then stores what the parametrization says for the keys as they are, the standard
    // observations once each and the user's own line kept. An equal value written again clears
    // nothing.
    void fiscalKeysAskAgain_data()
    {
        QTest::addColumn<QString>("product");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("cfop"); // empty: the save is refused for want of a CFOP
        QTest::addColumn<QString>("cst");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("components");
        const QString substituto = u"payer=83726154000192"_s;
        const QString comercial = u"payer=38104726000147"_s;
        QTest::newRow("payer becomes a substitute taxpayer")
            << u"010010002"_s << QStringList {substituto} << u"5360"_s << u"60"_s
            << QStringList {u"003"_s} << 1;
        QTest::newRow("payer there and back")
            << u"010010002"_s << QStringList {substituto, u"panel"_s, comercial} << u"5353"_s
            << u"00"_s << QStringList {} << 1;
        QTest::newRow("operation type without a parametrization")
            << u"010010001"_s << QStringList {u"opertype=03"_s} << QString() << QString()
            << QStringList {} << 1;
        QTest::newRow("total changed twice")
            << u"010010003"_s << QStringList {u"total=1500"_s, u"panel"_s, u"total=1000"_s}
            << u"5353"_s << u"90"_s << QStringList {u"005"_s} << 0;
        QTest::newRow("product changed")
            << u"010010003"_s << QStringList {u"product=010010001"_s, u"panel"_s} << u"5353"_s
            << u"00"_s << QStringList {} << 0;
        QTest::newRow("same total typed again")
            << u"010010001"_s << QStringList {u"total=1000"_s, u"panel"_s} << u"5353"_s << u"00"_s
            << QStringList {} << 1;
        QTest::newRow("same product picked again")
            << u"010010001"_s << QStringList {u"pick=010010001"_s, u"panel"_s} << u"5353"_s
            << u"00"_s << QStringList {} << 1;
    }
    void fiscalKeysAskAgain()
    {
        QFETCH(QString, product);
        QFETCH(QStringList, steps);
        QFETCH(QString, cfop);
        QFETCH(QString, cst);
        QFETCH(QStringList, messages);
        QFETCH(int, components);
        novoComRota();
        servico(product, u"1000"_s, u"1000"_s);
        componente(u"1"_s, u"1000"_s);
        TClientDataSet *obs = m_frm->cdsCTeDadosAdic;
        obs->Append();
        obs->FieldByName(u"DSDADOADIC"_s)->SetAsString(u"ENTREGA NO PERIODO DA MANHA"_s);
        obs->Post();
        QCOMPARE(m_sink->texts(), QStringList());
        for (const QString &step : std::as_const(steps)) {
            const QString kind = step.section(u'=', 0, 0);
            const QString value = step.section(u'=', 1);
            if (kind == u"payer") {
                pagina(m_frm->tshTomador);
                digita(m_frm->dbeNrInsJurToma, value);
                vaiPara(m_frm->btnInsJurToma);
            } else if (kind == u"opertype") {
                pagina(m_frm->tshIdentificacao);
                digita(m_frm->dbeCdTipoOper, value);
                vaiPara(m_frm->depDataEmissao);
            } else if (kind == u"total") {
                pagina(m_frm->tshTotais);
                digita(m_frm->dbeValorTotaPrestServ, value);
            } else if (kind == u"product") {
                pagina(m_frm->tshTotais);
                digita(m_frm->dbeCdServPrestado, value);
            } else if (kind == u"pick") {
                pagina(m_frm->tshTotais);
                pesquisa([this] { m_frm->btnServPrestado->click(); },
                         [&](TDBGrid *list) {
                             QVERIFY(list->DataSet()->Locate(u"CDARVPROD"_s, value));
                         });
            } else {
                pagina(m_frm->tshTotais);
                foca(m_frm->dbeValorTotaReceber);
                vaiPara(m_frm->dbgImposto);
            }
            QCOMPARE(m_sink->texts(), QStringList());
        }
        QCOMPARE(m_frm->cdsCTeCompValor->RecordCount(), components);
        anexaDocumentoFiscal();
        m_frm->cdsCTe->FieldByName(u"DSPRODPREDOMINA"_s)->SetAsString(u"MOVEIS"_s);
        trigger(u"mnuConfirmar"_s);
        if (cfop.isEmpty()) {
            QCOMPARE(errors(), 1);
            QVERIFY2(lastError().startsWith(u"CFOP deve ser informado"_s), qPrintable(lastError()));
            QVERIFY(m_frm->EmEdicao());
            return;
        }
        QCOMPARE(m_sink->texts(), QStringList());
        const double key = valor(u"CDCTE"_s);
        QCOMPARE(sql(u"SELECT CDCFOP FROM CTE WHERE CDCTE = ?"_s, {key}).toString(), cfop);
        QCOMPARE(sql(u"SELECT CDSITUTRIBIT FROM CTEIMPOSTOS WHERE CDCTE = ?"_s, {key}).toString(),
                 cst);
        const QString stored
            = sql(u"SELECT GROUP_CONCAT(TRIM(COALESCE(CDMENSAGEM, DSDADOADIC)), '|') FROM (SELECT "
                  "* FROM CTEDADOSADIC WHERE CDCTE = ? ORDER BY CDCTEDADOSADIC)"_s,
                  {key})
                  .toString();
        QCOMPARE(stored.split(u'|'), QStringList {u"ENTREGA NO PERIODO DA MANHA"_s} + messages);
    }

    // Changing the total while the document is edited deletes its components and taxes; while
    // it is browsed nothing is deleted.
    void totalChangeClearsTheLists_data()
    {
        QTest::addColumn<bool>("editing");
        QTest::newRow("editing") << true;
        QTest::newRow("browsing") << false;
    }
    void totalChangeClearsTheLists()
    {
        QFETCH(bool, editing);
        novoComServico();
        componente(u"1"_s, u"1000"_s);
        if (editing) {
            m_frm->cdsCTe->FieldByName(u"VRTOTAPRESTSERV"_s)->SetAsFloat(1500);
            QVERIFY(m_frm->cdsCTeCompValor->IsEmpty());
            QVERIFY(m_frm->cdsCTeImpostos->IsEmpty());
            QVERIFY(Cli_Dfs88000::slCTeCompValor.isEmpty());
            // Leaving the panel asks again with the new total.
            pagina(m_frm->tshTotais);
            foca(m_frm->dbeValorTotaReceber);
            vaiPara(m_frm->dbgImposto);
            QCOMPARE(m_frm->cdsCTeImpostos->RecordCount(), 1);
            QCOMPARE(m_frm->cdsCTeImpostos->FieldByName(u"VRIMPOSTO"_s)->AsFloat(), 180.0);
            return;
        }
        // Saved, then browsed: the clearing finds no document in edit.
        salva();
        m_frm->LimpaListasServico();
        QCOMPARE(m_frm->cdsCTeCompValor->RecordCount(), 1);
        QCOMPARE(m_frm->cdsCTeImpostos->RecordCount(), 1);
    }

    // The tax grid: Insert, moving below the last row and Ctrl+Delete change nothing and show
    // nothing; typing the presumed credit puts the document into edit.
    void taxGridOnlyTakesThePresumedCredit()
    {
        novoComServico();
        TDBGrid *grid = m_frm->dbgImposto;
        TClientDataSet *taxes = m_frm->cdsCTeImpostos;
        QCOMPARE(taxes->RecordCount(), 1);
        foca(grid);
        m_sink->clear();
        for (const auto &[key, modifiers] :
             {std::pair {Qt::Key_Insert, Qt::KeyboardModifiers()},
              std::pair {Qt::Key_Down, Qt::KeyboardModifiers()},
              std::pair {Qt::Key_Delete, Qt::KeyboardModifiers(Qt::ControlModifier)}}) {
            QTest::keyClick(grid, key, modifiers);
            QCOMPARE(taxes->RecordCount(), 1);
            QCOMPARE(taxes->State(), dsBrowse);
        }
        QVERIFY(m_sink->entries().isEmpty());

        // Saved and browsed: the credit typed in the grid edits the document.
        salva();
        m_frm->pgcPadrao->setCurrentWidget(m_frm->tshFormulario);
        pagina(m_frm->tshTotais);
        foca(grid);
        const int credito = IndiceCol(grid, u"VRCREDPRESUMIDO"_s);
        grid->SetSelectedIndex(credito);
        tecla(u"15"_s);
        QCOMPARE(taxes->State(), dsEdit);
        QCOMPARE(m_frm->cdsCTe->State(), dsEdit);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(taxes->FieldByName(u"VRCREDPRESUMIDO"_s)->AsFloat(), 15.0);
        // Other columns take nothing.
        grid->SetSelectedIndex(IndiceCol(grid, u"VRIMPOSTO"_s));
        tecla(u"9"_s);
        QCOMPARE(taxes->FieldByName(u"VRIMPOSTO"_s)->AsFloat(), 120.0);
    }

    // Cancelar with the focus in the component grid and a row pending cancels that row only.
    void cancelInsideTheComponentGrid()
    {
        novoComServico();
        componente(u"1"_s, u"500"_s);
        novaLinhaComponente();
        tecla(u"3"_s);
        m_sink->clear();
        trigger(u"mnuCancelar"_s);
        QVERIFY(m_sink->entries().isEmpty());
        QCOMPARE(m_frm->cdsCTeCompValor->State(), dsBrowse);
        QCOMPARE(componentes(), QStringList {u"1=500,00"_s});
        QCOMPARE(m_frm->cdsCTe->State(), dsInsert);
        QCOMPARE(Cli_Dfs88000::slCTeCompValor, QStringList {u"1"_s});
    }
};

QTEST_MAIN(TestCTeService)
#include "tst_cte_service.moc"
