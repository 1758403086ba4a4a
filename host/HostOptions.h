#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

// What the command line says about the session. A value left out stays unset and is taken from
// the remembered login (or asked in the login dialog).
struct THostOptions
{
    std::optional<QString> user;
    std::optional<QString> password;
    std::optional<QString> company;
    std::optional<QString> branch;
    std::optional<QDate> date;
    std::optional<QString> serverHost;
    std::optional<int> serverPort;
    std::optional<QString> database;
    QString automation; // plug-in library; empty when none
    QString packagePath; // package library; empty for the default
    bool openEditor = false; // open the CT-e editor once logged in
    QString helpText; // set when --help was asked: print it and stop

    // The dialog is skipped under automation, or when user and company come from the command line.
    bool loginFromCommandLine() const { return !automation.isEmpty() || (user && company); }

    // Parses `arguments` (argv, program name first). False with `error` set on a bad option.
    static bool Parse(const QStringList &arguments, THostOptions *options, QString *error);
};

// "HOST:PORT" split; false when the port is missing or not a number in 1..65535.
bool ParseServerAddress(const QString &text, QString *host, int *port);
// A date as "2026-12-07" or "07/12/2026"; invalid otherwise.
QDate ParseLoginDate(const QString &text);
