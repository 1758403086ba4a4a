// The document filter driven through its real window, offscreen, against a demo host database
// made for each case.
#include "ADOIBQuery.h"
#include "Cli_Dfs88100.h"
#include "ClientDataSet.h"
#include "DBGrid.h"
#include "DataSetModel.h"
#include "DateEditPlus.h"
#include "DbConnection.h"
#include "GuiMessageSink.h"
#include "HostDb.h"
#include "ModalHelper.h"
#include "Orvglob.h"
#include "RecordingMessageSink.h"
#include "SelectionExpression.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QDate kDataProc(2026, 12, 7);

template<typename T>
T *child(QWidget *w, const QString &name)
{
    T *c = w->findChild<T *>(name);
    if (!c)
        qWarning("control %s not found", qPrintable(name));
    return c;
}

QLineEdit *edit(QWidget *w, const QString &name)
{
    return child<QLineEdit>(w, name);
}

void click(QWidget *w, const QString &button)
{
    if (auto *b = child<QAbstractButton>(w, button))
        b->click();
}

// Puts the focus in `e` (its enter runs), types `text` over what it holds.
void typeInto(QLineEdit *e, const QString &text)
{
    e->setFocus(Qt::TabFocusReason);
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Delete);
    e->clear();
    QTest::keyClicks(e, text);
}

// Moves the focus from whatever has it to a neutral control of the window (its exit runs).
void leave(QWidget *w)
{
    if (auto *fim = child<QWidget>(w, u"depEmissaoFim"_s))
        fim->setFocus(Qt::TabFocusReason);
}

TRecordFilter filtro()
{
    return Cli_Dfs88100::frmFiltroCTe ? Cli_Dfs88100::frmFiltroCTe->Filtro : TRecordFilter();
}

QVariantList argumentos()
{
    return SelectionArguments(Cli_Dfs88100::CodigoEmpresa(), filtro());
}

// The digits of an edit's text (a masked edit reads as its literals when empty).
QString OnlyDigits(const QString &text)
{
    QString out;
    for (QChar c : text) {
        if (c.isDigit())
            out += c;
    }
    return out;
}

// A name box's text as it is, a registration edit's digits.
QString OnlyDigitsOrName(const QString &text)
{
    return text.contains(QRegularExpression(u"[A-Za-z]"_s)) ? text : OnlyDigits(text);
}

// The look-up grid's text at `row`, `column`.
QString cell(TDBGrid *grid, int row, int column)
{
    return grid->DataModel()->index(row, column).data().toString();
}

} // namespace

class TestFiltroCTe : public QObject
{
    Q_OBJECT

    // One visit of the filter through its factory: `act` runs on the shown window; a window still
    // open afterwards is closed through its frame. Returns what the factory returned.
    bool visit(const std::function<void(TfrmFiltroCTe *)> &act)
    {
        WhenModal([act](QWidget *w) {
            auto *frm = qobject_cast<TfrmFiltroCTe *>(w);
            if (frm && QTest::qWaitForWindowActive(frm))
                act(frm);
            else
                qWarning("the filter did not open");
            if (w->isVisible())
                w->close();
        });
        return Cli_Dfs88100::CriaFiltroCTe();
    }

    // Runs `act` on the next modal dialog opened over `over` (a look-up list).
    static void onDialog(QWidget *over, std::function<void(QWidget *)> act)
    {
        WhenModal(
            [act](QWidget *dlg) {
                act(dlg);
                if (dlg->isVisible())
                    dlg->close();
            },
            over);
    }

    QStringList messages() const { return m_sink->texts(); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_template = m_dir.filePath(u"template.db"_s);
        {
            QSqlDatabase db = OpenConnection(u"sqlite:"_s + m_template, u"template"_s);
            HostDb::CreateHostSchema(db);
            HostDb::LoadHostDemoData(db);
            db.close();
        }
        QSqlDatabase::removeDatabase(u"template"_s);
    }

    void init()
    {
        Cli_Dfs88100::ResetUnit();
        const QString path = m_dir.filePath(u"case%1.db"_s.arg(++m_case));
        QVERIFY(QFile::copy(m_template, path));
        Orvglob::DBConnection = u"sqlite:"_s + path;
        Orvglob::EmprProc = u"01"_s;
        Orvglob::DataProc = kDataProc;
        m_sink = std::make_unique<RecordingMessageSink>();
    }

    void cleanup()
    {
        Cli_Dfs88100::ResetUnit();
        m_sink.reset();
        Orvglob::Reset();
    }

    // --- window, record and checks -------------------------------------------------------------

    // The first visit's defaults, and what confirming them sends.
    void firstVisitDefaults_data()
    {
        QTest::addColumn<QString>("company");
        QTest::addColumn<QString>("registration");
        QTest::newRow("one-registration") << u"01"_s << u"244187365112"_s;
        QTest::newRow("two-registrations") << u"02"_s << QString();
        QTest::newRow("no-registration") << u"07"_s << QString();
    }
    void firstVisitDefaults()
    {
        QFETCH(QString, company);
        QFETCH(QString, registration);
        Orvglob::EmprProc = company;
        QString shown, ini, fim;
        QStringList selectors, pages;
        bool listButton = true, todos = false;
        int situations = 0;
        QWidget *focus = nullptr;
        TfrmFiltroCTe *window = nullptr;
        const bool confirmed = visit([&](TfrmFiltroCTe *w) {
            window = w;
            shown = edit(w, u"medInscrEstad"_s)->text();
            focus = QApplication::focusWidget();
            ini = edit(w, u"depEmissaoIni"_s)->text();
            fim = edit(w, u"depEmissaoFim"_s)->text();
            for (const QString &role : {u"Reme"_s, u"Expe"_s, u"Rece"_s, u"Dest"_s, u"Toma"_s})
                selectors << child<QComboBox>(w, u"cbbSel"_s + role)->currentText();
            for (const QString &nbk : {u"nbkRemetente"_s, u"nbkExpedidor"_s, u"nbkRecebedor"_s,
                                       u"nbkDestinatario"_s, u"nbkTomador"_s})
                pages << QString::number(child<QStackedWidget>(w, nbk)->currentIndex());
            listButton = child<QToolButton>(w, u"btpTipoOper"_s)->isEnabled();
            todos = child<QRadioButton>(w, u"rdgTodosTipoOper"_s)->isChecked();
            for (QCheckBox *c : w->findChildren<QCheckBox *>())
                situations += c->isChecked();
            click(w, u"sbtConfirma"_s);
        });
        QCOMPARE(shown, registration);
        QCOMPARE(focus, window ? window->medInscrEstad : nullptr);
        QCOMPARE(ini, u"01/12/2026"_s);
        QCOMPARE(fim, u"07/12/2026"_s);
        QCOMPARE(selectors, QStringList(5, u"Todos"_s));
        QCOMPARE(pages, QStringList(5, u"2"_s));
        QVERIFY(!listButton);
        QVERIFY(todos);
        QCOMPARE(situations, 6);

        if (registration.isEmpty()) {
            QVERIFY(!confirmed);
            QCOMPARE(messages(), QStringList {u"Inscrição estadual deve ser informada."_s});
            return;
        }
        QVERIFY(confirmed);
        QVERIFY(messages().isEmpty());
        const QVariantList args = argumentos();
        QCOMPARE(args.size(), 21);
        QCOMPARE(args.at(0).toString(), company);
        QCOMPARE(args.at(1).toString(), registration);
        for (int letter : {2, 9, 12, 15, 18}) {
            QCOMPARE(args.at(letter).toString(), u"X"_s);
            QCOMPARE(args.at(letter + 1).toString(), QString());
            QCOMPARE(args.at(letter + 2).toString(), QString());
        }
        QCOMPARE(args.at(5).toDate(), QDate(2026, 12, 1));
        QCOMPARE(args.at(6).toDate(), kDataProc);
        QCOMPARE(args.at(7).toString(), u"_A_C_D_P_R_T_"_s);
        QCOMPARE(args.at(8).toString(), u"T"_s);
    }

    // Leaving the registration: empty passes, an unknown code (or another company's) is refused
    // and keeps the focus.
    void leavingTheRegistration_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("registered") << u"244187365112"_s << QString();
        QTest::newRow("unknown") << u"999"_s << u"Inscrição estadual não cadastrada."_s;
        QTest::newRow("other-company")
            << u"0963245178"_s << u"Inscrição estadual não cadastrada."_s;
    }
    void leavingTheRegistration()
    {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        bool focusKept = false;
        bool focusLeft = false;
        QString after;
        visit([&](TfrmFiltroCTe *w) {
            QLineEdit *ie = edit(w, u"medInscrEstad"_s);
            typeInto(ie, typed);
            leave(w);
            focusKept = QApplication::focusWidget() == ie;
            focusLeft = QApplication::focusWidget() == child<QWidget>(w, u"depEmissaoFim"_s);
            after = ie->text();
        });
        if (message.isEmpty()) {
            QVERIFY(messages().isEmpty());
            QVERIFY(focusLeft);
            QCOMPARE(after, typed);
        } else {
            QCOMPARE(messages(), QStringList {message});
            QVERIFY(focusKept);
        }
    }

    // The date range on Confirm.
    void dateRange_data()
    {
        QTest::addColumn<QDate>("ini");
        QTest::addColumn<QDate>("fim");
        QTest::addColumn<QString>("message");
        QTest::newRow("equal") << QDate(2026, 11, 20) << QDate(2026, 11, 20) << QString();
        QTest::newRow("final-day-before")
            << QDate(2026, 11, 20) << QDate(2026, 11, 19)
            << u"Data de emissão inicial deve ser menor ou igual a data de emissão final."_s;
        QTest::newRow("initial-empty")
            << QDate() << QDate(2026, 11, 19) << u"Data de emissão deve ser informada."_s;
        QTest::newRow("final-empty")
            << QDate(2026, 11, 19) << QDate() << u"Data de emissão deve ser informada."_s;
    }
    void dateRange()
    {
        QFETCH(QDate, ini);
        QFETCH(QDate, fim);
        QFETCH(QString, message);
        const TRecordFilter before = [&] {
            visit([](TfrmFiltroCTe *) {});
            return filtro();
        }();
        QWidget *focus = nullptr;
        TDateEditPlus *iniEdit = nullptr;
        const bool confirmed = visit([&](TfrmFiltroCTe *w) {
            iniEdit = child<TDateEditPlus>(w, u"depEmissaoIni"_s);
            iniEdit->SetDate(ini);
            child<TDateEditPlus>(w, u"depEmissaoFim"_s)->SetDate(fim);
            child<QWidget>(w, u"chbPendente"_s)->setFocus();
            click(w, u"sbtConfirma"_s);
            focus = QApplication::focusWidget();
        });
        if (message.isEmpty()) {
            QVERIFY(confirmed);
            QCOMPARE(filtro().RecDataSaidIni, ini);
            QCOMPARE(filtro().RecDataSaidFim, fim);
            return;
        }
        QCOMPARE(messages(), QStringList {message});
        QCOMPARE(focus, iniEdit);
        // A Confirm that failed, then the window closed by its frame: not a confirmation, and
        // the confirmed criteria are untouched.
        QVERIFY(!confirmed);
        QCOMPARE(filtro(), before);
    }

    // Situations: none is refused; the ones ticked make the list the server reads.
    void situations_data()
    {
        QTest::addColumn<QStringList>("ticked");
        QTest::addColumn<QString>("sent");
        QTest::newRow("none") << QStringList() << QString();
        QTest::newRow("pending-rejected")
            << QStringList {u"chbPendente"_s, u"chbRejeitado"_s} << u"_P_R_"_s;
        QTest::newRow("accepted-transmitted")
            << QStringList {u"chbAceito"_s, u"chbTransmitido"_s} << u"_A_T_"_s;
    }
    void situations()
    {
        QFETCH(QStringList, ticked);
        QFETCH(QString, sent);
        QWidget *focus = nullptr;
        QWidget *aceito = nullptr;
        const bool confirmed = visit([&](TfrmFiltroCTe *w) {
            for (QCheckBox *c : w->findChildren<QCheckBox *>())
                c->setChecked(ticked.contains(c->objectName()));
            aceito = child<QWidget>(w, u"chbAceito"_s);
            click(w, u"sbtConfirma"_s);
            focus = QApplication::focusWidget();
        });
        if (sent.isEmpty()) {
            QVERIFY(!confirmed);
            QCOMPARE(messages(), QStringList {u"Situação deve ser informada."_s});
            QCOMPARE(focus, aceito);
            return;
        }
        QVERIFY(confirmed);
        QCOMPARE(argumentos().at(7).toString(), sent);
    }

    // "Lista" without a type is refused; the list picked is sent as the server reads it, and
    // "Todos" sends "T" whatever was picked before.
    void operationTypes()
    {
        QWidget *focus = nullptr;
        QRadioButton *lista = nullptr;
        bool enabledOnLista = false, disabledOnTodos = true;
        bool confirmed = visit([&](TfrmFiltroCTe *w) {
            lista = child<QRadioButton>(w, u"rdgListaTipoOper"_s);
            lista->click();
            enabledOnLista = child<QToolButton>(w, u"btpTipoOper"_s)->isEnabled();
            child<QRadioButton>(w, u"rdgTodosTipoOper"_s)->click();
            disabledOnTodos = !child<QToolButton>(w, u"btpTipoOper"_s)->isEnabled();
            lista->click();
            click(w, u"sbtConfirma"_s);
            focus = QApplication::focusWidget();
        });
        QVERIFY(enabledOnLista);
        QVERIFY(disabledOnTodos);
        QVERIFY(!confirmed);
        QCOMPARE(messages(), QStringList {u"Tipo de operação deve ser informado."_s});
        QCOMPARE(focus, lista);
        m_sink->clear();

        int rows = -1;
        QString direction, title;
        confirmed = visit([&](TfrmFiltroCTe *w) {
            child<QRadioButton>(w, u"rdgListaTipoOper"_s)->click();
            onDialog(w, [&](QWidget *dlg) {
                title = dlg->windowTitle();
                auto *table = child<QTableWidget>(dlg, u"tbwLista"_s);
                rows = table->rowCount();
                direction = table->item(0, 1)->text();
                // Ticked in this order: 03 then 01 (column 2 is the code).
                for (const QString &code : {u"03"_s, u"01"_s}) {
                    for (int r = 0; r < table->rowCount(); ++r) {
                        if (table->item(r, 2)->text() == code)
                            table->item(r, 0)->setCheckState(Qt::Checked);
                    }
                }
                click(dlg, u"btnOK"_s);
            });
            click(w, u"btpTipoOper"_s);
            click(w, u"sbtConfirma"_s);
        });
        QVERIFY(confirmed);
        QCOMPARE(title, u"Tipo de Operação"_s);
        QCOMPARE(rows, 5); // outgoing types only
        QCOMPARE(direction, u"Saída"_s);
        QCOMPARE(filtro().RecListaTipoOper, u"'S03','S01'"_s);
        QCOMPARE(argumentos().at(8).toString(), u"'S03','S01'"_s);

        bool listaShown = false;
        confirmed = visit([&](TfrmFiltroCTe *w) {
            listaShown = child<QRadioButton>(w, u"rdgListaTipoOper"_s)->isChecked()
                && child<QToolButton>(w, u"btpTipoOper"_s)->isEnabled();
            child<QRadioButton>(w, u"rdgTodosTipoOper"_s)->click();
            click(w, u"sbtConfirma"_s);
        });
        QVERIFY(listaShown);
        QVERIFY(confirmed);
        QCOMPARE(argumentos().at(8).toString(), u"T"_s);
        QVERIFY(messages().isEmpty());
    }

    // Edits of a cancelled visit are forgotten: the next visit shows the confirmed criteria, and
    // the record the list load reads is unchanged.
    void cancelThenReopenShowsTheConfirmed_data()
    {
        QTest::addColumn<bool>("byCancel"); // else by the window frame's close box
        QTest::newRow("cancel-button") << true;
        QTest::newRow("close-box") << false;
    }
    void cancelThenReopenShowsTheConfirmed()
    {
        QFETCH(bool, byCancel);
        QVERIFY(visit([](TfrmFiltroCTe *w) {
            child<TDateEditPlus>(w, u"depEmissaoIni"_s)->SetDate(QDate(2026, 10, 1));
            child<QCheckBox>(w, u"chbDenegado"_s)->setChecked(false);
            click(w, u"sbtConfirma"_s);
        }));
        const TRecordFilter confirmed = filtro();

        const bool result = visit([&](TfrmFiltroCTe *w) {
            typeInto(edit(w, u"medInscrEstad"_s), QString());
            child<TDateEditPlus>(w, u"depEmissaoIni"_s)->SetDate(QDate(2025, 1, 1));
            child<TDateEditPlus>(w, u"depEmissaoFim"_s)->SetDate(QDate(2025, 1, 2));
            child<QCheckBox>(w, u"chbDenegado"_s)->setChecked(true);
            child<QCheckBox>(w, u"chbAceito"_s)->setChecked(false);
            child<QRadioButton>(w, u"rdgListaTipoOper"_s)->click();
            child<QComboBox>(w, u"cbbSelToma"_s)->setCurrentIndex(selCliente);
            if (byCancel)
                click(w, u"sbtCancel"_s);
        });
        QVERIFY(!result);
        QCOMPARE(filtro(), confirmed);

        QString ie, ini, fim, toma;
        bool denegado = true, aceito = false, todos = false;
        visit([&](TfrmFiltroCTe *w) {
            ie = edit(w, u"medInscrEstad"_s)->text();
            ini = edit(w, u"depEmissaoIni"_s)->text();
            fim = edit(w, u"depEmissaoFim"_s)->text();
            denegado = child<QCheckBox>(w, u"chbDenegado"_s)->isChecked();
            aceito = child<QCheckBox>(w, u"chbAceito"_s)->isChecked();
            todos = child<QRadioButton>(w, u"rdgTodosTipoOper"_s)->isChecked();
            toma = child<QComboBox>(w, u"cbbSelToma"_s)->currentText();
        });
        QCOMPARE(ie, u"244187365112"_s);
        QCOMPARE(ini, u"01/10/2026"_s);
        QCOMPARE(fim, u"07/12/2026"_s);
        QVERIFY(!denegado);
        QVERIFY(aceito);
        QVERIFY(todos);
        QCOMPARE(toma, u"Todos"_s);
        QCOMPARE(argumentos().at(7).toString(), u"_A_C_P_R_T_"_s);
    }

    // The registration look-up lists the editor's company's registrations with the legal
    // registration formatted, and the pick fills the edit. The company is the editor's, not the
    // host's current one.
    void registrationLookUp()
    {
        Cli_Dfs88100::SetCompanySource([] { return u"02"_s; });
        QStringList rows;
        QString title, picked;
        const bool confirmed = visit([&](TfrmFiltroCTe *w) {
            onDialog(w, [&](QWidget *dlg) {
                title = dlg->windowTitle();
                auto *grid = child<TDBGrid>(dlg, u"dbgPesquisa"_s);
                for (int r = 0; r < grid->DataModel()->rowCount(); ++r)
                    rows << cell(grid, r, 0) + u' ' + cell(grid, r, 1);
                grid->DataSet()->SetRecNo(2);
                click(dlg, u"btnOK"_s);
            });
            click(w, u"btnInscrEstad"_s);
            picked = edit(w, u"medInscrEstad"_s)->text();
            click(w, u"sbtConfirma"_s);
        });
        QCOMPARE(title, u"Empresa"_s);
        QCOMPARE(
            rows,
            (QStringList {u"0963245178 09.317.584/0001-06"_s, u"257894310 09.317.584/0002-89"_s,
                          u"301872456 09.317.584/0001-06"_s}));
        QCOMPARE(picked, u"257894310"_s);
        QVERIFY(confirmed);
        QCOMPARE(argumentos().mid(0, 2), (QVariantList {u"02"_s, u"257894310"_s}));
    }

    // --- party criteria ------------------------------------------------------------------------

    // Leaving a registration edit: a registered party shows its legal name and the registration
    // through the mask of its person type; entering again shows it bare. An unknown one is refused
    // with the focus kept and no name.
    void leavingAPartyEdit_data()
    {
        QTest::addColumn<QString>("role");
        QTest::addColumn<int>("selector");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("formatted"); // empty: refused
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("code");
        QTest::newRow("client-cnpj")
            << u"Reme"_s << int(selCliente) << u"61348257000123"_s << u"61.348.257/0001-23"_s
            << u"METALURGICA VALE DO PARAIBA LTDA"_s << u"101"_s;
        QTest::newRow("client-cpf") << u"Dest"_s << int(selCliente) << u"31874265909"_s
                                    << u"318.742.659-09"_s << u"JOAO CARLOS PEREIRA"_s << u"105"_s;
        QTest::newRow("inactive-client-listed")
            << u"Toma"_s << int(selCliente) << u"46172593000174"_s << u"46.172.593/0001-74"_s
            << u"AGROPECUARIA CERRADO VERDE LTDA"_s << u"107"_s;
        QTest::newRow("supplier-cpf")
            << u"Expe"_s << int(selFornecedor) << u"14592683773"_s << u"145.926.837-73"_s
            << u"ANTONIO FERREIRA DA SILVA"_s << u"203"_s;
        QTest::newRow("client-unknown") << u"Rece"_s << int(selCliente) << u"11111111000111"_s
                                        << QString() << u"Cliente não cadastrado."_s << QString();
        // A supplier's registration is not a client's.
        QTest::newRow("supplier-as-client")
            << u"Reme"_s << int(selCliente) << u"42816397000134"_s << QString()
            << u"Cliente não cadastrado."_s << QString();
        QTest::newRow("supplier-unknown")
            << u"Toma"_s << int(selFornecedor) << u"61348257000123"_s << QString()
            << u"Fornecedor não cadastrado."_s << QString();
    }
    void leavingAPartyEdit()
    {
        QFETCH(QString, role);
        QFETCH(int, selector);
        QFETCH(QString, typed);
        QFETCH(QString, formatted);
        QFETCH(QString, name);
        QFETCH(QString, code);
        const QString stem = selector == selCliente ? u"Cliente"_s : u"Fornecedor"_s;
        QString left, nameShown, entered;
        bool focusKept = false;
        visit([&](TfrmFiltroCTe *w) {
            child<QComboBox>(w, u"cbbSel"_s + role)->setCurrentIndex(selector);
            QLineEdit *med = edit(w, u"med"_s + stem + role);
            typeInto(med, typed);
            leave(w);
            focusKept = QApplication::focusWidget() == med;
            left = med->text();
            nameShown = edit(w, u"edtNm"_s + stem + role)->text();
            if (!focusKept) {
                med->setFocus(Qt::TabFocusReason);
                entered = med->text();
            }
        });
        if (formatted.isEmpty()) {
            QCOMPARE(messages(), QStringList {name});
            QVERIFY(focusKept);
            QCOMPARE(nameShown, QString());
            return;
        }
        QVERIFY(messages().isEmpty());
        QVERIFY(!focusKept);
        QCOMPARE(left, formatted);
        QCOMPARE(nameShown, name);
        QCOMPARE(entered, typed);
        QCOMPARE(nameShown, name); // the mask change leaves the name alone
        const QString working = selector == selCliente
            ? (role == u"Reme"       ? Cli_Dfs88100::stCdClienteReme
                   : role == u"Dest" ? Cli_Dfs88100::stCdClienteDest
                                     : Cli_Dfs88100::stCdClienteToma)
            : Cli_Dfs88100::stCdFornecedorExpe;
        QCOMPARE(working, code);
    }

    // With real message boxes: a refused exit shows one box and the focus comes back to the edit
    // (the box taking and giving back the focus is no exit of its own); a Confirm refused while
    // the focus is in the edit shows one box too.
    void refusedExitWithRealMessageBoxes()
    {
        TGuiMessageSink gui;
        QStringList boxes;
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || box->objectName() != u"msgBox")
                return;
            boxes << box->text();
            if (auto *ok = box->findChild<QAbstractButton *>(u"btnOK"_s))
                ok->click();
        });
        answer.start(5);
        QWidget *afterExit = nullptr;
        QWidget *afterConfirm = nullptr;
        QLineEdit *med = nullptr;
        QString nameShown = u"?"_s;
        const bool confirmed = visit([&](TfrmFiltroCTe *w) {
            child<QComboBox>(w, u"cbbSelReme"_s)->setCurrentIndex(selCliente);
            med = edit(w, u"medClienteReme"_s);
            typeInto(med, u"12345678000100"_s);
            leave(w);
            afterExit = w->focusWidget();
            nameShown = edit(w, u"edtNmClienteReme"_s)->text();
            click(w, u"sbtConfirma"_s);
            afterConfirm = w->focusWidget();
        });
        answer.stop();
        QVERIFY(!confirmed);
        QCOMPARE(boxes, QStringList(2, u"Cliente não cadastrado."_s));
        QCOMPARE(afterExit, med);
        QCOMPARE(afterConfirm, med);
        QCOMPARE(nameShown, QString());
    }

    // Two clients share a registration: the check takes the first row the database returns.
    void sharedRegistrationTakesTheFirstRow()
    {
        QString nameShown;
        const bool confirmed = visit([&](TfrmFiltroCTe *w) {
            child<QComboBox>(w, u"cbbSelRece"_s)->setCurrentIndex(selCliente);
            typeInto(edit(w, u"medClienteRece"_s), u"75230918000126"_s);
            leave(w);
            nameShown = edit(w, u"edtNmClienteRece"_s)->text();
            click(w, u"sbtConfirma"_s);
        });
        QVERIFY(confirmed);
        QCOMPARE(nameShown, u"TEXTIL BLUMENAU S.A."_s);
        QCOMPARE(argumentos().mid(15, 3), (QVariantList {u"C"_s, u"108"_s, QString()}));
    }

    // Confirm checks each role on its selector, also when the focus never left the edit, and sends
    // the selector letter with the role's codes in the role's places.
    void confirmSendsTheParties()
    {
        const bool confirmed = visit([&](TfrmFiltroCTe *w) {
            child<QComboBox>(w, u"cbbSelToma"_s)->setCurrentIndex(selFornecedor);
            typeInto(edit(w, u"medFornecedorToma"_s), u"23478156000188"_s);
            leave(w);
            child<QComboBox>(w, u"cbbSelDest"_s)->setCurrentIndex(selCliente);
            typeInto(edit(w, u"medClienteDest"_s), u"83726154000192"_s);
            click(w, u"sbtConfirma"_s); // the focus is still in medClienteDest
        });
        QVERIFY(confirmed);
        QVERIFY(messages().isEmpty());
        const QVariantList args = argumentos();
        QCOMPARE(args.mid(2, 3), (QVariantList {u"F"_s, QString(), u"206"_s}));
        QCOMPARE(args.mid(18, 3), (QVariantList {u"C"_s, u"110"_s, QString()}));
        for (int letter : {9, 12, 15})
            QCOMPARE(args.at(letter).toString(), u"X"_s);
    }

    // An unregistered party stops the Confirm: the record keeps the previous criteria.
    void confirmRefusesAnUnknownParty()
    {
        visit([](TfrmFiltroCTe *) {});
        const TRecordFilter before = filtro();
        QWidget *focus = nullptr;
        QLineEdit *med = nullptr;
        const bool confirmed = visit([&](TfrmFiltroCTe *w) {
            child<QComboBox>(w, u"cbbSelExpe"_s)->setCurrentIndex(selFornecedor);
            med = edit(w, u"medFornecedorExpe"_s);
            typeInto(med, u"99999999999"_s);
            click(w, u"sbtConfirma"_s);
            focus = QApplication::focusWidget();
        });
        QVERIFY(!confirmed);
        QCOMPARE(messages(), QStringList {u"Fornecedor não cadastrado."_s});
        QCOMPARE(focus, med);
        QCOMPARE(filtro(), before);
    }

    // A role on client or supplier whose edit is empty sends empty codes (any client, any
    // supplier), not the party last found in that role.
    void emptyEditSendsEmptyCodes_data()
    {
        QTest::addColumn<int>("selector");
        QTest::addColumn<QString>("registration");
        QTest::addColumn<QString>("letter");
        QTest::newRow("client") << int(selCliente) << u"27451963000168"_s << u"C"_s;
        QTest::newRow("supplier") << int(selFornecedor) << u"42816397000134"_s << u"F"_s;
    }
    void emptyEditSendsEmptyCodes()
    {
        QFETCH(int, selector);
        QFETCH(QString, registration);
        QFETCH(QString, letter);
        const QString med = selector == selCliente ? u"medClienteReme"_s : u"medFornecedorReme"_s;
        const bool confirmed = visit([&](TfrmFiltroCTe *w) {
            child<QComboBox>(w, u"cbbSelReme"_s)->setCurrentIndex(selector);
            typeInto(edit(w, med), registration);
            leave(w); // found: the role's working code is set
            typeInto(edit(w, med), QString());
            leave(w);
            click(w, u"sbtConfirma"_s);
        });
        QVERIFY(confirmed);
        QVERIFY(!(selector == selCliente ? Cli_Dfs88100::stCdClienteReme
                                         : Cli_Dfs88100::stCdFornecedorReme)
                     .isEmpty());
        QCOMPARE(argumentos().mid(9, 3), (QVariantList {letter, QString(), QString()}));

        // The next visit shows the role on its register with nothing typed.
        QString shown;
        int page = -1;
        visit([&](TfrmFiltroCTe *w) {
            shown = OnlyDigits(edit(w, med)->text());
            page = child<QStackedWidget>(w, u"nbkRemetente"_s)->currentIndex();
        });
        QCOMPARE(shown, QString());
        QCOMPARE(page, selector);
    }

    // Switching a role's register empties both edits and both name boxes; the working codes stay.
    void switchingTheSelectorClearsTheRole()
    {
        QStringList after;
        int page = -1;
        visit([&](TfrmFiltroCTe *w) {
            auto *sel = child<QComboBox>(w, u"cbbSelToma"_s);
            sel->setCurrentIndex(selFornecedor);
            typeInto(edit(w, u"medFornecedorToma"_s), u"42816397000134"_s);
            leave(w);
            sel->setCurrentIndex(selCliente);
            typeInto(edit(w, u"medClienteToma"_s), u"61348257000123"_s);
            leave(w);
            sel->setCurrentIndex(selFornecedor);
            page = child<QStackedWidget>(w, u"nbkTomador"_s)->currentIndex();
            for (const QString &name : {u"medClienteToma"_s, u"edtNmClienteToma"_s,
                                        u"medFornecedorToma"_s, u"edtNmFornecedorToma"_s})
                after << OnlyDigitsOrName(edit(w, name)->text());
        });
        QCOMPARE(page, int(selFornecedor));
        QCOMPARE(after, QStringList(4, QString()));
        QCOMPARE(Cli_Dfs88100::stCdClienteToma, u"101"_s);
        QCOMPARE(Cli_Dfs88100::stCdFornecedorToma, u"201"_s);
    }

    // A role confirmed on a client that was deleted since shows an empty edit and name; a role
    // confirmed on "Todos" forgets the role's working party.
    void reopenRestoresTheParties()
    {
        QVERIFY(visit([](TfrmFiltroCTe *w) {
            child<QComboBox>(w, u"cbbSelToma"_s)->setCurrentIndex(selCliente);
            typeInto(edit(w, u"medClienteToma"_s), u"61348257000123"_s);
            child<QComboBox>(w, u"cbbSelRece"_s)->setCurrentIndex(selFornecedor);
            typeInto(edit(w, u"medFornecedorRece"_s), u"35791426000195"_s);
            child<QComboBox>(w, u"cbbSelDest"_s)->setCurrentIndex(selCliente);
            typeInto(edit(w, u"medClienteDest"_s), u"31874265909"_s);
            leave(w);
            child<QComboBox>(w, u"cbbSelDest"_s)->setCurrentIndex(selTodos);
            click(w, u"sbtConfirma"_s);
        }));
        QCOMPARE(Cli_Dfs88100::stCdClienteDest, u"105"_s);
        TADOIBQuery del;
        del.SetSQL(u"DELETE FROM CLIENTE WHERE CDCLIENTE = :C"_s);
        del.ParamByName(u"C"_s).SetAsString(u"101"_s);
        QCOMPARE(del.ExecSQL(), 1);

        QString toma, tomaName, rece, receName;
        int tomaPage = -1;
        visit([&](TfrmFiltroCTe *w) {
            toma = OnlyDigits(edit(w, u"medClienteToma"_s)->text());
            tomaName = edit(w, u"edtNmClienteToma"_s)->text();
            tomaPage = child<QStackedWidget>(w, u"nbkTomador"_s)->currentIndex();
            rece = OnlyDigits(edit(w, u"medFornecedorRece"_s)->text());
            receName = edit(w, u"edtNmFornecedorRece"_s)->text();
        });
        QCOMPARE(tomaPage, int(selCliente));
        QCOMPARE(toma, QString());
        QCOMPARE(tomaName, QString());
        QCOMPARE(rece, u"35791426000195"_s);
        QCOMPARE(receName, u"POSTO ESTRELA DA SERRA LTDA"_s);
        QCOMPARE(Cli_Dfs88100::stCdClienteDest, QString());
        QCOMPARE(filtro().RecCdClienteToma, u"101"_s);
    }

    // A party confirmed with a CNPJ comes back whole, formatted as a CNPJ, after a cancelled visit
    // that left a CPF (and its shorter mask) in the same edit.
    void restoredPartyKeepsItsOwnMask_data()
    {
        QTest::addColumn<QString>("role");
        QTest::addColumn<int>("selector");
        QTest::addColumn<QString>("confirmed");
        QTest::addColumn<QString>("formatted");
        QTest::addColumn<QString>("typedThenCancelled");
        QTest::newRow("client") << u"Toma"_s << int(selCliente) << u"61348257000123"_s
                                << u"61.348.257/0001-23"_s << u"31874265909"_s;
        QTest::newRow("supplier") << u"Rece"_s << int(selFornecedor) << u"35791426000195"_s
                                  << u"35.791.426/0001-95"_s << u"14592683773"_s;
        QTest::newRow("cpf after a cnpj") << u"Dest"_s << int(selCliente) << u"31874265909"_s
                                          << u"318.742.659-09"_s << u"61348257000123"_s;
    }
    void restoredPartyKeepsItsOwnMask()
    {
        QFETCH(QString, role);
        QFETCH(int, selector);
        QFETCH(QString, confirmed);
        QFETCH(QString, formatted);
        QFETCH(QString, typedThenCancelled);
        const QString med = (selector == selCliente ? u"medCliente"_s : u"medFornecedor"_s) + role;
        QVERIFY(visit([&](TfrmFiltroCTe *w) {
            child<QComboBox>(w, u"cbbSel"_s + role)->setCurrentIndex(selector);
            typeInto(edit(w, med), confirmed);
            leave(w);
            click(w, u"sbtConfirma"_s);
        }));
        QVERIFY(!visit([&](TfrmFiltroCTe *w) {
            typeInto(edit(w, med), typedThenCancelled);
            leave(w);
        }));
        QVERIFY(messages().isEmpty());
        QString shown;
        visit([&](TfrmFiltroCTe *w) { shown = edit(w, med)->text(); });
        QCOMPARE(shown, formatted);
    }

    // The supplier list: every supplier (inactive too), the person type by name and the
    // registration through its mask; the pick fills the edit and the name box only.
    void supplierLookUp()
    {
        QStringList rows;
        QStringList headers;
        QString title, picked, pickedName;
        visit([&](TfrmFiltroCTe *w) {
            child<QComboBox>(w, u"cbbSelToma"_s)->setCurrentIndex(selFornecedor);
            onDialog(w, [&](QWidget *dlg) {
                title = dlg->windowTitle();
                auto *grid = child<TDBGrid>(dlg, u"dbgPesquisa"_s);
                QAbstractItemModel *model = grid->DataModel();
                for (int c = 0; c < model->columnCount(); ++c)
                    headers << model->headerData(c, Qt::Horizontal).toString();
                for (int r = 0; r < model->rowCount(); ++r)
                    rows << cell(grid, r, 0) + u'|' + cell(grid, r, 1) + u'|' + cell(grid, r, 2);
                grid->DataSet()->Locate(u"CDFORNECED"_s, u"203"_s);
                click(dlg, u"btnOK"_s);
            });
            click(w, u"btnFornecedorToma"_s);
            picked = OnlyDigits(edit(w, u"medFornecedorToma"_s)->text());
            pickedName = edit(w, u"edtNmFornecedorToma"_s)->text();
        });
        QCOMPARE(title, u"Fornecedor"_s);
        QCOMPARE(headers,
                 (QStringList {u"Código"_s, u"Tipo"_s, u"Inscrição"_s, u"Razão Social"_s,
                               u"Nome Fantasia"_s}));
        QCOMPARE(rows.size(), 7);
        QVERIFY2(rows.contains(u"203|Física|145.926.837-73"_s), qPrintable(rows.join(u", "_s)));
        QVERIFY2(rows.contains(u"204|Jurídica|64.920.817/0001-60"_s),
                 qPrintable(rows.join(u", "_s)));
        QCOMPARE(picked, u"14592683773"_s);
        QCOMPARE(pickedName, u"ANTONIO FERREIRA DA SILVA"_s);
        QCOMPARE(Cli_Dfs88100::stCdFornecedorToma, QString());
    }

private:
    std::unique_ptr<RecordingMessageSink> m_sink;
    QTemporaryDir m_dir;
    QString m_template;
    int m_case = 0;
};

QTEST_MAIN(TestFiltroCTe)
#include "tst_filtro_cte.moc"
