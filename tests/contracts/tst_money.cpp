#include "Money.h"

#include <QTest>

class TestMoney : public QObject
{
    Q_OBJECT

private slots:
    // ICMS on a total: base less its reduction, then the rate, each half up to the cent. The
    // expected figures were worked out by hand (116.50 × 7 % = 8.155, so 8.16).
    void icmsHalfUpToTheCent_data()
    {
        QTest::addColumn<double>("total");
        QTest::addColumn<double>("reduction"); // % of the base
        QTest::addColumn<double>("rate"); // %
        QTest::addColumn<qint64>("base"); // cents
        QTest::addColumn<qint64>("value"); // cents
        QTest::newRow("116.50 at 7 %") << 116.5 << 0.0 << 7.0 << 11650LL << 816LL;
        QTest::newRow("1013.50 at 7 %") << 1013.5 << 0.0 << 7.0 << 101350LL << 7095LL;
        QTest::newRow("2740.50 at 7 %") << 2740.5 << 0.0 << 7.0 << 274050LL << 19184LL;
        QTest::newRow("1000.00 at 12 %") << 1000.0 << 0.0 << 12.0 << 100000LL << 12000LL;
        QTest::newRow("0.50 at 17 %") << 0.5 << 0.0 << 17.0 << 50LL << 9LL;
        QTest::newRow("333.33 at 17 %") << 333.33 << 0.0 << 17.0 << 33333LL << 5667LL;
        QTest::newRow("42.25 at 18 %") << 42.25 << 0.0 << 18.0 << 4225LL << 761LL;
        QTest::newRow("1000.00 less 20 % at 12 %") << 1000.0 << 20.0 << 12.0 << 80000LL << 9600LL;
        QTest::newRow("10.05 less 50 % at 7 %") << 10.05 << 50.0 << 7.0 << 503LL << 35LL;
        QTest::newRow("116.50 less 33.33 % at 12 %") << 116.5 << 33.33 << 12.0 << 7767LL << 932LL;
        QTest::newRow("1013.50 less 41.17 % at 12 %")
            << 1013.5 << 41.17 << 12.0 << 59624LL << 7155LL;
    }
    void icmsHalfUpToTheCent()
    {
        QFETCH(double, total);
        QFETCH(double, reduction);
        QFETCH(double, rate);
        QFETCH(qint64, base);
        QFETCH(qint64, value);
        const auto cents = money::centsOf(total);
        const auto reductionPercent = money::decimalOf(reduction);
        const auto ratePercent = money::decimalOf(rate);
        QVERIFY(cents && reductionPercent && ratePercent);
        const money::Cents reduced = money::reducedBy(*cents, *reductionPercent);
        QCOMPARE(reduced, base);
        QCOMPARE(money::percentOf(reduced, *ratePercent), value);
    }
};

QTEST_GUILESS_MAIN(TestMoney)
#include "tst_money.moc"
