// The packet text written straight into a buffer must be the very bytes the JSON tree gives:
// clients and recorded replies depend on the exact form.
#include "DataPacket.h"
#include "RpcProtocol.h"
#include "RpcValue.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;
using namespace contracts;

Q_DECLARE_METATYPE(contracts::FieldType)

namespace {

QByteArray viaTree(const QVariant &value)
{
    const QByteArray wrapped
        = QJsonDocument(QJsonArray {toJson(value)}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);
}

} // namespace

class TestDataPacketText : public QObject
{
    Q_OBJECT

private slots:
    void packetValueSameAsTree_data()
    {
        QTest::addColumn<FieldType>("type");
        QTest::addColumn<QVariant>("value");
        const QString lone = QString(QChar(0xd800)) + u"a"_s;
        const QString pair = QString::fromUtf16(u"x\U0001F600y");
        const struct
        {
            const char *name;
            FieldType type;
            QVariant value;
        } rows[] = {
            {"null text", FieldType::String, QVariant()},
            {"plain text", FieldType::String, u"000000123"_s},
            {"empty text", FieldType::FixedString, QString(u""_s)},
            {"escapes", FieldType::Memo, u"a\"b\\c\nd\re\tf\bg\fh"_s + QChar(1) + QChar(0x1f)},
            {"accents and escapes", FieldType::Memo, u"Observação \"já\"\n\u007f fim"_s},
            {"lone surrogate", FieldType::Memo, lone},
            {"surrogate pair", FieldType::Memo, pair},
            {"text from a number", FieldType::String, 42},
            {"float fraction", FieldType::Float, 1250.75},
            {"float small", FieldType::Float, -0.01},
            {"float integral", FieldType::Float, 3.0},
            {"float zero", FieldType::Float, 0.0},
            {"float negative zero", FieldType::Float, -0.0},
            {"float 2^53", FieldType::Float, 9007199254740992.0},
            {"float below 2^53", FieldType::Float, 9007199254740991.0},
            {"float 1e20", FieldType::Float, 1e20},
            {"float 1e300", FieldType::Float, 1e300},
            {"float tiny", FieldType::Float, 1e-300},
            {"float infinity", FieldType::Float, std::numeric_limits<double>::infinity()},
            {"float nan", FieldType::Float, std::numeric_limits<double>::quiet_NaN()},
            {"float from text", FieldType::Float, u"12.5"_s},
            {"integer", FieldType::Integer, qint64(-9007199254740991)},
            {"integer max", FieldType::Integer, std::numeric_limits<qint64>::max()},
            {"integer min", FieldType::Integer, std::numeric_limits<qint64>::min()},
            {"date-time", FieldType::DateTime, QDateTime(QDate(2026, 12, 7), QTime(10, 15, 0, 5))},
            {"date-time in UTC", FieldType::DateTime,
             QDateTime(QDate(2026, 1, 2), QTime(3, 4), Qt::UTC)},
        };
        for (const auto &r : rows)
            QTest::newRow(r.name) << r.type << r.value;
    }
    void packetValueSameAsTree()
    {
        QFETCH(FieldType, type);
        QFETCH(QVariant, value);
        DataPacket p;
        p.fields = {{u"CDCTE"_s, FieldType::Integer, 0, true},
                    {u"VALOR"_s, type, 100000, false, true, true}};
        p.rows = {{qint64(1), value}, {qint64(2)}, {}};
        QByteArray direct;
        appendPacketJson(direct, p);
        QCOMPARE(direct, QJsonDocument(packetToJson(p)).toJson(QJsonDocument::Compact));
    }

    void replySameAsTree_data()
    {
        QTest::addColumn<QVariant>("reply");
        DataPacket packet;
        packet.fields = {{u"NRCTE"_s, FieldType::String, 9}, {u"VR"_s, FieldType::Float}};
        packet.rows = {{u"1"_s, 2.5}};
        Delta delta;
        delta.fields = packet.fields;
        delta.changes = {{Change::Kind::Update, {u"1"_s, 2.5}, {u"2"_s, QVariant()}}};
        QTest::newRow("null") << QVariant();
        QTest::newRow("text") << QVariant(u"Falhou: \"x\""_s);
        QTest::newRow("list of everything") << okReply({
            QVariant::fromValue(packet),
            QVariant(true),
            QVariant(false),
            QVariant(7),
            QVariant(0.1),
            QVariant(float(1.5f)),
            QVariant(qint64(-3)),
            QVariant(QDate(2026, 12, 31)),
            QVariant(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 999))),
            QVariant(QStringList {u"a"_s, u"b"_s}),
            QVariant(QVariantList {}),
            QVariant::fromValue(delta),
            QVariant(),
            QVariant::fromValue(DataPacket()),
        });
    }
    void replySameAsTree()
    {
        QFETCH(QVariant, reply);
        QCOMPARE(encodeReply(reply), viaTree(reply));
        const QVariantList args
            = reply.typeId() == QMetaType::QVariantList ? reply.toList() : QVariantList {reply};
        QCOMPARE(encodeCall(args), viaTree(QVariant(args)));
    }
};

QTEST_GUILESS_MAIN(TestDataPacketText)
#include "tst_datapackettext.moc"
