// The fiscal documents, cargo quantities and observations of a CT-e, driven through the real
// editor, offscreen, against a real cte-server on a loopback port. The run's database holds the
// demo data and two invoices of its own: A (100 kg, 3 volumes) and B (50 kg, 2 volumes).
#include "BtnPesquisa.h"
#include "Cli_Dfs88000.h"
#include "Cli_Dfs88100.h"
#include "ClientDataSet.h"
#include "DBEdit.h"
#include "DBGrid.h"
#include "DataSource.h"
#include "DateEditPlus.h"
#include "EditorFixture.h"
#include "Exceptions.h"
#include "ModalHelper.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

// An NF-e access key: the 43 digits given and their mod-11 check digit.
QString accessKey(const QString &digits43)
{
    int sum = 0;
    int weight = 2;
    for (qsizetype i = digits43.size() - 1; i >= 0; --i) {
        sum += digits43.at(i).digitValue() * weight;
        weight = weight == 9 ? 2 : weight + 1;
    }
    const int rest = sum % 11;
    return digits43 + QString::number(rest < 2 ? 0 : 11 - rest);
}

struct Invoice
{
    QString key;
    QString entry;
    double weight;
    double volumes;
};

const QString kBranch = u"0009"_s;
const QString kLongProduct
    = u"ESTRUTURA METALICA PRE-FABRICADA PARA GALPAO INDUSTRIAL COM COBERTURA TERMOACUSTICA"_s;
const Invoice kA {accessKey(u"4126116134825700012355001000090001119000012"_s), u"900001"_s, 100, 3};
const Invoice kB {accessKey(u"4126116134825700012355001000090002119000025"_s), u"900002"_s, 50, 2};

const Invoice &invoice(const QString &name)
{
    return name == u"A" ? kA : kB;
}

} // namespace

class TestCTeCargo : public EditorFixture
{
    Q_OBJECT

    // The date window of the look-up list, in days from today.
    void janela(int from, int to)
    {
        m_frm->depEmissaoIni->SetDate(QDate::currentDate().addDays(from));
        m_frm->depEmissaoFim->SetDate(QDate::currentDate().addDays(to));
    }

    // A new document, on the page of the fiscal documents, with a window of the last 30 days.
    void novoDocumento()
    {
        listar(u"P"_s);
        trigger(u"mnuIncluir"_s);
        QCOMPARE(m_frm->cdsCTe->State(), dsInsert);
        m_frm->pgcDados->setCurrentWidget(m_frm->tshInfCTeNormalSubstituto);
        janela(-30, 0);
    }

    QModelIndex celula(TDBGrid *grade, const QString &field)
    {
        return grade->DataModel()->index(grade->DataSet()->CurrentRow(), IndiceCol(grade, field));
    }

    QLineEdit *editorAberto(TDBGrid *grade)
    {
        for (QLineEdit *e : grade->findChildren<QLineEdit *>(u"edtCelula"_s)) {
            if (e->isVisible())
                return e;
        }
        return nullptr;
    }

    // Adds a fiscal document as the user does: a new row, its access key typed in the key cell
    // ("chave") or picked from the look-up list ("lista"), then the key column left.
    void adiciona(const QString &name, const QString &como)
    {
        const Invoice &doc = invoice(name);
        TDBGrid *grade = m_frm->dbgDocFiscais;
        activate();
        foca(grade);
        QVERIFY(FrameworkGuard([&] { m_frm->cdsCTeDocFiscais->Append(); }));
        const QModelIndex chave = celula(grade, u"NRACESSONFE"_s);
        grade->setCurrentIndex(chave);
        grade->edit(chave);
        QLineEdit *editor = editorAberto(grade);
        QVERIFY(editor);
        if (como == u"chave") {
            editor->setText(doc.key);
        } else {
            WhenModal([&doc](QWidget *w) {
                auto *lista = w->findChild<TDBGrid *>(u"dbgPesquisa"_s);
                if (lista && lista->DataSet()->Locate(u"NRACESSONFE"_s, doc.key))
                    w->findChild<QAbstractButton *>(u"btnOK"_s)->click();
                else
                    w->findChild<QAbstractButton *>(u"btnCancelar"_s)->click();
            });
            auto *reticencias = grade->findChild<QToolButton *>(u"btnReticencias"_s);
            QVERIFY(reticencias);
            reticencias->click();
            QCOMPARE(editor->text(), doc.key);
        }
        grade->setCurrentIndex(celula(grade, u"CDSERIE"_s));
    }

    // Removes a fiscal document as the user does: Ctrl+Delete on its row, and OK.
    void remove(const QString &name)
    {
        TClientDataSet *docs = m_frm->cdsCTeDocFiscais;
        const int rows = docs->RecordCount();
        QVERIFY(docs->Locate(u"NRACESSONFE"_s, invoice(name).key));
        TDBGrid *grade = m_frm->dbgDocFiscais;
        activate();
        foca(grade);
        m_sink->queueAnswer(mbOK);
        QTest::keyClick(grade, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(docs->RecordCount(), rows - 1);
    }

    // "gross/volumes" of the rows the system keeps, "-" for one that does not exist.
    QString mantidas()
    {
        TClientDataSet *q = m_frm->cdsCTeInfQtCarga;
        QString peso = u"-"_s;
        QString volumes = u"-"_s;
        int sistema = 0;
        for (int row = 0; row < q->RecordCount(); ++row) {
            if (q->ValueAt(row, q->FieldByName(u"IDGERADAAUTO"_s)).toString() != u"S")
                continue;
            ++sistema;
            const QString unidade = q->ValueAt(row, q->FieldByName(u"CDUNIDMEDIDA"_s)).toString();
            const QString valor
                = QString::number(q->ValueAt(row, q->FieldByName(u"QTCARGA"_s)).toDouble());
            (unidade == u"01" ? peso : volumes) = valor;
        }
        return sistema > 2 ? u"rows %1"_s.arg(sistema) : peso + u"/"_s + volumes;
    }

    // The four rows of the user a new document starts with, untouched.
    void linhasDoUsuarioIntactas()
    {
        TClientDataSet *q = m_frm->cdsCTeInfQtCarga;
        QStringList usuario;
        for (int row = 0; row < q->RecordCount(); ++row) {
            if (q->ValueAt(row, q->FieldByName(u"IDGERADAAUTO"_s)).toString() == u"S")
                continue;
            usuario << q->ValueAt(row, q->FieldByName(u"CDUNIDMEDIDA"_s)).toString() + u":"_s
                    + QString::number(q->ValueAt(row, q->FieldByName(u"QTCARGA"_s)).toDouble());
        }
        QCOMPARE(usuario, (QStringList {u"01:0"_s, u"01:0"_s, u"00:0"_s, u"03:0"_s}));
    }

    void posicionaQuantidade(const QString &generated)
    {
        QVERIFY(m_frm->cdsCTeInfQtCarga->Locate(u"IDGERADAAUTO"_s, generated));
    }

private slots:
    void initTestCase()
    {
        m_db = std::make_unique<TestDatabase>();
        const QDateTime issued(QDate::currentDate().addDays(-20), QTime(9, 0));
        for (const Invoice &inv : {kA, kB}) {
            sql(u"INSERT INTO NOTAFISCAL (CDFILIAL, NRLANCTONF, CDEMPRESA, NRACESSONFE, "
                "NRINSJURNF, NMRAZSOCNF, CDSERIE, NRNOTAFISC, DTEMISSAO, CDMODDOCFISC, VRNOTAFISC, "
                "VRPRODUTOS, VRPBRUTOVOLU, VRPLIQUVOLU, QTVOLUMES) VALUES (?, ?, '01', ?, "
                "'27451963000168', 'COMERCIAL DE ALIMENTOS BOA MESA LTDA', '1', ?, ?, '55', 5000, "
                "5000, ?, ?, ?)"_s,
                {kBranch, inv.entry, inv.key, inv.entry.right(4), issued, inv.weight,
                 inv.weight * 0.9, inv.volumes});
        }
        const QList<QVariantList> items {
            {kA.entry, 1, u"PA-01"_s, kLongProduct, 10, u"UN"_s, 450.0, 4500.0},
            {kA.entry, 2, u"PA-02"_s, u"PARAFUSO SEXTAVADO 1/2 POL"_s, 1000, u"UN"_s, 0.5, 500.0},
            {kB.entry, 1, u"PB-01"_s, u"CAIXA DE PAPELAO ONDULADO"_s, 2000, u"UN"_s, 2.5, 5000.0}};
        for (const QVariantList &item : items) {
            sql(u"INSERT INTO NOTAFISCALITEM (CDFILIAL, NRLANCTONF, NRITEM, CDPRODUTO, NMPRODUTO, "
                "QTITEMPROD, SGUNIDADE, VRUNITITEM, VRTOTAITEM) VALUES ('0009', ?, ?, ?, ?, ?, ?, "
                "?, ?)"_s,
                item);
        }
        startServer();
    }

    // --- the sums the system keeps ----------------------------------------------------------

    // Steps: "+A:chave" adds A by its key, "+B:lista" picks B from the look-up list, "-A"
    // removes A, "janela:hoje" moves the date window to today (A and B are 20 days old),
    // "peso:A" changes A's gross weight behind the editor's back.
    void quantitiesFollowTheFiscalDocuments_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("kept"); // gross weight / volumes
        QTest::addColumn<int>("documents");
        QTest::newRow("one by its key") << QStringList {u"+A:chave"_s} << u"100/3"_s << 1;
        QTest::newRow("one from the list") << QStringList {u"+A:lista"_s} << u"100/3"_s << 1;
        QTest::newRow("two") << QStringList {u"+A:chave"_s, u"+B:lista"_s} << u"150/5"_s << 2;
        QTest::newRow("second removed")
            << QStringList {u"+A:lista"_s, u"+B:chave"_s, u"-B"_s} << u"100/3"_s << 1;
        QTest::newRow("both removed")
            << QStringList {u"+A:chave"_s, u"+B:chave"_s, u"-B"_s, u"-A"_s} << u"-/-"_s << 0;
        QTest::newRow("removed after the window moved")
            << QStringList {u"+A:lista"_s, u"janela:hoje"_s, u"-A"_s} << u"-/-"_s << 0;
        QTest::newRow("removed after the invoice's weight changed")
            << QStringList {u"+A:chave"_s, u"peso:A"_s, u"-A"_s} << u"-/-"_s << 0;
        QTest::newRow("one of two removed after the window moved")
            << QStringList {u"+A:lista"_s, u"+B:lista"_s, u"janela:hoje"_s, u"-A"_s} << u"50/2"_s
            << 1;
    }
    void quantitiesFollowTheFiscalDocuments()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, kept);
        QFETCH(int, documents);
        novoDocumento();
        QCOMPARE(mantidas(), u"0/-"_s);
        const auto pesoOriginal = qScopeGuard([this] {
            sql(u"UPDATE NOTAFISCAL SET VRPBRUTOVOLU = ? WHERE NRACESSONFE = ?"_s,
                {kA.weight, kA.key});
        });
        for (const QString &step : steps) {
            if (step.startsWith(u'+'))
                adiciona(step.mid(1, 1), step.mid(3));
            else if (step.startsWith(u'-'))
                remove(step.mid(1));
            else if (step.startsWith(u"peso"))
                sql(u"UPDATE NOTAFISCAL SET VRPBRUTOVOLU = ? WHERE NRACESSONFE = ?"_s,
                    {kA.weight + 7, kA.key});
            else
                janela(0, 0);
            QCOMPARE(errors(), 0);
        }
        QCOMPARE(mantidas(), kept);
        linhasDoUsuarioIntactas();
        QCOMPARE(m_frm->cdsCTeDocFiscais->RecordCount(), documents);
        QCOMPARE(Cli_Dfs88000::slCTeDocFiscais.size(), documents);
        // Each listed key is a row's branch followed by its entry.
        for (const QString &key : std::as_const(Cli_Dfs88000::slCTeDocFiscais)) {
            QVERIFY(key.startsWith(kBranch));
            QVERIFY(m_frm->cdsCTeDocFiscais->Locate(u"NRLANCTONF"_s, key.mid(4)));
        }
    }

    // The same document twice is refused at the second post, however each was named.
    void aDocumentOnlyOnce_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("same branch and entry twice") << u"lista"_s << u"lista"_s;
        QTest::newRow("same key twice") << u"chave"_s << u"chave"_s;
        QTest::newRow("key after picking it") << u"lista"_s << u"chave"_s;
        QTest::newRow("picked after its key") << u"chave"_s << u"lista"_s;
    }
    void aDocumentOnlyOnce()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        novoDocumento();
        adiciona(u"A"_s, first);
        QCOMPARE(errors(), 0);
        adiciona(u"A"_s, second);
        QCOMPARE(lastError(), u"Documento fiscal já informado."_s);
        QCOMPARE(m_frm->cdsCTeDocFiscais->State(), dsInsert);
        QCOMPARE(m_frm->pgcDados->currentWidget(), m_frm->tshInfCTeNormalSubstituto);
        QCOMPARE(m_frm->dbgDocFiscais->SelectedIndex(),
                 IndiceCol(m_frm->dbgDocFiscais, u"NRACESSONFE"_s));
        m_frm->cdsCTeDocFiscais->Cancel();
        QCOMPARE(m_frm->cdsCTeDocFiscais->RecordCount(), 1);
        QCOMPARE(mantidas(), u"100/3"_s);
        QCOMPARE(Cli_Dfs88000::slCTeDocFiscais, QStringList {kBranch + kA.entry});
    }

    void rowsTheServerDoesNotKnow_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("error");
        QTest::newRow("unknown key") << accessKey(u"3526126134825700012355001000099999119999999"_s)
                                     << u"Documento fiscal não cadastrado."_s;
        QTest::newRow("nothing typed") << QString() << u"Documentos fiscais deve ser informado."_s;
    }
    void rowsTheServerDoesNotKnow()
    {
        QFETCH(QString, typed);
        QFETCH(QString, error);
        novoDocumento();
        TClientDataSet *docs = m_frm->cdsCTeDocFiscais;
        docs->Append();
        docs->FieldByName(u"NRACESSONFE"_s)->SetAsString(typed);
        m_frm->pgcDados->setCurrentWidget(m_frm->tshIdentificacao);
        QVERIFY(!FrameworkGuard([&] { docs->Post(); }));
        QCOMPARE(lastError(), error);
        QCOMPARE(docs->State(), dsInsert);
        QCOMPARE(m_frm->pgcDados->currentWidget(), m_frm->tshInfCTeNormalSubstituto);
        QTRY_VERIFY(m_frm->dbgDocFiscais->hasFocus());
        QCOMPARE(mantidas(), u"0/-"_s);
        QVERIFY(Cli_Dfs88000::slCTeDocFiscais.isEmpty());
    }

    // --- the quantity list ------------------------------------------------------------------

    // A cell of a user row, then the column left: keys typed and Tab, or a text written as the
    // cell's editor writes it (a code picked from its list included). The unit column takes
    // digits only and refuses an unknown code, keeping the cell in its column; the measure
    // column turns letters to upper case.
    void quantityCell_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<bool>("typed");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("error");
        const QString unit = u"CDUNIDMEDIDA"_s;
        const QString invalid = u"Código da unidade de medida inválido."_s;
        QTest::newRow("measure in lower case")
            << u"DSTIPOMEDIDA"_s << true << u"peso"_s << u"PESO"_s << QString();
        QTest::newRow("unit: a code") << unit << true << u"02"_s << u"02"_s << QString();
        QTest::newRow("unit: letters are swallowed")
            << unit << true << u"0k-4"_s << u"04"_s << QString();
        QTest::newRow("unit: one digit is not taken")
            << unit << true << u"3"_s << u"01"_s << QString();
        QTest::newRow("unit: 07 is refused") << unit << true << u"07"_s << u"01"_s << invalid;
        QTest::newRow("unit: a letter first opens nothing")
            << unit << true << u"k"_s << u"01"_s << QString();
        QTest::newRow("unit written: one digit is not taken")
            << unit << false << u"3"_s << u"01"_s << QString();
        QTest::newRow("unit written: 07 is refused")
            << unit << false << u"07"_s << u"01"_s << invalid;
        QTest::newRow("unit written: picked from the list")
            << unit << false << u"02 - TON"_s << u"02"_s << QString();
        QTest::newRow("unit written: two-digit code")
            << unit << false << u"05"_s << u"05"_s << QString();
    }
    void quantityCell()
    {
        QFETCH(QString, column);
        QFETCH(bool, typed);
        QFETCH(QString, input);
        QFETCH(QString, stored);
        QFETCH(QString, error);
        novoDocumento();
        TDBGrid *grade = m_frm->dbgQuantidade;
        TClientDataSet *q = m_frm->cdsCTeInfQtCarga;
        QVERIFY(q->Locate(u"DSTIPOMEDIDA"_s, u"PESO AFERIDO"_s));
        activate();
        foca(grade);
        grade->setCurrentIndex(celula(grade, column));
        m_sink->clear();
        if (typed) {
            tecla(input);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        } else {
            QVERIFY(grade->DataModel()->setData(celula(grade, column), input, Qt::EditRole));
            grade->setCurrentIndex(celula(grade, u"DSTIPOMEDIDA"_s));
        }
        QCOMPARE(lastError(), error);
        QCOMPARE(q->FieldByName(column)->AsString(), stored);
        QCOMPARE(grade->SelectedIndex() == IndiceCol(grade, column), !error.isEmpty());
        // What the cell shows for the stored code.
        if (column == u"CDUNIDMEDIDA")
            QCOMPARE(q->FieldByName(column)->DisplayText().left(2), stored);
    }

    // The rows the system keeps refuse the user; the user's rows do not.
    void systemRowsRefuseTheUser_data()
    {
        QTest::addColumn<QString>("generated");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("error");
        QTest::newRow("edit a system row")
            << u"S"_s << u"edit"_s
            << u"Operação bloqueada. Este registro da quantidade da carga do CT-e não pode ser "
               "alterado pois ele está vinculada ao somatório do peso bruto dos documentos "
               "fiscais informados."_s;
        QTest::newRow("delete a system row")
            << u"S"_s << u"delete"_s
            << u"Operação bloqueada. Este registro da quantidade da carga do CT-e não pode ser "
               "excluído pois ele está vinculada ao somatório do peso bruto dos documentos "
               "fiscais informados."_s;
        QTest::newRow("edit a user row") << u"N"_s << u"edit"_s << QString();
        QTest::newRow("delete a user row") << u"N"_s << u"delete"_s << QString();
    }
    void systemRowsRefuseTheUser()
    {
        QFETCH(QString, generated);
        QFETCH(QString, operation);
        QFETCH(QString, error);
        novoDocumento();
        adiciona(u"A"_s, u"chave"_s);
        QCOMPARE(errors(), 0);
        TClientDataSet *q = m_frm->cdsCTeInfQtCarga;
        const int rows = q->RecordCount();
        posicionaQuantidade(generated);
        TDBGrid *grade = m_frm->dbgQuantidade;
        grade->setFocus();
        if (operation == u"edit") {
            // Typing in the quantity cell.
            const QModelIndex quantidade = celula(grade, u"QTCARGA"_s);
            grade->setCurrentIndex(quantidade);
            QTest::keyClick(grade, Qt::Key_7);
            QCOMPARE(q->State(), error.isEmpty() ? dsEdit : dsBrowse);
            QCOMPARE(editorAberto(grade) != nullptr, error.isEmpty());
            if (QLineEdit *editor = editorAberto(grade))
                QTest::keyClick(editor, Qt::Key_Escape);
            q->Cancel();
        } else {
            FrameworkGuard([&] { q->Delete(); });
            QCOMPARE(q->RecordCount(), error.isEmpty() ? rows - 1 : rows);
        }
        QCOMPARE(lastError(), error);
        if (generated == u"S")
            QCOMPARE(mantidas(), u"100/3"_s);
    }

    // A quantity row is checked before it is posted; a quantity of 0 is accepted.
    void quantityRowChecks_data()
    {
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QVariant>("amount");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("focused");
        QTest::newRow("complete") << u"04"_s << u"LITROS DE OLEO"_s << QVariant(12.5) << QString()
                                  << QString();
        QTest::newRow("quantity 0")
            << u"04"_s << u"LITROS"_s << QVariant(0.0) << QString() << QString();
        QTest::newRow("no unit")
            << QString() << u"LITROS"_s << QVariant(1.0)
            << u"Unidade de medida da quantidade da carga deve ser informada."_s
            << u"CDUNIDMEDIDA"_s;
        QTest::newRow("no measure")
            << u"04"_s << QString() << QVariant(1.0)
            << u"Tipo de medida da quantidade da carga deve ser informado."_s << u"DSTIPOMEDIDA"_s;
        QTest::newRow("no quantity")
            << u"04"_s << u"LITROS"_s << QVariant() << u"Quantidade da carga deve ser informada."_s
            << u"QTCARGA"_s;
    }
    void quantityRowChecks()
    {
        QFETCH(QString, unit);
        QFETCH(QString, kind);
        QFETCH(QVariant, amount);
        QFETCH(QString, error);
        QFETCH(QString, focused);
        novoDocumento();
        m_frm->pgcDados->setCurrentWidget(m_frm->tshDadosCompl);
        TClientDataSet *q = m_frm->cdsCTeInfQtCarga;
        q->Append();
        QCOMPARE(q->FieldByName(u"IDGERADAAUTO"_s)->AsString(), u"N"_s);
        q->FieldByName(u"CDUNIDMEDIDA"_s)->SetAsString(unit);
        q->FieldByName(u"DSTIPOMEDIDA"_s)->SetAsString(kind);
        q->FieldByName(u"QTCARGA"_s)->SetValue(amount);
        const bool posted = FrameworkGuard([&] { q->Post(); });
        QCOMPARE(posted, error.isEmpty());
        QCOMPARE(lastError(), error);
        if (!posted) {
            QCOMPARE(m_frm->pgcDados->currentWidget(), m_frm->tshInfCTeNormalSubstituto);
            QCOMPARE(m_frm->dbgQuantidade->SelectedIndex(),
                     IndiceCol(m_frm->dbgQuantidade, focused));
            QTRY_VERIFY(m_frm->dbgQuantidade->hasFocus());
        } else {
            QCOMPARE(q->RecordCount(), 6);
        }
    }

    // --- the predominant product ------------------------------------------------------------

    void predominantProduct()
    {
        novoDocumento();
        adiciona(u"A"_s, u"chave"_s);
        adiciona(u"B"_s, u"lista"_s);
        QCOMPARE(errors(), 0);
        QVERIFY(m_frm->btpProdPredomina->isEnabled());
        QStringList offered;
        pesquisa([this] { m_frm->btpProdPredomina->click(); },
                 [&offered](TDBGrid *lista) {
                     TClientDataSet *ds = lista->DataSet();
                     for (int row = 0; row < ds->RecordCount(); ++row)
                         offered << ds->ValueAt(row, ds->FieldByName(u"NMPRODUTO"_s)).toString();
                     QVERIFY(ds->Locate(u"CDPRODUTO"_s, u"PA-01"_s));
                 });
        QCOMPARE(errors(), 0);
        // The products of A and B, in the order of the documents.
        QCOMPARE(offered,
                 (QStringList {kLongProduct, u"PARAFUSO SEXTAVADO 1/2 POL"_s,
                               u"CAIXA DE PAPELAO ONDULADO"_s}));
        QVERIFY(kLongProduct.size() > 60);
        QCOMPARE(campo(u"DSPRODPREDOMINA"_s), kLongProduct.left(60));
    }

    // --- observations -----------------------------------------------------------------------

    // The ellipsis of the observation column over a new row: a message picked, or none.
    void observationLookUp_data()
    {
        QTest::addColumn<QString>("picked"); // message code, empty: the look-up is cancelled
        QTest::addColumn<int>("rows");
        QTest::newRow("a message picked") << u"005"_s << 1;
        QTest::newRow("nothing picked") << QString() << 0;
    }
    void observationLookUp()
    {
        QFETCH(QString, picked);
        QFETCH(int, rows);
        novoDocumento();
        m_frm->pgcDados->setCurrentWidget(m_frm->tshDadosCompl);
        TDBGrid *grade = m_frm->dbgObsGerais;
        TClientDataSet *obs = m_frm->cdsCTeDadosAdic;
        grade->setFocus();
        obs->Append();
        const QModelIndex texto = celula(grade, u"DSDADOADIC"_s);
        grade->setCurrentIndex(texto);
        grade->edit(texto);
        QStringList offered;
        WhenModal([&offered, picked](QWidget *w) {
            TClientDataSet *ds = w->findChild<TDBGrid *>(u"dbgPesquisa"_s)->DataSet();
            for (int row = 0; row < ds->RecordCount(); ++row)
                offered << ds->ValueAt(row, ds->FieldByName(u"CDMENSAGEM"_s)).toString();
            if (!picked.isEmpty() && ds->Locate(u"CDMENSAGEM"_s, picked))
                w->findChild<QAbstractButton *>(u"btnOK"_s)->click();
            else
                w->findChild<QAbstractButton *>(u"btnCancelar"_s)->click();
        });
        grade->findChild<QToolButton *>(u"btnReticencias"_s)->click();
        // Only the active messages, by code.
        QCOMPARE(offered, (QStringList {u"001"_s, u"002"_s, u"003"_s, u"005"_s, u"007"_s}));
        if (picked.isEmpty()) {
            QCOMPARE(obs->State(), dsBrowse);
        } else {
            QCOMPARE(obs->FieldByName(u"CDMENSAGEM"_s)->AsString(), picked);
            QCOMPARE(editorAberto(grade)->text(),
                     u"MERCADORIA TRANSPORTADA SOB RESPONSABILIDADE DO REMETENTE ATE A ENTREGA"_s);
            grade->setCurrentIndex({});
            QVERIFY(FrameworkGuard([&] { obs->Post(); }));
        }
        QCOMPARE(errors(), 0);
        QCOMPARE(obs->RecordCount(), rows);
        if (rows)
            QCOMPARE(obs->FieldByName(u"DSDADOADIC"_s)->AsString(),
                     u"MERCADORIA TRANSPORTADA SOB RESPONSABILIDADE DO REMETENTE ATE A ENTREGA"_s);
    }

    void emptyObservationIsRefused()
    {
        novoDocumento();
        TClientDataSet *obs = m_frm->cdsCTeDadosAdic;
        obs->Append();
        QVERIFY(!FrameworkGuard([&] { obs->Post(); }));
        QCOMPARE(lastError(), u"Mensagem deve ser informada."_s);
        QCOMPARE(m_frm->pgcDados->currentWidget(), m_frm->tshDadosCompl);
        QTRY_VERIFY(m_frm->dbgObsGerais->hasFocus());
        QCOMPARE(obs->State(), dsInsert);
    }

    // --- the date window --------------------------------------------------------------------

    void dateWindowIsCheckedOnLeaving_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("empty");
        QTest::addColumn<QString>("error");
        QTest::newRow("ordered") << -5 << 0 << false << QString();
        QTest::newRow("one day") << -5 << -5 << false << QString();
        QTest::newRow("reversed")
            << 0 << -5 << false
            << u"Data de emissão inicial deve ser menor ou igual a data de emissão final."_s;
        QTest::newRow("empty") << 0 << 0 << true << u"Data de emissão deve ser informada."_s;
    }
    void dateWindowIsCheckedOnLeaving()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(bool, empty);
        QFETCH(QString, error);
        novoDocumento();
        janela(from, to);
        if (empty)
            m_frm->depEmissaoFim->SetDate({});
        foca(m_frm->depEmissaoIni);
        m_sink->clear();
        m_frm->dbeValorTotal->setFocus();
        QCOMPARE(lastError(), error);
        if (!error.isEmpty())
            QTRY_VERIFY(m_frm->depEmissaoIni->hasFocus());
    }

    // --- the whole document -----------------------------------------------------------------

    // A pending document of the demo data gets two invoices, its predominant product and an
    // observation, and is saved: the server holds the lists and the sums.
    void savesTheDocumentWithItsLists()
    {
        listar(u"P"_s);
        QVERIFY(m_frm->cdsCTe->Locate(u"IDSTATUSCTE"_s, u"P"_s));
        const double key = campo(u"CDCTE"_s).toDouble();
        trigger(u"mnuAlterar"_s);
        m_frm->pgcDados->setCurrentWidget(m_frm->tshInfCTeNormalSubstituto);
        janela(-30, 0);
        const QString antes = mantidas();
        adiciona(u"A"_s, u"lista"_s);
        adiciona(u"B"_s, u"chave"_s);
        QCOMPARE(errors(), 0);
        pesquisa(
            [this] { m_frm->btpProdPredomina->click(); },
            [](TDBGrid *lista) { QVERIFY(lista->DataSet()->Locate(u"CDPRODUTO"_s, u"PB-01"_s)); });
        TClientDataSet *obs = m_frm->cdsCTeDadosAdic;
        obs->Append();
        obs->FieldByName(u"DSDADOADIC"_s)->SetAsString(u"ENTREGA AGENDADA"_s);
        obs->Post();
        QCOMPARE(errors(), 0);
        trigger(u"mnuConfirmar"_s);
        QCOMPARE(errors(), 0);
        QCOMPARE(m_frm->cdsCTe->State(), dsBrowse);
        QCOMPARE(campo(u"CDCTE"_s).toDouble(), key);
        QCOMPARE(campo(u"DSPRODPREDOMINA"_s), u"CAIXA DE PAPELAO ONDULADO"_s);

        QCOMPARE(sql(u"SELECT COUNT(*) FROM CTEDOCFISCAIS WHERE CDCTE = ?"_s, {key}).toInt(), 2);
        QCOMPARE(sql(u"SELECT QTCARGA FROM CTEINFQTCARGA WHERE CDCTE = ? AND IDGERADAAUTO = 'S' "
                     "AND CDUNIDMEDIDA = '01'"_s,
                     {key})
                     .toDouble(),
                 antes.section(u'/', 0, 0).toDouble() + 150);
        QCOMPARE(sql(u"SELECT QTCARGA FROM CTEINFQTCARGA WHERE CDCTE = ? AND IDGERADAAUTO = 'S' "
                     "AND CDUNIDMEDIDA = '03'"_s,
                     {key})
                     .toDouble(),
                 5.0);
        QCOMPARE(sql(u"SELECT DSDADOADIC FROM CTEDADOSADIC WHERE CDCTE = ?"_s, {key}),
                 QVariant(u"ENTREGA AGENDADA"_s));
        // Back from the server, the editor lists both documents under their keys.
        QCOMPARE(m_frm->cdsCTeDocFiscais->RecordCount(), 2);
        QCOMPARE(Cli_Dfs88000::slCTeDocFiscais,
                 (QStringList {kBranch + kA.entry, kBranch + kB.entry}));
    }
};

QTEST_MAIN(TestCTeCargo)
#include "tst_cte_cargo.moc"
