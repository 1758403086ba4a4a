// Client dataset figures: loading a large packet and switching a child list's document filter.
#include "ClientDataSet.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QTextStream>

#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;
using contracts::FieldType;

namespace {

// The best of `runs` timings of `body`, in seconds.
double bestOf(int runs, const std::function<void()> &body)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        body();
        best = std::min(best, double(t.nsecsElapsed()) / 1e9);
    }
    return best;
}

// 20 fields shaped like a document list: a key, texts of several widths, values, counts, dates.
contracts::DataPacket documentPacket(int rows)
{
    contracts::DataPacket p;
    p.fields.append({u"CDCTE"_s, FieldType::Float, 0});
    for (int i = 0; i < 10; ++i)
        p.fields.append({u"DSTEXTO%1"_s.arg(i), FieldType::String, 10 + i * 10});
    for (int i = 0; i < 5; ++i)
        p.fields.append({u"VRVALOR%1"_s.arg(i), FieldType::Float, 0});
    for (int i = 0; i < 2; ++i)
        p.fields.append({u"QTCONTA%1"_s.arg(i), FieldType::Integer, 0});
    for (int i = 0; i < 2; ++i)
        p.fields.append({u"DTDATA%1"_s.arg(i), FieldType::DateTime, 0});
    const QDateTime base(QDate(2026, 1, 1), QTime(8, 0));
    p.rows.reserve(rows);
    for (int r = 0; r < rows; ++r) {
        contracts::Row row;
        row.reserve(20);
        row.append(double(r + 1));
        for (int i = 0; i < 10; ++i)
            row.append(u"TEXTO %1 DO CAMPO %2"_s.arg(r).arg(i).left(10 + i * 10));
        for (int i = 0; i < 5; ++i)
            row.append(r * 1.25 + i);
        for (int i = 0; i < 2; ++i)
            row.append(qint64(r * 3 + i));
        for (int i = 0; i < 2; ++i)
            row.append(base.addSecs(qint64(r) * 60 + i));
        p.rows.append(std::move(row));
    }
    return p;
}

contracts::DataPacket childPacket(int documents, int perDocument)
{
    contracts::DataPacket p;
    p.fields = {{u"CDCTEIMPOSTOS"_s, FieldType::Float, 0},
                {u"CDCTE"_s, FieldType::Float, 0},
                {u"CDIMPOSTO"_s, FieldType::String, 2},
                {u"VRIMPOSTO"_s, FieldType::Float, 0}};
    int key = 0;
    for (int i = 0; i < perDocument; ++i) {
        for (int doc = 1; doc <= documents; ++doc)
            p.rows.append(
                {double(++key), double(doc), u"%1"_s.arg(i, 2, 10, QChar(u'0')), doc * 1.5});
    }
    return p;
}

// A child list and the document switch the editor does at each move of the master: filter off,
// new text, filter on, first row.
struct SwitchBench
{
    TClientDataSet cds {nullptr, u"cdsCTeImpostos"_s};
    int documents;
    qint64 seen = 0;

    explicit SwitchBench(int docs)
        : documents(docs)
    {
        cds.LoadFromPacket(childPacket(documents, 10));
        cds.SetIndexFieldNames(u"CDCTE;CDIMPOSTO"_s);
    }

    // Seconds per switch over `switches` documents.
    double run(int switches)
    {
        QElapsedTimer t;
        t.start();
        for (int s = 0; s < switches; ++s) {
            const int doc = 1 + int((qint64(s) * 7919) % documents);
            cds.SetFiltered(false);
            cds.SetFilter(u"CDCTE = '%1'"_s.arg(doc));
            cds.SetFiltered(true);
            cds.First();
            seen += cds.RecordCount();
        }
        return double(t.nsecsElapsed()) / 1e9 / switches;
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);

    constexpr int kRows = 100'000;
    const QByteArray json = QJsonDocument(contracts::packetToJson(documentPacket(kRows)))
                                .toJson(QJsonDocument::Compact);
    const double parse = bestOf(3, [&] {
        const QJsonDocument doc = QJsonDocument::fromJson(json);
        if (!doc.isObject())
            qFatal("bad JSON");
    });
    TClientDataSet cds(nullptr, u"cdsCTe"_s);
    const double load = bestOf(3, [&] { cds.LoadFromJson(json); });
    if (cds.RecordCount() != kRows)
        qFatal("rows lost");
    out << "packet_load_rows_per_s " << qint64(kRows / load) << '\n';
    out << "packet_load_vs_json_parse " << QString::number(load / parse, 'f', 2) << '\n';

    // Both sizes alternate so that load from elsewhere on the machine hits them alike; the best
    // round of each counts.
    SwitchBench big100k(10'000), small1k(100);
    double big = 1e300, small = 1e300;
    for (int round = 0; round < 7; ++round) {
        big = std::min(big, big100k.run(10'000));
        small = std::min(small, small1k.run(10'000));
    }
    if (big100k.seen == 0 || small1k.seen == 0)
        qFatal("filter found nothing");
    out << "filter_switch_100k_us " << QString::number(big * 1e6, 'f', 2) << '\n';
    out << "filter_switch_1k_us " << QString::number(small * 1e6, 'f', 2) << '\n';
    out << "filter_switch_100k_vs_1k " << QString::number(big / small, 'f', 2) << '\n';
    return 0;
}
