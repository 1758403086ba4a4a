// The cargo-quantity rules without a window: unit texts, the sums the system keeps from the fiscal
// documents, and how a fiscal document is named to the server.
#include "CTeRecord.h"
#include "CargoQuantities.h"
#include "ClientDataSet.h"
#include "Exceptions.h"
#include "NewDocument.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QStringList kTexts {u"00 - M3"_s,      u"01 - KG"_s,     u"02 - TON"_s,
                          u"03 - UNIDADE"_s, u"04 - LITROS"_s, u"05 - MMBTU"_s};

std::unique_ptr<TClientDataSet> quantities()
{
    auto ds = std::make_unique<TClientDataSet>(nullptr, u"cdsCTeInfQtCarga"_s);
    for (const contracts::FieldDef &f : contracts::cte::cargoQuantityFields())
        ds->AddField(f.name, f.type, f.size);
    ds->CreateDataSet();
    AppendStandardCargoRows(ds.get());
    return ds;
}

std::unique_ptr<TClientDataSet> units(const QList<std::pair<QString, double>> &rows)
{
    auto ds = std::make_unique<TClientDataSet>(nullptr, u"cdsUnidProdDocFiscais"_s);
    ds->AddField(u"REFERENCIA"_s, contracts::FieldType::FixedString, 2);
    ds->AddField(u"SGUNIDADE"_s, contracts::FieldType::String, 10);
    ds->AddField(u"QTUNIDADE"_s, contracts::FieldType::Float);
    ds->CreateDataSet();
    for (const auto &[reference, amount] : rows) {
        ds->Append();
        ds->FieldByName(u"REFERENCIA"_s)->SetAsString(reference);
        ds->FieldByName(u"QTUNIDADE"_s)->SetAsFloat(amount);
        ds->Post();
    }
    return ds;
}

// "unit:kind:quantity:generated" of every row, in order.
QStringList rowsOf(TClientDataSet *ds)
{
    QStringList out;
    for (int row = 0; row < ds->RecordCount(); ++row) {
        QStringList cells;
        for (const char16_t *f : {u"CDUNIDMEDIDA", u"DSTIPOMEDIDA", u"QTCARGA", u"IDGERADAAUTO"})
            cells << ds->TextAt(row, ds->FieldByName(QString::fromUtf16(f)));
        out << cells.join(u':');
    }
    return out;
}

using Document = QList<std::pair<QString, double>>;
using Steps = QList<std::pair<int, Document>>;

} // namespace

class TestCargoQuantities : public QObject
{
    Q_OBJECT

private slots:
    void unitText_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("00") << u"00"_s << u"00 - M3"_s;
        QTest::newRow("05") << u"05"_s << u"05 - MMBTU"_s;
        QTest::newRow("one digit") << u"3"_s << u"03 - UNIDADE"_s;
        QTest::newRow("06 unknown") << u"06"_s << QString();
        QTest::newRow("not a number") << u"KG"_s << QString();
    }
    void unitText()
    {
        QFETCH(QString, code);
        QFETCH(QString, shown);
        QCOMPARE(UnitDisplayText(code, kTexts), shown);
    }

    void unitTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored"); // empty: the field keeps its value
        QTest::addColumn<bool>("refusedOnLeaving");
        QTest::newRow("picked from the list") << u"02 - TON"_s << u"02"_s << false;
        QTest::newRow("two-digit code") << u"05"_s << u"05"_s << false;
        QTest::newRow("one digit is not taken") << u"3"_s << QString() << false;
        QTest::newRow("07") << u"07"_s << QString() << true;
        QTest::newRow("6") << u"6"_s << QString() << true;
        QTest::newRow("text in other case") << u"01 - kg"_s << QString() << false;
        QTest::newRow("nothing") << QString() << QString() << false;
    }
    void unitTyped()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(bool, refusedOnLeaving);
        QCOMPARE(UnitCodeForText(typed, kTexts).value_or(QString()), stored);
        QCOMPARE(UnitCellRefused(typed), refusedOnLeaving);
    }

    void unitKeys_data()
    {
        QTest::addColumn<QChar>("key");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("0") << QChar(u'0') << true;
        QTest::newRow("9") << QChar(u'9') << true;
        QTest::newRow("backspace") << QChar(u'\b') << true;
        QTest::newRow("tab") << QChar(u'\t') << true;
        QTest::newRow("letter") << QChar(u'a') << false;
        QTest::newRow("minus") << QChar(u'-') << false;
        QTest::newRow("space") << QChar(u' ') << false;
    }
    void unitKeys()
    {
        QFETCH(QChar, key);
        QFETCH(bool, accepted);
        QCOMPARE(UnitKeyAccepted(key), accepted);
    }

    // Each step adds (+1) or removes (-1) one document's unit rows; the rows of the quantity list
    // afterwards, after the five rows of a new document.
    void keptSums_data()
    {
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<QStringList>("kept"); // the rows with IDGERADAAUTO "S"
        const Document a {{u"NF"_s, 100}, {u"VL"_s, 3}};
        const Document b {{u"NF"_s, 50}, {u"VL"_s, 2}};
        QTest::newRow("one document")
            << Steps {{+1, a}}
            << QStringList {u"01:PESO BRUTO:100:S"_s, u"03:QUANTIDADE DE VOLUME:3:S"_s};
        QTest::newRow("two documents")
            << Steps {{+1, a}, {+1, b}}
            << QStringList {u"01:PESO BRUTO:150:S"_s, u"03:QUANTIDADE DE VOLUME:5:S"_s};
        QTest::newRow("second removed")
            << Steps {{+1, a}, {+1, b}, {-1, b}}
            << QStringList {u"01:PESO BRUTO:100:S"_s, u"03:QUANTIDADE DE VOLUME:3:S"_s};
        QTest::newRow("both removed")
            << Steps {{+1, a}, {+1, b}, {-1, b}, {-1, a}} << QStringList();
        QTest::newRow("other references change nothing")
            << Steps {{+1, {{u"PL"_s, 92}, {u"XX"_s, 7}}}} << QStringList {u"01:PESO BRUTO:0:S"_s};
        QTest::newRow("removing what is not there")
            << Steps {{-1, {{u"VL"_s, 4}}}} << QStringList {u"01:PESO BRUTO:0:S"_s};
        QTest::newRow("fractions come back to nothing") << Steps {{+1, {{u"NF"_s, 0.1}}},
                                                                  {+1, {{u"NF"_s, 0.2}}},
                                                                  {-1, {{u"NF"_s, 0.1}}},
                                                                  {-1, {{u"NF"_s, 0.2}}}}
                                                        << QStringList();
    }
    void keptSums()
    {
        QFETCH(Steps, steps);
        QFETCH(QStringList, kept);
        auto qt = quantities();
        // The user's rows refuse nothing; the system's refuse the user, as the editor's do.
        const auto refuse = [](TClientDataSet *ds) {
            if (ds->FieldByName(u"IDGERADAAUTO"_s)->AsString() == u"S")
                MensErro(u"recusado"_s);
        };
        qt->BeforeEdit = refuse;
        qt->BeforeDelete = refuse;
        for (const auto &[sign, document] : steps) {
            auto u = units(document);
            ApplyDocumentQuantities(qt.get(), u.get(), 0, sign);
        }
        QStringList system;
        QStringList user;
        for (const QString &row : rowsOf(qt.get()))
            (row.endsWith(u":S"_s) ? system : user) << row;
        QCOMPARE(system, kept);
        // The four rows of the user are untouched, the default "03" row among them.
        QCOMPARE(user,
                 (QStringList {u"01:PESO BASE DE CALCULO:0:N"_s, u"01:PESO AFERIDO:0:N"_s,
                               u"00:CUBAGEM:0:N"_s, u"03:QUANTIDADE DE VOLUME:0:N"_s}));
        // The refusing handlers are back.
        QVERIFY(qt->Locate(u"IDGERADAAUTO"_s, u"N"_s));
        QVERIFY(FrameworkGuard([&] { qt->Edit(); }));
        qt->Cancel();
        if (qt->Locate(u"IDGERADAAUTO"_s, u"S"_s)) {
            QVERIFY(!FrameworkGuard([&] { qt->Edit(); }));
            QCOMPARE(qt->State(), dsBrowse);
        }
    }

    // A failure half-way still gives the handlers back.
    void handlersComeBackAfterAFailure()
    {
        auto qt = quantities();
        int refused = 0;
        qt->BeforeEdit = [&](TClientDataSet *) {
            ++refused;
            MensErro(u"recusado"_s);
        };
        qt->BeforePost = [](TClientDataSet *ds) {
            if (ds->FieldByName(u"QTCARGA"_s)->AsFloat() > 1000)
                MensErro(u"grande demais"_s);
        };
        auto u = units({{u"NF"_s, 5000}});
        QVERIFY(!FrameworkGuard([&] { ApplyDocumentQuantities(qt.get(), u.get(), 0, +1); }));
        qt->Cancel();
        QVERIFY(qt->BeforeEdit);
        QVERIFY(!FrameworkGuard([&] { qt->Edit(); }));
        QCOMPARE(refused, 1);
    }

    void criteria_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QStringList>("row"); // access key, branch, entry
        QTest::addColumn<QStringList>("sent"); // what the server receives
        QTest::addColumn<QString>("listKey");
        const QString key = u"35261261348257000123550010000041011554212394"_s;
        QTest::newRow("add by key")
            << u"add"_s << QStringList {key, {}, {}} << QStringList {key, u"T"_s, u"T"_s} << key;
        QTest::newRow("add by branch and entry")
            << u"add"_s << QStringList {key, u"0001"_s, u"64101"_s}
            << QStringList {u"T"_s, u"0001"_s, u"64101"_s} << u"000164101"_s;
        QTest::newRow("add by branch only") << u"add"_s << QStringList {{}, u"0001"_s, {}}
                                            << QStringList {u"T"_s, u"0001"_s, u"T"_s} << u"0001"_s;
        QTest::newRow("remove by key") << u"remove"_s << QStringList {key, u"0001"_s, u"64101"_s}
                                       << QStringList {key, u"T"_s, u"T"_s} << QString();
        QTest::newRow("remove by branch and entry")
            << u"remove"_s << QStringList {{}, u"0001"_s, u"64101"_s}
            << QStringList {u"T"_s, u"0001"_s, u"64101"_s} << QString();
        QTest::newRow("remove with nothing keeps the empties")
            << u"remove"_s << QStringList {{}, {}, {}} << QStringList {u"T"_s, {}, {}} << QString();
    }
    void criteria()
    {
        QFETCH(QString, operation);
        QFETCH(QStringList, row);
        QFETCH(QStringList, sent);
        QFETCH(QString, listKey);
        TFiscalDocumentCriteria c;
        if (operation == u"add") {
            c = CriteriaToAdd(row.at(0), row.at(1), row.at(2));
            QCOMPARE(c.ListKey(), listKey);
            c = c.WithAnyForEmpty();
        } else {
            c = CriteriaToRemove(row.at(0), row.at(1), row.at(2));
        }
        QCOMPARE((QStringList {c.accessKey, c.branch, c.entry}), sent);
    }

    void productRequest()
    {
        const QString key = u"35261261348257000123550010000041011554212394"_s;
        TClientDataSet request(nullptr, u"cdsDocFiscaisAux"_s);
        request.AddField(u"NRACESSONFE"_s, contracts::FieldType::String, 50);
        request.AddField(u"CDFILIAL"_s, contracts::FieldType::String, 30);
        request.AddField(u"NRLANCTONF"_s, contracts::FieldType::String, 10);
        // Filled twice: the second time replaces the first.
        FillProductRequest(&request, {u"00090000000001"_s});
        FillProductRequest(&request, {u"000164101"_s, key, u"00021234567890"_s});
        QCOMPARE(request.RecordCount(), 3);
        const QStringList expected {u"|0001|64101"_s, key + u"||"_s, u"|0002|1234567890"_s};
        for (int row = 0; row < 3; ++row) {
            QStringList cells;
            for (const char16_t *f : {u"NRACESSONFE", u"CDFILIAL", u"NRLANCTONF"})
                cells << request.TextAt(row, request.FieldByName(QString::fromUtf16(f)));
            QCOMPARE(cells.join(u'|'), expected.at(row));
        }
    }
};

QTEST_GUILESS_MAIN(TestCargoQuantities)
#include "tst_cargoquantities.moc"
