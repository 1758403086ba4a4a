// Content of a dataset: filters and indexes, the change log and its delta, packets in and out.
#include "ClientDataSet.h"
#include "DataSetBuilder.h"
#include "ErrorOf.h"
#include "Exceptions.h"

#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using contracts::FieldType;

namespace {

// A child list like the taxes of a document: CDCTE float, CDIMPOSTO string 2, VRIMPOSTO float.
contracts::DataPacket childPacket(int documents, int perDocument)
{
    contracts::DataPacket p;
    p.fields = {{u"CDCTE"_s, FieldType::Float, 0},
                {u"CDIMPOSTO"_s, FieldType::String, 2},
                {u"VRIMPOSTO"_s, FieldType::Float, 0}};
    // Documents arrive interleaved and the tax codes descending, so order is visible.
    for (int i = 0; i < perDocument; ++i) {
        for (int doc = 1; doc <= documents; ++doc)
            p.rows.append({double(doc), u"%1"_s.arg(perDocument - i, 2, 10, QChar(u'0')),
                           double(doc * 100 + i)});
    }
    return p;
}

QStringList column(const TClientDataSet &ds, const QString &field)
{
    QStringList out;
    const TField *f = ds.FieldByName(field);
    for (int row = 0; row < ds.RecordCount(); ++row)
        out.append(ds.DisplayTextAt(row, f));
    return out;
}

contracts::DataPacket everyTypePacket()
{
    contracts::DataPacket p;
    p.fields = {{u"S"_s, FieldType::String, 5, true, false, false},
                {u"F"_s, FieldType::FixedString, 3, false, true, false},
                {u"R"_s, FieldType::Float, 0, false, false, true},
                {u"I"_s, FieldType::Integer, 0},
                {u"D"_s, FieldType::DateTime, 0},
                {u"M"_s, FieldType::Memo, 0}};
    p.rows = {{u"abc"_s, u"XYZ"_s, 1.5, qint64(-7),
               QDateTime(QDate(2026, 12, 7), QTime(10, 15, 0, 250)), u"linha\nlonga"_s},
              {QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant()}};
    return p;
}

} // namespace

class TestDataSetContent : public QObject
{
    Q_OBJECT

    std::unique_ptr<TClientDataSet> ds;

private slots:
    void init() { ds = std::make_unique<TClientDataSet>(nullptr, u"cdsCTeImpostos"_s); }

    // --- filters

    void filters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<bool>("indexed");
        QTest::addColumn<QStringList>("values"); // VRIMPOSTO of the visible rows

        QTest::newRow("text-literal-on-float")
            << u"CDCTE = '2'"_s << false << QStringList {u"200"_s, u"201"_s, u"202"_s};
        QTest::newRow("number-literal")
            << u"CDCTE = 2"_s << false << QStringList {u"200"_s, u"201"_s, u"202"_s};
        QTest::newRow("indexed-order")
            << u"CDCTE = '2'"_s << true << QStringList {u"202"_s, u"201"_s, u"200"_s};
        QTest::newRow("and") << u"CDCTE = '2' AND CDIMPOSTO = '02'"_s << false
                             << QStringList {u"201"_s};
        QTest::newRow("and-lower-case")
            << u"cdcte = 2 and cdimposto = '02'"_s << true << QStringList {u"201"_s};
        QTest::newRow("or") << u"CDCTE = 1 OR CDCTE = 3"_s << false
                            << QStringList {u"100"_s, u"300"_s, u"101"_s,
                                            u"301"_s, u"102"_s, u"302"_s};
        QTest::newRow("not-equal") << u"CDIMPOSTO <> '01' AND CDCTE <= 2"_s << false
                                   << QStringList {u"100"_s, u"200"_s, u"101"_s, u"201"_s};
        QTest::newRow("not-parenthesis")
            << u"NOT (CDCTE > 1)"_s << false << QStringList {u"100"_s, u"101"_s, u"102"_s};
        QTest::newRow("prefix") << u"CDIMPOSTO = '0*' AND CDCTE = 3"_s << false
                                << QStringList {u"300"_s, u"301"_s, u"302"_s};
        QTest::newRow("no-match") << u"CDCTE = '99'"_s << true << QStringList {};
        QTest::newRow("empty-filter-shows-all")
            << u""_s << false << QStringList {u"100"_s, u"200"_s, u"300"_s, u"101"_s, u"201"_s,
                                              u"301"_s, u"102"_s, u"202"_s, u"302"_s};
    }

    void filters()
    {
        QFETCH(QString, filter);
        QFETCH(bool, indexed);
        QFETCH(QStringList, values);
        ds->LoadFromPacket(childPacket(3, 3));
        if (indexed)
            ds->SetIndexFieldNames(u"CDCTE;CDIMPOSTO"_s);
        ds->SetFilter(filter);
        ds->SetFiltered(true);
        QCOMPARE(column(*ds, u"VRIMPOSTO"_s), values);
        QCOMPARE(ds->RecNo(), values.isEmpty() ? 0 : 1);
        ds->SetFiltered(false);
        QCOMPARE(ds->RecordCount(), 9);
    }

    void malformedFilterIsRefusedAndTheOldOneStays_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::newRow("missing-value") << u"CDCTE = "_s;
        QTest::newRow("unknown-field") << u"CDXYZ = 1"_s;
        QTest::newRow("not-a-number") << u"CDCTE = 'abc'"_s;
        QTest::newRow("open-quote") << u"CDIMPOSTO = '01"_s;
        QTest::newRow("dangling-and") << u"CDCTE = 1 AND"_s;
    }

    void malformedFilterIsRefusedAndTheOldOneStays()
    {
        QFETCH(QString, filter);
        ds->LoadFromPacket(childPacket(3, 3));
        ds->SetFilter(u"CDCTE = 1"_s);
        ds->SetFiltered(true);
        const QString error = errorOf([&] { ds->SetFilter(filter); });
        QVERIFY2(error.contains(u"cdsCTeImpostos"_s), qPrintable(error));
        QCOMPARE(ds->Filter(), u"CDCTE = 1"_s);
        QCOMPARE(ds->RecordCount(), 3);
        // Switching on a bad filter is refused too.
        ds->SetFiltered(false);
        ds->SetFilter(filter);
        QVERIFY_THROWS_EXCEPTION(EMensErro, ds->SetFiltered(true));
        QVERIFY(!ds->Filtered());
        QCOMPARE(ds->RecordCount(), 9);
    }

    void equalityFilterReadsOnlyItsRows()
    {
        ds->LoadFromPacket(childPacket(2000, 5));
        ds->SetIndexFieldNames(u"CDCTE;CDIMPOSTO"_s);
        ds->SetFilter(u"CDCTE = '1234'"_s);
        ds->SetFiltered(true);
        QCOMPARE(ds->RecordCount(), 5);
        QVERIFY(ds->LastFilterStats().usedIndex);
        QCOMPARE(ds->LastFilterStats().rowsExamined, 5);

        // A filter no index can answer looks at every row.
        ds->SetFilter(u"CDCTE > 1990"_s);
        QVERIFY(!ds->LastFilterStats().usedIndex);
        QCOMPARE(ds->LastFilterStats().rowsExamined, 10000);
        QCOMPARE(ds->RecordCount(), 50);

        // An equality on a field outside the index gets its own hash on first use.
        ds->SetFilter(u"VRIMPOSTO = 123402"_s);
        QVERIFY(ds->LastFilterStats().usedIndex);
        QCOMPARE(ds->LastFilterStats().rowsExamined, 1);
        QCOMPARE(ds->RecordCount(), 1);
    }

    void indexFollowsInsertEditAndDelete()
    {
        ds->LoadFromPacket(childPacket(3, 2));
        ds->SetIndexFieldNames(u"CDCTE;CDIMPOSTO"_s);
        ds->SetFilter(u"CDCTE = 2"_s);
        ds->SetFiltered(true);
        QCOMPARE(column(*ds, u"CDIMPOSTO"_s), (QStringList {u"01"_s, u"02"_s}));

        // A new row of the document takes its place in the index order.
        ds->Append();
        ds->FieldByName(u"CDCTE"_s)->SetAsFloat(2);
        ds->FieldByName(u"CDIMPOSTO"_s)->SetAsString(u"00"_s);
        ds->Post();
        QCOMPARE(column(*ds, u"CDIMPOSTO"_s), (QStringList {u"00"_s, u"01"_s, u"02"_s}));
        QCOMPARE(ds->FieldByName(u"CDIMPOSTO"_s)->AsString(), u"00"_s);

        // A row moved to another document leaves this filter and shows under the other one.
        ds->Last();
        ds->Edit();
        ds->FieldByName(u"CDCTE"_s)->SetAsFloat(3);
        ds->Post();
        QCOMPARE(column(*ds, u"CDIMPOSTO"_s), (QStringList {u"00"_s, u"01"_s}));
        ds->SetFilter(u"CDCTE = 3"_s);
        QCOMPARE(ds->LastFilterStats().rowsExamined, 3);
        QCOMPARE(column(*ds, u"CDIMPOSTO"_s), (QStringList {u"01"_s, u"02"_s, u"02"_s}));

        // A row of another document typed under the filter disappears when posted.
        ds->Append();
        ds->FieldByName(u"CDCTE"_s)->SetAsFloat(1);
        ds->FieldByName(u"CDIMPOSTO"_s)->SetAsString(u"09"_s);
        ds->Post();
        QCOMPARE(ds->RecordCount(), 3);

        ds->First();
        ds->Delete();
        ds->SetFilter(u"CDCTE = 3"_s);
        QCOMPARE(ds->LastFilterStats().rowsExamined, 2);
        ds->SetFilter(u"CDCTE = 1"_s);
        QCOMPARE(column(*ds, u"CDIMPOSTO"_s), (QStringList {u"01"_s, u"02"_s, u"09"_s}));
        ds->SetFiltered(false);
        QCOMPARE(ds->RecordCount(), 7);
    }

    void hashedFilterOnAnotherFieldFollowsTheIndexOrder()
    {
        ds->LoadFromPacket(childPacket(3, 2));
        ds->SetFilter(u"CDIMPOSTO = '01'"_s);
        ds->SetFiltered(true);
        QCOMPARE(column(*ds, u"VRIMPOSTO"_s), (QStringList {u"101"_s, u"201"_s, u"301"_s}));
        ds->SetIndexFieldNames(u"VRIMPOSTO"_s);
        ds->First();
        ds->Edit();
        ds->FieldByName(u"VRIMPOSTO"_s)->SetAsFloat(999);
        ds->Post();
        QCOMPARE(column(*ds, u"VRIMPOSTO"_s), (QStringList {u"201"_s, u"301"_s, u"999"_s}));
        QCOMPARE(ds->RecNo(), 3);
        ds->SetFiltered(false);
        ds->SetFiltered(true);
        QVERIFY(ds->LastFilterStats().usedIndex);
        QCOMPARE(column(*ds, u"VRIMPOSTO"_s), (QStringList {u"201"_s, u"301"_s, u"999"_s}));
    }

    void insertWithoutIndexKeepsArrivalPosition()
    {
        ds->LoadFromPacket(childPacket(1, 3));
        ds->SetRecNo(2);
        ds->Insert();
        ds->FieldByName(u"CDIMPOSTO"_s)->SetAsString(u"XX"_s);
        ds->Post();
        QCOMPARE(column(*ds, u"CDIMPOSTO"_s), (QStringList {u"03"_s, u"XX"_s, u"02"_s, u"01"_s}));
        QCOMPARE(ds->DataPacket().rows.at(1).at(1), QVariant(u"XX"_s));
        ds->SetIndexFieldNames(u"CDIMPOSTO"_s);
        ds->SetIndexFieldNames(QString());
        QCOMPARE(column(*ds, u"CDIMPOSTO"_s), (QStringList {u"03"_s, u"XX"_s, u"02"_s, u"01"_s}));
    }

    // --- change log

    void changeLog_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("changes"); // kind:old->new of NOME

        QTest::newRow("nothing") << u""_s << QStringList {};
        QTest::newRow("insert") << u"append N"_s << QStringList {u"insert:->N"_s};
        QTest::newRow("update") << u"edit 2 X"_s << QStringList {u"update:B->X"_s};
        QTest::newRow("update-twice-is-one")
            << u"edit 2 X;edit 2 Y"_s << QStringList {u"update:B->Y"_s};
        QTest::newRow("insert-then-edit-is-insert")
            << u"append N;edit 4 M"_s << QStringList {u"insert:->M"_s};
        QTest::newRow("insert-then-delete-is-nothing") << u"append N;delete 4"_s << QStringList {};
        QTest::newRow("delete-loaded") << u"delete 1"_s << QStringList {u"delete:A->"_s};
        QTest::newRow("delete-updated-sends-original")
            << u"edit 3 X;delete 3"_s << QStringList {u"delete:C->"_s};
        QTest::newRow("order-of-changes")
            << u"edit 3 X;append N;delete 1"_s
            << QStringList {u"update:C->X"_s, u"insert:->N"_s, u"delete:A->"_s};
        QTest::newRow("cancelled-edit-logs-nothing") << u"cancel 2 X"_s << QStringList {};
        // Without the log: values are stored, nothing reaches the delta, a logged change stays.
        QTest::newRow("unlogged-edit") << u"nolog;edit 2 X"_s << QStringList {};
        QTest::newRow("unlogged-insert") << u"nolog;append N"_s << QStringList {};
        QTest::newRow("unlogged-delete") << u"nolog;delete 1"_s << QStringList {};
        QTest::newRow("unlogged-edit-of-another-row")
            << u"edit 3 X;nolog;edit 2 Y"_s << QStringList {u"update:C->X"_s};
        QTest::newRow("logged-again")
            << u"nolog;edit 2 Y;log;edit 1 Z"_s << QStringList {u"update:A->Z"_s};
    }

    void changeLog()
    {
        QFETCH(QString, script);
        QFETCH(QStringList, changes);
        ds->LoadFromPacket(namesPacket({u"A"_s, u"B"_s, u"C"_s}));
        TField *nome = ds->FieldByName(u"NOME"_s);
        for (const QString &step : script.split(u';', Qt::SkipEmptyParts)) {
            const QStringList w = step.split(u' ');
            if (w[0] == u"nolog" || w[0] == u"log") {
                ds->SetLogChanges(w[0] == u"log");
                continue;
            }
            if (w[0] == u"append") {
                ds->Append();
                ds->FieldByName(u"ID"_s)->SetAsInteger(ds->RecordCount());
                nome->SetAsString(w[1]);
                ds->Post();
                continue;
            }
            ds->SetRecNo(w[1].toInt());
            if (w[0] == u"delete") {
                ds->Delete();
                continue;
            }
            ds->Edit();
            nome->SetAsString(w[2]);
            if (w[0] == u"cancel")
                ds->Cancel();
            else
                ds->Post();
        }
        QCOMPARE(ds->ChangeCount(), changes.size());
        const QVariant delta = ds->Delta();
        QCOMPARE(delta.isNull(), changes.isEmpty());
        if (changes.isEmpty())
            return;
        const auto d = delta.value<contracts::Delta>();
        QCOMPARE(d.fields, ds->FieldDefs());
        QStringList seen;
        for (const contracts::Change &c : d.changes) {
            const char *kind = c.kind == contracts::Change::Kind::Insert ? "insert"
                : c.kind == contracts::Change::Kind::Update              ? "update"
                                                                         : "delete";
            seen.append(u"%1:%2->%3"_s.arg(QLatin1StringView(kind), c.oldValues.value(1).toString(),
                                           c.newValues.value(1).toString()));
        }
        QCOMPARE(seen, changes);
        // The delta survives its JSON form unchanged.
        QString error;
        const auto back = contracts::deltaFromJson(contracts::deltaToJson(d), &error);
        QVERIFY2(back, qPrintable(error));
        QCOMPARE(back->changes.size(), d.changes.size());
        for (qsizetype i = 0; i < d.changes.size(); ++i) {
            QCOMPARE(back->changes[i].oldValues, d.changes[i].oldValues);
            QCOMPARE(back->changes[i].newValues, d.changes[i].newValues);
        }
    }

    void mergeAndCancelUpdates()
    {
        ds->LoadFromPacket(namesPacket({u"A"_s, u"B"_s, u"C"_s}));
        const contracts::DataPacket loaded = ds->DataPacket();
        TField *nome = ds->FieldByName(u"NOME"_s);
        ds->Edit();
        nome->SetAsString(u"X"_s);
        ds->Post();
        QCOMPARE(nome->OldValue(), QVariant(u"A"_s));
        ds->MergeChangeLog();
        QCOMPARE(ds->ChangeCount(), 0);
        QVERIFY(ds->Delta().isNull());
        QCOMPARE(nome->OldValue(), QVariant(u"X"_s));

        ds->Edit();
        nome->SetAsString(u"Y"_s);
        ds->Post();
        ds->Last();
        ds->Delete();
        ds->Append();
        nome->SetAsString(u"N"_s);
        ds->Post();
        ds->SetIndexFieldNames(u"NOME"_s);
        ds->CancelUpdates();
        QCOMPARE(ds->ChangeCount(), 0);
        QCOMPARE(column(*ds, u"NOME"_s), (QStringList {u"B"_s, u"C"_s, u"X"_s}));
        ds->SetIndexFieldNames(QString());
        QCOMPARE(column(*ds, u"NOME"_s), (QStringList {u"X"_s, u"B"_s, u"C"_s}));
        QCOMPARE(ds->DataPacket().rows.at(2), loaded.rows.at(2));
    }

    // --- packets

    void packetRoundTripOfEveryType()
    {
        const contracts::DataPacket p = everyTypePacket();
        ds->LoadFromPacket(p);
        QCOMPARE(ds->FieldDefs(), p.fields);
        QVERIFY(!ds->FieldByName(u"S"_s)->Visible());
        QVERIFY(ds->FieldByName(u"F"_s)->ReadOnly());
        QVERIFY(ds->FieldByName(u"R"_s)->Required());
        QCOMPARE(ds->DataPacket().rows, p.rows);

        const QByteArray json = ds->SaveToJson();
        TClientDataSet other(nullptr, u"cdsOutro"_s);
        other.LoadFromJson(json);
        QCOMPARE(other.FieldDefs(), p.fields);
        QCOMPARE(other.DataPacket().rows, p.rows);
        QCOMPARE(other.FieldByName(u"D"_s)->AsDateTime().time().msec(), 250);

        TClientDataSet viaVariant(nullptr, u"cdsVariant"_s);
        viaVariant.SetData(ds->Data());
        QCOMPARE(viaVariant.DataPacket().rows, p.rows);
        viaVariant.SetData(QJsonDocument::fromJson(json).object());
        QCOMPARE(viaVariant.RecordCount(), 2);
    }

    void loadKeepsClientPropertiesOfSameFields()
    {
        ds->LoadFromPacket(namesPacket({u"A"_s}));
        TField *nome = ds->FieldByName(u"NOME"_s);
        TField *valor = ds->FieldByName(u"VALOR"_s);
        nome->SetDisplayLabel(u"Nome"_s);
        int changes = 0;
        nome->OnChange = [&](TField *) {
            ++changes;
        };
        valor->SetDisplayFormat(u"#,##0.00"_s);
        TField *calc = nullptr;
        QVERIFY_THROWS_EXCEPTION(EMensErro, calc = ds->AddCalcField(u"C"_s, FieldType::String));
        ds->Close();
        calc = ds->AddCalcField(u"RODAPE"_s, FieldType::String, 50);
        ds->OnCalcFields = [](TClientDataSet *d) {
            d->FieldByName(u"RODAPE"_s)->SetAsString(d->FieldByName(u"NOME"_s)->AsString());
        };
        QSignalSpy structure(ds.get(), &TClientDataSet::structureChanged);

        // Same name and type: same object. VALOR changes type, ID disappears, NOVO is new.
        contracts::DataPacket p;
        p.fields = {{u"NOVO"_s, FieldType::Integer, 0},
                    {u"NOME"_s, FieldType::String, 30},
                    {u"VALOR"_s, FieldType::String, 10}};
        p.rows = {{qint64(1), u"Zé"_s, u"x"_s}};
        ds->LoadFromPacket(p);
        QCOMPARE(structure.count(), 1);
        QCOMPARE(ds->FieldByName(u"NOME"_s), nome);
        QCOMPARE(nome->DisplayLabel(), u"Nome"_s);
        QCOMPARE(nome->Size(), 30);
        QCOMPARE(nome->Index(), 1);
        QVERIFY(ds->FindField(u"ID"_s) == nullptr);
        QVERIFY(ds->FieldByName(u"VALOR"_s)->DisplayFormat().isEmpty());
        QCOMPARE(ds->Fields().last(), calc);
        QCOMPARE(calc->AsString(), u"Zé"_s);
        ds->Edit();
        nome->SetAsString(u"Ana"_s);
        QCOMPARE(changes, 1);
        QCOMPARE(ds->DataPacket().fields.size(), 3);
    }

    void badPacketLeavesTheDataSetAsItWas_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("named"); // what the error must name

        QTest::newRow("not-json") << QByteArray("{\"fields\": [") << u"JSON"_s;
        QTest::newRow("no-rows") << QByteArray(R"({"fields":[{"name":"A","type":"integer"}]})")
                                 << u"linhas"_s;
        QTest::newRow("unknown-type")
            << QByteArray(R"({"fields":[{"name":"A","type":"blob"}],"rows":[]})") << u"blob"_s;
        QTest::newRow("row-too-short") << QByteArray(
            R"({"fields":[{"name":"A","type":"integer"},{"name":"B","type":"float"}],"rows":[[1,2],[3]]})")
                                       << u"linha 2"_s;
        QTest::newRow("wrong-type") << QByteArray(
            R"({"fields":[{"name":"A","type":"integer"},{"name":"B","type":"float"}],"rows":[[1,"x"]]})")
                                    << u"campo B na linha 1"_s;
        QTest::newRow("text-too-long") << QByteArray(
            R"({"fields":[{"name":"NM","type":"string","size":2}],"rows":[["ab"],["abc"]]})")
                                       << u"campo NM na linha 2"_s;
        QTest::newRow("repeated-field") << QByteArray(
            R"({"fields":[{"name":"A","type":"integer"},{"name":"a","type":"float"}],"rows":[]})")
                                        << u"a"_s;
    }

    void badPacketLeavesTheDataSetAsItWas()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, named);
        ds->LoadFromPacket(namesPacket({u"A"_s, u"B"_s}));
        ds->SetRecNo(2);
        ds->Edit();
        ds->FieldByName(u"NOME"_s)->SetAsString(u"X"_s);
        ds->Post();
        TField *nome = ds->FieldByName(u"NOME"_s);
        const contracts::DataPacket before = ds->DataPacket();
        QSignalSpy data(ds.get(), &TClientDataSet::dataSetChanged);
        const QString error = errorOf([&] { ds->LoadFromJson(json); });
        QVERIFY2(error.contains(named), qPrintable(error));
        QVERIFY2(error.contains(u"cdsCTeImpostos"_s), qPrintable(error));
        QCOMPARE(ds->DataPacket().rows, before.rows);
        QCOMPARE(ds->FieldByName(u"NOME"_s), nome);
        QCOMPARE(ds->RecNo(), 2);
        QCOMPARE(ds->ChangeCount(), 1);
        QCOMPARE(data.count(), 0);
    }

    void badPacketFromCodeIsRefusedToo()
    {
        ds->LoadFromPacket(namesPacket({u"A"_s}));
        contracts::DataPacket p = namesPacket({u"B"_s});
        p.rows[0][0] = u"not a number"_s;
        QVERIFY_THROWS_EXCEPTION(EMensErro, ds->LoadFromPacket(p));
        QCOMPARE(ds->FieldByName(u"NOME"_s)->AsString(), u"A"_s);
        QVERIFY_THROWS_EXCEPTION(EMensErro, ds->SetData(QVariant(42)));
    }

    void emptyAndClose()
    {
        ds->LoadFromPacket(namesPacket({u"A"_s, u"B"_s}));
        ds->Delete();
        ds->EmptyDataSet();
        QVERIFY(ds->IsEmpty());
        QCOMPARE(ds->ChangeCount(), 0);
        QCOMPARE(ds->State(), dsBrowse);
        ds->Close();
        QCOMPARE(ds->State(), dsInactive);
        QCOMPARE(ds->FieldCount(), 3);
        QCOMPARE(ds->FieldByName(u"NOME"_s)->AsString(), QString());
        QVERIFY_THROWS_EXCEPTION(EMensErro, ds->Append());
        ds->Open();
        QCOMPARE(ds->State(), dsBrowse);
        QVERIFY(ds->IsEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDataSetContent)
#include "tst_datasetcontent.moc"
