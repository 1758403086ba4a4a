#include "NewDocument.h"

#include "ClientDataSet.h"

using namespace Qt::StringLiterals;

namespace {
QString establishment(const TClientDataSet *cdsInscrEstad, const QString &field)
{
    if (!cdsInscrEstad || !cdsInscrEstad->Active() || cdsInscrEstad->IsEmpty())
        return {};
    const TField *f = cdsInscrEstad->FindField(field);
    return f ? f->AsString() : QString();
}
} // namespace

void FillNewDocument(TClientDataSet *cdsCTe, const QString &company,
                     const TClientDataSet *cdsInscrEstad, const QString &versaoProcesso,
                     const QDateTime &now)
{
    const auto set = [cdsCTe](const QString &field, const QVariant &value) {
        cdsCTe->FieldByName(field)->SetValue(value);
    };
    set(u"CDCTE"_s, 0.0);
    set(u"CDEMPRESA"_s, company);
    set(u"CDSERIECTE"_s, establishment(cdsInscrEstad, u"CDSERIECTE"_s));
    set(u"CDMODDOCFISC"_s, establishment(cdsInscrEstad, u"CDMODDOCFISCCTE"_s));
    set(u"IDSTATUSCTE"_s, u"P"_s);
    set(u"DTEMISSAO"_s, now);
    set(u"IDMODAL"_s, u"01"_s);
    set(u"IDTIPOSERVICO"_s, u"0"_s);
    set(u"IDTIPOCTE"_s, u"0"_s);
    set(u"IDFORMAEMISSAO"_s, u"1"_s);
    set(u"IDGLOBALIZADO"_s, u"0"_s);
    set(u"IDFORMAIMPDACTE"_s, establishment(cdsInscrEstad, u"IDTPIMPRESDACTE"_s));
    set(u"IDAMBIENTECTE"_s, establishment(cdsInscrEstad, u"IDTPAMBIENTECTE"_s));
    set(u"IDVERPROCESSO"_s, versaoProcesso);
    set(u"IDRETIRA"_s, u"1"_s);
    set(u"IDCADREMETENTE"_s, u"N"_s);
    set(u"IDCADEXPEDIDOR"_s, u"N"_s);
    set(u"IDCADRECEBEDOR"_s, u"N"_s);
    set(u"IDCADDESTINATA"_s, u"N"_s);
    set(u"IDEMAILCTE"_s, u"P"_s);
}

void AppendStandardCargoRows(TClientDataSet *cdsCTeInfQtCarga)
{
    struct Row
    {
        const char16_t *unit;
        const char16_t *kind;
        const char16_t *generated;
    };
    static constexpr Row rows[] = {
        {u"01", u"PESO BRUTO", u"S"},
        {u"01", u"PESO BASE DE CALCULO", u"N"},
        {u"01", u"PESO AFERIDO", u"N"},
        {u"00", u"CUBAGEM", u"N"},
        // 21 characters: the field keeps its first 20.
        {u"03", u"QUANTIDADE DE VOLUMES", u"N"},
    };
    for (const Row &r : rows) {
        cdsCTeInfQtCarga->Append();
        cdsCTeInfQtCarga->FieldByName(u"CDCTE"_s)->SetAsFloat(0);
        cdsCTeInfQtCarga->FieldByName(u"CDUNIDMEDIDA"_s)->SetAsString(QString::fromUtf16(r.unit));
        cdsCTeInfQtCarga->FieldByName(u"DSTIPOMEDIDA"_s)->SetAsString(QString::fromUtf16(r.kind));
        cdsCTeInfQtCarga->FieldByName(u"QTCARGA"_s)->SetAsFloat(0);
        cdsCTeInfQtCarga->FieldByName(u"IDGERADAAUTO"_s)
            ->SetAsString(QString::fromUtf16(r.generated));
        cdsCTeInfQtCarga->Post();
    }
}
