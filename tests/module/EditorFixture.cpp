#include "EditorFixture.h"

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
#include "DBGrid.h"
#include "DBLookupComboBox.h"
#include "Exceptions.h"
#include "ModalHelper.h"
#include "Orvglob.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QSqlError>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTest>

using namespace Qt::StringLiterals;

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

void EditorFixture::startServer(const QStringList &args, const QProcessEnvironment &env)
{
    if (!m_db)
        m_db = std::make_unique<TestDatabase>();
    m_server = std::make_unique<ServerProcess>(m_db->connectionString(), args, env);
    QVERIFY(m_server->port() > 0);
}

void EditorFixture::stopServer()
{
    m_server.reset();
    m_db.reset();
}

void EditorFixture::beginCase(int port)
{
    Cli_Dfs88000::ResetUnit();
    Orvglob::Reset();
    Orvglob::DBConnection = m_db->connectionString();
    Orvglob::EmprProc = u"01"_s;
    Orvglob::FiliProc = u"0001"_s;
    Orvglob::DataProc = QDate::currentDate();
    Orvglob::UsuarioProc = u"tester"_s;
    Orvglob::SenhaProc = TestDatabase::password();
    Orvglob::WebURL = u"127.0.0.1"_s;
    Orvglob::WebPort = port;
    m_sink = std::make_unique<RecordingMessageSink>();
}

void EditorFixture::openEditor()
{
    Cli_Dfs88000::CriaCTe();
    m_frm = Cli_Dfs88000::frmCTe;
    QVERIFY(m_frm);
    QVERIFY(QTest::qWaitForWindowExposed(m_frm));
}

void EditorFixture::endCase()
{
    if (m_frm) {
        for (TClientDataSet *child : {m_frm->cdsCTeDocFiscais, m_frm->cdsCTeInfQtCarga,
                                      m_frm->cdsCTeDadosAdic, m_frm->cdsCTeCompValor}) {
            if (child->Active())
                child->Cancel();
        }
        // Its reload may find a filter the case left failing.
        if (m_frm->cdsCTe->Active() && m_frm->cdsCTe->State() != dsBrowse)
            FrameworkGuard([this] { m_frm->cdsCTe->Cancel(); });
        m_frm->Close();
    }
    m_frm = nullptr;
    flushDeletes();
    for (void (*reset)() :
         {Cli_Dfs88100::ResetUnit, Cli_Dfs88200::ResetUnit, Cli_Dfs88300::ResetUnit,
          Cli_Dfs88400::ResetUnit, Cli_Dfs88500::ResetUnit, Cli_Dfs88600::ResetUnit,
          Cli_Dfs88700::ResetUnit, Cli_Dfs88800::ResetUnit, Cli_Dfs88900::ResetUnit,
          Cli_Dfs88000::ResetUnit})
        reset();
    m_sink.reset();
}

void EditorFixture::activate()
{
    m_frm->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_frm));
}

void EditorFixture::confirmaFiltroAoSairDoPainel()
{
    WhenModal([](QWidget *w) {
        if (auto *b = w->findChild<QAbstractButton *>(u"sbtConfirma"_s))
            b->click();
    });
    m_frm->dbgPadrao->setFocus();
    QTRY_VERIFY(m_frm->cdsCTe->Active());
    activate();
}

void EditorFixture::listar(const QString &situacoes)
{
    activate();
    if (m_frm->medCdEmpresa->hasFocus())
        confirmaFiltroAoSairDoPainel();
    QVERIFY(Cli_Dfs88100::frmFiltroCTe);
    TRecordFilter &f = Cli_Dfs88100::frmFiltroCTe->Filtro;
    f.RecDataSaidIni = QDate(2000, 1, 1);
    f.RecDataSaidFim = QDate::currentDate().addDays(1);
    f.RecSitAceito = situacoes.contains(u'A');
    f.RecSitCancelado = situacoes.contains(u'C');
    f.RecSitDenegado = situacoes.contains(u'D');
    f.RecSitPendente = situacoes.contains(u'P');
    f.RecSitRejeitado = situacoes.contains(u'R');
    f.RecSitTransmitido = situacoes.contains(u'T');
    Cli_Dfs88000::inCount = 0;
    m_frm->CarregaDadosGerais();
    activate();
}

QStringList EditorFixture::marcas() const
{
    QStringList out;
    const TField *check = m_frm->cdsCTe->FieldByName(u"IDCHECK"_s);
    for (int row = 0; row < m_frm->cdsCTe->RecordCount(); ++row)
        out << m_frm->cdsCTe->ValueAt(row, check).toString();
    return out;
}

QAction *EditorFixture::acao(const QString &name) const
{
    return m_frm->findChild<QAction *>(name);
}

void EditorFixture::trigger(const QString &name)
{
    QAction *a = acao(name);
    QVERIFY2(a && a->isEnabled(), qPrintable(name));
    a->trigger();
}

QString EditorFixture::campo(const QString &name) const
{
    return m_frm->cdsCTe->FieldByName(name)->AsString();
}

double EditorFixture::valor(const QString &name) const
{
    return m_frm->cdsCTe->FieldByName(name)->AsFloat();
}

void EditorFixture::atribui(const QString &name, const QString &value)
{
    m_frm->cdsCTe->FieldByName(name)->SetAsString(value);
}

void EditorFixture::atribuiRota()
{
    for (const auto &[field, value] : {std::pair {u"CDTIPOOPER", u"01"},
                                       {u"CDPAISINISERV", u"1058"},
                                       {u"SGESTADOINISERV", u"SP"},
                                       {u"CDMUNICINISERV", u"0950"},
                                       {u"CDPAISFIMSERV", u"1058"},
                                       {u"SGESTADOFIMSERV", u"SP"},
                                       {u"CDMUNICFIMSERV", u"5030"}})
        atribui(QString::fromUtf16(field), QString::fromUtf16(value));
}

void EditorFixture::anexaDocumentoFiscal()
{
    TClientDataSet *docs = m_frm->cdsCTeDocFiscais;
    const TDataSetNotifyEvent check = std::exchange(docs->BeforePost, nullptr);
    docs->Append();
    docs->FieldByName(u"CDCTE"_s)->SetAsFloat(valor(u"CDCTE"_s));
    docs->FieldByName(u"NRACESSONFE"_s)
        ->SetAsString(u"35261218462731000114550010000001231000001230"_s);
    docs->Post();
    docs->BeforePost = check;
}

void EditorFixture::pagina(QWidget *page)
{
    m_frm->pgcDados->setCurrentWidget(page);
    QCOMPARE(m_frm->pgcDados->currentWidget(), page);
}

void EditorFixture::foca(QWidget *w)
{
    w->setFocus();
    QTRY_VERIFY(w->hasFocus());
}

void EditorFixture::digita(QLineEdit *edit, const QString &text)
{
    foca(edit);
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    else
        QTest::keyClicks(edit, text);
}

void EditorFixture::vaiPara(QWidget *to)
{
    to->setFocus();
    QTest::qWait(0);
    QCoreApplication::processEvents();
}

void EditorFixture::sai(QWidget *edit, QWidget *to)
{
    QVERIFY(edit->hasFocus());
    vaiPara(to);
}

void EditorFixture::tecla(const QString &text)
{
    for (const QChar c : text)
        QTest::keyClicks(QApplication::focusWidget(), QString(c));
}

void EditorFixture::escolhe(TDBLookupComboBox *combo, const QString &key)
{
    const int alvo = combo->findData(key);
    QVERIFY2(alvo >= 0, qPrintable(key));
    foca(combo);
    for (int i = 0; i < combo->count() && combo->currentIndex() != alvo; ++i)
        QTest::keyClick(combo, combo->currentIndex() < alvo ? Qt::Key_Down : Qt::Key_Up);
    QCOMPARE(combo->KeyValue(), key);
}

void EditorFixture::pesquisa(const std::function<void()> &open,
                             const std::function<void(TDBGrid *)> &act)
{
    // Shared: a list that never opens leaves the answer waiting beyond this call.
    auto shown = std::make_shared<bool>(false);
    WhenModal([act, shown](QWidget *dlg) {
        *shown = true;
        if (auto *grid = dlg->findChild<TDBGrid *>(u"dbgPesquisa"_s))
            act(grid);
        if (auto *ok = dlg->findChild<QAbstractButton *>(u"btnOK"_s))
            ok->click();
        if (dlg->isVisible())
            dlg->close();
    });
    open();
    QVERIFY2(*shown, "no look-up list opened");
    activate();
}

void EditorFixture::pesquisaF9(QLineEdit *edit, const QString &keyField, const QVariant &key)
{
    foca(edit);
    pesquisa([edit] { QTest::keyClick(edit, Qt::Key_F9); },
             [keyField, key](TDBGrid *grid) {
                 QVERIFY2(grid->DataSet()->Locate(keyField, key), qPrintable(key.toString()));
             });
}

QStringList EditorFixture::textsOf(TMsgKind kind) const
{
    QStringList out;
    for (const auto &e : m_sink->entries()) {
        if (e.kind == kind)
            out << e.text;
    }
    return out;
}

QString EditorFixture::lastError() const
{
    const QStringList all = textsOf(TMsgKind::Error);
    return all.isEmpty() ? QString() : all.last();
}

qsizetype EditorFixture::calls(const QString &operation) const
{
    return m_server->log().count(u"op="_s + operation + u' ');
}

QVariant EditorFixture::sql(const QString &text, const QVariantList &args) const
{
    QSqlQuery q(m_db->db());
    q.prepare(text);
    for (const QVariant &a : args)
        q.addBindValue(a);
    if (!q.exec())
        qFatal("%s: %s", qPrintable(text), qPrintable(q.lastError().text()));
    return q.next() ? q.value(0) : QVariant();
}
