// A packet read straight from its JSON text must be the packet the JSON tree gives, value for
// value; texts it does not take must be left to the tree, which names their fault.
#include "DataPacket.h"
#include "IsoDateTime.h"
#include "PacketJsonText.h"
#include "RpcValue.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

#include <cmath>

using namespace Qt::StringLiterals;
using namespace contracts;

namespace {

std::optional<DataPacket> viaTree(const QByteArray &json)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    return packetFromJson(doc.object(), nullptr);
}

// Equal values of equal types; doubles bit for bit (the sign of a zero counts).
bool sameValue(const QVariant &a, const QVariant &b)
{
    if (a.typeId() != b.typeId() || a.isNull() != b.isNull())
        return false;
    if (a.typeId() == QMetaType::Double) {
        const double x = a.toDouble(), y = b.toDouble();
        return x == y && std::signbit(x) == std::signbit(y);
    }
    if (a.typeId() == QMetaType::QDateTime)
        return a.toDateTime() == b.toDateTime()
            && a.toDateTime().timeSpec() == b.toDateTime().timeSpec();
    return a == b;
}

// Values the same through and through: lists item by item, packets field by field and value by
// value.
bool sameReply(const QVariant &a, const QVariant &b)
{
    if (a.typeId() != b.typeId())
        return false;
    if (a.typeId() == QMetaType::QVariantList) {
        const QVariantList x = a.toList(), y = b.toList();
        if (x.size() != y.size())
            return false;
        for (qsizetype i = 0; i < x.size(); ++i) {
            if (!sameReply(x.at(i), y.at(i)))
                return false;
        }
        return true;
    }
    if (a.typeId() == qMetaTypeId<DataPacket>()) {
        const auto x = a.value<DataPacket>(), y = b.value<DataPacket>();
        if (x.fields != y.fields || x.rows.size() != y.rows.size())
            return false;
        for (qsizetype r = 0; r < x.rows.size(); ++r) {
            if (x.rows.at(r).size() != y.rows.at(r).size())
                return false;
            for (qsizetype i = 0; i < x.rows.at(r).size(); ++i) {
                if (!sameValue(x.rows.at(r).at(i), y.rows.at(r).at(i)))
                    return false;
            }
        }
        return true;
    }
    return sameValue(a, b);
}

const QByteArray kFields
    = R"({"fields":[{"name":"NR","type":"string","size":4},{"name":"VR","type":"float"},)"
      R"({"name":"QT","type":"integer"},{"name":"DT","type":"datetime"},)"
      R"({"name":"OBS","type":"memo","flags":["readonly"]}],"rows":)";

QByteArray packetText(const QByteArray &rows)
{
    return kFields + rows + "}";
}

} // namespace

class TestPacketJsonText : public QObject
{
    Q_OBJECT

private slots:
    void sameAsTree_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("read"); // taken without the tree

        const struct
        {
            const char *name;
            QByteArray json;
            bool read;
        } rows[] = {
            {"no rows", packetText("[]"), true},
            {"plain row", packetText(R"([["ab",1.5,2,"2026-12-07T10:15:00.005","x"]])"), true},
            {"nulls", packetText("[[null,null,null,null,null],[null,0,0,null,null]]"), true},
            {"white space everywhere",
             " \r\n{ \"fields\" :[{\"name\":\"A\",\"type\":\"float\"}] ,\t\"rows\" : [ [ 1 ] , [ "
             "2 ] ] } \n",
             true},
            {"numbers",
             packetText(R"([[null,-0,0,null,null],[null,-0.0,-0,null,null],)"
                        R"([null,1.0,1e2,null,null],[null,1E+2,12.0,null,null],)"
                        R"([null,0.5e-3,-9007199254740992,null,null],)"
                        R"([null,-99999999999999.9,1,null,null],)"
                        R"([null,0.1,1,null,null],[null,99999999999999,1,null,null]])"),
             true},
            // No column keeps them: refused, and named by the tree reader.
            {"numbers beyond the columns",
             packetText(R"([[null,123456789012345678901234,1,null,null]])"), false},
            {"the largest double", packetText(R"([[null,1.7976931348623157e308,1,null,null]])"),
             false},
            {"NUL in a text", packetText(R"([["a\u0000",1,1,null,null]])"), false},
            {"half a surrogate pair", packetText(R"([["a\ud800",1,1,null,null]])"), false},
            {"accents", packetText(R"([["ção",1,1,null,"Observação: já é"]])"), true},
            {"escapes",
             packetText("[[\"a\\\"\\\\\",1,1,null,"
                        "\"\\/\\b\\f\\n\\r\\t\\u00e9\\u0001\\ud83d\\ude00 fim\"]]"),
             true},
            {"four-byte character", packetText("[[\"\xF0\x9F\x98\x80\",1,1,null,null]]"), true},
            {"date only", packetText(R"([[null,1,1,"2026-12-07",null]])"), true},
            {"date-time without milliseconds",
             packetText(R"([[null,1,1,"2026-12-07T10:15:00",null]])"), true},
            {"date-time at 24:00", packetText(R"([[null,1,1,"2026-12-07T24:00:00.000",null]])"),
             true},
            {"empty texts", packetText(R"([["",1,1,null,""]])"), true},
            // Left to the tree: not the written shape, or faults it must name.
            {"rows before fields", R"({"rows":[],"fields":[]})", false},
            {"other key", packetText("[]").replace("}", R"(,"x":1})"), false},
            {"garbage after", packetText("[]") + "x", false},
            {"byte order mark", "\xEF\xBB\xBF" + packetText("[]"), false},
            {"cut short", packetText(R"([["ab",1.5)"), false},
            {"unknown escape", packetText(R"([["\x",1,1,null,null]])"), false},
            {"control character", packetText("[[\"a\tb\",1,1,null,null]]"), false},
            {"bad utf-8", packetText("[[\"\xC3\x28\",1,1,null,null]]"), false},
            {"overlong utf-8", packetText("[[\"\xC0\xAF\",1,1,null,null]]"), false},
            {"encoded surrogate", packetText("[[\"\xED\xA0\x80\",1,1,null,null]]"), false},
            {"noncharacter", packetText("[[\"\xEF\xBF\xBF\",1,1,null,null]]"), false},
            {"underflow", packetText(R"([[null,1e-999,1,null,null]])"), false},
            {"subnormal", packetText(R"([[null,4e-320,1,null,null]])"), false},
            {"overflow", packetText(R"([[null,1e999,1,null,null]])"), false},
            {"leading zero", packetText(R"([[null,01,1,null,null]])"), false},
            {"leading plus", packetText(R"([[null,+1,1,null,null]])"), false},
            {"bare fraction", packetText(R"([[null,.5,1,null,null]])"), false},
            {"trailing comma", packetText(R"([[null,1,1,null,null],])"), false},
            {"row too short", packetText(R"([[null,1,1,null]])"), false},
            {"row too long", packetText(R"([[null,1,1,null,null,null]])"), false},
            {"text too long", packetText(R"([["abcde",1,1,null,null]])"), false},
            {"text in float", packetText(R"([[null,"1",1,null,null]])"), false},
            {"boolean in float", packetText(R"([[null,true,1,null,null]])"), false},
            {"fraction in integer", packetText(R"([[null,1,1.5,null,null]])"), false},
            {"integer beyond 2^53", packetText(R"([[null,1,9007199254740994,null,null]])"), false},
            {"bad date", packetText(R"([[null,1,1,"2026-02-30T00:00:00.000",null]])"), false},
            {"number in date", packetText(R"([[null,1,1,20261207,null]])"), false},
            {"nul spelled wrong", packetText(R"([[nul,1,1,null,null]])"), false},
            {"field without name", R"({"fields":[{"type":"float"}],"rows":[]})", false},
            {"fields not a list", R"({"fields":{},"rows":[]})", false},
        };
        for (const auto &r : rows)
            QTest::newRow(r.name) << r.json << r.read;
    }
    void sameAsTree()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, read);
        const auto direct = readPacketJsonText(json);
        QCOMPARE(direct.has_value(), read);
        if (!direct)
            return;
        const auto tree = viaTree(json);
        QVERIFY(tree);
        QCOMPARE(direct->fields, tree->fields);
        QCOMPARE(direct->rows.size(), tree->rows.size());
        for (qsizetype r = 0; r < tree->rows.size(); ++r) {
            QCOMPARE(direct->rows.at(r).size(), tree->rows.at(r).size());
            for (qsizetype i = 0; i < tree->rows.at(r).size(); ++i)
                QVERIFY2(
                    sameValue(direct->rows.at(r).at(i), tree->rows.at(r).at(i)),
                    qPrintable(u"row %1 value %2: %3 / %4"_s.arg(r).arg(i).arg(
                        direct->rows.at(r).at(i).toString(), tree->rows.at(r).at(i).toString())));
        }
    }

    void replySameAsTree_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("read"); // taken without the tree
        const QByteArray packet = packetText(R"([["ab",1.5,2,"2026-12-07T10:15:00.005","x"]])");
        const struct
        {
            const char *name;
            QByteArray json;
            bool read;
        } rows[] = {
            {"list reply",
             R"(["S",{"$packet":)" + packet + R"(},"1.0",null,true,false,-0,2.5,[],[[1]]])", true},
            {"refusal", R"("Sessão expirada")", true},
            {"spaced", R"( [ "S" , { "$packet" : )" + packet + " } ] ", true},
            {"null", "null", true},
            {"bare number", "5", false},
            {"date", R"(["S",{"$date":"2026-12-07"}])", false},
            {"delta", R"(["S",{"$delta":{"fields":[],"changes":[]}}])", false},
            {"untagged object", R"(["S",{"a":1}])", false},
            {"packet and more", R"([{"$packet":)" + packet + R"(,"x":1}])", false},
            {"bad packet", R"([{"$packet":{"fields":[],"rows":[[1]]}}])", false},
            {"two values", R"("S" "T")", false},
            {"cut short", R"(["S",)", false},
        };
        for (const auto &r : rows)
            QTest::newRow(r.name) << r.json << r.read;
    }
    void replySameAsTree()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, read);
        const auto direct = readJsonText(json);
        QCOMPARE(direct.has_value(), read);
        if (!direct)
            return;
        const QJsonDocument doc = QJsonDocument::fromJson("[" + json + "]");
        QCOMPARE(doc.array().size(), 1);
        const auto tree = fromJson(doc.array().first(), nullptr);
        QVERIFY(tree);
        QVERIFY(sameReply(*direct, *tree));
    }

    // What the writer produces is always taken, and comes back as it went.
    void writtenPacketReadBack()
    {
        DataPacket p;
        p.fields = {{u"NRCTE"_s, FieldType::String, 9, false, false, true},
                    {u"ID"_s, FieldType::FixedString, 1, true},
                    {u"VR"_s, FieldType::Float},
                    {u"QT"_s, FieldType::Integer},
                    {u"DT"_s, FieldType::DateTime},
                    {u"OBS"_s, FieldType::Memo}};
        p.rows = {{u"000000123"_s, u"S"_s, 1250.75, qint64(42),
                   QDateTime(QDate(2026, 12, 7), QTime(10, 15, 0, 5)),
                   u"Observação \"já\"\n\u0001x\U0001F600"_s},
                  {QVariant(), QVariant(), -0.01, qint64(-9007199254740991),
                   QDateTime(QDate(1999, 1, 31), QTime(23, 59, 59, 999)), QVariant()}};
        QByteArray text;
        appendPacketJson(text, p);
        const auto back = readPacketJsonText(text);
        QVERIFY(back);
        QCOMPARE(back->fields, p.fields);
        QCOMPARE(back->rows, p.rows);
    }

    void isoDateTimeAsQt_data()
    {
        QTest::addColumn<QString>("zone"); // empty: the machine's
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("read");
        const struct
        {
            const char *zone;
            const char *text;
            bool read;
        } rows[] = {
            {"", "2026-12-07T10:15:00.005", true},
            {"", "2024-02-29T23:59:59.999", true},
            {"", "0001-01-01T00:00:00.000", true},
            {"America/Sao_Paulo", "2018-11-04T00:30:00.000", true}, // in a daylight-saving gap
            {"America/Sao_Paulo", "2019-02-16T23:30:00.000", true}, // in a repeated hour
            {"America/Sao_Paulo", "2026-06-01T12:00:00.000", true},
            {"", "2026-02-29T10:00:00.000", false},
            {"", "2026-12-07T24:00:00.000", false},
            {"", "2026-12-07T10:60:00.000", false},
            {"", "2026-12-07T10:15:60.000", false},
            {"", "2026-13-07T10:15:00.000", false},
            {"", "2026-12-07 10:15:00.000", false},
            {"", "2026-12-07T10:15:00.000Z", false},
            {"", "2026-12-07T10:15:00", false},
            {"", "2026-12-07T10:15:0a.000", false},
            {"", "-026-12-07T10:15:00.000", false},
        };
        for (const auto &r : rows)
            QTest::newRow(r.text) << QString::fromLatin1(r.zone) << QString::fromLatin1(r.text)
                                  << r.read;
    }
    void isoDateTimeAsQt()
    {
        QFETCH(QString, zone);
        QFETCH(QString, text);
        QFETCH(bool, read);
        const QByteArray before = qgetenv("TZ");
        if (!zone.isEmpty())
            qputenv("TZ", zone.toLatin1());
        const auto fast = readIsoLocalDateTime(text);
        const QDateTime qt = QDateTime::fromString(text, Qt::ISODateWithMs);
        qputenv("TZ", before);
        QCOMPARE(fast.has_value(), read);
        if (!fast)
            return;
        QCOMPARE(*fast, qt);
        QCOMPARE(fast->date(), qt.date());
        QCOMPARE(fast->time(), qt.time());
        QCOMPARE(fast->timeSpec(), Qt::LocalTime);
    }
};

QTEST_GUILESS_MAIN(TestPacketJsonText)
#include "tst_packetjsontext.moc"
