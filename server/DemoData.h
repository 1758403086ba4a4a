#pragma once

#include <QSqlDatabase>

// Demo content of the server's tables, joined to the host's demo data (companies 01 and 02,
// their establishments, clients, products and messages): value components, the fiscal
// parametrization of the services, route rates, the host's invoices with their products, and a
// few documents. Does nothing when the component register already has rows.
namespace demodata {

// Returns false when the content was already there.
bool load(const QSqlDatabase &db);

} // namespace demodata
