#include "DacteReport.h"

#include "ClientDataSet.h"
#include "DactePainter.h"
#include "DataSource.h"
#include "ReportDesigner.h"

#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace dacte {

DacteData dataFromSources(const QObject &form)
{
    DacteData data;
    for (const SetDef &set : dacteSets()) {
        const auto *source = form.findChild<TDataSource *>(u"dtsDACTe"_s + set.name);
        if (!source || !source->DataSet() || !source->DataSet()->Active())
            continue;
        data.sets.insert(set.name, rowsOf(source->DataSet()->DataPacket()));
    }
    data.cdCte = data.value(u"Ide"_s, u"CDCTE"_s).toDouble();
    return data;
}

void printDacte(QPrinter &printer, const DacteData &data)
{
    printer.setFullPage(true);
    printer.setPageLayout(QPageLayout(
        QPageSize(QPageSize::A4),
        isLandscape(data) ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    QPainter painter(&printer);
    const int pages = pageCount(data);
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            printer.newPage();
        drawPage(painter, data, page);
    }
}

void registerDacteReport()
{
    TReportDesigner::RegisterReport(QString::fromUtf16(kReportCode), [](TReportDesigner &designer) {
        auto *form = qobject_cast<QWidget *>(designer.parent());
        const DacteData data = form ? dataFromSources(*form) : DacteData {};
        QPrinter printer(QPrinter::HighResolution);
        QPrintPreviewDialog preview(&printer, form);
        preview.setObjectName(u"dlgPreviewDACTE"_s);
        preview.setWindowTitle(form ? form->windowTitle() : QString());
        QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                         [&data](QPrinter *p) { printDacte(*p, data); });
        preview.exec();
    });
}

} // namespace dacte
