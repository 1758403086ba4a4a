// Fields: types, widths, assignment rules, texts and display formats.
#include "ClientDataSet.h"
#include "DataSetBuilder.h"
#include "ErrorOf.h"
#include "Exceptions.h"
#include "FieldFormat.h"
#include "Masks.h"

#include <QTest>

using namespace Qt::StringLiterals;
using contracts::FieldType;

class TestDataSetFields : public QObject
{
    Q_OBJECT

    std::unique_ptr<TClientDataSet> ds;

private slots:
    void init()
    {
        ds = std::make_unique<TClientDataSet>(nullptr, u"cdsCampos"_s);
        ds->AddField(u"IDCHECK"_s, FieldType::FixedString, 1);
        ds->AddField(u"NRCTE"_s, FieldType::String, 9);
        ds->AddField(u"DSSEMTAMANHO"_s, FieldType::String);
        ds->AddField(u"VRTOTAL"_s, FieldType::Float);
        ds->AddField(u"QTITENS"_s, FieldType::Integer);
        ds->AddField(u"DTEMISSAO"_s, FieldType::DateTime);
        ds->AddField(u"DSOBS"_s, FieldType::Memo);
        ds->AddField(u"CDFIXO"_s, FieldType::FixedString, 4);
        ds->CreateDataSet();
    }

    void stringsKeepTheirFirstCharacters_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("assigned");
        QTest::addColumn<QString>("stored");

        QTest::newRow("fits") << u"NRCTE"_s << u"123"_s << u"123"_s;
        QTest::newRow("exact-width") << u"NRCTE"_s << u"123456789"_s << u"123456789"_s;
        QTest::newRow("cut-to-width") << u"NRCTE"_s << u"1234567890AB"_s << u"123456789"_s;
        QTest::newRow("default-width-20")
            << u"DSSEMTAMANHO"_s << u"QUANTIDADE DE VOLUMES"_s << u"QUANTIDADE DE VOLUME"_s;
        QTest::newRow("fixed-padded") << u"CDFIXO"_s << u"AB"_s << u"AB  "_s;
        QTest::newRow("fixed-cut") << u"IDCHECK"_s << u"SN"_s << u"S"_s;
        QTest::newRow("memo-unbounded") << u"DSOBS"_s << QString(300, u'x') << QString(300, u'x');
        QTest::newRow("empty-is-null") << u"NRCTE"_s << QString() << QString();
    }

    void stringsKeepTheirFirstCharacters()
    {
        QFETCH(QString, field);
        QFETCH(QString, assigned);
        QFETCH(QString, stored);
        ds->Append();
        TField *f = ds->FieldByName(field);
        f->SetAsString(assigned);
        QCOMPARE(f->AsString(), stored);
        QCOMPARE(f->IsNull(), stored.isEmpty());
        ds->Post();
        QCOMPARE(ds->DataPacket().rows.at(0).at(f->Index()),
                 stored.isEmpty() ? QVariant() : QVariant(stored));
    }

    void declaredWidths()
    {
        QCOMPARE(ds->FieldByName(u"DSSEMTAMANHO"_s)->Size(), 20);
        QCOMPARE(ds->FieldByName(u"NRCTE"_s)->Size(), 9);
        QVERIFY(ds->FieldByName(u"IDCHECK"_s)->IsFixedWidth());
        QCOMPARE(ds->FieldByName(u"VRTOTAL"_s)->Alignment(), TAlignment::taRightJustify);
        QCOMPARE(ds->FieldByName(u"NRCTE"_s)->Alignment(), TAlignment::taLeftJustify);
        QCOMPARE(ds->FieldByName(u"nrcte"_s), ds->FieldByName(u"NRCTE"_s));
        QCOMPARE(ds->FindField(u"NAOEXISTE"_s), nullptr);
        QVERIFY_THROWS_EXCEPTION(EMensErro, ds->FieldByName(u"NAOEXISTE"_s));
        QVERIFY_THROWS_EXCEPTION(EMensErro, ds->AddField(u"X"_s, FieldType::String, 1));
    }

    void valuesConvertOnAssignment_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("assigned");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("asString");

        QTest::newRow("float-from-brazilian-text")
            << u"VRTOTAL"_s << QVariant(u"1.234,56"_s) << QVariant(1234.56) << u"1234,56"_s;
        QTest::newRow("float-from-dot-text")
            << u"VRTOTAL"_s << QVariant(u"12.5"_s) << QVariant(12.5) << u"12,5"_s;
        QTest::newRow("float-integral")
            << u"VRTOTAL"_s << QVariant(123.0) << QVariant(123.0) << u"123"_s;
        QTest::newRow("float-from-int") << u"VRTOTAL"_s << QVariant(7) << QVariant(7.0) << u"7"_s;
        QTest::newRow("float-empty-text-null")
            << u"VRTOTAL"_s << QVariant(u""_s) << QVariant() << QString();
        QTest::newRow("integer-from-text")
            << u"QTITENS"_s << QVariant(u"42"_s) << QVariant(qint64(42)) << u"42"_s;
        QTest::newRow("integer-from-float")
            << u"QTITENS"_s << QVariant(3.0) << QVariant(qint64(3)) << u"3"_s;
        QTest::newRow("date-from-text")
            << u"DTEMISSAO"_s << QVariant(u"07/12/2026"_s)
            << QVariant(QDateTime(QDate(2026, 12, 7), QTime(0, 0))) << u"07/12/2026"_s;
        QTest::newRow("date-time-from-text")
            << u"DTEMISSAO"_s << QVariant(u"07/12/2026 10:15:30"_s)
            << QVariant(QDateTime(QDate(2026, 12, 7), QTime(10, 15, 30)))
            << u"07/12/2026 10:15:30"_s;
        QTest::newRow("date-from-iso")
            << u"DTEMISSAO"_s << QVariant(u"2026-12-07T10:15:00"_s)
            << QVariant(QDateTime(QDate(2026, 12, 7), QTime(10, 15))) << u"07/12/2026 10:15:00"_s;
        QTest::newRow("string-from-float")
            << u"NRCTE"_s << QVariant(12.0) << QVariant(u"12"_s) << u"12"_s;
    }

    void valuesConvertOnAssignment()
    {
        QFETCH(QString, field);
        QFETCH(QVariant, assigned);
        QFETCH(QVariant, stored);
        QFETCH(QString, asString);
        ds->Append();
        TField *f = ds->FieldByName(field);
        f->SetValue(assigned);
        QCOMPARE(f->Value(), stored);
        QCOMPARE(f->AsString(), asString);
    }

    void badValuesAreRefusedAndKeepTheOldOne_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("assigned");
        QTest::addColumn<QString>("typedUnder"); // display format of a value typed as text
        QTest::newRow("float-text") << u"VRTOTAL"_s << QVariant(u"abc"_s) << QString();
        QTest::newRow("integer-fraction") << u"QTITENS"_s << QVariant(1.5) << QString();
        QTest::newRow("date-text") << u"DTEMISSAO"_s << QVariant(u"31/02/2026"_s) << QString();
        QTest::newRow("money-third-decimal")
            << u"VRTOTAL"_s << QVariant(u"1000.555"_s) << u"#,##0.00"_s;
        QTest::newRow("money-third-decimal-brazilian")
            << u"VRTOTAL"_s << QVariant(u"1.000,555"_s) << u"#,##0.00"_s;
        QTest::newRow("whole-number-with-a-fraction")
            << u"VRTOTAL"_s << QVariant(u"10,5"_s) << u"#,##0"_s;
    }

    void badValuesAreRefusedAndKeepTheOldOne()
    {
        QFETCH(QString, field);
        QFETCH(QVariant, assigned);
        QFETCH(QString, typedUnder);
        ds->Append();
        TField *f = ds->FieldByName(field);
        f->SetAsString(field == u"DTEMISSAO" ? u"01/01/2026"_s : u"1"_s);
        const QVariant before = f->Value();
        f->SetDisplayFormat(typedUnder);
        const QString error = errorOf([&] {
            if (typedUnder.isEmpty())
                f->SetValue(assigned);
            else
                f->SetText(assigned.toString());
        });
        QVERIFY2(error.contains(field), qPrintable(error));
        QCOMPARE(f->Value(), before);
    }

    void writingNeedsEditState()
    {
        ds->Append();
        ds->FieldByName(u"NRCTE"_s)->SetAsString(u"1"_s);
        ds->Post();
        TField *f = ds->FieldByName(u"NRCTE"_s);
        const QString error = errorOf([&] { f->SetAsString(u"2"_s); });
        QVERIFY(error.contains(u"NRCTE"_s));
        QVERIFY(error.contains(u"cdsCampos"_s));
        QCOMPARE(f->AsString(), u"1"_s);

        f->SetReadOnly(true);
        ds->Edit();
        QVERIFY_THROWS_EXCEPTION(EMensErro, f->SetAsString(u"3"_s));
        QCOMPARE(f->AsString(), u"1"_s);
        // The dataset's own loading writes read-only fields.
        ds->LoadFromPacket(ds->DataPacket());
        QCOMPARE(f->AsString(), u"1"_s);
        QVERIFY(f->ReadOnly());
    }

    void requiredFieldsBlockThePost()
    {
        ds->FieldByName(u"NRCTE"_s)->SetRequired(true);
        ds->FieldByName(u"NRCTE"_s)->SetDisplayLabel(u"Número"_s);
        ds->Append();
        const QString error = errorOf([&] { ds->Post(); });
        QVERIFY(error.contains(u"Número"_s));
        QCOMPARE(ds->State(), dsInsert);
    }

    void changeAndValidateHandlers()
    {
        QStringList log;
        TField *f = ds->FieldByName(u"NRCTE"_s);
        f->OnValidate = [&](TField *sender) {
            log.append(u"validate:"_s + sender->AsString());
            if (sender->AsString() == u"999")
                MensErro(u"Número inválido"_s);
        };
        f->OnChange = [&](TField *sender) {
            log.append(u"change:"_s + sender->AsString());
        };
        ds->Append();
        f->SetAsString(u"1"_s);
        QVERIFY_THROWS_EXCEPTION(EMensErro, f->SetAsString(u"999"_s));
        QCOMPARE(f->AsString(), u"1"_s);
        const TFieldNotifyEvent change = f->OnChange;
        f->OnChange = nullptr;
        f->SetAsString(u"2"_s);
        f->OnChange = change;
        f->SetAsString(u"3"_s);
        // The same value again changes nothing: neither handler runs.
        f->SetAsString(u"3"_s);
        QCOMPARE(log,
                 (QStringList {u"validate:1"_s, u"change:1"_s, u"validate:999"_s, u"validate:2"_s,
                               u"validate:3"_s, u"change:3"_s}));
    }

    void getAndSetTextHandlers()
    {
        TField *status = ds->FieldByName(u"IDCHECK"_s);
        status->OnGetText = [](TField *sender, QString &text, bool displayText) {
            if (sender->AsString() == u"S")
                text = displayText ? u"Marcado"_s : u"S"_s;
        };
        status->OnSetText = [](TField *sender, const QString &text) {
            sender->SetAsString(text.startsWith(u'M') ? u"S"_s : u"N"_s);
        };
        ds->Append();
        status->SetText(u"Marcado"_s);
        QCOMPARE(status->AsString(), u"S"_s);
        QCOMPARE(status->DisplayText(), u"Marcado"_s);
        QCOMPARE(status->Text(), u"S"_s);
        status->SetText(u"x"_s);
        QCOMPARE(status->DisplayText(), u"N"_s);
    }

    void displayFormats_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");

        QTest::newRow("money") << u"#,##0.00"_s << 1234.56 << u"1.234,56"_s;
        QTest::newRow("money-millions") << u"#,##0.00"_s << 1234567.891 << u"1.234.567,89"_s;
        QTest::newRow("money-negative") << u"#,##0.00"_s << -1234.5 << u"-1.234,50"_s;
        QTest::newRow("money-zero") << u"#,##0.00"_s << 0.0 << u"0,00"_s;
        QTest::newRow("money-small") << u"#,##0.00"_s << 0.5 << u"0,50"_s;
        QTest::newRow("money-rounds") << u"#,##0.00"_s << 2.346 << u"2,35"_s;
        QTest::newRow("negative-rounding-to-zero") << u"#,##0.00"_s << -0.001 << u"0,00"_s;
        QTest::newRow("percent-literal") << u"#,##0.00 %"_s << 12.0 << u"12,00 %"_s;
        QTest::newRow("percent-fraction") << u"#,##0.00 %"_s << 7.5 << u"7,50 %"_s;
        QTest::newRow("zero-padded") << u"000"_s << 7.0 << u"007"_s;
        QTest::newRow("no-grouping") << u"0.00"_s << 1234.5 << u"1234,50"_s;
        QTest::newRow("optional-decimals") << u"#,##0.##"_s << 1234.5 << u"1.234,5"_s;
        QTest::newRow("prefix-quoted") << u"'R$ '#,##0.00"_s << 10.0 << u"R$ 10,00"_s;
        QTest::newRow("negative-section") << u"#,##0.00;(#,##0.00)"_s << -3.0 << u"(3,00)"_s;
        QTest::newRow("no-format") << QString() << 1234.5 << u"1234,5"_s;
    }

    void displayFormats()
    {
        QFETCH(QString, format);
        QFETCH(double, value);
        QFETCH(QString, text);
        TField *f = ds->FieldByName(u"VRTOTAL"_s);
        f->SetDisplayFormat(format);
        ds->Append();
        f->SetAsFloat(value);
        QCOMPARE(f->DisplayText(), text);
        QCOMPARE(FieldFormat::FormatFloat(format, value), text);
    }

    void dateDisplayFormatAndEditMask()
    {
        ds->Append();
        TField *dt = ds->FieldByName(u"DTEMISSAO"_s);
        dt->SetAsDateTime(QDateTime(QDate(2026, 3, 9), QTime(8, 5, 0)));
        dt->SetDisplayFormat(u"dd/mm/yyyy hh:nn"_s);
        QCOMPARE(dt->DisplayText(), u"09/03/2026 08:05"_s);
        dt->SetDisplayFormat(u"dd/mm/yyyy"_s);
        QCOMPARE(dt->DisplayText(), u"09/03/2026"_s);

        TField *reg = ds->FieldByName(u"DSSEMTAMANHO"_s);
        reg->SetEditMask(PictPess(u"J"_s));
        reg->SetAsString(u"12345678000190"_s);
        QCOMPARE(reg->DisplayText(), FormatMaskText(PictPess(u"J"_s), u"12345678000190"_s));
        QVERIFY(reg->DisplayText() != reg->AsString());
        QCOMPARE(reg->Text(), u"12345678000190"_s);
    }

    void calculatedFields()
    {
        TClientDataSet cds(nullptr, u"cdsCalc"_s);
        cds.AddField(u"CDCTE"_s, FieldType::Float);
        cds.AddField(u"NRCTE"_s, FieldType::String, 9);
        TField *rodape = cds.AddCalcField(u"RODAPE"_s, FieldType::String, 255);
        int calls = 0;
        cds.OnCalcFields = [&](TClientDataSet *d) {
            ++calls;
            QCOMPARE(d->State(), dsCalcFields);
            d->FieldByName(u"RODAPE"_s)
                ->SetAsString(
                    u"Código: %1 - Número: %2"_s.arg(d->FieldByName(u"CDCTE"_s)->AsString(),
                                                     d->FieldByName(u"NRCTE"_s)->AsString()));
        };
        contracts::DataPacket p;
        p.fields = {{u"CDCTE"_s, FieldType::Float, 0}, {u"NRCTE"_s, FieldType::String, 9}};
        p.rows = {{123.0, u"456"_s}, {124.0, u"457"_s}};
        cds.LoadFromPacket(p);
        QCOMPARE(cds.FieldByName(u"RODAPE"_s), rodape);
        QCOMPARE(rodape->AsString(), u"Código: 123 - Número: 456"_s);
        QCOMPARE(cds.DisplayTextAt(1, rodape), u"Código: 124 - Número: 457"_s);
        QCOMPARE(cds.RecNo(), 1);
        QVERIFY(calls >= 2);
        // Calculated values follow the edit buffer and never travel.
        cds.Edit();
        cds.FieldByName(u"NRCTE"_s)->SetAsString(u"9"_s);
        QCOMPARE(rodape->AsString(), u"Código: 123 - Número: 9"_s);
        QVERIFY_THROWS_EXCEPTION(EMensErro, rodape->SetAsString(u"x"_s));
        QCOMPARE(cds.DataPacket().fields.size(), 2);
    }

    void gridReadsRowsWithoutMoving()
    {
        TClientDataSet cds(nullptr, u"cdsGrid"_s);
        cds.LoadFromPacket(namesPacket({u"A"_s, u"B"_s, u"C"_s}));
        TField *nome = cds.FieldByName(u"NOME"_s);
        nome->OnGetText = [](TField *sender, QString &text, bool) {
            text = sender->AsString() + u'-' + sender->DataSet()->FieldByName(u"ID"_s)->AsString();
        };
        cds.SetRecNo(2);
        cds.Edit();
        nome->SetAsString(u"b"_s);
        QCOMPARE(cds.DisplayTextAt(0, nome), u"A-1"_s);
        QCOMPARE(cds.DisplayTextAt(1, nome), u"b-2"_s); // the row being edited shows its buffer
        QCOMPARE(cds.ValueAt(2, cds.FieldByName(u"VALOR"_s)), QVariant(30.0));
        QCOMPARE(cds.ValueAt(3, nome), QVariant());
        QCOMPARE(cds.CurrentRow(), 1);
        QVERIFY(cds.IsEditingRow(1));
        QCOMPARE(nome->AsString(), u"b"_s);
        QCOMPARE(nome->OldValue(), QVariant(u"B"_s));
    }
};

QTEST_GUILESS_MAIN(TestDataSetFields)
#include "tst_datasetfields.moc"
