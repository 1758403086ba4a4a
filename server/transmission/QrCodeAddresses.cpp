#include "QrCodeAddresses.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

// State, production address, homologation address ("=": the same as production). Most states
// are authorised by the virtual authority of Rio Grande do Sul (SVRS); AP, PE and RR by São
// Paulo's (SVSP).
constexpr char16_t kDefaults[] = uR"(
AC https://dfe-portal.svrs.rs.gov.br/cte/qrCode =
AL https://dfe-portal.svrs.rs.gov.br/cte/qrCode =
AM https://dfe-portal.svrs.rs.gov.br/cte/qrCode =
AP https://nfe.fazenda.sp.gov.br/CTeConsulta/qrCode https://homologacao.nfe.fazenda.sp.gov.br/CTeConsulta/qrCode
BA https://dfe-portal.svrs.rs.gov.br/cte/qrCode =
CE https://dfe-portal.svrs.rs.gov.br/cte/qrCode =
DF https://dfe-portal.svrs.rs.gov.br/cte/qrCode =
ES https://dfe-portal.svrs.rs.gov.br/cte/qrCode =
GO https://dfe-portal.svrs.rs.gov.br/cte/qrCode =
MA https://dfe-portal.svrs.rs.gov.br/cte/qrCode =
MG https://cte.fazenda.mg.gov.br/portalcte/sistema/qrcode.xhtml https://hcte.fazenda.mg.gov.br/portalcte/sistema/qrcode.xhtml
MS https://www.dfe.ms.gov.br/cte/qrcode =
MT https://www.sefaz.mt.gov.br/cte/qrcode https://homologacao.sefaz.mt.gov.br/cte/qrcode
PA https://dfe-portal.svrs.rs.gov.br/cte/qrCode =
PB https://dfe-portal.svrs.rs.gov.br/cte/qrCode =
PE https://nfe.fazenda.sp.gov.br/CTeConsulta/qrCode https://homologacao.nfe.fazenda.sp.gov.br/CTeConsulta/qrCode
PI https://dfe-portal.svrs.rs.gov.br/cte/qrCode =
PR http://www.fazenda.pr.gov.br/cte/qrcode =
RJ https://dfe-portal.svrs.rs.gov.br/cte/qrCode =
RN https://dfe-portal.svrs.rs.gov.br/cte/qrCode =
RO https://dfe-portal.svrs.rs.gov.br/cte/qrCode =
RR https://nfe.fazenda.sp.gov.br/CTeConsulta/qrCode https://homologacao.nfe.fazenda.sp.gov.br/CTeConsulta/qrCode
RS https://dfe-portal.svrs.rs.gov.br/cte/qrCode =
SC https://dfe-portal.svrs.rs.gov.br/cte/qrCode =
SE https://dfe-portal.svrs.rs.gov.br/cte/qrCode =
SP https://nfe.fazenda.sp.gov.br/CTeConsulta/qrCode https://homologacao.nfe.fazenda.sp.gov.br/CTeConsulta/qrCode
TO https://dfe-portal.svrs.rs.gov.br/cte/qrCode =
)";

QString slot(const QString &uf, int environment)
{
    return uf.trimmed().toUpper() + u'/' + QString::number(environment);
}

} // namespace

QString QrCodeAddresses::address(const QString &uf, int environment) const
{
    return m_addresses.value(slot(uf, environment));
}

void QrCodeAddresses::set(const QString &uf, int environment, const QString &address)
{
    m_addresses.insert(slot(uf, environment), address.trimmed());
}

QrCodeAddresses QrCodeAddresses::defaults()
{
    QrCodeAddresses table;
    for (const QString &line : QString::fromUtf16(kDefaults).split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList cells = line.split(u' ', Qt::SkipEmptyParts);
        if (cells.size() != 3)
            continue;
        table.set(cells.at(0), 1, cells.at(1));
        table.set(cells.at(0), 2, cells.at(2) == u"=" ? cells.at(1) : cells.at(2));
    }
    return table;
}
