// The emitter and the five parties of a document, typed and picked with F9 in the real editor,
// resolved by a real cte-server on a loopback port over a demo database made for the run.
#include "Cli_Dfs88000.h"
#include "Cli_Dfs88100.h"
#include "ClientDataSet.h"
#include "DBEdit.h"
#include "DBGrid.h"
#include "DBLookupComboBox.h"
#include "DataSetModel.h"
#include "DataSource.h"
#include "EditorFixture.h"
#include "EditorSample.h"
#include "Exceptions.h"

#include <QAbstractButton>
#include <QAction>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

QString cell(TDBGrid *grid, int row, int column)
{
    return grid->DataModel()->index(row, column).data().toString();
}

// Role index as in TfrmCTe::Partes, field suffix and source-indicator field.
struct Papel
{
    int index;
    const char16_t *sufixo;
    const char16_t *kindField;
};
constexpr Papel kReme {1, u"REME", u"IDCADREMETENTE"};
constexpr Papel kExpe {2, u"EXPE", u"IDCADEXPEDIDOR"};
constexpr Papel kRece {3, u"RECE", u"IDCADRECEBEDOR"};
constexpr Papel kDest {4, u"DEST", u"IDCADDESTINATA"};
constexpr Papel kToma {5, u"TOMA", u"IDCADTOMADOR"};
constexpr Papel kPapeis[] = {kReme, kExpe, kRece, kDest, kToma};

QString s(const char16_t *text)
{
    return QString::fromUtf16(text);
}

} // namespace

class TestCTeParties : public EditorFixture
{
    Q_OBJECT

    // A new document, on its first page.
    void novo()
    {
        listar();
        trigger(u"mnuIncluir"_s);
        QCOMPARE(m_frm->cdsCTe->State(), dsInsert);
    }
    TfrmCTe::TPaginaParte &parte(const Papel &p) { return m_frm->Partes[size_t(p.index)]; }

    void emitente(const QString &typed)
    {
        pagina(m_frm->tshEmitente);
        digita(m_frm->dbeNrInsJurEmit, typed);
        sai(m_frm->dbeNrInsJurEmit, m_frm->btnInsJurEmit);
    }
    void informa(const Papel &p, const QString &kind, const QString &typed)
    {
        if (p.index == kToma.index)
            atribui(u"IDTOMADOR"_s, u"4"_s);
        atribui(s(p.kindField), kind);
        pagina(parte(p).tsh);
        digita(parte(p).dbeNrInsJur, typed);
        sai(parte(p).dbeNrInsJur, parte(p).btnInsJur);
    }

private slots:
    // --- the emitter ---------------------------------------------------------------------------

    // Typed bare or punctuated, the registration is resolved, stored bare and shown through the
    // mask; accepting it empties the service product, totals, value components and taxes.
    void emitterTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("bare") << u"18462731000114"_s;
        QTest::newRow("punctuated") << u"18.462.731/0001-14"_s;
        QTest::newRow("parentheses and comma") << u"(18)462,731/0001-14"_s;
    }
    void emitterTyped()
    {
        QFETCH(QString, typed);
        novo();
        atribui(u"CDARVPROD"_s, u"010010001"_s);
        atribui(u"NMPRODUTO"_s, u"FRETE CARGA FRACIONADA"_s);
        atribui(u"VRTOTAPRESTSERV"_s, u"1500"_s);
        const double key = m_frm->cdsCTe->FieldByName(u"CDCTE"_s)->AsFloat();
        AppendAsServer(m_frm->cdsCTeCompValor, {{u"CDCTE"_s, key}, {u"CDCOMPVRPREST"_s, 1.0}});
        AppendAsServer(m_frm->cdsCTeImpostos, {{u"CDCTE"_s, key}, {u"CDIMPOSTO"_s, u"1"_s}});
        emitente(typed);
        QCOMPARE(m_sink->texts(), QStringList());
        QCOMPARE(campo(u"NRINSJUREMIT"_s), u"18462731000114"_s);
        QCOMPARE(campo(u"IDTPIJUREMIT"_s), u"J"_s);
        QCOMPARE(campo(u"NMRAZSOCEMIT"_s), u"TRANSPORTES SERRA AZUL LTDA"_s);
        QCOMPARE(campo(u"NRINSESTEMIT"_s), u"244187365112"_s);
        QCOMPARE(campo(u"CDMUNICIBGEEMIT"_s), u"3509502"_s);
        QCOMPARE(m_frm->dbeNrInsJurEmit->text(), u"18.462.731/0001-14"_s);
        QCOMPARE(Cli_Dfs88000::stNrInsJurEmitAux, u"18462731000114"_s);
        for (const char16_t *f : {u"CDARVPROD", u"NMPRODUTO", u"VRTOTAPRESTSERV"})
            QVERIFY2(m_frm->cdsCTe->FieldByName(s(f))->IsNull(), qPrintable(s(f)));
        QCOMPARE(m_frm->cdsCTeCompValor->RecordCount(), 0);
        QCOMPARE(m_frm->cdsCTeImpostos->RecordCount(), 0);
        // Entering again shows it bare, for typing.
        m_frm->dbeNrInsJurEmit->setFocus();
        QTRY_COMPARE(m_frm->dbeNrInsJurEmit->text(), u"18462731000114"_s);
    }

    // Emptied, the registration clears the emitter without a message; the page "Totais" and the
    // save then refuse it.
    void emitterEmptyClearsThenBlocks()
    {
        novo();
        atribuiRota();
        emitente(u"18462731000114"_s);
        QVERIFY(!campo(u"NMRAZSOCEMIT"_s).isEmpty());
        const qsizetype asked = calls(u"GetEmitente"_s);
        emitente(QString());
        QCOMPARE(m_sink->texts(), QStringList());
        QCOMPARE(calls(u"GetEmitente"_s), asked);
        for (const char16_t *f :
             {u"NMRAZSOCEMIT", u"NRINSESTEMIT", u"DSENDEEMIT", u"NMMUNICIPIOEMIT"})
            QVERIFY2(campo(s(f)).isEmpty(), qPrintable(s(f)));
        QVERIFY(campo(u"IDTPIJUREMIT"_s).isEmpty());

        m_frm->pgcDados->setCurrentWidget(m_frm->tshTotais);
        QCOMPARE(m_sink->lastText(), u"Emitente deve ser informado."_s);
        QCOMPARE(m_frm->pgcDados->currentWidget(), m_frm->tshEmitente);
        m_sink->clear();
        trigger(u"mnuConfirmar"_s);
        QCOMPARE(m_sink->lastText(), u"Emitente deve ser informado."_s);
        QCOMPARE(m_frm->cdsCTe->State(), dsInsert);
        QCOMPARE(m_frm->pgcDados->currentWidget(), m_frm->tshEmitente);
        QTRY_VERIFY(m_frm->dbeNrInsJurEmit->hasFocus());
    }

    // Punctuation added to the stored registration, character by character, clears nothing.
    void retypingWithPunctuationClearsNothing_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::newRow("dots, slash, hyphen") << u"18.462.731/0001-14"_s;
        QTest::newRow("parentheses and comma") << u"(18)462731,000114"_s;
    }
    void retypingWithPunctuationClearsNothing()
    {
        QFETCH(QString, shown);
        novo();
        emitente(u"18462731000114"_s);
        TDBEdit *edit = m_frm->dbeNrInsJurEmit;
        edit->setFocus();
        QTRY_COMPARE(edit->text(), u"18462731000114"_s);
        edit->setCursorPosition(0);
        for (const QChar c : shown) {
            if (c.isDigit())
                QTest::keyClick(edit, Qt::Key_Right);
            else
                QTest::keyClicks(edit, QString(c));
            QVERIFY2(!campo(u"NMRAZSOCEMIT"_s).isEmpty(), qPrintable(edit->text()));
        }
        QCOMPARE(edit->text(), shown);
        QCOMPARE(campo(u"IDTPIJUREMIT"_s), u"J"_s);
        // A digit changed is another registration: the section empties while typing.
        QTest::keyClick(edit, Qt::Key_Backspace);
        QVERIFY(campo(u"NMRAZSOCEMIT"_s).isEmpty());
        QVERIFY(campo(u"IDTPIJUREMIT"_s).isEmpty());
    }

    // Two establishments under one CNPJ: the typed registration is refused and points to F9;
    // F9 inside the edit lists the company's registrations, and the row chosen sends its state
    // registration along, which picks that establishment.
    void emitterDuplicateThenF9()
    {
        novo();
        atribui(u"CDEMPRESA"_s, u"02"_s);
        m_frm->medCdEmpresa->setText(u"02"_s);
        emitente(u"09317584000106"_s);
        QCOMPARE(m_sink->lastText(),
                 u"Operação bloqueada. Foram encontrados dois ou mais emitentes com esta mesma "
                 u"inscrição jurídica. Favor utilizar a ferramenta de pesquisa inscrição (F9)."_s);
        QTRY_VERIFY(m_frm->dbeNrInsJurEmit->hasFocus());
        QCOMPARE(Cli_Dfs88000::stNrInsJurEmitAux, QString());
        QVERIFY(campo(u"NMRAZSOCEMIT"_s).isEmpty());

        QStringList headers, rows;
        m_sink->clear();
        pesquisa([&] { QTest::keyClick(m_frm->dbeNrInsJurEmit, Qt::Key_F9); },
                 [&](TDBGrid *grid) {
                     QAbstractItemModel *model = grid->DataModel();
                     for (int c = 0; c < model->columnCount(); ++c)
                         headers << model->headerData(c, Qt::Horizontal).toString();
                     for (int r = 0; r < model->rowCount(); ++r)
                         rows << cell(grid, r, 0) + u' ' + cell(grid, r, 1);
                     QVERIFY(grid->DataSet()->Locate(u"CDINSCESTA"_s, u"301872456"_s));
                 });
        QTRY_VERIFY(m_frm->dbeNrInsJurEmit->hasFocus());
        QCOMPARE(headers,
                 (QStringList {u"Inscrição Estadual"_s, u"Inscrição Jurídica"_s, u"Empresa"_s}));
        QCOMPARE(rows.size(), 3);
        QVERIFY(rows.contains(u"301872456 09317584000106"_s));
        QCOMPARE(m_sink->texts(), QStringList());
        QCOMPARE(campo(u"NRINSESTEMIT"_s), u"301872456"_s);
        QCOMPARE(campo(u"DSCOMPENDEMIT"_s), u"SUBSTITUTO TRIBUTARIO SC"_s);
        QCOMPARE(campo(u"NMRAZSOCEMIT"_s), u"RODOVIARIO PAMPA SUL LTDA"_s);
        // Leaving now accepts it: no further message.
        sai(m_frm->dbeNrInsJurEmit, m_frm->btnInsJurEmit);
        QCOMPARE(m_sink->texts(), QStringList());
        QCOMPARE(Cli_Dfs88000::stNrInsJurEmitAux, u"09317584000106"_s);
    }

    // --- the parties ---------------------------------------------------------------------------

    void partyTyped_data()
    {
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("code"); // empty when refused
        QTest::addColumn<QString>("result"); // legal name, or the message
        QTest::addColumn<QString>("shown");
        QTest::newRow("sender client")
            << kReme.index << u"C"_s << u"61348257000123"_s << u"101"_s
            << u"METALURGICA VALE DO PARAIBA LTDA"_s << u"61.348.257/0001-23"_s;
        QTest::newRow("dispatcher supplier by CPF, punctuated")
            << kExpe.index << u"F"_s << u"145.926.837-73"_s << u"203"_s
            << u"ANTONIO FERREIRA DA SILVA"_s << u"145.926.837-73"_s;
        QTest::newRow("receiver client by CPF")
            << kRece.index << u"C"_s << u"31874265909"_s << u"105"_s << u"JOAO CARLOS PEREIRA"_s
            << u"318.742.659-09"_s;
        QTest::newRow("receiver client unregistered")
            << kRece.index << u"C"_s << u"11111111111"_s << QString()
            << u"Cliente não cadastrado."_s << QString();
        QTest::newRow("recipient client shared by two")
            << kDest.index << u"C"_s << u"75.230.918/0001-26"_s << QString()
            << u"Operação bloqueada. Foram encontrados dois ou mais clientes com esta mesma "
               u"inscrição jurídica. Favor utilizar a ferramenta de pesquisa inscrição (F9)."_s
            << QString();
        QTest::newRow("payer supplier shared by two")
            << kToma.index << u"F"_s << u"35791426000195"_s << QString()
            << u"Operação bloqueada. Foram encontrados dois ou mais fornecedores com esta "
               u"mesma inscrição jurídica. Favor utilizar a ferramenta de pesquisa inscrição "
               u"(F9)."_s
            << QString();
        QTest::newRow("payer supplier unregistered")
            << kToma.index << u"F"_s << u"61348257000123"_s << QString()
            << u"Fornecedor não cadastrado."_s << QString();
    }
    void partyTyped()
    {
        QFETCH(int, role);
        QFETCH(QString, kind);
        QFETCH(QString, typed);
        QFETCH(QString, code);
        QFETCH(QString, result);
        QFETCH(QString, shown);
        const Papel &p = kPapeis[role - 1];
        const QString sfx = s(p.sufixo);
        const QString codeField = [&] {
            for (const auto &[r, c, f] :
                 {std::tuple {kReme.index, u"CDREMETENTECLI"_s, u"CDREMETENTEFOR"_s},
                  std::tuple {kExpe.index, u"CDEXPEDIDORCLI"_s, u"CDEXPEDIDORFOR"_s},
                  std::tuple {kRece.index, u"CDRECEBEDORCLI"_s, u"CDRECEBEDORFOR"_s},
                  std::tuple {kDest.index, u"CDDESTINATACLI"_s, u"CDDESTINATAFOR"_s},
                  std::tuple {kToma.index, u"CDTOMADORCLI"_s, u"CDTOMADORFOR"_s}}) {
                if (r == role)
                    return kind == u"C" ? c : f;
            }
            return QString();
        }();
        novo();
        informa(p, kind, typed);
        if (code.isEmpty()) {
            QCOMPARE(m_sink->lastText(), result);
            QCOMPARE(m_frm->pgcDados->currentWidget(), parte(p).tsh);
            QWidget *focus = p.index == kToma.index ? static_cast<QWidget *>(m_frm->dcbIndicador)
                                                    : parte(p).dbeNrInsJur;
            QTRY_VERIFY(focus->hasFocus());
            QVERIFY(campo(u"NMRAZSOC"_s + sfx).isEmpty());
            QVERIFY(campo(codeField).isEmpty());
            QCOMPARE(campo(s(p.kindField)), kind);
            // The next exit checks again.
            const qsizetype asked = calls(kind == u"C" ? u"GetCliente"_s : u"GetFornecedor"_s);
            foca(parte(p).dbeNrInsJur);
            sai(parte(p).dbeNrInsJur, parte(p).btnInsJur);
            QCOMPARE(calls(kind == u"C" ? u"GetCliente"_s : u"GetFornecedor"_s), asked + 1);
            return;
        }
        QCOMPARE(m_sink->texts(), QStringList());
        QCOMPARE(campo(u"NMRAZSOC"_s + sfx), result);
        QCOMPARE(campo(codeField), code);
        QCOMPARE(campo(s(p.kindField)), kind);
        QCOMPARE(campo(u"NRINSJUR"_s + sfx), OnlyDigitsOf(typed));
        QCOMPARE(parte(p).dbeNrInsJur->text(), shown);
        QVERIFY(!campo(u"NMMUNICIPIO"_s + sfx).isEmpty());
        QVERIFY(!campo(u"CDMUNICIBGE"_s + sfx).isEmpty());
    }

    // The F9 list shows CNPJ and CPF each through its own mask; the row chosen sends its code
    // with the shared registration, which picks that client.
    void f9ListSendsCodeAndRegistration()
    {
        novo();
        atribui(u"IDCADDESTINATA"_s, u"C"_s);
        m_frm->pgcDados->setCurrentWidget(m_frm->tshDestinatario);
        QStringList headers, registrations;
        pesquisa([this] { m_frm->btnInsJurDest->click(); },
                 [&](TDBGrid *grid) {
                     QAbstractItemModel *model = grid->DataModel();
                     for (int c = 0; c < model->columnCount(); ++c)
                         headers << model->headerData(c, Qt::Horizontal).toString();
                     for (int r = 0; r < model->rowCount(); ++r)
                         registrations << cell(grid, r, 0);
                     QVERIFY(grid->DataSet()->Locate(u"CDCLIENTE"_s, u"109"_s));
                 });
        QCOMPARE(headers,
                 (QStringList {u"Inscrição Jurídica"_s, u"Razão Social"_s, u"Nome Fantasia"_s}));
        QVERIFY2(registrations.contains(u"318.742.659-09"_s), qPrintable(registrations.join(u' ')));
        QVERIFY(registrations.contains(u"61.348.257/0001-23"_s));
        // Active clients only.
        QCOMPARE(registrations.size(), 10);
        QCOMPARE(m_sink->texts(), QStringList());
        QCOMPARE(campo(u"CDDESTINATACLI"_s), u"109"_s);
        QCOMPARE(campo(u"NMRAZSOCDEST"_s), u"TEXTIL BLUMENAU S.A. - FATURAMENTO"_s);
        QCOMPARE(campo(u"NRINSJURDEST"_s), u"75230918000126"_s);
    }

    // A choice made in the F9 list is always checked and copied, even when it keeps the
    // registration already accepted (two register rows, two state registrations of one
    // establishment), and a CNPJ chosen after a CPF is read whole.
    void f9ChoiceAfterAnother_data()
    {
        QTest::addColumn<QString>("first"); // key of the first choice
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("registration"); // what the second choice leaves
        QTest::addColumn<QString>("nameOrComplement");
        QTest::newRow("recipient: another client, same CNPJ")
            << u"108"_s << u"109"_s << u"75230918000126"_s
            << u"TEXTIL BLUMENAU S.A. - FATURAMENTO"_s;
        QTest::newRow("recipient: a CNPJ after a CPF")
            << u"105"_s << u"101"_s << u"61348257000123"_s << u"METALURGICA VALE DO PARAIBA LTDA"_s;
        QTest::newRow("emitter: another state registration, same CNPJ")
            << u"0963245178"_s << u"301872456"_s << u"09317584000106"_s
            << u"SUBSTITUTO TRIBUTARIO SC"_s;
    }
    void f9ChoiceAfterAnother()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, registration);
        QFETCH(QString, nameOrComplement);
        novo();
        const bool emitter = registration == u"09317584000106";
        QLineEdit *edit = emitter ? m_frm->dbeNrInsJurEmit : m_frm->dbeNrInsJurDest;
        if (emitter) {
            atribui(u"CDEMPRESA"_s, u"02"_s);
            m_frm->medCdEmpresa->setText(u"02"_s);
            pagina(m_frm->tshEmitente);
        } else {
            atribui(u"IDCADDESTINATA"_s, u"C"_s);
            pagina(m_frm->tshDestinatario);
        }
        const QString keyField = emitter ? u"CDINSCESTA"_s : u"CDCLIENTE"_s;
        for (const QString &key : {first, second}) {
            foca(edit);
            pesquisa([edit] { QTest::keyClick(edit, Qt::Key_F9); },
                     [&](TDBGrid *grid) { QVERIFY(grid->DataSet()->Locate(keyField, key)); });
            QCOMPARE(m_sink->texts(), QStringList());
        }
        sai(edit, emitter ? static_cast<QWidget *>(m_frm->btnInsJurEmit) : m_frm->btnInsJurDest);
        QCOMPARE(m_sink->texts(), QStringList());
        if (emitter) {
            QCOMPARE(campo(u"NRINSESTEMIT"_s), second);
            QCOMPARE(campo(u"DSCOMPENDEMIT"_s), nameOrComplement);
            QCOMPARE(campo(u"NRINSJUREMIT"_s), registration);
            return;
        }
        QCOMPARE(campo(u"CDDESTINATACLI"_s), second);
        QCOMPARE(campo(u"NMRAZSOCDEST"_s), nameOrComplement);
        QCOMPARE(campo(u"NRINSJURDEST"_s), registration);
        QCOMPARE(campo(u"IDTPIJURDEST"_s), u"J"_s);
        QCOMPARE(edit->text().remove(QRegularExpression(u"\\D"_s)), registration);
    }

    // F9 pressed inside the edit opens the list of the role's kind.
    void f9InsideThePartyEdit()
    {
        novo();
        atribui(u"IDCADEXPEDIDOR"_s, u"F"_s);
        QString title;
        pagina(m_frm->tshExpedidor);
        digita(m_frm->dbeNrInsJurExpe, QString());
        pesquisa([this] { QTest::keyClick(m_frm->dbeNrInsJurExpe, Qt::Key_F9); },
                 [&](TDBGrid *grid) {
                     title = grid->window()->windowTitle();
                     QVERIFY(grid->DataSet()->Locate(u"CDFORNECED"_s, u"206"_s));
                 });
        QCOMPARE(title, u"Fornecedor"_s);
        QCOMPARE(campo(u"CDEXPEDIDORFOR"_s), u"206"_s);
        QCOMPARE(campo(u"NMRAZSOCEXPE"_s), u"TRANSPORTADORA LITORAL NORTE LTDA"_s);
    }

    // A kind change empties the whole section; kind "N" disables the registration and its F9.
    void kindChange_data()
    {
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("client to supplier") << u"F"_s << true;
        QTest::newRow("client to not informed") << u"N"_s << false;
    }
    void kindChange()
    {
        QFETCH(QString, to);
        QFETCH(bool, enabled);
        novo();
        QVERIFY(!m_frm->dbeNrInsJurReme->isEnabled());
        QVERIFY(!m_frm->btnInsJurReme->isEnabled());
        informa(kReme, u"C"_s, u"61348257000123"_s);
        QVERIFY(m_frm->dbeNrInsJurReme->isEnabled());
        QCOMPARE(campo(u"CDREMETENTECLI"_s), u"101"_s);
        atribui(u"IDCADREMETENTE"_s, to);
        // The place codes have no control of their own: they go too.
        for (const char16_t *f :
             {u"NRINSJURREME", u"IDTPIJURREME", u"NMRAZSOCREME", u"NRINSESTREME", u"DSENDEREME",
              u"CDREMETENTECLI", u"CDREMETENTEFOR", u"CDPAISREME", u"CDPAISBACENREME",
              u"SGESTADOREME", u"CDESTADOIBGEREME", u"CDMUNICIPIOREME", u"CDMUNICIBGEREME"})
            QVERIFY2(campo(s(f)).isEmpty(), qPrintable(s(f)));
        QCOMPARE(campo(u"IDCADREMETENTE"_s), to);
        QCOMPARE(m_frm->dbeNrInsJurReme->isEnabled(), enabled);
        QCOMPARE(m_frm->btnInsJurReme->isEnabled(), enabled);
    }

    // Indicator 0 with no sender: a warning, an empty payer, and saving refuses it.
    void payerFromMissingSender()
    {
        novo();
        atribuiRota();
        emitente(u"18462731000114"_s);
        atribui(u"IDTOMADOR"_s, u"0"_s);
        QCOMPARE(m_sink->entries().size(), 1);
        QCOMPARE(m_sink->entries().first().kind, TMsgKind::Warning);
        QCOMPARE(m_sink->lastText(),
                 u"Remente não informado. Favor verificar a página \"Remetente\"."_s);
        QCOMPARE(campo(u"IDTOMADOR"_s), u"0"_s);
        QVERIFY(campo(u"NRINSJURTOMA"_s).isEmpty());
        QVERIFY(campo(u"IDCADTOMADOR"_s).isEmpty());
        m_sink->clear();
        trigger(u"mnuConfirmar"_s);
        QCOMPARE(m_sink->lastText(), u"Tomador deve ser informado."_s);
        QCOMPARE(m_frm->pgcDados->currentWidget(), m_frm->tshTomador);
        QCOMPARE(m_frm->cdsCTe->State(), dsInsert);
    }

    // The indicator copies its role into the payer (a snapshot, without the SUFRAMA
    // registration), or with "4" leaves the payer to be identified on its page.
    void payerIndicator_data()
    {
        QTest::addColumn<QString>("indicator");
        QTest::addColumn<QString>("registration");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("inputs");
        QTest::newRow("0 sender") << u"0"_s << u"61348257000123"_s << u"C"_s << false;
        QTest::newRow("1 dispatcher") << u"1"_s << u"14592683773"_s << u"F"_s << false;
        QTest::newRow("3 recipient") << u"3"_s << u"52916384000190"_s << u"C"_s << false;
        QTest::newRow("4 others") << u"4"_s << QString() << u"C"_s << true;
    }
    void payerIndicator()
    {
        QFETCH(QString, indicator);
        QFETCH(QString, registration);
        QFETCH(QString, kind);
        QFETCH(bool, inputs);
        novo();
        informa(kReme, u"C"_s, u"61348257000123"_s);
        informa(kExpe, u"F"_s, u"14592683773"_s);
        informa(kDest, u"C"_s, u"52916384000190"_s);
        QCOMPARE(campo(u"NRINSCSUFRAMADEST"_s), u"201834569"_s);
        m_sink->clear();
        atribui(u"IDTOMADOR"_s, indicator);
        QCOMPARE(m_sink->texts(), QStringList());
        QCOMPARE(campo(u"NRINSJURTOMA"_s), registration);
        QCOMPARE(campo(u"IDCADTOMADOR"_s), kind);
        QCOMPARE(Cli_Dfs88000::stNrInsJurTomaAux, registration);
        QCOMPARE(m_frm->dbeNrInsJurToma->isEnabled(), inputs);
        QCOMPARE(m_frm->dcbInfCadTomador->isEnabled(), inputs);
        QCOMPARE(m_frm->btnInsJurToma->isEnabled(), inputs);
        if (!registration.isEmpty()) {
            const int source = indicator.toInt() + 1;
            const QString from = s(kPapeis[source - 1].sufixo);
            for (const char16_t *stem :
                 {u"NRINSJUR",     u"IDTPIJUR",    u"NMRAZSOC",    u"NRINSEST",    u"NMFANT",
                  u"NRTELE",       u"DSEMAIL",     u"DSENDE",      u"DSCOMPEND",   u"NRCEP",
                  u"CDPAIS",       u"NMPAIS",      u"CDPAISBACEN", u"SGESTADO",    u"NMESTADO",
                  u"CDESTADOIBGE", u"CDMUNICIPIO", u"NMMUNICIPIO", u"CDMUNICIBGE", u"NMBAIR"})
                QCOMPARE(campo(s(stem) + u"TOMA"_s), campo(s(stem) + from));
            QVERIFY(!m_frm->dbeNrInsJurToma->text().isEmpty());
            // The copy is a snapshot: another sender leaves the payer as it was.
            informa(kReme, u"C"_s, u"27451963000168"_s);
            informa(kExpe, u"C"_s, u"27451963000168"_s);
            informa(kDest, u"C"_s, u"27451963000168"_s);
            QCOMPARE(campo(u"NRINSJURTOMA"_s), registration);
            return;
        }
        // "Outros": the payer typed on its page like any party.
        informa(kToma, u"C"_s, u"70821439000160"_s);
        QCOMPARE(campo(u"NMRAZSOCTOMA"_s), u"CERAMICA LITORAL PAULISTA LTDA"_s);
        // Another indicator takes the inputs away again.
        atribui(u"IDTOMADOR"_s, u"0"_s);
        QVERIFY(!m_frm->dbeNrInsJurToma->isEnabled());
        QCOMPARE(campo(u"NRINSJURTOMA"_s), u"61348257000123"_s);
    }

    // Outside edit nothing is checked or changed; a row chosen with F9 starts the edit.
    void outsideEditOnlyF9Acts()
    {
        listar();
        QVERIFY(m_frm->cdsCTe->Locate(u"IDSTATUSCTE"_s, u"P"_s));
        QCOMPARE(campo(u"IDCADREMETENTE"_s), u"C"_s);
        const QString sender = campo(u"NRINSJURREME"_s);
        QVERIFY(!sender.isEmpty());
        m_frm->pgcPadrao->setCurrentWidget(m_frm->tshFormulario);
        const qsizetype asked = calls(u"GetCliente"_s);
        m_frm->pgcDados->setCurrentWidget(m_frm->tshRemetente);
        foca(m_frm->dbeNrInsJurReme);
        sai(m_frm->dbeNrInsJurReme, m_frm->btnInsJurReme);
        m_frm->pgcDados->setCurrentWidget(m_frm->tshTotais);
        QCOMPARE(m_frm->cdsCTe->State(), dsBrowse);
        QCOMPARE(calls(u"GetCliente"_s), asked);
        QCOMPARE(campo(u"NRINSJURREME"_s), sender);
        QCOMPARE(m_sink->texts(), QStringList());

        m_frm->pgcDados->setCurrentWidget(m_frm->tshRemetente);
        pesquisa([this] { m_frm->btnInsJurReme->click(); },
                 [](TDBGrid *grid) { QVERIFY(grid->DataSet()->Locate(u"CDCLIENTE"_s, u"112"_s)); });
        QCOMPARE(m_frm->cdsCTe->State(), dsEdit);
        QCOMPARE(campo(u"CDREMETENTECLI"_s), u"112"_s);
        QCOMPARE(campo(u"NMRAZSOCREME"_s), u"CERAMICA LITORAL PAULISTA LTDA"_s);
    }

    // --- the whole document --------------------------------------------------------------------

    // The demo documents carry their parties: the list's payer columns are filled.
    void demoDocumentsShowTheirPayer()
    {
        listar();
        QVERIFY(m_frm->cdsCTe->RecordCount() >= 3);
        const TField *payer = m_frm->cdsCTe->FieldByName(u"NRINSJURTOMA"_s);
        const TField *name = m_frm->cdsCTe->FieldByName(u"NMRAZSOCTOMA"_s);
        for (int row = 0; row < m_frm->cdsCTe->RecordCount(); ++row) {
            QVERIFY(!m_frm->cdsCTe->ValueAt(row, payer).toString().isEmpty());
            QVERIFY(!m_frm->cdsCTe->ValueAt(row, name).toString().isEmpty());
        }
        QVERIFY(!campo(u"NMRAZSOCEMIT"_s).isEmpty());
        QVERIFY(!campo(u"NMRAZSOCREME"_s).isEmpty());
        QVERIFY(!campo(u"NMRAZSOCDEST"_s).isEmpty());
    }

private:
    static QString OnlyDigitsOf(const QString &text)
    {
        QString out;
        for (const QChar c : text) {
            if (c.isDigit())
                out += c;
        }
        return out;
    }
};

QTEST_MAIN(TestCTeParties)
#include "tst_cte_parties.moc"
