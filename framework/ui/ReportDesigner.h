#pragma once

#include <QObject>
#include <QString>

#include <functional>

// The report designer component of a report window (rpddPadrao): runs the report definition of a
// code. Before it runs, OnBeforeQueryParams lets the window prepare the report's data (an error
// raised there stops the run). The report definitions themselves are registered by code by
// whoever provides them (the report engine); a code nobody registered is reported to the user.
class TReportDesigner : public QObject
{
    Q_OBJECT
public:
    using Runner = std::function<void(TReportDesigner &designer)>;

    explicit TReportDesigner(QObject *parent = nullptr, const QString &name = {});

    QString ReportCode;
    std::function<void()> OnBeforeQueryParams;

    // Runs the report of `code` (ReportCode when empty).
    void Execute(const QString &code = {});

    // The registry of report definitions by code. Registering a code again replaces it.
    static void RegisterReport(const QString &code, Runner runner);
    static void UnregisterReport(const QString &code);
    static bool HasReport(const QString &code);
};
