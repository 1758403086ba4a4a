// The rules of a document's life in the editor without its window: a new document's values, the
// child lists restricted to the current document, the list load and the save's arguments.
#include "CTeRecord.h"
#include "ChildLists.h"
#include "ClientDataSet.h"
#include "Exceptions.h"
#include "ListLoad.h"
#include "NewDocument.h"
#include "SaveChanges.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace contracts;

namespace {

// A row of `fields` with the given values, null elsewhere.
Row row(const QList<FieldDef> &fields, const QHash<QString, QVariant> &values)
{
    Row r;
    for (const FieldDef &f : fields)
        r.append(values.value(f.name));
    return r;
}

DataPacket packet(const QList<FieldDef> &fields, const QList<QHash<QString, QVariant>> &rows = {})
{
    DataPacket p;
    p.fields = fields;
    for (const auto &values : rows)
        p.rows.append(row(fields, values));
    return p;
}

QVariant v(const DataPacket &p)
{
    return QVariant::fromValue(p);
}

std::unique_ptr<TClientDataSet> dataSet(const QString &name, const QList<FieldDef> &fields)
{
    auto cds = std::make_unique<TClientDataSet>(nullptr, name);
    for (const FieldDef &f : fields)
        cds->AddField(f.name, f.type, f.size);
    return cds;
}

} // namespace

class TestDocumentLifeCycle : public QObject
{
    Q_OBJECT

    // The datasets of an editor, with the editor's move: children follow the master's key.
    struct Editor
    {
        std::unique_ptr<TClientDataSet> cte = dataSet(u"cdsCTe"_s, cte::documentFields());
        std::unique_ptr<TClientDataSet> inscr
            = dataSet(u"cdsInscrEstad"_s, cte::establishmentFields());
        std::unique_ptr<TClientDataSet> impostos = dataSet(u"cdsCTeImpostos"_s, cte::taxFields());
        std::unique_ptr<TClientDataSet> compValor
            = dataSet(u"cdsCTeCompValor"_s, cte::valueComponentFields());
        std::unique_ptr<TClientDataSet> pesqCompValor
            = dataSet(u"cdsPesqCompValorPrest"_s, cte::valueComponentRegisterFields());
        std::unique_ptr<TClientDataSet> docFiscais
            = dataSet(u"cdsCTeDocFiscais"_s, cte::fiscalDocumentFields());
        std::unique_ptr<TClientDataSet> pesqDocFiscais = std::make_unique<TClientDataSet>();
        std::unique_ptr<TClientDataSet> qtCarga
            = dataSet(u"cdsCTeInfQtCarga"_s, cte::cargoQuantityFields());
        std::unique_ptr<TClientDataSet> dadosAdic
            = dataSet(u"cdsCTeDadosAdic"_s, cte::additionalDataFields());
        int scrolls = 0;

        Editor()
        {
            impostos->SetIndexFieldNames(u"CDCTE;CDIMPOSTO"_s);
            compValor->SetIndexFieldNames(u"CDCOMPVRPREST"_s);
            cte->AfterScroll = [this](TClientDataSet *ds) {
                ++scrolls;
                FilterChildren(children(),
                               ChildFilterText(ds->FieldByName(u"CDCTE"_s)->AsString()));
            };
        }
        QList<TClientDataSet *> children() const
        {
            return {impostos.get(), compValor.get(), docFiscais.get(), qtCarga.get(),
                    dadosAdic.get()};
        }
        TListDataSets sets() const
        {
            return {cte.get(),           inscr.get(),      impostos.get(),       compValor.get(),
                    pesqCompValor.get(), docFiscais.get(), pesqDocFiscais.get(), qtCarga.get(),
                    dadosAdic.get()};
        }
    };

    // The reply of a list of documents 7 and 9 with children of both.
    static QVariant listReply()
    {
        const auto docs = cte::documentFields();
        QVariantList r {u"S"_s};
        r << v(packet(docs,
                      {{{u"CDCTE"_s, 7.0}, {u"NRCTE"_s, u"000000001"_s}, {u"IDCHECK"_s, u"N"_s}},
                       {{u"CDCTE"_s, 9.0}, {u"NRCTE"_s, u"000000002"_s}, {u"IDCHECK"_s, u"N"_s}}}));
        r << v(packet(cte::establishmentFields(),
                      {{{u"CDEMPRESA"_s, u"01"_s}, {u"CDSERIECTE"_s, u"1"_s}}}));
        r << u"1.00"_s;
        r << v(packet(cte::taxFields(),
                      {{{u"CDCTE"_s, 7.0}, {u"CDIMPOSTO"_s, u"01"_s}},
                       {{u"CDCTE"_s, 9.0}, {u"CDIMPOSTO"_s, u"01"_s}}}));
        r << v(packet(cte::valueComponentFields(),
                      {{{u"CDCTE"_s, 9.0}, {u"CDCOMPVRPREST"_s, 5.0}},
                       {{u"CDCTE"_s, 7.0}, {u"CDCOMPVRPREST"_s, 3.0}},
                       {{u"CDCTE"_s, 7.0}, {u"CDCOMPVRPREST"_s, 1.0}}}));
        r << v(packet(cte::valueComponentRegisterFields(), {{{u"CDCOMPVRPREST"_s, 1.0}}}));
        r << v(packet(cte::fiscalDocumentFields(),
                      {{{u"CDCTE"_s, 7.0}, {u"CDFILIAL"_s, u"0001"_s}, {u"NRLANCTONF"_s, u"55"_s}},
                       {{u"CDCTE"_s, 7.0}, {u"NRACESSONFE"_s, u"3526"_s}},
                       {{u"CDCTE"_s, 7.0}},
                       {{u"CDCTE"_s, 9.0}, {u"NRACESSONFE"_s, u"4126"_s}}}));
        r << QVariant();
        r << v(packet(cte::cargoQuantityFields(), {{{u"CDCTE"_s, 9.0}, {u"QTCARGA"_s, 2.0}}}));
        r << v(packet(cte::additionalDataFields(), {{{u"CDCTE"_s, 7.0}}, {{u"CDCTE"_s, 7.0}}}));
        return r;
    }

private slots:
    void newDocumentValues()
    {
        Editor e;
        e.inscr->LoadFromPacket(packet(cte::establishmentFields(),
                                       {{{u"CDSERIECTE"_s, u"2"_s},
                                         {u"CDMODDOCFISCCTE"_s, u"57"_s},
                                         {u"IDTPIMPRESDACTE"_s, u"2"_s},
                                         {u"IDTPAMBIENTECTE"_s, u"2"_s}}}));
        e.cte->CreateDataSet();
        e.cte->Insert();
        const QDateTime now(QDate(2026, 12, 7), QTime(10, 15));
        FillNewDocument(e.cte.get(), u"01"_s, e.inscr.get(), u"ORV_DFS_1.00"_s, now);
        const QHash<QString, QString> expected {
            {u"CDCTE"_s, u"0"_s},
            {u"CDEMPRESA"_s, u"01"_s},
            {u"CDSERIECTE"_s, u"2"_s},
            {u"CDMODDOCFISC"_s, u"57"_s},
            {u"IDSTATUSCTE"_s, u"P"_s},
            {u"IDMODAL"_s, u"01"_s},
            {u"IDTIPOSERVICO"_s, u"0"_s},
            {u"IDTIPOCTE"_s, u"0"_s},
            {u"IDFORMAEMISSAO"_s, u"1"_s},
            {u"IDGLOBALIZADO"_s, u"0"_s},
            {u"IDFORMAIMPDACTE"_s, u"2"_s},
            {u"IDAMBIENTECTE"_s, u"2"_s},
            {u"IDVERPROCESSO"_s, u"ORV_DFS_1.00"_s},
            {u"IDRETIRA"_s, u"1"_s},
            {u"IDCADREMETENTE"_s, u"N"_s},
            {u"IDCADEXPEDIDOR"_s, u"N"_s},
            {u"IDCADRECEBEDOR"_s, u"N"_s},
            {u"IDCADDESTINATA"_s, u"N"_s},
            {u"IDEMAILCTE"_s, u"P"_s},
            {u"IDCADTOMADOR"_s, QString()},
        };
        for (auto it = expected.begin(); it != expected.end(); ++it)
            QCOMPARE(e.cte->FieldByName(it.key())->AsString(), it.value());
        QCOMPARE(e.cte->FieldByName(u"DTEMISSAO"_s)->AsDateTime(), now);
    }

    void newDocumentWithoutEstablishment()
    {
        Editor e;
        e.cte->CreateDataSet();
        e.cte->Insert();
        FillNewDocument(e.cte.get(), u"01"_s, e.inscr.get(), QString(),
                        QDateTime::currentDateTime());
        QVERIFY(e.cte->FieldByName(u"CDSERIECTE"_s)->IsNull());
        QVERIFY(e.cte->FieldByName(u"CDMODDOCFISC"_s)->IsNull());
    }

    void standardCargoRows()
    {
        Editor e;
        e.qtCarga->CreateDataSet();
        AppendStandardCargoRows(e.qtCarga.get());
        QCOMPARE(e.qtCarga->RecordCount(), 5);
        QStringList got;
        e.qtCarga->First();
        while (!e.qtCarga->Eof()) {
            got << e.qtCarga->FieldByName(u"CDCTE"_s)->AsString() + u'|'
                    + e.qtCarga->FieldByName(u"CDUNIDMEDIDA"_s)->AsString() + u'|'
                    + e.qtCarga->FieldByName(u"DSTIPOMEDIDA"_s)->AsString() + u'|'
                    + e.qtCarga->FieldByName(u"QTCARGA"_s)->AsString() + u'|'
                    + e.qtCarga->FieldByName(u"IDGERADAAUTO"_s)->AsString();
            e.qtCarga->Next();
        }
        QCOMPARE(got,
                 (QStringList {u"0|01|PESO BRUTO|0|S"_s, u"0|01|PESO BASE DE CALCULO|0|N"_s,
                               u"0|01|PESO AFERIDO|0|N"_s, u"0|00|CUBAGEM|0|N"_s,
                               u"0|03|QUANTIDADE DE VOLUME|0|N"_s}));
        QCOMPARE(e.qtCarga->ChangeCount(), 5);
    }

    void fiscalDocumentKeys_data()
    {
        QTest::addColumn<QString>("branch");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("accessKey");
        QTest::addColumn<QStringList>("keys");
        QTest::newRow("own-invoice")
            << u"0001"_s << u"123"_s << u"3526"_s << QStringList {u"0001123"_s};
        QTest::newRow("branch-only")
            << u"0001"_s << QString() << QString() << QStringList {u"0001"_s};
        QTest::newRow("access-key-only")
            << QString() << QString() << u"3526"_s << QStringList {u"3526"_s};
        QTest::newRow("nothing") << QString() << QString() << QString() << QStringList();
    }

    void fiscalDocumentKeys()
    {
        QFETCH(QString, branch);
        QFETCH(QString, entry);
        QFETCH(QString, accessKey);
        QFETCH(QStringList, keys);
        Editor e;
        e.docFiscais->LoadFromPacket(packet(cte::fiscalDocumentFields(),
                                            {{{u"CDCTE"_s, 1.0},
                                              {u"CDFILIAL"_s, branch},
                                              {u"NRLANCTONF"_s, entry},
                                              {u"NRACESSONFE"_s, accessKey}}}));
        QCOMPARE(FiscalDocumentKeys(e.docFiscais.get()), keys);
    }

    void childFilterUsesTheIndexAndTheKeysFollow()
    {
        Editor e;
        QList<QHash<QString, QVariant>> rows;
        for (int doc = 1; doc <= 200; ++doc) {
            for (int c = 1; c <= 3; ++c)
                rows.append(
                    {{u"CDCTE"_s, double(doc)}, {u"CDCOMPVRPREST"_s, double(doc * 10 + c)}});
        }
        e.compValor->LoadFromPacket(packet(cte::valueComponentFields(), rows));
        QCOMPARE(ChildFilterText(u"123"_s), u"CDCTE = '123'"_s);
        FilterChildren({e.compValor.get()}, ChildFilterText(u"123"_s));
        QCOMPARE(e.compValor->RecordCount(), 3);
        QVERIFY(e.compValor->LastFilterStats().usedIndex);
        QCOMPARE(e.compValor->LastFilterStats().rowsExamined, 3);
        e.compValor->Last();
        QCOMPARE(ValueComponentKeys(e.compValor.get()),
                 (QStringList {u"1231"_s, u"1232"_s, u"1233"_s}));
        QCOMPARE(e.compValor->RecNo(), 1);
        FilterChildren({e.compValor.get()}, ChildFilterText(u"999"_s));
        QVERIFY(e.compValor->IsEmpty());
        QVERIFY(ValueComponentKeys(e.compValor.get()).isEmpty());
    }

    void listLoad()
    {
        Editor e;
        const TListLoadResult result = LoadListReply(listReply(), e.sets(), u"DFS"_s);
        QCOMPARE(result.versaoProcesso, u"ORV_DFS_1.00"_s);
        QCOMPARE(e.cte->RecordCount(), 2);
        QCOMPARE(e.cte->FieldByName(u"CDCTE"_s)->AsString(), u"7"_s);
        QCOMPARE(e.scrolls, 1);
        QCOMPARE(e.inscr->FieldByName(u"CDSERIECTE"_s)->AsString(), u"1"_s);
        // The children were loaded under the filter of the first document.
        QCOMPARE(e.impostos->RecordCount(), 1);
        QCOMPARE(e.compValor->RecordCount(), 2);
        QCOMPARE(e.docFiscais->RecordCount(), 3);
        QCOMPARE(e.qtCarga->RecordCount(), 0);
        QCOMPARE(e.dadosAdic->RecordCount(), 2);
        QCOMPARE(e.pesqCompValor->RecordCount(), 1);
        QCOMPARE(result.compValorKeys, (QStringList {u"1"_s, u"3"_s}));
        QCOMPARE(result.docFiscaisKeys, (QStringList {u"000155"_s, u"3526"_s}));

        e.cte->Next();
        QCOMPARE(e.compValor->RecordCount(), 1);
        QCOMPARE(e.qtCarga->RecordCount(), 1);
        QCOMPARE(ValueComponentKeys(e.compValor.get()), QStringList {u"5"_s});

        // A second load replaces everything: no row twice.
        LoadListReply(listReply(), e.sets(), u"DFS"_s);
        QCOMPARE(e.cte->RecordCount(), 2);
        QCOMPARE(e.docFiscais->RecordCount(), 3);
        e.docFiscais->SetFiltered(false);
        QCOMPARE(e.docFiscais->RecordCount(), 4);
    }

    void failedListLoadTouchesNothing_data()
    {
        QTest::addColumn<QVariant>("reply");
        QTest::newRow("text") << QVariant(u"Empresa inválida."_s);
        QTest::newRow("status-not-S") << QVariant(QVariantList {u"N"_s, u"Empresa inválida."_s});
    }

    void failedListLoadTouchesNothing()
    {
        QFETCH(QVariant, reply);
        Editor e;
        LoadListReply(listReply(), e.sets(), u"DFS"_s);
        try {
            LoadListReply(reply, e.sets(), u"DFS"_s);
            QFAIL("the failed reply was accepted");
        } catch (const EMensErro &error) {
            QCOMPARE(error.text(), u"Empresa inválida."_s);
        }
        QCOMPARE(e.cte->RecordCount(), 2);
        QCOMPARE(e.compValor->RecordCount(), 2);
    }

    void saveArguments()
    {
        Editor e;
        LoadListReply(listReply(), e.sets(), u"DFS"_s);
        e.cte->Edit();
        e.cte->FieldByName(u"DSPRODPREDOMINA"_s)->SetAsString(u"SOJA"_s);
        e.cte->Post();
        e.qtCarga->Append();
        e.qtCarga->FieldByName(u"CDCTE"_s)->SetAsFloat(7);
        e.qtCarga->Post();
        const QVariantList args
            = SaveArguments({e.cte.get(), e.impostos.get(), e.compValor.get(), e.docFiscais.get(),
                             e.qtCarga.get(), e.dadosAdic.get()},
                            u"pedido-1"_s);
        QCOMPARE(args.size(), 7);
        QCOMPARE(args.at(6), QVariant(u"pedido-1"_s));
        QVERIFY(args.at(0).canConvert<Delta>());
        QCOMPARE(args.at(0).value<Delta>().changes.size(), 1);
        QCOMPARE(int(args.at(0).value<Delta>().changes.first().kind), int(Change::Kind::Update));
        for (int i : {1, 2, 3, 5})
            QVERIFY2(args.at(i).isNull(), qPrintable(QString::number(i)));
        QCOMPARE(args.at(4).value<Delta>().changes.size(), 1);
        QCOMPARE(int(args.at(4).value<Delta>().changes.first().kind), int(Change::Kind::Insert));
    }

    void savedKey()
    {
        QCOMPARE(SavedKey(QVariantList {u"S"_s, 42.0}), 42.0);
        QVERIFY_THROWS_EXCEPTION(EMensErro, SavedKey(QVariant(u"Registro alterado."_s)));
        QVERIFY_THROWS_EXCEPTION(EMensErro, SavedKey(QVariantList {u"N"_s, u"falhou"_s}));
    }
};

QTEST_GUILESS_MAIN(TestDocumentLifeCycle)
#include "tst_documentlifecycle.moc"
