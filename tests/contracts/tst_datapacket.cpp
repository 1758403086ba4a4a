// The packet and delta codec: every type survives the JSON form, every malformed input is refused
// with a text that names what is wrong.
#include "DataPacket.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace contracts;

namespace {

QJsonObject parse(const QByteArray &json)
{
    return QJsonDocument::fromJson(json).object();
}

DataPacket everyType()
{
    DataPacket p;
    p.fields = {{u"NRCTE"_s, FieldType::String, 9, false, false, true},
                {u"IDCHECK"_s, FieldType::FixedString, 1, true, false, false},
                {u"VRTOTAL"_s, FieldType::Float, 0, false, true, false},
                {u"QTITENS"_s, FieldType::Integer, 0},
                {u"DTEMISSAO"_s, FieldType::DateTime, 0},
                {u"DSOBS"_s, FieldType::Memo, 0}};
    p.rows = {{u"000000123"_s, u"S"_s, 1250.75, qint64(42),
               QDateTime(QDate(2026, 12, 7), QTime(10, 15, 0, 5)),
               u"Observação com acentos, aspas \" e\nquebra"_s},
              {u"Ç"_s, u"N"_s, -0.01, qint64(-9007199254740991),
               QDateTime(QDate(1999, 1, 31), QTime(23, 59, 59)), QString(5000, u'x')},
              {QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant()}};
    return p;
}

} // namespace

class TestDataPacket : public QObject
{
    Q_OBJECT

private slots:
    void packetRoundTrip()
    {
        const DataPacket p = everyType();
        const QByteArray text = QJsonDocument(packetToJson(p)).toJson(QJsonDocument::Compact);
        QString error;
        const auto back = packetFromJson(parse(text), &error);
        QVERIFY2(back, qPrintable(error));
        QCOMPARE(back->fields, p.fields);
        QCOMPARE(back->rows, p.rows);
        QCOMPARE(back->indexOf(u"vrtotal"_s), 2);
        QCOMPARE(back->indexOf(u"NAOEXISTE"_s), -1);
        // Types are written by name, flags only when set, size only for strings.
        const QJsonObject json = packetToJson(p);
        const QJsonObject first = json.value(u"fields"_s).toArray().at(0).toObject();
        QCOMPARE(first.value(u"type"_s).toString(), u"string"_s);
        QCOMPARE(first.value(u"size"_s).toInt(), 9);
        QCOMPARE(first.value(u"flags"_s).toArray(), QJsonArray {u"required"_s});
        QVERIFY(!json.value(u"fields"_s).toArray().at(3).toObject().contains(u"size"_s));
        QVERIFY(!json.value(u"fields"_s).toArray().at(3).toObject().contains(u"flags"_s));
    }

    void deltaRoundTrip()
    {
        const DataPacket p = everyType();
        Delta d;
        d.fields = p.fields;
        d.changes = {{Change::Kind::Insert, {}, p.rows.at(0)},
                     {Change::Kind::Update, p.rows.at(1), p.rows.at(0)},
                     {Change::Kind::Delete, p.rows.at(2), {}}};
        QString error;
        const auto back = deltaFromJson(parse(QJsonDocument(deltaToJson(d)).toJson()), &error);
        QVERIFY2(back, qPrintable(error));
        QCOMPARE(back->fields, d.fields);
        QCOMPARE(back->changes.size(), 3);
        for (qsizetype i = 0; i < 3; ++i) {
            QCOMPARE(back->changes[i].kind, d.changes[i].kind);
            QCOMPARE(back->changes[i].oldValues, d.changes[i].oldValues);
            QCOMPARE(back->changes[i].newValues, d.changes[i].newValues);
        }
    }

    void malformedPacket_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("named"); // part of the error text naming the problem

        const QByteArray f
            = R"("fields":[{"name":"NR","type":"string","size":3},{"name":"VR","type":"float"},{"name":"QT","type":"integer"},{"name":"DT","type":"datetime"}])";
        QTest::newRow("no-fields") << QByteArray(R"({"rows":[]})") << u"campos"_s;
        QTest::newRow("fields-not-array")
            << QByteArray(R"({"fields":{},"rows":[]})") << u"campos"_s;
        QTest::newRow("field-not-object")
            << QByteArray(R"({"fields":["NR"],"rows":[]})") << u"sem nome"_s;
        QTest::newRow("field-without-name")
            << QByteArray(R"({"fields":[{"type":"float"}],"rows":[]})") << u"sem nome"_s;
        QTest::newRow("repeated-name-any-case") << QByteArray(
            R"({"fields":[{"name":"VR","type":"float"},{"name":"vr","type":"float"}],"rows":[]})")
                                                << u"vr"_s;
        QTest::newRow("unknown-type")
            << QByteArray(R"({"fields":[{"name":"VR","type":"money"}],"rows":[]})") << u"money"_s;
        QTest::newRow("string-without-size")
            << QByteArray(R"({"fields":[{"name":"NR","type":"string"}],"rows":[]})") << u"NR"_s;
        QTest::newRow("size-zero")
            << QByteArray(R"({"fields":[{"name":"NR","type":"fixedstring","size":0}],"rows":[]})")
            << u"NR"_s;
        QTest::newRow("size-fraction")
            << QByteArray(R"({"fields":[{"name":"NR","type":"string","size":2.5}],"rows":[]})")
            << u"NR"_s;
        QTest::newRow("size-text")
            << QByteArray(R"({"fields":[{"name":"NR","type":"string","size":"3"}],"rows":[]})")
            << u"NR"_s;
        QTest::newRow("no-rows") << "{" + f + "}" << u"linhas"_s;
        QTest::newRow("row-not-array") << "{" + f + R"(,"rows":[{"NR":"a"}]})" << u"linha 1"_s;
        QTest::newRow("row-too-short")
            << "{" + f + R"(,"rows":[["a",1,1,null],["b",2]]})" << u"linha 2"_s;
        QTest::newRow("row-too-long") << "{" + f + R"(,"rows":[["a",1,1,null,5]]})" << u"linha 1"_s;
        QTest::newRow("text-in-float")
            << "{" + f + R"(,"rows":[["a","1,5",1,null]]})" << u"campo VR na linha 1"_s;
        QTest::newRow("fraction-in-integer")
            << "{" + f + R"(,"rows":[["a",1,1.5,null]]})" << u"campo QT na linha 1"_s;
        QTest::newRow("integer-out-of-range")
            << "{" + f + R"(,"rows":[["a",1,1e300,null]]})" << u"campo QT na linha 1"_s;
        QTest::newRow("nul-in-string") << "{" + f + R"(,"rows":[["a\u0000",1,1,null]]})"
                                       << u"campo NR na linha 1 contém o caractere nulo"_s;
        QTest::newRow("float-beyond-the-columns") << "{" + f + R"(,"rows":[["a",1e14,1,null]]})"
                                                  << u"campo VR na linha 1 é grande demais"_s;
        QTest::newRow("string-too-long")
            << "{" + f + R"(,"rows":[["a",1,1,null],["abcd",1,1,null]]})"
            << u"campo NR na linha 2"_s;
        QTest::newRow("number-in-string")
            << "{" + f + R"(,"rows":[[12,1,1,null]]})" << u"campo NR na linha 1"_s;
        QTest::newRow("bool-in-float")
            << "{" + f + R"(,"rows":[["a",true,1,null]]})" << u"campo VR na linha 1"_s;
        QTest::newRow("bad-date") << "{" + f + R"(,"rows":[["a",1,1,"2026-02-30T00:00:00"]]})"
                                  << u"campo DT na linha 1"_s;
        QTest::newRow("number-in-date")
            << "{" + f + R"(,"rows":[["a",1,1,20261207]]})" << u"campo DT na linha 1"_s;
    }

    void malformedPacket()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, named);
        QString error;
        QVERIFY(!packetFromJson(parse(json), &error));
        QVERIFY2(error.contains(named), qPrintable(error));
        QVERIFY2(error.startsWith(u"Pacote de dados inválido"_s), qPrintable(error));
    }

    void malformedDelta_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("named");

        const QByteArray f
            = R"("fields":[{"name":"NR","type":"string","size":3},{"name":"VR","type":"float"}])";
        QTest::newRow("no-changes") << "{" + f + "}" << u"lista de alterações"_s;
        QTest::newRow("unknown-kind")
            << "{" + f + R"(,"changes":[{"kind":"upsert","new":["a",1]}]})" << u"upsert"_s;
        QTest::newRow("change-not-object") << "{" + f + R"(,"changes":[["a",1]]})" << u"item 1"_s;
        QTest::newRow("update-without-old") << "{" + f
                + R"(,"changes":[{"kind":"insert","new":["a",1]},{"kind":"update","new":["a",2]}]})"
                                            << u"linha 2"_s;
        QTest::newRow("delete-without-old")
            << "{" + f + R"(,"changes":[{"kind":"delete"}]})" << u"linha 1"_s;
        QTest::newRow("insert-bad-value")
            << "{" + f + R"(,"changes":[{"kind":"insert","new":["a","x"]}]})" << u"campo VR"_s;
        QTest::newRow("bad-fields")
            << QByteArray(R"({"fields":[{"name":"A","type":"x"}],"changes":[]})") << u"x"_s;
    }

    void malformedDelta()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, named);
        QString error;
        QVERIFY(!deltaFromJson(parse(json), &error));
        QVERIFY2(error.contains(named), qPrintable(error));
    }

    void coerceValueConvertsOrRefuses_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("type");
        QTest::addColumn<QVariant>("expected"); // invalid: refused

        QTest::newRow("null-any") << QVariant() << int(FieldType::Float)
                                  << QVariant(QVariant::fromValue(nullptr));
        QTest::newRow("text-to-float")
            << QVariant(u"12.5"_s) << int(FieldType::Float) << QVariant(12.5);
        QTest::newRow("text-not-float")
            << QVariant(u"abc"_s) << int(FieldType::Float) << QVariant();
        QTest::newRow("float-to-integer")
            << QVariant(3.0) << int(FieldType::Integer) << QVariant(qint64(3));
        QTest::newRow("fraction-not-integer")
            << QVariant(3.5) << int(FieldType::Integer) << QVariant();
        QTest::newRow("date-to-datetime")
            << QVariant(QDate(2026, 12, 7)) << int(FieldType::DateTime)
            << QVariant(QDateTime(QDate(2026, 12, 7), QTime(0, 0)));
        QTest::newRow("iso-date-text") << QVariant(u"2026-12-07"_s) << int(FieldType::DateTime)
                                       << QVariant(QDateTime(QDate(2026, 12, 7), QTime(0, 0)));
        QTest::newRow("number-to-text")
            << QVariant(7) << int(FieldType::String) << QVariant(u"7"_s);
    }

    void coerceValueConvertsOrRefuses()
    {
        QFETCH(QVariant, value);
        QFETCH(int, type);
        QFETCH(QVariant, expected);
        const auto got = coerceValue(value, FieldType(type));
        if (expected.metaType() == QMetaType::fromType<std::nullptr_t>()) {
            QVERIFY(got && got->isNull());
        } else if (!expected.isValid()) {
            QVERIFY(!got);
        } else {
            QVERIFY(got);
            QCOMPARE(*got, expected);
        }
    }
};

QTEST_GUILESS_MAIN(TestDataPacket)
#include "tst_datapacket.moc"
