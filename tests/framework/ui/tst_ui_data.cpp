#include "BtnPesquisa.h"
#include "ClientDataSet.h"
#include "DBCheckBox.h"
#include "DBEdit.h"
#include "DBGrid.h"
#include "DBLookupComboBox.h"
#include "DBNavigator.h"
#include "DBText.h"
#include "DataSource.h"
#include "DateEditPlus.h"
#include "Exceptions.h"
#include "Lookup.h"
#include "Masks.h"
#include "ModalHelper.h"
#include "RecordingMessageSink.h"
#include "TfrmPadrao.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCalendarWidget>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using contracts::FieldType;

namespace {

// Three clients; CDCLIENTE read-only in the grid tests through its column.
std::unique_ptr<TClientDataSet> clients()
{
    auto ds = std::make_unique<TClientDataSet>(nullptr, u"cdsCliente"_s);
    ds->AddField(u"CDCLIENTE"_s, FieldType::String, 6);
    ds->AddField(u"NMCLIENTE"_s, FieldType::String, 30);
    ds->AddField(u"CDARVPROD"_s, FieldType::String, 9);
    ds->AddField(u"IDATIVO"_s, FieldType::FixedString, 1);
    ds->AddField(u"IDTIPO"_s, FieldType::FixedString, 1);
    ds->AddField(u"DTCADASTRO"_s, FieldType::DateTime);
    ds->CreateDataSet();
    const QList<QVariantList> rows {
        {u"000001"_s, u"ALFA TRANSPORTES"_s, u"010020003"_s, u"S"_s, u"J"_s,
         QDateTime(QDate(2026, 1, 5), QTime(10, 30))},
        {u"000002"_s, u"BETA LOGISTICA"_s, u"020030004"_s, u"N"_s, u"F"_s,
         QDateTime(QDate(2026, 2, 6), QTime(0, 0))},
        {u"000003"_s, u"GAMA CARGAS"_s, QVariant(), u"S"_s, u"X"_s, QVariant()},
    };
    for (const QVariantList &r : rows) {
        ds->Append();
        for (int i = 0; i < r.size(); ++i)
            ds->Fields().at(i)->SetValue(r.at(i));
        ds->Post();
    }
    ds->MergeChangeLog();
    ds->First();
    return ds;
}

std::unique_ptr<TClientDataSet> personTypes()
{
    auto ds = std::make_unique<TClientDataSet>(nullptr, u"cdsTipo"_s);
    ds->AddField(u"CODIGO"_s, FieldType::String, 1);
    ds->AddField(u"DESCRICAO"_s, FieldType::String, 20);
    ds->CreateDataSet();
    for (const auto &[code, text] : {std::pair {u"F"_s, u"Física"_s}, {u"J"_s, u"Jurídica"_s}}) {
        ds->Append();
        ds->FieldByName(u"CODIGO"_s)->SetAsString(code);
        ds->FieldByName(u"DESCRICAO"_s)->SetAsString(text);
        ds->Post();
    }
    ds->MergeChangeLog();
    return ds;
}

// One row with a registration field, as a party section holds it.
std::unique_ptr<TClientDataSet> registrations(const QString &stored)
{
    auto ds = std::make_unique<TClientDataSet>(nullptr, u"cdsParte"_s);
    ds->AddField(u"NRINSJUR"_s, FieldType::String, 20);
    ds->CreateDataSet();
    ds->Append();
    ds->FieldByName(u"NRINSJUR"_s)->SetAsString(stored);
    ds->Post();
    ds->MergeChangeLog();
    return ds;
}

void flush()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

} // namespace

class TestUiData : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_ds = clients();
        m_source = std::make_unique<TDataSource>(nullptr, u"dtsCliente"_s);
        m_source->SetDataSet(m_ds.get());
        m_window = std::make_unique<QWidget>();
        m_layout = new QVBoxLayout(m_window.get());
        m_other = new QLineEdit(m_window.get());
        m_layout->addWidget(m_other);
    }

    void cleanup()
    {
        m_window.reset();
        m_source.reset();
        m_ds.reset();
        flush();
    }

    // Typing enters edit state; leaving writes the text; cancel brings the stored value back.
    void editTypingEntersEditAndCancelRestores()
    {
        auto *edit = bound<TDBEdit>(u"dbeNmCliente"_s, u"NMCLIENTE"_s);
        showWindow();
        QCOMPARE(edit->text(), u"ALFA TRANSPORTES"_s);

        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, u"ALFA NOVA"_s);
        QCOMPARE(m_ds->State(), dsEdit);
        QCOMPARE(edit->text(), u"ALFA NOVA"_s);
        m_other->setFocus();
        QCOMPARE(m_ds->FieldByName(u"NMCLIENTE"_s)->AsString(), u"ALFA NOVA"_s);

        m_ds->Cancel();
        QCOMPARE(m_ds->State(), dsBrowse);
        QCOMPARE(edit->text(), u"ALFA TRANSPORTES"_s);

        // A pending text reaches the field when the dataset posts, focus or not.
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, u"OMEGA"_s);
        m_ds->Post();
        QCOMPARE(m_ds->FieldByName(u"NMCLIENTE"_s)->AsString(), u"OMEGA"_s);

        // Moving to another row shows it.
        m_ds->Next();
        QCOMPARE(edit->text(), u"BETA LOGISTICA"_s);
    }

    void editRefusedOrReadOnly_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("before-edit-aborts") << u"abort"_s;
        QTest::newRow("before-edit-raises") << u"raise"_s;
        QTest::newRow("read-only-field") << u"field"_s;
        QTest::newRow("read-only-control") << u"control"_s;
    }
    void editRefusedOrReadOnly()
    {
        QFETCH(QString, how);
        RecordingMessageSink sink;
        auto *edit = bound<TDBEdit>(u"dbeNmCliente"_s, u"NMCLIENTE"_s);
        if (how == u"abort")
            m_ds->BeforeEdit = [](TClientDataSet *) {
                Abort();
            };
        else if (how == u"raise")
            m_ds->BeforeEdit = [](TClientDataSet *) {
                MensErro(u"Documento bloqueado."_s, true);
            };
        else if (how == u"field")
            m_ds->FieldByName(u"NMCLIENTE"_s)->SetReadOnly(true);
        else
            edit->SetReadOnly(true);
        edit->SetDataField(u"NMCLIENTE"_s);
        showWindow();
        edit->setFocus();
        QTest::keyClicks(edit, u"X"_s);
        QCOMPARE(m_ds->State(), dsBrowse);
        QCOMPARE(edit->text(), u"ALFA TRANSPORTES"_s);
        QCOMPARE(sink.texts(),
                 how == u"raise" ? QStringList {u"Documento bloqueado."_s} : QStringList {});
    }

    // A masked edit shows the literals and stores the value as the mask says.
    void editWithMask()
    {
        auto *edit = bound<TDBEdit>(u"dbeCdArvProd"_s, u"CDARVPROD"_s);
        edit->SetEditMask(u"99.999.9999;0;_"_s);
        showWindow();
        QCOMPARE(edit->text(), u"01.002.0003"_s);
        edit->setFocus();
        edit->setCursorPosition(0);
        QTest::keyClicks(edit, u"987654321"_s);
        m_other->setFocus();
        QCOMPARE(m_ds->FieldByName(u"CDARVPROD"_s)->AsString(), u"987654321"_s);
        QCOMPARE(edit->text(), u"98.765.4321"_s);
    }

    // A registration shown through its person type's mask is stored as digits only, whether it
    // is typed new or retyped over the shown one.
    void registrationStoredBare_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("shown");
        QTest::newRow("cnpj-new") << u"J"_s << QString() << u"11222333000181"_s
                                  << u"11222333000181"_s << u"11.222.333/0001-81"_s;
        QTest::newRow("cnpj-retyped") << u"J"_s << u"11222333000181"_s << u"11222333000181"_s
                                      << u"11222333000181"_s << u"11.222.333/0001-81"_s;
        QTest::newRow("cpf-retyped") << u"F"_s << u"52998224725"_s << u"31874265909"_s
                                     << u"31874265909"_s << u"318.742.659-09"_s;
    }
    void registrationStoredBare()
    {
        QFETCH(QString, type);
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QFETCH(QString, shown);
        auto ds = registrations(stored);
        TDataSource source;
        source.SetDataSet(ds.get());
        ds->FieldByName(u"NRINSJUR"_s)->SetEditMask(PictPess(type));
        auto *edit = bound<TDBEdit>(u"dbeNrInsJur"_s, u"NRINSJUR"_s, &source);
        showWindow();
        edit->setFocus();
        edit->selectAll();
        edit->setCursorPosition(0);
        QTest::keyClicks(edit, typed);
        m_other->setFocus();
        QCOMPARE(ds->FieldByName(u"NRINSJUR"_s)->AsString(), expected);
        QCOMPARE(edit->text(), shown);
        ds->Post();
        QCOMPARE(ds->FieldByName(u"NRINSJUR"_s)->AsString(), expected);
    }

    // A handler that drops the field's mask on entering and restores it on leaving: the edit
    // shows the bare registration while the user is in it, punctuation typed then stays as typed,
    // and the mask is back once the focus has gone.
    void maskDroppedWhileTyping()
    {
        auto ds = registrations(u"11222333000181"_s);
        TDataSource source;
        source.SetDataSet(ds.get());
        TField *reg = ds->FieldByName(u"NRINSJUR"_s);
        reg->SetEditMask(PictPess(u"J"_s));
        auto *edit = bound<TDBEdit>(u"dbeNrInsJur"_s, u"NRINSJUR"_s, &source);
        QStringList calls;
        edit->OnEnter = [&] {
            calls << u"enter"_s;
            reg->SetEditMask({});
        };
        edit->OnExit = [&] {
            calls << u"exit:"_s + reg->AsString();
            reg->SetEditMask(PictPess(u"J"_s));
        };
        edit->OnChange = [&] {
            calls << u"change"_s;
        };
        showWindow();
        QCOMPARE(edit->text(), u"11.222.333/0001-81"_s);
        edit->setFocus();
        QCOMPARE(edit->text(), u"11222333000181"_s);
        QVERIFY(edit->inputMask().isEmpty());
        edit->selectAll();
        QTest::keyClicks(edit, u"52.998.224/0001-"_s);
        QCOMPARE(edit->text(), u"52.998.224/0001-"_s);
        m_other->setFocus();
        QCOMPARE(calls.first(), u"enter"_s);
        QCOMPARE(calls.count(u"change"_s), 16);
        QCOMPARE(calls.last(), u"exit:52.998.224/0001-"_s);
        QVERIFY(!edit->inputMask().isEmpty());
        // Already punctuated: shown as it is, not spread over the mask.
        QCOMPARE(edit->text(), u"52.998.224/0001-"_s);
        // A new mask on the field shows at once.
        ds->Edit();
        reg->SetAsString(u"52998224725"_s);
        reg->SetEditMask(PictPess(u"F"_s));
        QCOMPARE(edit->text(), u"529.982.247-25"_s);
        // A visit to another window is neither an exit nor an enter.
        calls.clear();
        edit->setFocus();
        QCOMPARE(calls, QStringList {u"enter"_s});
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QCOMPARE(calls, QStringList {u"enter"_s});
    }

    // F9 reaches the key handler, which may consume it; other keys still type.
    void keyDownHandler()
    {
        auto ds = registrations(QString());
        TDataSource source;
        source.SetDataSet(ds.get());
        auto *edit = bound<TDBEdit>(u"dbeNrInsJur"_s, u"NRINSJUR"_s, &source);
        int f9 = 0;
        edit->OnKeyDown = [&](int &key, Qt::KeyboardModifiers) {
            if (key == Qt::Key_F9) {
                ++f9;
                key = 0;
            }
        };
        showWindow();
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_F9);
        QTest::keyClicks(edit, u"12"_s);
        QCOMPARE(f9, 1);
        QCOMPARE(edit->text(), u"12"_s);
    }

    void checkBoxStoresItsValues()
    {
        auto *check = bound<TDBCheckBox>(u"dckAtivo"_s, u"IDATIVO"_s);
        showWindow();
        QVERIFY(check->isChecked());
        check->click();
        QCOMPARE(m_ds->State(), dsEdit);
        QCOMPARE(m_ds->FieldByName(u"IDATIVO"_s)->AsString(), u"N"_s);
        m_ds->Cancel();
        QVERIFY(check->isChecked());
        m_ds->Next();
        QVERIFY(!check->isChecked());
    }

    // The drop-down shows the code list and stores the chosen key; an unknown value shows none.
    void lookupComboBoundToCodeList()
    {
        auto types = personTypes();
        TDataSource listSource(nullptr, u"dtsTipo"_s);
        listSource.SetDataSet(types.get());
        auto *combo = new TDBLookupComboBox(m_window.get(), u"dcbTipo"_s);
        combo->SetListSource(&listSource);
        combo->SetKeyField(u"CODIGO"_s);
        combo->SetListField(u"DESCRICAO"_s);
        combo->SetDataSource(m_source.get());
        combo->SetDataField(u"IDTIPO"_s);
        m_layout->addWidget(combo);
        showWindow();
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->currentText(), u"Jurídica"_s);

        combo->setCurrentIndex(0);
        emit combo->activated(0);
        QCOMPARE(m_ds->State(), dsEdit);
        QCOMPARE(m_ds->FieldByName(u"IDTIPO"_s)->AsString(), u"F"_s);
        m_ds->Post();
        m_ds->Last();
        QCOMPARE(combo->currentIndex(), -1); // "X" is not in the list
        QCOMPARE(combo->KeyValue(), QString());
    }

    void dateEditChecks_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QDate>("date");
        QTest::newRow("empty-passes") << u""_s << true << QDate();
        QTest::newRow("full-date") << u"07122026"_s << true << QDate(2026, 12, 7);
        QTest::newRow("impossible-day") << u"31022026"_s << false << QDate();
        QTest::newRow("partly-typed") << u"0712"_s << false << QDate();
    }
    void dateEditChecks()
    {
        QFETCH(QString, typed);
        QFETCH(bool, valid);
        QFETCH(QDate, date);
        RecordingMessageSink sink;
        auto *dep = new TDateEditPlus(m_window.get(), u"depEmissaoIni"_s);
        m_layout->addWidget(dep);
        showWindow();
        dep->setFocus();
        dep->setCursorPosition(0);
        QTest::keyClicks(dep, typed);
        QCOMPARE(dep->GetDate(), date);
        QCOMPARE(FrameworkGuard([&] { dep->CheckValidDate(); }), valid);
        QCOMPARE(sink.entries().size(), valid ? 0 : 1);
        dep->SetDate(QDate(2026, 1, 31));
        QCOMPARE(dep->text(), u"31/01/2026"_s);
        QCOMPARE(dep->GetDate(), QDate(2026, 1, 31));
    }

    // Bound, the date edit changes the date and keeps the time of day.
    void dateEditBound()
    {
        auto *dep = bound<TDateEditPlus>(u"depDataCadastro"_s, u"DTCADASTRO"_s);
        showWindow();
        QCOMPARE(dep->GetDate(), QDate(2026, 1, 5));
        dep->setFocus();
        dep->setCursorPosition(0);
        QTest::keyClicks(dep, u"09"_s);
        QCOMPARE(m_ds->State(), dsEdit);
        m_other->setFocus();
        QCOMPARE(m_ds->FieldByName(u"DTCADASTRO"_s)->AsDateTime(),
                 QDateTime(QDate(2026, 1, 9), QTime(10, 30)));
        m_ds->Cancel();
        QCOMPARE(dep->GetDate(), QDate(2026, 1, 5));
        m_ds->Last();
        QVERIFY(dep->IsEmpty());
    }

    // The calendar shows the day names from Sunday and types the chosen date.
    void dateEditCalendar()
    {
        auto *dep = new TDateEditPlus(m_window.get(), u"depEmissaoFim"_s);
        m_layout->addWidget(dep);
        showWindow();
        dep->SetDate(QDate(2026, 12, 7));
        dep->ShowCalendar();
        auto *popup = dep->findChild<QWidget *>(u"frmCalendario"_s);
        QVERIFY(popup && popup->isVisible());
        QStringList days;
        for (int i = 1; i <= 7; ++i)
            days << popup->findChild<QLabel *>(u"lblDia%1"_s.arg(i))->text();
        QCOMPARE(days,
                 (QStringList {u"Domingo"_s, u"Segunda"_s, u"Terça"_s, u"Quarta"_s, u"Quinta"_s,
                               u"Sexta"_s, u"Sábado"_s}));
        auto *calendar = popup->findChild<QCalendarWidget *>();
        QCOMPARE(calendar->selectedDate(), QDate(2026, 12, 7));
        emit calendar->activated(QDate(2026, 12, 25));
        QVERIFY(!popup->isVisible());
        QCOMPARE(dep->GetDate(), QDate(2026, 12, 25));
    }

    void textFollowsTheRow()
    {
        auto *text = new TDBText(m_window.get(), u"dbtNome"_s);
        text->SetDataSource(m_source.get());
        text->SetDataField(u"NMCLIENTE"_s);
        QCOMPARE(text->text(), u"ALFA TRANSPORTES"_s);
        m_ds->Next();
        QCOMPARE(text->text(), u"BETA LOGISTICA"_s);
        m_ds->EmptyDataSet();
        QCOMPARE(text->text(), QString());
    }

    // The grid's model stays consistent through loads, inserts, deletes, filters and edits.
    void gridModelIsConsistent()
    {
        TDBGrid grid(nullptr, u"dbgCliente"_s);
        QAbstractItemModelTester tester(grid.DataModel(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        grid.SetDataSource(m_source.get());
        QCOMPARE(grid.DataModel()->rowCount(), 3);
        QCOMPARE(grid.DataModel()->columnCount(), 6);
        grid.SetColumns({{u"CDCLIENTE"_s, u"Código"_s, 60, true, {}, false, true},
                         {u"NMCLIENTE"_s, {}, 200, false, {}, false, true},
                         {u"IDTIPO"_s, u"Tipo"_s, 40, false, {u"F"_s, u"J"_s}, false, true},
                         {u"CDARVPROD"_s, u"Produto"_s, 90, false, {}, true, true}});
        QCOMPARE(grid.DataModel()->columnCount(), 4);
        QCOMPARE(grid.DataModel()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
                 u"Código"_s);
        QCOMPARE(grid.DataModel()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
                 u"NMCLIENTE"_s);
        m_ds->Append();
        m_ds->FieldByName(u"NMCLIENTE"_s)->SetAsString(u"DELTA"_s);
        QCOMPARE(grid.DataModel()->rowCount(), 4);
        m_ds->Post();
        m_ds->First();
        m_ds->Delete();
        QCOMPARE(grid.DataModel()->rowCount(), 3);
        m_ds->SetFilter(u"IDATIVO = 'S'"_s);
        m_ds->SetFiltered(true);
        QCOMPARE(grid.DataModel()->rowCount(), 1);
        QCOMPARE(grid.DataModel()->index(0, 1).data().toString(), u"GAMA CARGAS"_s);
        m_ds->SetFiltered(false);
        QVERIFY(grid.DataModel()->setData(grid.DataModel()->index(1, 1), u"NOVO"_s, Qt::EditRole));
        QCOMPARE(m_ds->State(), dsEdit);
        QCOMPARE(m_ds->RecNo(), 2);
        m_ds->Post();
        m_ds->Close();
        QCOMPARE(grid.DataModel()->rowCount(), 0);
    }

    // Typing in an editable cell edits the row; a read-only column or grid takes nothing.
    void gridEditingAndReadOnly_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("rowSelect");
        QTest::addColumn<bool>("gridReadOnly");
        QTest::addColumn<bool>("accepts");
        QTest::newRow("editable-column") << 1 << false << false << true;
        QTest::newRow("read-only-column") << 0 << false << false << false;
        QTest::newRow("row-selection") << 1 << true << false << false;
        QTest::newRow("read-only-grid") << 1 << false << true << false;
    }
    void gridEditingAndReadOnly()
    {
        QFETCH(int, column);
        QFETCH(bool, rowSelect);
        QFETCH(bool, gridReadOnly);
        QFETCH(bool, accepts);
        auto *grid = gridWithColumns();
        grid->SetRowSelect(rowSelect);
        grid->SetReadOnly(gridReadOnly);
        showWindow();
        grid->setFocus();
        grid->setCurrentIndex(grid->DataModel()->index(1, column));
        QCOMPARE(m_ds->RecNo(), 2);
        const QString before = m_ds->Fields().at(column == 0 ? 0 : 1)->AsString();
        QTest::keyClicks(grid, u"Z"_s);
        QCOMPARE(m_ds->State(), accepts ? dsEdit : dsBrowse);
        if (!accepts)
            return;
        QWidget *editor = grid->findChild<QLineEdit *>(u"edtCelula"_s);
        QVERIFY(editor);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(m_ds->FieldByName(u"NMCLIENTE"_s)->AsString(), u"Z"_s);
        // Esc in the grid cancels the row's changes.
        QTest::keyClick(grid, Qt::Key_Escape);
        QCOMPARE(m_ds->State(), dsBrowse);
        QCOMPARE(m_ds->FieldByName(u"NMCLIENTE"_s)->AsString(), before);
        QCOMPARE(grid->DataModel()->index(1, 1).data().toString(), before);
    }

    // Every event of the grid reaches its handler.
    void gridEventsFire()
    {
        auto *grid = gridWithColumns();
        grid->SetRowSelect(false);
        QStringList events;
        int drawn = 0;
        grid->OnDrawColumnCell
            = [&](QPainter *, const QRect &, int column, TField *field, int, int) {
                  if (column == 2 && field && field->FieldName() == u"IDTIPO")
                      ++drawn;
                  return false;
              };
        grid->OnTitleClick = [&](int c) {
            events << u"title:%1"_s.arg(c);
        };
        grid->OnColExit = [&](int c) {
            events << u"colexit:%1"_s.arg(c);
        };
        grid->OnKeyDown = [&](int &key, Qt::KeyboardModifiers) {
            if (key == Qt::Key_Space) {
                events << u"keydown:space"_s;
                key = 0; // swallowed: no editing starts
            }
        };
        grid->OnKeyPress = [&](QChar &c) {
            events << u"keypress:"_s + c;
        };
        grid->OnDblClick = [&] {
            events << u"dblclick"_s;
        };
        grid->OnEditButtonClick = [&](int c) {
            events << u"button:%1"_s.arg(c);
        };
        showWindow();
        grid->setFocus();
        QVERIFY(drawn > 0);

        QHeaderView *header = grid->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
        grid->setCurrentIndex(grid->DataModel()->index(0, 0));
        grid->setCurrentIndex(grid->DataModel()->index(0, 2));
        QTest::keyClick(grid, Qt::Key_Space);
        QCOMPARE(m_ds->State(), dsBrowse);
        grid->SetReadOnly(true);
        QTest::keyClick(grid, Qt::Key_A);
        grid->SetReadOnly(false);
        const QRect cell = grid->visualRect(grid->DataModel()->index(0, 1));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(events,
                 (QStringList {u"title:1"_s, u"colexit:0"_s, u"keydown:space"_s, u"keypress:a"_s,
                               u"colexit:2"_s, u"dblclick"_s}));
        QCOMPARE(m_ds->RecNo(), 1);
        // The column was not sorted by the title click.
        QCOMPARE(grid->DataModel()->index(0, 1).data().toString(), u"ALFA TRANSPORTES"_s);

        // The ellipsis column's button.
        events.clear();
        const QModelIndex product = grid->DataModel()->index(0, 3);
        grid->setCurrentIndex(product);
        grid->edit(product);
        auto *button = grid->findChild<QToolButton *>(u"btnReticencias"_s);
        QVERIFY(button);
        button->click();
        QCOMPARE(events, (QStringList {u"colexit:1"_s, u"button:3"_s}));
        QCOMPARE(m_ds->State(), dsEdit);
        m_ds->Cancel();

        // The pick list offers the column's values.
        const QModelIndex type = grid->DataModel()->index(0, 2);
        grid->setCurrentIndex(type);
        grid->edit(type);
        auto *pick = grid->findChild<QComboBox *>(u"edtPickList"_s);
        QVERIFY(pick);
        QCOMPARE(pick->count(), 2);
    }

    // Row keys: Insert, Down past the last row, Ctrl+Delete with its question; options and
    // OnKeyDown can take each of them away.
    void gridRowKeys_data()
    {
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<int>("options");
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("recNo");
        QTest::addColumn<int>("questions");
        const int all = dgDefaultOptions;
        const QList<int> none;
        QTest::newRow("insert-before-current") << QStringList {u"cell:1,1"_s, u"Insert"_s} << all
                                               << none << 4 << int(dsInsert) << 2 << 0;
        QTest::newRow("insert-not-allowed")
            << QStringList {u"cell:1,1"_s, u"Insert"_s} << (all & ~dgInsertRows) << none << 3
            << int(dsBrowse) << 2 << 0;
        QTest::newRow("down-in-the-middle-moves") << QStringList {u"cell:0,1"_s, u"Down"_s} << all
                                                  << none << 3 << int(dsBrowse) << 2 << 0;
        QTest::newRow("down-on-last-appends") << QStringList {u"cell:2,1"_s, u"Down"_s} << all
                                              << none << 4 << int(dsInsert) << 4 << 0;
        QTest::newRow("down-on-untouched-new-row-stays")
            << QStringList {u"cell:2,1"_s, u"Down"_s, u"Down"_s} << all << none << 4
            << int(dsInsert) << 4 << 0;
        QTest::newRow("down-after-typing-posts-and-appends")
            << QStringList {u"cell:2,1"_s, u"Down"_s, u"type:NOVO"_s, u"Down"_s} << all << none << 5
            << int(dsInsert) << 5 << 0;
        QTest::newRow("ctrl-delete-confirmed")
            << QStringList {u"cell:1,1"_s, u"Ctrl+Delete"_s} << all << QList<int> {mbOK} << 2
            << int(dsBrowse) << 2 << 1;
        QTest::newRow("ctrl-delete-refused")
            << QStringList {u"cell:1,1"_s, u"Ctrl+Delete"_s} << all << QList<int> {mbCancel} << 3
            << int(dsBrowse) << 2 << 1;
        QTest::newRow("ctrl-delete-without-question")
            << QStringList {u"cell:1,1"_s, u"Ctrl+Delete"_s} << (all & ~dgConfirmDelete) << none
            << 2 << int(dsBrowse) << 2 << 0;
        QTest::newRow("ctrl-delete-not-allowed")
            << QStringList {u"cell:1,1"_s, u"Ctrl+Delete"_s} << (all & ~dgDeleteRows) << none << 3
            << int(dsBrowse) << 2 << 0;
        QTest::newRow("ctrl-delete-from-a-cell-editor")
            << QStringList {u"cell:1,1"_s, u"F2"_s, u"Ctrl+Delete"_s} << all << QList<int> {mbOK}
            << 2 << int(dsBrowse) << 2 << 1;
        QTest::newRow("read-only-grid-takes-none")
            << QStringList {u"readonly"_s, u"cell:2,1"_s, u"Insert"_s, u"Down"_s, u"Ctrl+Delete"_s}
            << all << none << 3 << int(dsBrowse) << 3 << 0;
        QTest::newRow("swallowed-by-the-window")
            << QStringList {u"swallow"_s, u"cell:2,1"_s, u"Insert"_s, u"Down"_s, u"Ctrl+Delete"_s}
            << all << none << 3 << int(dsBrowse) << 3 << 0;
        QTest::newRow("empty-grid-down-appends")
            << QStringList {u"empty"_s, u"Down"_s} << all << none << 1 << int(dsInsert) << 1 << 0;
    }
    void gridRowKeys()
    {
        QFETCH(QStringList, script);
        QFETCH(int, options);
        QFETCH(QList<int>, answers);
        QFETCH(int, count);
        QFETCH(int, state);
        QFETCH(int, recNo);
        QFETCH(int, questions);
        RecordingMessageSink sink;
        for (int a : answers)
            sink.queueAnswer(a);
        auto *grid = gridWithColumns();
        grid->SetOptions(options);
        showWindow();
        grid->setFocus();
        runGridScript(grid, script);
        QCOMPARE(m_ds->RecordCount(), count);
        QCOMPARE(int(m_ds->State()), state);
        QCOMPARE(m_ds->RecNo(), recNo);
        QCOMPARE(grid->currentIndex().row(), recNo - 1);
        int asked = 0;
        for (const auto &e : sink.entries()) {
            if (e.kind == TMsgKind::Question) {
                QCOMPARE(e.text, FwMsg(u"FW_GRADE_EXCLUIR"_s));
                ++asked;
            }
        }
        QCOMPARE(asked, questions);
    }

    // Cell keys: F2 or typing edits, Enter keeps the text, Esc reverts a changed cell and then
    // cancels the row, Tab leaves the column (refused by an erring OnColExit) and appends past
    // the last cell, a post takes the open editor's text, OnKeyDown sees the editor's keys.
    void gridCellKeys_data()
    {
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<QString>("names"); // NMCLIENTE of every row
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("column");
        QTest::addColumn<QStringList>("events");
        const QString stored = u"ALFA TRANSPORTES|BETA LOGISTICA|GAMA CARGAS"_s;
        QTest::newRow("f2-edits-enter-keeps")
            << QStringList {u"cell:1,1"_s, u"F2"_s, u"selectall"_s, u"type:BETA NOVA"_s,
                            u"Return"_s}
            << u"ALFA TRANSPORTES|BETA NOVA|GAMA CARGAS"_s << int(dsEdit) << 1 << QStringList {};
        QTest::newRow("typing-replaces-the-cell")
            << QStringList {u"cell:0,1"_s, u"type:X"_s, u"Return"_s}
            << u"X|BETA LOGISTICA|GAMA CARGAS"_s << int(dsEdit) << 1 << QStringList {};
        QTest::newRow("esc-reverts-a-changed-cell-first")
            << QStringList {u"cell:0,1"_s, u"type:X"_s, u"Escape"_s} << stored << int(dsEdit) << 1
            << QStringList {};
        QTest::newRow("second-esc-cancels-the-row")
            << QStringList {u"cell:0,1"_s, u"type:X"_s, u"Return"_s, u"Escape"_s} << stored
            << int(dsBrowse) << 1 << QStringList {};
        QTest::newRow("esc-in-an-unchanged-cell-cancels-the-row")
            << QStringList {u"cell:0,1"_s, u"type:X"_s, u"Return"_s, u"F2"_s, u"Escape"_s} << stored
            << int(dsBrowse) << 1 << QStringList {};
        QTest::newRow("tab-keeps-the-text-and-leaves-the-column")
            << QStringList {u"cell:0,1"_s, u"type:Y"_s, u"Tab"_s}
            << u"Y|BETA LOGISTICA|GAMA CARGAS"_s << int(dsEdit) << 2
            << QStringList {u"colexit:1"_s};
        QTest::newRow("backtab-goes-back") << QStringList {u"cell:0,2"_s, u"Backtab"_s} << stored
                                           << int(dsBrowse) << 1 << QStringList {u"colexit:2"_s};
        QTest::newRow("refused-column-exit-keeps-the-cell")
            << QStringList {u"refuse:1"_s, u"cell:0,1"_s, u"type:Y"_s, u"Tab"_s}
            << u"Y|BETA LOGISTICA|GAMA CARGAS"_s << int(dsEdit) << 1
            << QStringList {u"colexit:1"_s, u"error"_s};
        QTest::newRow("tab-past-the-last-cell-appends")
            << QStringList {u"cell:2,3"_s, u"Tab"_s} << stored + u"|"_s << int(dsInsert) << 0
            << QStringList {u"colexit:3"_s};
        QTest::newRow("post-takes-the-open-editor")
            << QStringList {u"cell:2,1"_s, u"type:OMEGA"_s, u"post"_s}
            << u"ALFA TRANSPORTES|BETA LOGISTICA|OMEGA"_s << int(dsBrowse) << 1 << QStringList {};
        QTest::newRow("cancel-closes-the-open-editor")
            << QStringList {u"cell:2,1"_s, u"type:OMEGA"_s, u"cancel"_s, u"post"_s} << stored
            << int(dsBrowse) << 1 << QStringList {};
        QTest::newRow("window-sees-keys-typed-in-the-editor")
            << QStringList {u"cell:0,3"_s, u"F2"_s, u"F9"_s} << stored << int(dsEdit) << 3
            << QStringList {u"f9:3"_s};
    }
    void gridCellKeys()
    {
        QFETCH(QStringList, script);
        QFETCH(QString, names);
        QFETCH(int, state);
        QFETCH(int, column);
        QFETCH(QStringList, events);
        RecordingMessageSink sink;
        auto *grid = gridWithColumns();
        QStringList seen;
        int refused = -1;
        grid->OnColExit = [&](int c) {
            if (m_placing)
                return;
            seen << u"colexit:%1"_s.arg(c);
            if (c == refused)
                MensErro(u"Coluna recusada."_s, true);
        };
        grid->OnKeyDown = [&](int &key, Qt::KeyboardModifiers) {
            if (key == Qt::Key_F9) {
                seen << u"f9:%1"_s.arg(grid->SelectedIndex());
                key = 0;
            }
        };
        showWindow();
        grid->setFocus();
        if (script.first().startsWith(u"refuse:"))
            refused = script.takeFirst().mid(7).toInt();
        runGridScript(grid, script);
        if (sink.texts().contains(u"Coluna recusada."_s))
            seen << u"error"_s;
        QStringList stored;
        for (int row = 0; row < m_ds->RecordCount(); ++row)
            stored << m_ds->TextAt(row, m_ds->FieldByName(u"NMCLIENTE"_s));
        QCOMPARE(stored.join(u'|'), names);
        QCOMPARE(int(m_ds->State()), state);
        QCOMPARE(grid->SelectedIndex(), column);
        QCOMPARE(seen, events);
    }

    void gridTextAndColumnIndex()
    {
        auto *grid = gridWithColumns();
        m_ds->Next();
        QCOMPARE(IndiceCol(grid, u"IDTIPO"_s), 2);
        QCOMPARE(IndiceCol(grid, u"nmcliente"_s), 1);
        QCOMPARE(IndiceCol(grid, u"IDATIVO"_s), -1);
        QCOMPARE(GridText(grid, u"NMCLIENTE"_s), u"BETA LOGISTICA"_s);
        QCOMPARE(GridText(grid, u"IDATIVO"_s), QString());
        // An empty grid keeps its selected column, where a first row or a look-up goes.
        m_ds->EmptyDataSet();
        grid->SetSelectedIndex(3);
        QCOMPARE(grid->SelectedIndex(), 3);
        QCOMPARE(GridText(grid, u"CDARVPROD"_s), QString());
    }

    void navigatorFollowsTheDataSet()
    {
        TDBNavigator nav;
        nav.SetDataSource(m_source.get());
        QVERIFY(!nav.ButtonOf(TDBNavigator::nbFirst)->isEnabled());
        QVERIFY(nav.ButtonOf(TDBNavigator::nbNext)->isEnabled());
        nav.ButtonOf(TDBNavigator::nbLast)->click();
        QCOMPARE(m_ds->RecNo(), 3);
        QVERIFY(!nav.ButtonOf(TDBNavigator::nbNext)->isEnabled());
        nav.ButtonOf(TDBNavigator::nbEdit)->click();
        QCOMPARE(m_ds->State(), dsEdit);
        QVERIFY(nav.ButtonOf(TDBNavigator::nbPost)->isEnabled());
        QVERIFY(!nav.ButtonOf(TDBNavigator::nbPrior)->isEnabled());
        nav.ButtonOf(TDBNavigator::nbCancel)->click();
        QCOMPARE(m_ds->State(), dsBrowse);
    }

    // The single look-up: the picked row becomes current; cancel leaves the row as it was.
    void pesquisarPicksARow()
    {
        WhenModal([](QWidget *w) {
            QCOMPARE(w->windowTitle(), u"Cliente"_s);
            auto *search = w->findChild<QLineEdit *>(u"edtPesquisa"_s);
            auto *grid = w->findChild<TDBGrid *>(u"dbgPesquisa"_s);
            grid->OnTitleClick(1); // search by name
            QTest::keyClicks(search, u"gam"_s);
            w->findChild<QAbstractButton *>(u"btnOK"_s)->click();
        });
        QVERIFY(Pesquisar(m_source.get(), u"Cliente|Nenhum cliente cadastrado."_s));
        QCOMPARE(m_ds->FieldByName(u"CDCLIENTE"_s)->AsString(), u"000003"_s);

        m_ds->First();
        WhenModal([](QWidget *w) {
            w->findChild<TDBGrid *>(u"dbgPesquisa"_s)->DataSet()->Last();
            w->findChild<QAbstractButton *>(u"btnCancelar"_s)->click();
        });
        QVERIFY(!Pesquisar(m_source.get(), u"Cliente|Nenhum cliente cadastrado."_s));
        QCOMPARE(m_ds->RecNo(), 1);
    }

    void emptyListShowsItsText_data()
    {
        QTest::addColumn<bool>("multiple");
        QTest::newRow("single") << false;
        QTest::newRow("multiple") << true;
    }
    void emptyListShowsItsText()
    {
        QFETCH(bool, multiple);
        RecordingMessageSink sink;
        m_ds->EmptyDataSet();
        QString list = u"'000001'"_s;
        const bool picked = multiple
            ? PesquisaLista(m_source.get(), u"CDCLIENTE"_s,
                            u"Clientes|Não há cliente cadastrado."_s, false, list)
            : Pesquisar(m_source.get(), u"Clientes|Não há cliente cadastrado."_s);
        QVERIFY(!picked);
        QCOMPARE(sink.texts(), QStringList {u"Não há cliente cadastrado."_s});
        QCOMPARE(list, u"'000001'"_s);
    }

    // The multiple look-up starts with the list's rows ticked and returns them in ticking order.
    void pesquisaListaTicksRows()
    {
        QString list = u"'000003'"_s;
        QStringList startTicked;
        WhenModal([&](QWidget *w) {
            auto *table = w->findChild<QTableWidget *>(u"tbwLista"_s);
            for (int r = 0; r < table->rowCount(); ++r) {
                if (table->item(r, 0)->checkState() == Qt::Checked)
                    startTicked << table->item(r, 2)->text();
            }
            table->item(0, 0)->setCheckState(Qt::Checked);
            w->findChild<QAbstractButton *>(u"btnOK"_s)->click();
        });
        QVERIFY(PesquisaLista(m_source.get(), u"CDCLIENTE"_s, u"Clientes|"_s, false, list));
        QCOMPARE(startTicked, QStringList {u"GAMA CARGAS"_s});
        QCOMPARE(list, u"'000003','000001'"_s);

        WhenModal([](QWidget *w) {
            w->findChild<QAbstractButton *>(u"btnDesmarcarTodos"_s)->click();
            w->findChild<QAbstractButton *>(u"btnCancelar"_s)->click();
        });
        QVERIFY(!PesquisaLista(m_source.get(), u"CDCLIENTE"_s, u"Clientes|"_s, false, list));
        QCOMPARE(list, u"'000003','000001'"_s);

        // Mandatory: confirming with nothing ticked is refused until a row is ticked.
        RecordingMessageSink sink;
        WhenModal([](QWidget *w) {
            w->findChild<QAbstractButton *>(u"btnDesmarcarTodos"_s)->click();
            w->findChild<QAbstractButton *>(u"btnOK"_s)->click();
            w->findChild<QTableWidget *>(u"tbwLista"_s)->item(1, 0)->setCheckState(Qt::Checked);
            w->findChild<QAbstractButton *>(u"btnOK"_s)->click();
        });
        QVERIFY(PesquisaLista(m_source.get(), u"CDCLIENTE"_s, u"Clientes|"_s, true, list));
        QCOMPARE(sink.entries().size(), 1);
        QCOMPARE(list, u"'000002'"_s);
    }

    void lookupButtonEvents()
    {
        TBtnPesquisa btn(nullptr, u"btnCliente"_s);
        btn.DataSource = m_source.get();
        btn.Title = u"Cliente|Nenhum cliente."_s;
        bool allow = false;
        QStringList events;
        btn.OnBeforePesq = [&](TBtnPesquisa *, bool &AllowPesq) {
            events << u"before"_s;
            AllowPesq = allow;
        };
        btn.OnAfterPesq = [&](TBtnPesquisa *) {
            events << u"after:"_s + m_ds->FieldByName(u"CDCLIENTE"_s)->AsString();
        };
        btn.click(); // refused before the list opens: no dialog
        QCOMPARE(events, QStringList {u"before"_s});

        allow = true;
        WhenModal([](QWidget *w) {
            w->findChild<TDBGrid *>(u"dbgPesquisa"_s)->DataSet()->Next();
            w->findChild<QAbstractButton *>(u"btnOK"_s)->click();
        });
        btn.click();
        QCOMPARE(events, (QStringList {u"before"_s, u"before"_s, u"after:000002"_s}));
    }

    // The maintenance window's commands act on dtsPadrao's dataset; Cancelar asks first.
    void maintenanceCommands()
    {
        RecordingMessageSink sink;
        TfrmPadrao form;
        form.dtsPadrao->SetDataSet(m_ds.get());
        QCOMPARE(form.dbgPadrao->DataModel()->rowCount(), 3);
        QVERIFY(form.mnuIncluir->isEnabled());
        QVERIFY(!form.mnuConfirmar->isEnabled());

        form.mnuIncluir->trigger();
        QCOMPARE(m_ds->State(), dsInsert);
        QCOMPARE(form.pgcPadrao->currentWidget(), form.tshFormulario);
        QVERIFY(!form.mnuIncluir->isEnabled());
        QVERIFY(form.sbtConfirmar->isEnabled());

        sink.queueAnswer(mbNo);
        form.mnuCancelar->trigger();
        QCOMPARE(m_ds->State(), dsInsert);
        QCOMPARE(sink.lastText(), form.msgMensagensPadroes->Msg(u"Canc"_s));
        sink.queueAnswer(mbYes);
        form.mnuCancelar->trigger();
        QCOMPARE(m_ds->State(), dsBrowse);
        QCOMPARE(m_ds->RecordCount(), 3);

        form.mnuAlterar->trigger();
        m_ds->FieldByName(u"NMCLIENTE"_s)->SetAsString(u"ALTERADO"_s);
        form.mnuConfirmar->trigger();
        QCOMPARE(m_ds->State(), dsBrowse);
        QCOMPARE(m_ds->FieldByName(u"NMCLIENTE"_s)->AsString(), u"ALTERADO"_s);

        sink.queueAnswer(mbYes);
        form.mnuExcluir->trigger();
        QCOMPARE(m_ds->RecordCount(), 2);
    }

private:
    // A data control named `name` on `field` of `source` (the clients by default), laid out in
    // the window.
    template<typename Control>
    Control *bound(const QString &name, const QString &field, TDataSource *source = nullptr)
    {
        auto *control = new Control(m_window.get(), name);
        control->SetDataSource(source ? source : m_source.get());
        control->SetDataField(field);
        m_layout->addWidget(control);
        return control;
    }

    void showWindow()
    {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    // Runs grid steps: "cell:R,C" makes a cell current, "type:TEXT" types into the focused
    // widget, a key name sends that key, "post"/"cancel" act on the dataset, "readonly",
    // "swallow" (OnKeyDown eats every key) and "empty" prepare the grid.
    void runGridScript(TDBGrid *grid, const QStringList &script)
    {
        const QHash<QString, QPair<int, Qt::KeyboardModifiers>> keys {
            {u"Insert"_s, {Qt::Key_Insert, Qt::NoModifier}},
            {u"Down"_s, {Qt::Key_Down, Qt::NoModifier}},
            {u"Up"_s, {Qt::Key_Up, Qt::NoModifier}},
            {u"Ctrl+Delete"_s, {Qt::Key_Delete, Qt::ControlModifier}},
            {u"F2"_s, {Qt::Key_F2, Qt::NoModifier}},
            {u"F9"_s, {Qt::Key_F9, Qt::NoModifier}},
            {u"Return"_s, {Qt::Key_Return, Qt::NoModifier}},
            {u"Escape"_s, {Qt::Key_Escape, Qt::NoModifier}},
            {u"Tab"_s, {Qt::Key_Tab, Qt::NoModifier}},
            {u"Backtab"_s, {Qt::Key_Backtab, Qt::ShiftModifier}},
        };
        for (const QString &step : script) {
            QWidget *focus = QApplication::focusWidget() ? QApplication::focusWidget() : grid;
            if (step.startsWith(u"cell:")) {
                const QStringList rc = step.mid(5).split(u',');
                m_placing = true;
                grid->setCurrentIndex(grid->DataModel()->index(rc.at(0).toInt(), rc.at(1).toInt()));
                m_placing = false;
            } else if (step.startsWith(u"type:")) {
                // The first key opens the cell editor, which takes the following ones.
                for (const QChar c : step.mid(5)) {
                    QWidget *target
                        = QApplication::focusWidget() ? QApplication::focusWidget() : grid;
                    QTest::keyClicks(target, QString(c));
                }
            } else if (step == u"selectall") {
                auto *line = qobject_cast<QLineEdit *>(focus);
                QVERIFY(line);
                line->selectAll();
            } else if (step == u"post") {
                m_ds->Post();
            } else if (step == u"cancel") {
                m_ds->Cancel();
            } else if (step == u"readonly") {
                grid->SetReadOnly(true);
            } else if (step == u"swallow") {
                grid->OnKeyDown = [](int &key, Qt::KeyboardModifiers) {
                    key = 0;
                };
            } else if (step == u"empty") {
                m_ds->EmptyDataSet();
            } else {
                QVERIFY2(keys.contains(step), qPrintable(step));
                QTest::keyClick(focus, Qt::Key(keys.value(step).first), keys.value(step).second);
            }
        }
    }

    TDBGrid *gridWithColumns()
    {
        auto *grid = new TDBGrid(m_window.get(), u"dbgCliente"_s);
        grid->SetColumns({{u"CDCLIENTE"_s, u"Código"_s, 60, true, {}, false, true},
                          {u"NMCLIENTE"_s, {}, 200, false, {}, false, true},
                          {u"IDTIPO"_s, u"Tipo"_s, 40, false, {u"F"_s, u"J"_s}, false, true},
                          {u"CDARVPROD"_s, u"Produto"_s, 90, false, {}, true, true}});
        grid->SetDataSource(m_source.get());
        m_layout->addWidget(grid);
        m_window->resize(700, 300);
        return grid;
    }

    std::unique_ptr<TClientDataSet> m_ds;
    std::unique_ptr<TDataSource> m_source;
    std::unique_ptr<QWidget> m_window;
    QVBoxLayout *m_layout = nullptr;
    QLineEdit *m_other = nullptr;
    bool m_placing = false; // a test step, not the user, is moving the cell
};

QTEST_MAIN(TestUiData)
#include "tst_ui_data.moc"
