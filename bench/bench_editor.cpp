// Editor figures: moving from one listed document to the next (children re-filtered, key lists
// rebuilt, commands and read-only mode re-evaluated) with 100 and with 10,000 documents listed;
// NF-e files imported into an open document (read, checked, added with their quantities).
// The real window, shown offscreen, holds the list; the list arrives as GetDadosGerais sends it.
#include "CTeRecord.h"
#include "Cli_Dfs88000.h"
#include "ClientDataSet.h"
#include "Exceptions.h"
#include "ListLoad.h"
#include "Messages.h"
#include "NfeInvoiceFile.h"
#include "NfeSamples.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>

using namespace Qt::StringLiterals;
using namespace contracts;

namespace {

// Messages of the window without a server or host database go nowhere.
class SilentSink : public IMessageSink
{
public:
    int showMessage(TMsgKind, const QString &, int, int defaultButton) override
    {
        return defaultButton;
    }
};

Row row(const QList<FieldDef> &fields, const QHash<QString, QVariant> &values)
{
    Row r;
    r.reserve(fields.size());
    for (const FieldDef &f : fields)
        r.append(values.value(f.name));
    return r;
}

// A list reply of `documents` documents, each with one tax, two value components, two fiscal
// documents, five cargo rows and one observation, statuses cycling through P, R, A.
QVariant listReply(int documents)
{
    DataPacket docs {cte::documentFields(), {}};
    DataPacket taxes {cte::taxFields(), {}};
    DataPacket comps {cte::valueComponentFields(), {}};
    DataPacket fiscal {cte::fiscalDocumentFields(), {}};
    DataPacket cargo {cte::cargoQuantityFields(), {}};
    DataPacket notes {cte::additionalDataFields(), {}};
    const char16_t *statuses[] = {u"P", u"R", u"A"};
    int child = 0;
    for (int d = 1; d <= documents; ++d) {
        const double key = d;
        docs.rows.append(row(docs.fields,
                             {{u"IDCHECK"_s, u"N"_s},
                              {u"CDCTE"_s, key},
                              {u"NRCTE"_s, u"%1"_s.arg(d, 9, 10, QChar(u'0'))},
                              {u"IDSTATUSCTE"_s, QString::fromUtf16(statuses[d % 3])},
                              {u"IDTPIJUREMIT"_s, u"J"_s},
                              {u"NRINSJUREMIT"_s, u"18462731000114"_s},
                              {u"IDTPIJURTOMA"_s, u"F"_s},
                              // Sender and recipient known: an import asks no register.
                              {cte::partyClientCodeField(u"REME"_s), u"101"_s},
                              {cte::partyClientCodeField(u"DEST"_s), u"112"_s},
                              {u"NRINSJURTOMA"_s, u"12345678909"_s}}));
        taxes.rows.append(row(
            taxes.fields,
            {{u"CDCTEIMPOSTOS"_s, double(++child)}, {u"CDCTE"_s, key}, {u"CDIMPOSTO"_s, u"01"_s}}));
        for (int c = 1; c <= 2; ++c) {
            comps.rows.append(row(comps.fields,
                                  {{u"CDCTECOMPVALOR"_s, double(++child)},
                                   {u"CDCTE"_s, key},
                                   {u"CDCOMPVRPREST"_s, double(c)}}));
            fiscal.rows.append(row(fiscal.fields,
                                   {{u"CDCTEDOCFISCAIS"_s, double(++child)},
                                    {u"CDCTE"_s, key},
                                    {u"CDFILIAL"_s, u"0001"_s},
                                    {u"NRLANCTONF"_s, QString::number(d * 10 + c)}}));
        }
        for (int c = 1; c <= 5; ++c)
            cargo.rows.append(row(cargo.fields,
                                  {{u"CDCTEINFQTCARGA"_s, double(++child)},
                                   {u"CDCTE"_s, key},
                                   {u"CDUNIDMEDIDA"_s, u"01"_s},
                                   {u"QTCARGA"_s, double(c)}}));
        notes.rows.append(
            row(notes.fields, {{u"CDCTEDADOSADIC"_s, double(++child)}, {u"CDCTE"_s, key}}));
    }
    DataPacket inscr {cte::establishmentFields(), {}};
    return QVariantList {u"S"_s,
                         QVariant::fromValue(docs),
                         QVariant::fromValue(inscr),
                         u"1.00"_s,
                         QVariant::fromValue(taxes),
                         QVariant::fromValue(comps),
                         QVariant::fromValue(DataPacket {cte::valueComponentRegisterFields(), {}}),
                         QVariant::fromValue(fiscal),
                         QVariant(),
                         QVariant::fromValue(cargo),
                         QVariant::fromValue(notes)};
}

void loadList(TfrmCTe *frm, int documents)
{
    LoadListReply(listReply(documents),
                  {frm->cdsCTe, frm->cdsInscrEstad, frm->cdsCTeImpostos, frm->cdsCTeCompValor,
                   frm->cdsPesqCompValorPrest, frm->cdsCTeDocFiscais, frm->cdsPesqDocFiscais,
                   frm->cdsCTeInfQtCarga, frm->cdsCTeDadosAdic},
                  u"DFS"_s);
}

// Seconds per move over `moves` moves from the first document on; the best of three runs.
double secondsPerMove(TfrmCTe *frm, int documents, int moves)
{
    loadList(frm, documents);
    double best = 1e300;
    for (int run = 0; run < 3; ++run) {
        frm->cdsCTe->First();
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < moves; ++i)
            frm->cdsCTe->Next();
        best = std::min(best, double(t.nsecsElapsed()) / 1e9 / moves);
        if (frm->cdsCTeInfQtCarga->RecordCount() != 5 || Cli_Dfs88000::slCTeDocFiscais.size() != 2)
            qFatal("the move did not follow the document");
    }
    return best;
}

// NF-e files of one sender, written once for the import figures.
QStringList invoiceFiles(const QTemporaryDir &dir, int count)
{
    QList<NfeSamples::Sample> samples;
    for (int n = 1; n <= count; ++n) {
        NfeSamples::Sample s;
        s.number = n;
        s.products = {{u"PRODUTO %1"_s.arg(n % 7), 10000 + n}, {u"EMBALAGEM"_s, 250}};
        s.grossWeight = 10.5;
        s.netWeight = 10;
        s.volumes = 2;
        samples << s;
    }
    const QStringList files = NfeSamples::WriteFiles(samples, dir.path());
    if (files.size() != count)
        qFatal("the invoice files were not written");
    return files;
}

// Files read and checked per second, without adding them; the best of three runs.
double readsPerSecond(const QStringList &files)
{
    double best = 0;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer t;
        t.start();
        for (const QString &file : files) {
            if (!ReadNfeInvoiceFile(file).invoice)
                qFatal("an invoice was refused");
        }
        best = std::max(best, files.size() / (double(t.nsecsElapsed()) / 1e9));
    }
    return best;
}

// Invoices read, checked and added to the open document per second, as the import command does
// it (progress bar, sums, summary); the best of three runs on a fresh list.
double importsPerSecond(TfrmCTe *frm, const QStringList &files)
{
    double best = 0;
    for (int run = 0; run < 3; ++run) {
        loadList(frm, 1);
        frm->cdsCTe->First();
        const int before = frm->cdsCTeDocFiscais->RecordCount();
        QElapsedTimer t;
        t.start();
        FrameworkGuard([&] { frm->ImportaNotasFiscais(files); });
        best = std::max(best, files.size() / (double(t.nsecsElapsed()) / 1e9));
        if (frm->cdsCTeDocFiscais->RecordCount() != before + files.size())
            qFatal("the invoices were not all added");
        // The edit is given up; the reload that follows has no server here and fails quietly.
        FrameworkGuard([frm] { frm->cdsCTe->Cancel(); });
    }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SilentSink sink;
    SetMessageSink(&sink);
    Cli_Dfs88000::CriaCTe();
    TfrmCTe *frm = Cli_Dfs88000::frmCTe;
    QCoreApplication::processEvents();

    const double small = secondsPerMove(frm, 100, 99);
    const double big = secondsPerMove(frm, 10000, 99);
    QTextStream out(stdout);
    out << "editor_scroll_100_us " << QString::number(small * 1e6, 'f', 2) << '\n';
    out << "editor_scroll_10k_us " << QString::number(big * 1e6, 'f', 2) << '\n';
    out << "editor_scroll_10k_vs_100 " << QString::number(big / small, 'f', 2) << '\n';
    const QTemporaryDir dir;
    const QStringList files = invoiceFiles(dir, 2000);
    out << "nfe_read_per_s " << QString::number(readsPerSecond(files), 'f', 0) << '\n';
    out << "nfe_import_per_s " << QString::number(importsPerSecond(frm, files), 'f', 0) << '\n';
    frm->Close();
    SetMessageSink(nullptr);
    return 0;
}
