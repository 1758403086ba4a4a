#include "CTeRecord.h"

#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace contracts;

class TestCTeRecord : public QObject
{
    Q_OBJECT

private:
    static const FieldDef *find(const QList<FieldDef> &fields, const QString &name)
    {
        for (const FieldDef &f : fields) {
            if (f.name == name)
                return &f;
        }
        return nullptr;
    }

private slots:
    void namesAreUniqueInEveryList()
    {
        const QList<QList<FieldDef>> lists {
            cte::documentFields(),       cte::taxFields(),           cte::valueComponentFields(),
            cte::fiscalDocumentFields(), cte::cargoQuantityFields(), cte::additionalDataFields(),
            cte::establishmentFields()};
        for (const auto &list : lists) {
            QSet<QString> seen;
            for (const FieldDef &f : list) {
                QVERIFY2(!seen.contains(f.name), qPrintable(f.name));
                seen.insert(f.name);
                if (f.type == FieldType::String || f.type == FieldType::FixedString)
                    QVERIFY2(f.size > 0, qPrintable(f.name));
            }
        }
    }

    // The list grid shows exactly these stored fields; every other one is hidden.
    void visibleDocumentFieldsAreTheListColumns()
    {
        QStringList visible;
        for (const FieldDef &f : cte::documentFields()) {
            if (!f.hidden)
                visible << f.name;
        }
        QCOMPARE(visible,
                 (QStringList {u"NRCTE"_s, u"CDSERIECTE"_s, u"NRACESSOCTE"_s, u"DTEMISSAO"_s,
                               u"IDSTATUSCTE"_s, u"CDSTATUSCTE"_s, u"DSSTATUSCTE"_s,
                               u"NRINSJURTOMA"_s, u"NMRAZSOCTOMA"_s, u"IDEMAILCTE"_s}));
    }

    void partyAndEmitterWidths_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("size");
        QTest::newRow("party-name") << u"NMRAZSOCREME"_s << 50;
        QTest::newRow("emitter-name") << u"NMRAZSOCEMIT"_s << 80;
        QTest::newRow("party-district") << u"NMBAIRDEST"_s << 60;
        QTest::newRow("emitter-district") << u"NMBAIREMIT"_s << 30;
        QTest::newRow("emitter-mail") << u"DSEMAILEMIT"_s << 100;
        QTest::newRow("recipient-suframa") << u"NRINSCSUFRAMADEST"_s << 9;
        QTest::newRow("payer-indicator") << u"IDTOMADOR"_s << 1;
        QTest::newRow("payer-supplier-code") << u"CDTOMADORFOR"_s << 21;
        QTest::newRow("route-municipality") << u"CDMUNICIBGEFIMSERV"_s << 7;
        QTest::newRow("access-key") << u"NRACESSOCTE"_s << 44;
    }
    void partyAndEmitterWidths()
    {
        QFETCH(QString, field);
        QFETCH(int, size);
        const QList<FieldDef> fields = cte::documentFields();
        const FieldDef *f = find(fields, field);
        QVERIFY2(f, qPrintable(field));
        QCOMPARE(f->size, size);
    }

    void everyRoleHasItsSourceAndCodes()
    {
        const QList<FieldDef> fields = cte::documentFields();
        for (const QString &role : cte::partyRoles()) {
            QVERIFY(find(fields, cte::partySourceField(role)));
            QVERIFY(find(fields, u"NRINSJUR"_s + role));
            QVERIFY(find(fields, u"NMBAIR"_s + role));
        }
        QCOMPARE(cte::partySourceField(u"DEST"_s), u"IDCADDESTINATA"_s);
        QVERIFY(find(fields, u"CDDESTINATACLI"_s));
        QCOMPARE(fields.first().name, u"IDCHECK"_s);
        QCOMPARE(fields.first().type, FieldType::FixedString);
    }

    void childListsCarryTheDocumentKey()
    {
        for (const auto &[name, fields] :
             {std::pair {u"cdsCTeImpostos"_s, cte::taxFields()},
              std::pair {u"cdsCTeCompValor"_s, cte::valueComponentFields()},
              std::pair {u"cdsCTeDocFiscais"_s, cte::fiscalDocumentFields()},
              std::pair {u"cdsCTeInfQtCarga"_s, cte::cargoQuantityFields()},
              std::pair {u"cdsCTeDadosAdic"_s, cte::additionalDataFields()}}) {
            QCOMPARE(fields.at(0).name, cte::childKeyField(name));
            QCOMPARE(fields.at(1).name, u"CDCTE"_s);
        }
    }
};

QTEST_GUILESS_MAIN(TestCTeRecord)
#include "tst_cterecord.moc"
