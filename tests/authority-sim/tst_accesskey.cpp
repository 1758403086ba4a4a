// Access keys: the mod-11 check digit, the CNPJ check digits and the reasons a key is refused.
#include "AccessKey.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestAccessKey : public QObject
{
    Q_OBJECT

private slots:
    void checkDigit_data();
    void checkDigit();
    void compose();
    void cnpj_data();
    void cnpj();
    void problem_data();
    void problem();
};

void TestAccessKey::checkDigit_data()
{
    QTest::addColumn<QString>("digits");
    QTest::addColumn<int>("expected");
    // Worked out by hand, weights 2..9 repeating from the right.
    QTest::newRow("published-example") << u"5206043300991100250655012000000780026730161"_s << 5;
    QTest::newRow("demo-key") << u"3526121234567800019557001000000001112345678"_s << 6;
    QTest::newRow("remainder-0-gives-0") << u"00000000000"_s << 0;
    QTest::newRow("remainder-1-gives-0") << u"6"_s << 0; // 6*2=12, 12%11=1
    QTest::newRow("remainder-2-gives-9") << u"1"_s << 9; // 1*2=2
    QTest::newRow("weights-wrap-after-9") << u"100000000"_s << 9; // the 9th digit weighs 2 again
}

void TestAccessKey::checkDigit()
{
    QFETCH(QString, digits);
    QFETCH(int, expected);
    QCOMPARE(accesskey::checkDigit(digits), expected);
}

void TestAccessKey::compose()
{
    accesskey::Parts p {u"35"_s,        u"2612"_s, u"12345678000195"_s, u"57"_s, u"001"_s,
                        u"000000001"_s, u"1"_s,    u"12345678"_s};
    QCOMPARE(accesskey::compose(p), u"35261212345678000195570010000000011123456786"_s);
    const accesskey::Parts back = accesskey::split(accesskey::compose(p));
    QCOMPARE(back.number, p.number);
    QCOMPARE(back.code, p.code);
    p.series = u"1"_s; // not padded: no key
    QCOMPARE(accesskey::compose(p), QString());
}

void TestAccessKey::cnpj_data()
{
    QTest::addColumn<QString>("cnpj");
    QTest::addColumn<bool>("valid");
    QTest::newRow("valid") << u"11222333000181"_s << true;
    QTest::newRow("valid-branch") << u"12345678000276"_s << true;
    QTest::newRow("first-digit-wrong") << u"11222333000191"_s << false;
    QTest::newRow("second-digit-wrong") << u"11222333000182"_s << false;
    QTest::newRow("all-zeros") << u"00000000000000"_s << false;
    QTest::newRow("all-same") << u"11111111111111"_s << false;
    QTest::newRow("short") << u"1122233300018"_s << false;
    QTest::newRow("letters") << u"1122233300018A"_s << false;
}

void TestAccessKey::cnpj()
{
    QFETCH(QString, cnpj);
    QFETCH(bool, valid);
    QCOMPARE(accesskey::isValidCnpj(cnpj), valid);
}

void TestAccessKey::problem_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    const QString good = u"35261212345678000195570010000000011123456786"_s;
    auto with = [&](int at, const QString &digits) {
        QString k = good;
        k.replace(at, digits.size(), digits);
        k.chop(1);
        return k + QString::number(accesskey::checkDigit(k));
    };
    QTest::newRow("valid") << good << QString();
    QTest::newRow("short") << good.left(43) << u"Chave com tamanho ou caracteres invalidos"_s;
    QTest::newRow("letter") << good.left(43) + u"X"_s
                            << u"Chave com tamanho ou caracteres invalidos"_s;
    QTest::newRow("unknown-uf") << with(0, u"99"_s) << u"UF invalida"_s;
    QTest::newRow("year-2008") << with(2, u"0812"_s) << u"Ano invalido"_s;
    QTest::newRow("year-ahead") << with(2, u"2712"_s) << u"Ano invalido"_s;
    QTest::newRow("month-13") << with(2, u"2613"_s) << u"Mes invalido"_s;
    QTest::newRow("cnpj-invalid") << with(6, u"12345678000190"_s) << u"CNPJ invalido"_s;
    QTest::newRow("model-55") << with(20, u"55"_s) << u"Modelo invalido"_s;
    QTest::newRow("number-zero") << with(25, u"000000000"_s) << u"Numero zerado"_s;
    QTest::newRow("emission-2") << with(34, u"2"_s) << u"Tipo de emissao invalido"_s;
    QTest::newRow("check-digit") << good.left(43) + u"7"_s << u"DV invalido"_s;
}

void TestAccessKey::problem()
{
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QCOMPARE(accesskey::problem(key, 2026), expected);
}

QTEST_GUILESS_MAIN(TestAccessKey)
#include "tst_accesskey.moc"
