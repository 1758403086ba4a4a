#include "ReportDesigner.h"

#include "Exceptions.h"
#include "Messages.h"

#include <QHash>

using namespace Qt::StringLiterals;

namespace {
QHash<QString, TReportDesigner::Runner> &registry()
{
    static QHash<QString, TReportDesigner::Runner> reports;
    return reports;
}
} // namespace

TReportDesigner::TReportDesigner(QObject *parent, const QString &name)
    : QObject(parent)
{
    setObjectName(name.isEmpty() ? u"rpddPadrao"_s : name);
}

void TReportDesigner::Execute(const QString &code)
{
    const QString chosen = code.isEmpty() ? ReportCode : code;
    // A report that does not exist is said before its data is prepared (which may be costly).
    const Runner runner = registry().value(chosen);
    if (!runner)
        MensErro(FwMsg(u"FW_RELATORIO_INEXISTENTE"_s).arg(chosen));
    if (OnBeforeQueryParams)
        OnBeforeQueryParams();
    runner(*this);
}

void TReportDesigner::RegisterReport(const QString &code, Runner runner)
{
    registry().insert(code, std::move(runner));
}

void TReportDesigner::UnregisterReport(const QString &code)
{
    registry().remove(code);
}

bool TReportDesigner::HasReport(const QString &code)
{
    return registry().contains(code);
}
