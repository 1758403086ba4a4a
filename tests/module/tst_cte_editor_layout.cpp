// The editor window's structure, driven offscreen: code lists, control kinds in every state of
// the document, field bindings, grids, commands and menus, the catalogue, and that every section
// page fits the window.
#include "BtnPesquisa.h"
#include "Cli_Dfs88000.h"
#include "ClientDataSet.h"
#include "CodeLists.h"
#include "ControlStyle.h"
#include "DBCheckBox.h"
#include "DBEdit.h"
#include "DBGrid.h"
#include "DBLookupComboBox.h"
#include "DBText.h"
#include "DataSource.h"
#include "DateEditPlus.h"
#include "EditorSample.h"
#include "FieldDataLink.h"
#include "Messages.h"
#include "RecordingMessageSink.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

// The field a data-aware control shows, as "dataset.FIELD"; empty when it is not data-aware.
QString binding(QWidget *w)
{
    TFieldDataLink *link = nullptr;
    if (auto *e = qobject_cast<TDBEdit *>(w))
        link = e->DataLink();
    else if (auto *c = qobject_cast<TDBLookupComboBox *>(w))
        link = c->DataLink();
    else if (auto *k = qobject_cast<TDBCheckBox *>(w))
        link = k->DataLink();
    else if (auto *d = qobject_cast<TDateEditPlus *>(w))
        link = d->DataLink();
    else if (auto *t = qobject_cast<TDBText *>(w))
        link = t->DataLink();
    if (!link)
        return {};
    const TClientDataSet *ds = link->DataSet();
    return (ds ? ds->objectName() : u"<none>"_s) + u'.' + link->FieldName();
}

bool dataAware(QWidget *w)
{
    return !binding(w).isEmpty() || qobject_cast<TDBGrid *>(w);
}

// What the control's text sits on (edits, drop-downs and grid cells paint on Base).
QColor background(QWidget *w)
{
    return w->palette().color(QPalette::Active, QPalette::Base);
}

} // namespace

class TestCTeEditorLayout : public QObject
{
    Q_OBJECT

    TfrmCTe *m_frm = nullptr;

    template<typename T = QWidget>
    T *control(const QString &name)
    {
        T *c = m_frm->findChild<T *>(name);
        if (!c)
            qWarning("control %s not found", qPrintable(name));
        return c;
    }

private slots:
    void init()
    {
        Cli_Dfs88000::ResetUnit();
        m_frm = new TfrmCTe;
        m_frm->Show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frm));
    }

    void cleanup()
    {
        delete m_frm;
        m_frm = nullptr;
        Cli_Dfs88000::ResetUnit();
    }

    // Showing built the lists; building again (the window shown anew) leaves each list with
    // exactly its entries, and each drop-down offers them.
    void codeListsHoldExactlyTheirEntries_data()
    {
        QTest::addColumn<int>("list");
        for (int i = 0; i < EditorCodeLists().size(); ++i)
            QTest::newRow(qPrintable(EditorCodeLists().at(i).dataset)) << i;
    }
    void codeListsHoldExactlyTheirEntries()
    {
        QFETCH(int, list);
        const TCodeList &expected = EditorCodeLists().at(list);
        m_frm->CarregaListas();
        m_frm->CarregaListas();

        TClientDataSet *ds = m_frm->ListaDados(expected.dataset);
        QVERIFY(ds);
        QVERIFY(ds->Active());
        QCOMPARE(ds->FieldByName(u"CODIGO"_s)->Size(), expected.codeWidth);
        QCOMPARE(ds->FieldByName(u"DESCRICAO"_s)->Size(), 255);
        QStringList codes, texts;
        for (ds->First(); !ds->Eof(); ds->Next()) {
            codes << ds->FieldByName(u"CODIGO"_s)->AsString();
            texts << ds->FieldByName(u"DESCRICAO"_s)->AsString();
        }
        QStringList wantedCodes, wantedTexts;
        for (const TCodeListEntry &e : expected.entries) {
            wantedCodes << e.code;
            wantedTexts << m_frm->msgListaDados->Msg(e.key);
        }
        // The list is indexed on CODIGO: compare as sets of pairs, in code order.
        QStringList got, wanted;
        for (int i = 0; i < codes.size(); ++i)
            got << codes.at(i) + u'=' + texts.at(i);
        for (int i = 0; i < wantedCodes.size(); ++i)
            wanted << wantedCodes.at(i) + u'=' + wantedTexts.at(i);
        got.sort();
        wanted.sort();
        QCOMPARE(got, wanted);
        for (const QString &text : std::as_const(texts))
            QVERIFY2(!text.isEmpty(), "an entry without its catalogue text");

        // The drop-down bound to the list's field offers every entry.
        TDBLookupComboBox *combo = nullptr;
        for (auto *c : m_frm->findChildren<TDBLookupComboBox *>()) {
            if (c->DataLink()->FieldName() == expected.boundField)
                combo = c;
        }
        QVERIFY2(combo, qPrintable(expected.boundField));
        QCOMPARE(combo->count(), expected.entries.size());
    }

    // Display controls never become enabled: not when a document is browsed, inserted or edited.
    void displayControlsStayDisabled_data()
    {
        QTest::addColumn<int>("state");
        QTest::newRow("browse") << int(dsBrowse);
        QTest::newRow("insert") << int(dsInsert);
        QTest::newRow("edit") << int(dsEdit);
    }
    void displayControlsStayDisabled()
    {
        QFETCH(int, state);
        FillEditorSample(m_frm);
        TClientDataSet *cte = m_frm->cdsCTe;
        cte->Next(); // a move, as the user browses
        if (state == dsInsert)
            cte->Append();
        else if (state == dsEdit) {
            cte->Last(); // only pending and rejected documents may be altered
            cte->Edit();
        }
        QCOMPARE(int(cte->State()), state);
        // Every page shown once, as a user walks through them.
        m_frm->pgcPadrao->setCurrentWidget(m_frm->tshFormulario);
        for (int i = 0; i < m_frm->pgcDados->count(); ++i) {
            m_frm->pgcDados->setCurrentIndex(i);
            QCoreApplication::processEvents();
        }

        int displays = 0;
        for (QWidget *w : m_frm->findChildren<QWidget *>()) {
            if (!dataAware(w) || Tag(w) != 0 || w == m_frm->dbgPadrao || w == m_frm->dbtNome
                || w == m_frm->dbeChaveAcesso)
                continue;
            ++displays;
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        }
        QVERIFY2(!m_frm->edtNmEmpresa->isEnabled(), "edtNmEmpresa");
        // The display controls the pages name are among them.
        for (const QString &name :
             {u"dcbModal"_s, u"dcbFormaEmissao"_s, u"dbeCFOP"_s, u"dbeNaturezaOperacao"_s,
              u"dbeDigestValue"_s, u"dcbAmbiente"_s, u"dbeVersaoProcesso"_s, u"dbeNmTipoOper"_s,
              u"dbeNumeroCTe"_s, u"dbeSerieCTe"_s, u"dbeNrAcessoCTe"_s, u"dbeModDocFiscal"_s,
              u"dbeEvento"_s, u"dbeProtocolo"_s, u"dbeDataAutorizacao"_s, u"dbeNrInsEstEmit"_s,
              u"dbeDsServPrestado"_s}) {
            QWidget *w = control(name);
            QVERIFY(w);
            QCOMPARE(Tag(w), 0);
            QVERIFY2(!w->isEnabled(), qPrintable(name));
        }
        // Six party pages with a display edit for every party field but the registration, its
        // type and the hidden codes, plus the other pages' display controls.
        QVERIFY2(displays >= 6 * 15 + 17, qPrintable(QString::number(displays)));
        const QStringList stems {u"NMRAZSOC"_s,    u"NRINSEST"_s,    u"NMFANT"_s,    u"NRTELE"_s,
                                 u"DSEMAIL"_s,     u"DSENDE"_s,      u"DSCOMPEND"_s, u"NRCEP"_s,
                                 u"CDPAIS"_s,      u"NMPAIS"_s,      u"SGESTADO"_s,  u"NMESTADO"_s,
                                 u"CDMUNICIPIO"_s, u"NMMUNICIPIO"_s, u"NMBAIR"_s};
        for (const auto &parte : m_frm->Partes) {
            QStringList fields, wanted;
            for (TDBEdit *e : parte.exibicao)
                fields << binding(e);
            for (const QString &stem : stems)
                wanted << u"cdsCTe."_s + stem + parte.sufixo;
            fields.sort();
            wanted.sort();
            QCOMPARE(fields, wanted);
            for (TBtnPesquisa *b : parte.pesquisasEndereco)
                QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
        }
        QVERIFY(!control(u"btpCFOP"_s)->isEnabled());
    }

    // Each control is bound to the field its page names, with its kind: input (tag 1, tooltip
    // background, enabled) or display (tag 0, window background, disabled).
    void controlsBoundToTheirFields_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("field");
        // "in", "out", "in-plain" (input, default look), "in-waiting" (input its party's kind or
        // the payer indicator keeps disabled)
        QTest::addColumn<QString>("kind");
        auto row = [](const QString &name, const QString &field, const QString &kind) {
            QTest::newRow(qPrintable(name)) << name << u"cdsCTe."_s + field << kind;
        };
        // Identificação.
        row(u"dcbModal"_s, u"IDMODAL"_s, u"out"_s);
        row(u"dcbTipoServico"_s, u"IDTIPOSERVICO"_s, u"in"_s);
        row(u"dcbFinalidade"_s, u"IDTIPOCTE"_s, u"in"_s);
        row(u"dcbFormaEmissao"_s, u"IDFORMAEMISSAO"_s, u"out"_s);
        row(u"dbeCFOP"_s, u"CDCFOP"_s, u"out"_s);
        row(u"dbeNaturezaOperacao"_s, u"DSNATUOPERACAO"_s, u"out"_s);
        row(u"dbeDigestValue"_s, u"CDDIGESTVALUE"_s, u"out"_s);
        row(u"dcbFormaImpressao"_s, u"IDFORMAIMPDACTE"_s, u"in"_s);
        row(u"dcbGlobalizado"_s, u"IDGLOBALIZADO"_s, u"in-plain"_s);
        row(u"dcbAmbiente"_s, u"IDAMBIENTECTE"_s, u"out"_s);
        row(u"dbeVersaoProcesso"_s, u"IDVERPROCESSO"_s, u"out"_s);
        row(u"dbeCdTipoOper"_s, u"CDTIPOOPER"_s, u"in"_s);
        row(u"dbeNmTipoOper"_s, u"NMTIPOOPER"_s, u"out"_s);
        row(u"dbeCdPaisIniPrestaServico"_s, u"CDPAISINISERV"_s, u"in"_s);
        row(u"dbeSgEstaIniPrestaServico"_s, u"SGESTADOINISERV"_s, u"in"_s);
        row(u"dbeCdMuniIniPrestaServico"_s, u"CDMUNICINISERV"_s, u"in"_s);
        row(u"dbeCdPaisFimPrestaServico"_s, u"CDPAISFIMSERV"_s, u"in"_s);
        row(u"dbeSgEstaFimPrestaServico"_s, u"SGESTADOFIMSERV"_s, u"in"_s);
        row(u"dbeCdMuniFimPrestaServico"_s, u"CDMUNICFIMSERV"_s, u"in"_s);
        row(u"dckReceRetiraMercadoria"_s, u"IDRETIRA"_s, u"in-plain"_s);
        row(u"dbeDetRetirada"_s, u"DSRETIRA"_s, u"in"_s);
        row(u"dbeNumeroCTe"_s, u"NRCTE"_s, u"out"_s);
        row(u"dbeSerieCTe"_s, u"CDSERIECTE"_s, u"out"_s);
        row(u"dbeNrAcessoCTe"_s, u"NRACESSOCTE"_s, u"out"_s);
        row(u"dbeModDocFiscal"_s, u"CDMODDOCFISC"_s, u"out"_s);
        row(u"depDataEmissao"_s, u"DTEMISSAO"_s, u"in"_s);
        row(u"dbeEvento"_s, u"DSSTATUSCTE"_s, u"out"_s);
        row(u"dbeProtocolo"_s, u"NRPROTOCOLCTE"_s, u"out"_s);
        row(u"dbeDataAutorizacao"_s, u"DTAUTORIZACAO"_s, u"out"_s);
        // Emitente and the parties.
        row(u"dbeNrInsJurEmit"_s, u"NRINSJUREMIT"_s, u"in"_s);
        row(u"dbeNrInsEstEmit"_s, u"NRINSESTEMIT"_s, u"out"_s);
        row(u"dcbInfCadRemetente"_s, u"IDCADREMETENTE"_s, u"in"_s);
        row(u"dbeNrInsJurReme"_s, u"NRINSJURREME"_s, u"in"_s);
        row(u"dcbInfCadExpedidor"_s, u"IDCADEXPEDIDOR"_s, u"in"_s);
        row(u"dbeNrInsJurExpe"_s, u"NRINSJUREXPE"_s, u"in-waiting"_s);
        row(u"dcbInfCadRecebedor"_s, u"IDCADRECEBEDOR"_s, u"in"_s);
        row(u"dbeNrInsJurRece"_s, u"NRINSJURRECE"_s, u"in-waiting"_s);
        row(u"dcbInfCadDestinatario"_s, u"IDCADDESTINATA"_s, u"in"_s);
        row(u"dbeNrInsJurDest"_s, u"NRINSJURDEST"_s, u"in"_s);
        row(u"dcbInfCadTomador"_s, u"IDCADTOMADOR"_s, u"in-waiting"_s);
        row(u"dcbIndicador"_s, u"IDTOMADOR"_s, u"in"_s);
        row(u"dbeNrInsJurToma"_s, u"NRINSJURTOMA"_s, u"in-waiting"_s);
        // Totais.
        row(u"dbeCdServPrestado"_s, u"CDARVPROD"_s, u"in"_s);
        row(u"dbeDsServPrestado"_s, u"NMPRODUTO"_s, u"out"_s);
        row(u"dbeValorTotaPrestServ"_s, u"VRTOTAPRESTSERV"_s, u"in"_s);
        row(u"dbeValorTotaReceber"_s, u"VRTOTARECEBER"_s, u"in"_s);
        // Informações do CT-e Normal e Substituto.
        row(u"dbeValorTotal"_s, u"VRTOTACARGA"_s, u"in"_s);
        row(u"dbeValorAverbacao"_s, u"VRAVERBACAO"_s, u"in"_s);
        row(u"dbeOutrasCaracteristicas"_s, u"DSOUTCARCARGA"_s, u"in"_s);
        // The list page and the navigation bar.
        row(u"dbeChaveAcesso"_s, u"NRACESSOCTE"_s, u"read-only"_s);
        row(u"dbtNome"_s, u"RODAPE"_s, u"text"_s);
    }
    void controlsBoundToTheirFields()
    {
        QFETCH(QString, name);
        QFETCH(QString, field);
        QFETCH(QString, kind);
        FillEditorSample(m_frm);
        QWidget *w = control(name);
        QVERIFY(w);
        QCOMPARE(binding(w), field);
        const QColor tooltip = w->palette().color(QPalette::Active, QPalette::ToolTipBase);
        const QColor window = m_frm->palette().color(QPalette::Active, QPalette::Window);
        if (kind == u"in-waiting") {
            QCOMPARE(Tag(w), 1);
            QVERIFY(!w->isEnabled());
            QCOMPARE(background(w), window);
        } else if (kind.startsWith(u"in")) {
            QCOMPARE(Tag(w), 1);
            QVERIFY(w->isEnabled());
            if (kind == u"in")
                QCOMPARE(background(w), tooltip);
            else
                QVERIFY(background(w) != tooltip);
        } else if (kind == u"out") {
            QCOMPARE(Tag(w), 0);
            QVERIFY(!w->isEnabled());
            QCOMPARE(background(w), window);
        } else if (kind == u"read-only") {
            QVERIFY(qobject_cast<QLineEdit *>(w)->isReadOnly());
        }
    }

    // The predominant product is typed through its look-up only: an input that starts disabled.
    void predominantProductStartsDisabled()
    {
        TDBEdit *e = m_frm->dbeProdPredomina;
        QCOMPARE(binding(e), u"cdsCTe.DSPRODPREDOMINA"_s);
        QCOMPARE(Tag(e), 1);
        QVERIFY(!e->isEnabled());
        QCOMPARE(Tag(m_frm->btpProdPredomina), 1);
        QCOMPARE(m_frm->btpProdPredomina->DataSource, m_frm->dtsPesqProdDocFiscais);
    }

    // Look-up and search buttons of the pages: kind and title ("title|empty-list text").
    void lookupButtons_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("tag");
        QTest::addColumn<QString>("title");
        QTest::newRow("btnEmpresa")
            << u"btnEmpresa"_s << 0 << u"Empresa|Não há empresa cadastrada."_s;
        QTest::newRow("btpTipoOper")
            << u"btpTipoOper"_s << 1 << u"Tipo de Operação|Não há tipo de operação cadastrado."_s;
        QTest::newRow("btnPaisIni")
            << u"btnPaisIniPrestaServico"_s << 1 << u"Pais|Não há pais cadastrado."_s;
        QTest::newRow("btnEstaFim")
            << u"btnEstaFimPrestaServico"_s << 1 << u"Estado|Não há estado cadastrado."_s;
        QTest::newRow("btnMuniFim")
            << u"btnMuniFimPrestaServico"_s << 1 << u"Município|Não há município cadastrado."_s;
        QTest::newRow("btnServPrestado")
            << u"btnServPrestado"_s << 1 << u"Serviço|Não há serviço cadastrado."_s;
        QTest::newRow("btpProdPredomina")
            << u"btpProdPredomina"_s << 1
            << u"Produto Predominante|Não há produto predominante para ser informado. Favor "
               u"verificar os documentos fiscais."_s;
    }
    void lookupButtons()
    {
        QFETCH(QString, name);
        QFETCH(int, tag);
        QFETCH(QString, title);
        auto *b = control<TBtnPesquisa>(name);
        QVERIFY(b);
        QCOMPARE(Tag(b), tag);
        // The form page itself stays unavailable until a list is loaded.
        QVERIFY(b->isEnabledTo(m_frm->tshFormulario));
        QCOMPARE(b->Title, title);
    }

    void registrationSearchButtons()
    {
        for (const QString &role :
             {u"Emit"_s, u"Reme"_s, u"Expe"_s, u"Rece"_s, u"Dest"_s, u"Toma"_s}) {
            auto *b = control<QToolButton>(u"btnInsJur"_s + role);
            QVERIFY(b);
            QVERIFY(!qobject_cast<TBtnPesquisa *>(b)); // a flat button, not a look-up
            QCOMPARE(Tag(b), 1);
            QVERIFY(b->isEnabledTo(m_frm->tshFormulario));
            // Beside its registration edit, on the same page.
            auto *edit = control(u"dbeNrInsJur"_s + role);
            QCOMPARE(b->parentWidget(), edit->parentWidget());
        }
    }

    // The five section grids (tag 1, tooltip background, editing) and the list grid, each on
    // its data source with its columns in order.
    void grids_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("dataset");
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<QStringList>("readOnly");
        QTest::newRow("dbgPadrao")
            << u"dbgPadrao"_s << u"cdsCTe"_s
            << QStringList {u"IDCHECK"_s,     u"NRCTE"_s,        u"CDSERIECTE"_s,
                            u"DTEMISSAO"_s,   u"NRINSJURTOMA"_s, u"NMRAZSOCTOMA"_s,
                            u"IDSTATUSCTE"_s, u"CDSTATUSCTE"_s,  u"DSSTATUSCTE"_s,
                            u"IDEMAILCTE"_s}
            << QStringList {};
        QTest::newRow("dbgCompValorPrestacao")
            << u"dbgCompValorPrestacao"_s << u"cdsCTeCompValor"_s
            << QStringList {u"CDCOMPVRPREST"_s, u"DSCOMPVRPREST"_s, u"VRCOMPONENTE"_s}
            << QStringList {u"DSCOMPVRPREST"_s};
        QTest::newRow("dbgImposto")
            << u"dbgImposto"_s << u"cdsCTeImpostos"_s
            << QStringList {u"CDIMPOSTO"_s,     u"SGIMPOSTO"_s,     u"CDSITUTRIBIT"_s,
                            u"VRBASECALCULO"_s, u"VRREDBASECALC"_s, u"VRALIQUOTA"_s,
                            u"VRIMPOSTO"_s,     u"CDFISCALIT"_s,    u"VRCREDPRESUMIDO"_s}
            << QStringList {u"CDIMPOSTO"_s,     u"SGIMPOSTO"_s,     u"CDSITUTRIBIT"_s,
                            u"VRBASECALCULO"_s, u"VRREDBASECALC"_s, u"VRALIQUOTA"_s,
                            u"VRIMPOSTO"_s,     u"CDFISCALIT"_s};
        QTest::newRow("dbgDocFiscais")
            << u"dbgDocFiscais"_s << u"cdsCTeDocFiscais"_s
            << QStringList {u"NRACESSONFE"_s, u"CDSERIE"_s,    u"NRNOTAFISC"_s, u"NRINSJURNF"_s,
                            u"NMRAZSOCNF"_s,  u"VRNOTAFISC"_s, u"DTEMISSAO"_s,  u"CDMODDOCFISC"_s}
            << QStringList {u"CDSERIE"_s,    u"NRNOTAFISC"_s, u"NRINSJURNF"_s,  u"NMRAZSOCNF"_s,
                            u"VRNOTAFISC"_s, u"DTEMISSAO"_s,  u"CDMODDOCFISC"_s};
        QTest::newRow("dbgQuantidade")
            << u"dbgQuantidade"_s << u"cdsCTeInfQtCarga"_s
            << QStringList {u"CDUNIDMEDIDA"_s, u"DSTIPOMEDIDA"_s, u"QTCARGA"_s} << QStringList {};
        QTest::newRow("dbgObsGerais") << u"dbgObsGerais"_s << u"cdsCTeDadosAdic"_s
                                      << QStringList {u"DSDADOADIC"_s} << QStringList {};
    }
    void grids()
    {
        QFETCH(QString, name);
        QFETCH(QString, dataset);
        QFETCH(QStringList, columns);
        QFETCH(QStringList, readOnly);
        auto *grid = control<TDBGrid>(name);
        QVERIFY(grid);
        QCOMPARE(grid->DataSet()->objectName(), dataset);
        QStringList shown, locked;
        for (const TColumn &c : grid->Columns()) {
            shown << c.FieldName;
            if (c.ReadOnly)
                locked << c.FieldName;
            QVERIFY2(c.Width > 0, qPrintable(c.FieldName));
        }
        QCOMPARE(shown, columns);
        QCOMPARE(locked, readOnly);
        if (grid != m_frm->dbgPadrao) {
            QCOMPARE(Tag(grid), 1);
            QVERIFY(grid->Editing());
            QCOMPARE(background(grid), grid->palette().color(QPalette::ToolTipBase));
        }
    }

    // The unit column offers the six units of measure by their catalogue texts.
    void unitColumnOffersTheUnits()
    {
        const TColumn &unit = m_frm->dbgQuantidade->Columns().at(0);
        QCOMPARE(unit.PickList.size(), UnitOfMeasureCodes().size());
        for (const QString &code : UnitOfMeasureCodes())
            QVERIFY(unit.PickList.contains(m_frm->msgListaDados->Msg(UnitOfMeasureKey(code))));
        QCOMPARE(unit.PickList.first(), u"00 - M3"_s);
    }

    // The record: every stored field, the calculated footer, the child lists' indexes.
    void recordAndChildLists()
    {
        TClientDataSet *cte = m_frm->cdsCTe;
        TField *rodape = cte->FieldByName(u"RODAPE"_s);
        QVERIFY(rodape->IsCalculated());
        QVERIFY(!rodape->Visible());
        QCOMPARE(rodape->Size(), 255);
        QCOMPARE(m_frm->dtsPadrao->DataSet(), cte);
        QCOMPARE(cte->FieldByName(u"NRCTE"_s)->DisplayLabel(), u"Número"_s);
        QCOMPARE(cte->FieldByName(u"DTEMISSAO"_s)->EditMask(), u"!99/99/0000;1;_"_s);
        QVERIFY(!cte->FieldByName(u"IDMODAL"_s)->Visible());
        QCOMPARE(m_frm->cdsCTeImpostos->IndexFieldNames(), u"CDCTE;CDIMPOSTO"_s);
        QCOMPARE(m_frm->cdsCTeCompValor->IndexFieldNames(), u"CDCOMPVRPREST"_s);
        QVERIFY(m_frm->cdsCTeDocFiscais->IndexFieldNames().isEmpty());
        QCOMPARE(m_frm->cdsCTeImpostos->FieldByName(u"VRALIQUOTA"_s)->DisplayFormat(),
                 u"#,##0.00 %"_s);
        QCOMPARE(m_frm->cdsEmitente->FieldCount(), 20);
        QCOMPARE(m_frm->cdsEmitente->FieldByName(u"NMRAZSOCEMIT"_s)->Size(), 80);
        // The list is closed until a selection is loaded.
        QVERIFY(!cte->Active());
        // Data sources of the child lists, by name, for the handlers to come.
        for (const QString &child : {u"CTeImpostos"_s, u"CTeCompValor"_s, u"CTeDocFiscais"_s,
                                     u"CTeInfQtCarga"_s, u"CTeDadosAdic"_s}) {
            auto *dts = control<TDataSource>(u"dts"_s + child);
            QVERIFY(dts);
            QCOMPARE(dts->DataSet()->objectName(), u"cds"_s + child);
        }
    }

    // The footer text bound to RODAPE follows what the calculated field gives.
    void footerShowsTheCalculatedField()
    {
        m_frm->cdsCTe->OnCalcFields = [](TClientDataSet *ds) {
            ds->FieldByName(u"RODAPE"_s)->SetAsString(ds->FieldByName(u"NRCTE"_s)->AsString());
        };
        FillEditorSample(m_frm);
        QCOMPARE(m_frm->dbtNome->text(), u"000000101"_s);
        m_frm->cdsCTe->Next();
        QCOMPARE(m_frm->dbtNome->text(), u"000000100"_s);
    }

    // Section pages in order, with their captions and scroll boxes.
    void sectionPages()
    {
        const QStringList names {u"Identificacao"_s, u"Emitente"_s,  u"Remetente"_s,
                                 u"Expedidor"_s,     u"Recebedor"_s, u"Destinatario"_s,
                                 u"Tomador"_s,       u"Totais"_s,    u"InfCTeNormalSubstituto"_s,
                                 u"DadosCompl"_s};
        const QStringList captions {u"Identificação"_s,
                                    u"Emitente"_s,
                                    u"Remetente"_s,
                                    u"Expedidor"_s,
                                    u"Recebedor"_s,
                                    u"Destinatário"_s,
                                    u"Tomador"_s,
                                    u"Totais"_s,
                                    u"Informações do CT-e Normal e Substituto"_s,
                                    u"Dados Complementares"_s};
        QCOMPARE(m_frm->pgcDados->count(), names.size());
        for (int i = 0; i < names.size(); ++i) {
            QWidget *page = m_frm->pgcDados->widget(i);
            QCOMPARE(page->objectName(), u"tsh"_s + names.at(i));
            QCOMPARE(m_frm->pgcDados->tabText(i), captions.at(i));
            auto *scb = page->findChild<QScrollArea *>(u"scb"_s + names.at(i));
            QVERIFY2(scb, qPrintable(names.at(i)));
        }
        QCOMPARE(m_frm->pgcPadrao->tabText(m_frm->pgcPadrao->indexOf(m_frm->tshFormulario)),
                 u"Dados"_s);
        // The party pages' address groups, named by section.
        for (const QString &secao : names.mid(1, 6))
            QVERIFY2(control<QGroupBox>(u"grbEndereco"_s + secao), qPrintable(secao));
    }

    // Every page fits the window: nothing wider than the page, no label cut, no two controls
    // of a page on top of each other.
    void pagesFitTheWindow_data()
    {
        QTest::addColumn<int>("page");
        for (int i = 0; i < 10; ++i)
            QTest::newRow(qPrintable(QString::number(i))) << i;
        QTest::newRow("list") << -1;
    }
    void pagesFitTheWindow()
    {
        QFETCH(int, page);
        QCOMPARE(m_frm->size(), QSize(1181, 578));
        FillEditorSample(m_frm);
        QWidget *content = nullptr;
        if (page < 0) {
            m_frm->pgcPadrao->setCurrentWidget(m_frm->tshFolhaDados);
            content = m_frm->tshFolhaDados;
        } else {
            m_frm->pgcPadrao->setCurrentWidget(m_frm->tshFormulario);
            m_frm->pgcDados->setCurrentIndex(page);
            auto *scb = m_frm->pgcDados->widget(page)->findChild<QScrollArea *>();
            QCoreApplication::processEvents();
            QCOMPARE(scb->horizontalScrollBar()->maximum(), 0);
            content = scb->widget();
        }
        QCoreApplication::processEvents();

        QList<QWidget *> leaves;
        for (QWidget *w : content->findChildren<QWidget *>()) {
            if (!w->isVisibleTo(content) || qobject_cast<QGroupBox *>(w)
                || w->parentWidget()->inherits("QAbstractScrollArea")
                || w->parentWidget()->inherits("QAbstractSpinBox") || w->inherits("QScrollBar")
                || w->inherits("QHeaderView") || w->inherits("QScrollArea")
                || w->parentWidget()->inherits("QComboBox")
                || w->parentWidget()->inherits("QLineEdit") || !w->objectName().size())
                continue;
            leaves << w;
            if (auto *label = qobject_cast<QLabel *>(w))
                QVERIFY2(label->width() >= label->sizeHint().width(),
                         qPrintable(label->objectName() + u" cut: "_s + label->text()));
        }
        QVERIFY(!leaves.isEmpty());
        for (int i = 0; i < leaves.size(); ++i) {
            const QRect a(leaves.at(i)->mapTo(content, QPoint()), leaves.at(i)->size());
            for (int j = i + 1; j < leaves.size(); ++j) {
                if (leaves.at(i)->isAncestorOf(leaves.at(j))
                    || leaves.at(j)->isAncestorOf(leaves.at(i)))
                    continue;
                const QRect b(leaves.at(j)->mapTo(content, QPoint()), leaves.at(j)->size());
                QVERIFY2(!a.intersects(b),
                         qPrintable(leaves.at(i)->objectName() + u" over "_s
                                    + leaves.at(j)->objectName()));
            }
        }
    }

    // The module's commands: menu items in order after the base form's, buttons with their
    // hints, and those that start disabled.
    void commandsAndMenus()
    {
        QStringList after;
        bool seen = false;
        for (QAction *a : m_frm->mnuManutencao->actions()) {
            if (seen)
                after << (a->isSeparator() ? u"-"_s : a->objectName());
            seen = seen || a == m_frm->mnuConfirmar;
        }
        QCOMPARE(
            after,
            (QStringList {u"-"_s, u"mnuFiltrar"_s, u"-"_s, u"mnuTransCTe"_s,
                          u"mnuAtualizaLoteCTe"_s, u"mnuCancelaCTe"_s, u"mnuCartaCorrecaoCTe"_s,
                          u"-"_s, u"mnuEnviaEmailCTe"_s, u"-"_s, u"mnuImprimir"_s}));
        QCOMPARE(m_frm->mnuFiltrar->text(), u"Filtrar"_s);
        QCOMPARE(m_frm->mnuAtualizaLoteCTe->text(), u"Atualização do Lote do CT-e"_s);
        QStringList sub;
        for (QAction *a : m_frm->mnuEnviaEmailCTe->actions())
            sub << a->objectName() + u'=' + a->text();
        QCOMPARE(
            sub,
            (QStringList {u"mnuEnviaEmailCTeSeleMenu=Enviar E-mail do CT-e Selecionado"_s,
                          u"mnuEnviaEmailCTePendMenu=Enviar E-mail Pendente dos CT-e Aceitos"_s}));
        QStringList popup;
        for (QAction *a : m_frm->pmnEmailCTe->actions())
            popup << a->objectName();
        QCOMPARE(popup,
                 (QStringList {u"mnuEnviaEmailCTeSeleBotao"_s, u"mnuEnviaEmailCTePendBotao"_s}));

        const std::pair<QString, QString> hints[] = {
            {u"sbtTransCTe"_s, u"Transmissão do CT-e"_s},
            {u"sbtAtualizaLoteCTe"_s, u"Atualização da Situação do CT-e"_s},
            {u"sbtFiltro"_s, u"Filtrar Lançamentos"_s},
            {u"sbtCancelaCTe"_s, u"Cancelamento do CT-e"_s},
            {u"sbtCartaCorrecaoCTe"_s, u"Carta de Correção do CT-e"_s},
            {u"sbtEnviaEmailCTe"_s, u"Envio de E-mail do CT-e"_s},
            {u"spbGeraXML"_s, u"Gerar XML"_s},
            {u"sbtImprimir"_s,
             u"DACTE (Documento Auxiliar do Conhecimento de Transporte Eletrônico)"_s},
        };
        for (const auto &[name, hint] : hints) {
            auto *b = control<QToolButton>(name);
            QVERIFY(b);
            QCOMPARE(b->toolTip(), hint);
            QCOMPARE(b->parentWidget(), m_frm->panMenu);
        }
        for (const QString &name : {u"sbtTransCTe"_s, u"sbtCancelaCTe"_s, u"sbtCartaCorrecaoCTe"_s,
                                    u"sbtEnviaEmailCTe"_s, u"sbtImprimir"_s})
            QVERIFY2(!control(name)->isEnabled(), qPrintable(name));
        // The transmission button follows its menu item.
        m_frm->mnuTransCTe->setEnabled(true);
        QVERIFY(m_frm->sbtTransCTe->isEnabled());
    }

    // The company panel above the pages.
    void companyPanel()
    {
        QVERIFY(!m_frm->pgcPadrao->isAncestorOf(m_frm->panEmpresa));
        QCOMPARE(Tag(m_frm->medCdEmpresa), 1);
        QCOMPARE(m_frm->medCdEmpresa->focusPolicy() & Qt::TabFocus, 0);
        QTest::keyClicks(m_frm->medCdEmpresa, u"7x35"_s);
        QCOMPARE(m_frm->medCdEmpresa->text().trimmed(), u"73"_s);
        QCOMPARE(Tag(m_frm->edtNmEmpresa), 0);
        QVERIFY(!m_frm->edtNmEmpresa->isEnabled());
    }

    // Every key the window looked up is in its catalogue, and so is every key its units pass to
    // a catalogue in their source.
    void catalogueHoldsEveryKey()
    {
        const TMessages *padrao = m_frm->msgPadrao;
        QVERIFY(m_frm->ChavesUsadas().size() > 50);
        for (const QString &key : m_frm->ChavesUsadas())
            QVERIFY2(!padrao->Msg(key).isEmpty(), qPrintable(key));

        // The window's units are those the package is built from.
        const QDir dir(qEnvironmentVariable("CTE_SOURCE_DIR") + u"/module"_s);
        QFile cmake(dir.filePath(u"CMakeLists.txt"_s));
        QVERIFY(cmake.open(QIODevice::ReadOnly));
        static const QRegularExpression unitName(uR"(\bCli_Dfs88000\w*\.cpp\b)"_s);
        QStringList units;
        for (const auto &m : unitName.globalMatch(QString::fromUtf8(cmake.readAll())))
            units << m.captured(0);
        QVERIFY(units.size() > 1);
        static const QRegularExpression call(
            uR"re((?:Msg|Texto|ShowMsg|MensErroChave)\s*\(\s*u"([A-Z][A-Z0-9_]*)"_s)re"_s);
        int keys = 0;
        for (const QString &unit : units) {
            QFile f(dir.filePath(unit));
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(f.readAll());
            for (const auto &m : call.globalMatch(text)) {
                const QString key = m.captured(1);
                ++keys;
                QVERIFY2(padrao->HasKey(key) || m_frm->msgListaDados->HasKey(key),
                         qPrintable(unit + u": "_s + key));
            }
        }
        QVERIFY(keys > 10);
        // Texts are the system's own, spelling included.
        QCOMPARE(m_frm->grbSituacao->title(), u"Siituação Atual"_s);
        QCOMPARE(padrao->Msg(u"REMETENTE_N_INFORMADO"_s),
                 u"Remente não informado. Favor verificar a página \"Remetente\"."_s);
        QCOMPARE(padrao->Msg(u"DESTINATARIO_DEVE"_s), u"Destinatario deve ser informado."_s);
    }
};

QTEST_MAIN(TestCTeEditorLayout)
#include "tst_cte_editor_layout.moc"
