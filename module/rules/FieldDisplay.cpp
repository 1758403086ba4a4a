#include "FieldDisplay.h"

using namespace Qt::StringLiterals;

namespace {
const QString kMoney = u"#,##0.00"_s;
const QString kPercent = u"#,##0.00 %"_s;
} // namespace

const QList<TFieldDisplay> &EditorFieldDisplays()
{
    using A = TFieldDisplay::Align;
    static const QList<TFieldDisplay> displays {
        {u"cdsCTe"_s, u"IDCHECK"_s, {}, {}, A::Center},
        {u"cdsCTe"_s, u"DTEMISSAO"_s, {}, u"!99/99/0000;1;_"_s, A::Left},
        {u"cdsCTe"_s, u"VRTOTAPRESTSERV"_s, kMoney, {}, A::Right},
        {u"cdsCTe"_s, u"VRTOTARECEBER"_s, kMoney, {}, A::Right},
        {u"cdsCTe"_s, u"VRTOTACARGA"_s, kMoney, {}, A::Right},
        {u"cdsCTe"_s, u"VRAVERBACAO"_s, kMoney, {}, A::Right},
        {u"cdsCTeImpostos"_s, u"VRBASECALCULO"_s, kMoney, {}, A::Right},
        {u"cdsCTeImpostos"_s, u"VRALIQUOTA"_s, kPercent, {}, A::Right},
        {u"cdsCTeImpostos"_s, u"VRREDBASECALC"_s, kPercent, {}, A::Right},
        {u"cdsCTeImpostos"_s, u"VRIMPOSTO"_s, kMoney, {}, A::Right},
        {u"cdsCTeImpostos"_s, u"VRCREDPRESUMIDO"_s, kMoney, {}, A::Right},
        {u"cdsCTeCompValor"_s, u"VRCOMPONENTE"_s, kMoney, {}, A::Right},
        {u"cdsCTeInfQtCarga"_s, u"QTCARGA"_s, kMoney, {}, A::Right},
    };
    return displays;
}

QString FieldLabelKey(const QString &dataset, const QString &field)
{
    return dataset + u'.' + field;
}
