#include "CorrectionRows.h"

#include "CorrectionFields.h"

using namespace Qt::StringLiterals;
using namespace contracts::correction;

TProblemaCorrecao VerificaCorrecoes(const QList<TLinhaCorrecao> &linhas)
{
    if (linhas.isEmpty())
        return {u"CORRECAO_DEVE"_s, -1, {}, {}};
    for (int i = 0; i < linhas.size(); ++i) {
        const TLinhaCorrecao &l = linhas.at(i);
        const auto problema = [&](const QString &key) {
            return TProblemaCorrecao {key, i, l.grupo, l.campo};
        };
        const LayoutField *f = findField(l.grupo, l.campo);
        if (!f)
            return problema(u"CAMPO_DEVE"_s);
        if (f->forbidden)
            return problema(u"CAMPO_PROIBIDO"_s);
        const QString valor = l.valor.trimmed();
        if (valor.isEmpty())
            return problema(u"VALOR_DEVE"_s);
        if (valor.size() > kMaxValue)
            return problema(u"VALOR_LONGO"_s);
        bool numero = false;
        const int item = l.item.trimmed().toInt(&numero);
        if (f->repeats && (!numero || item < 1 || item > kMaxItem))
            return problema(u"ITEM_DEVE"_s);
        if (!f->repeats && !l.item.trimmed().isEmpty())
            return problema(u"ITEM_SEM_LISTA"_s);
    }
    return {};
}

contracts::DataPacket PacoteCorrecoes(const QList<TLinhaCorrecao> &linhas)
{
    contracts::DataPacket p;
    p.fields = {{u"DSGRUPO"_s, contracts::FieldType::String, 20},
                {u"DSCAMPO"_s, contracts::FieldType::String, 20},
                {u"DSVALOR"_s, contracts::FieldType::String, kMaxValue},
                {u"NRITEM"_s, contracts::FieldType::String, 2}};
    for (const TLinhaCorrecao &l : linhas)
        p.rows.append({l.grupo.trimmed(), l.campo.trimmed(), l.valor.trimmed(), l.item.trimmed()});
    return p;
}

QString VerificaInutilizacao(const TPedidoInutilizacao &p)
{
    if (p.empresa.trimmed().isEmpty())
        return u"EMPRESA_DEVE"_s;
    if (p.inscricao.trimmed().isEmpty())
        return u"INSCRICAO_DEVE"_s;
    bool ok = false;
    const int serie = p.serie.trimmed().toInt(&ok);
    if (!ok || serie < 0 || serie > 999)
        return u"SERIE_DEVE"_s;
    bool inicialOk = false;
    bool finalOk = false;
    const qint64 inicial = p.inicial.trimmed().toLongLong(&inicialOk);
    const qint64 final = p.final.trimmed().toLongLong(&finalOk);
    if (!inicialOk || !finalOk || inicial < 1 || final > 999999999 || inicial > final)
        return u"FAIXA_DEVE"_s;
    if (p.motivo.trimmed().size() < 15)
        return u"MOTIVO_MAIOR_15"_s;
    if (p.motivo.size() > 255)
        return u"MOTIVO_MENOR_255"_s;
    return {};
}
