#include "SelectionExpression.h"
#include "SelectionList.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestSelectionExpression : public QObject
{
    Q_OBJECT

private slots:
    void defaultSelection()
    {
        TRecordFilter filter;
        filter.RecCdInscEsta = u"110042490114"_s;
        filter.RecDataSaidIni = QDate(2026, 12, 1);
        filter.RecDataSaidFim = QDate(2026, 12, 7);
        const QVariantList args = SelectionArguments(u"01"_s, filter);
        QCOMPARE(args.size(), 21);
        QCOMPARE(args.at(0).toString(), u"01"_s);
        QCOMPARE(args.at(1).toString(), u"110042490114"_s);
        // Every role: "X" with both codes empty.
        for (int letter : {2, 9, 12, 15, 18}) {
            QCOMPARE(args.at(letter).toString(), u"X"_s);
            QCOMPARE(args.at(letter + 1).toString(), QString());
            QCOMPARE(args.at(letter + 2).toString(), QString());
        }
        QCOMPARE(args.at(5).typeId(), QMetaType::QDate);
        QCOMPARE(args.at(5).toDate(), QDate(2026, 12, 1));
        QCOMPARE(args.at(6).toDate(), QDate(2026, 12, 7));
        QCOMPARE(args.at(7).toString(), u"_A_C_D_P_R_T_"_s);
        QCOMPARE(args.at(8).toString(), u"T"_s);
    }

    void rolesKeepTheirPlaces()
    {
        TRecordFilter f;
        f.RecSelTomador = selCliente;
        f.RecCdClienteToma = u"T1"_s;
        f.RecSelRemetente = selFornecedor;
        f.RecCdFornecedorReme = u"R2"_s;
        f.RecSelExpedidor = selCliente;
        f.RecCdClienteExpe = u"E1"_s;
        f.RecSelRecebedor = selFornecedor;
        f.RecCdFornecedorRece = u"C2"_s;
        f.RecSelDestinatario = selCliente;
        f.RecCdClienteDest = u"D1"_s;
        const QVariantList a = SelectionArguments(u"02"_s, f);
        QCOMPARE(a.mid(2, 3), (QVariantList {u"C"_s, u"T1"_s, QString()}));
        QCOMPARE(a.mid(9, 3), (QVariantList {u"F"_s, QString(), u"R2"_s}));
        QCOMPARE(a.mid(12, 3), (QVariantList {u"C"_s, u"E1"_s, QString()}));
        QCOMPARE(a.mid(15, 3), (QVariantList {u"F"_s, QString(), u"C2"_s}));
        QCOMPARE(a.mid(18, 3), (QVariantList {u"C"_s, u"D1"_s, QString()}));
    }

    void situations_data()
    {
        QTest::addColumn<QList<bool>>("ticked"); // A C D P R T
        QTest::addColumn<QString>("expected");
        QTest::newRow("all") << QList<bool> {true, true, true, true, true, true}
                             << u"_A_C_D_P_R_T_"_s;
        QTest::newRow("pending-rejected")
            << QList<bool> {false, false, false, true, true, false} << u"_P_R_"_s;
        QTest::newRow("accepted-pending")
            << QList<bool> {true, false, false, true, false, false} << u"_A_P_"_s;
        QTest::newRow("none") << QList<bool> {false, false, false, false, false, false} << u"_"_s;
    }
    void situations()
    {
        QFETCH(QList<bool>, ticked);
        QFETCH(QString, expected);
        TRecordFilter f;
        f.RecSitAceito = ticked[0];
        f.RecSitCancelado = ticked[1];
        f.RecSitDenegado = ticked[2];
        f.RecSitPendente = ticked[3];
        f.RecSitRejeitado = ticked[4];
        f.RecSitTransmitido = ticked[5];
        QCOMPARE(SituationList(f), expected);
        QCOMPARE(SelectionArguments(u"01"_s, f).at(7).toString(), expected);
    }

    void operationTypes()
    {
        TRecordFilter f;
        f.RecListaTipoOper = contracts::joinSelectionList({u"S01"_s, u"S05"_s});
        // "Todos" sends "T" whatever list was picked before.
        QCOMPARE(OperationTypeCriterion(f), u"T"_s);
        f.RecTodosTipoOper = false;
        QCOMPARE(OperationTypeCriterion(f), u"'S01','S05'"_s);
        bool ok = false;
        QCOMPARE(contracts::splitSelectionList(OperationTypeCriterion(f), &ok),
                 (QStringList {u"S01"_s, u"S05"_s}));
        QVERIFY(ok);
    }

    void selectionListRefusesMalformedText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("unquoted") << u"S01,S02"_s;
        QTest::newRow("unbalanced") << u"'S01"_s;
        QTest::newRow("quote-inside") << u"'S0'1'"_s;
        QTest::newRow("empty-item") << u"'S01',"_s;
        QTest::newRow("injection") << u"'S01') OR (1=1"_s;
    }
    void selectionListRefusesMalformedText()
    {
        QFETCH(QString, text);
        bool ok = true;
        QVERIFY(contracts::splitSelectionList(text, &ok).isEmpty());
        QVERIFY(!ok);
    }
};

QTEST_GUILESS_MAIN(TestSelectionExpression)
#include "tst_selectionexpression.moc"
