#pragma once

#include <QSqlDatabase>

// Demo content of the server's tables, joined to the host's demo data (companies 01 and 02,
// their establishments, clients, products and messages): value components, the fiscal
// parametrization of the services, route rates, the host's invoices with their products, and a
// few documents. Does nothing when the component register already has rows.
namespace demodata {

// Returns false when the content was already there.
bool load(const QSqlDatabase &db);

// The transmission's part of the demo (DemoTransmission.cpp): the establishments' CT-e
// parameters and one complete pending document.
void loadTransmissionDemo(const QSqlDatabase &db);
// Saves one more complete pending document of company 01 and gives its key.
qint64 insertCompleteDemoDocument(const QSqlDatabase &db);
// Writes the demo issuer's self-signed certificate as PATH.p12, its random password as
// PATH.password and the certificate alone as PATH.pem.
bool writeDemoCertificate(const QString &path);
// Writes the state registrations of every demo company, one "UF IE CNPJ" line each, for the
// authority stand-in to register.
bool writeDemoIssuers(const QSqlDatabase &db, const QString &path);

} // namespace demodata
