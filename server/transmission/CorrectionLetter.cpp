#include "CorrectionLetter.h"

#include "AuthorityClient.h"
#include "CorrectionFields.h"
#include "SqlSupport.h"
#include "TransmissionMessages.h"
#include "XmlOut.h"

#include <libxml/parser.h>

using namespace Qt::StringLiterals;

namespace {

const QString kConditionOfUse
    = u"A Carta de Correção é disciplinada pelo Art. 58-B do CONVÊNIO/SINIEF 06/89: Fica "
      "permitida a utilização de carta de correção, para regularização de erro ocorrido na "
      "emissão de documentos fiscais relativos à prestação de serviço de transporte, desde que "
      "o erro não esteja relacionado com: I - as variáveis que determinam o valor do imposto "
      "tais como: base de cálculo, alíquota, diferença de preço, quantidade, valor da "
      "prestação;II - a correção de dados cadastrais que implique mudança do emitente, tomador, "
      "remetente ou do destinatário;III - a data de emissão ou de saída."_s;

} // namespace

QString correctionsProblem(const QList<Correction> &corrections)
{
    using namespace contracts::correction;
    if (corrections.isEmpty())
        return txMsg("CCE_SEM_CORRECOES");
    for (const Correction &c : corrections) {
        const LayoutField *f = findField(c.group, c.field);
        if (!f)
            return txMsg("CCE_CAMPO_DESCONHECIDO").arg(c.group, c.field);
        if (f->forbidden)
            return txMsg("CCE_CAMPO_PROIBIDO").arg(f->group, f->field);
        if (f->repeats && (c.item < 1 || c.item > kMaxItem))
            return txMsg("CCE_ITEM").arg(f->group, f->field).arg(kMaxItem);
        if (!f->repeats && c.item != 0)
            return txMsg("CCE_ITEM_SEM_LISTA").arg(f->group, f->field);
        const QString value = XmlOut::clean(c.value);
        if (value.isEmpty() || value.size() > kMaxValue)
            return txMsg("CCE_VALOR").arg(f->group, f->field).arg(kMaxValue);
    }
    return {};
}

QByteArray correctionDetail(const QList<Correction> &corrections)
{
    using namespace contracts::correction;
    XmlOut out;
    out.open("evCCeCTe");
    out.leaf("descEvento", u"Carta de Correção"_s);
    for (const Correction &c : corrections) {
        // The layout's own spelling, whatever the case typed.
        const LayoutField *f = findField(c.group, c.field);
        out.open("infCorrecao");
        out.leaf("grupoAlterado", f ? f->group : c.group);
        out.leaf("campoAlterado", f ? f->field : c.field);
        out.leaf("valorAlterado", c.value);
        if (c.item > 0)
            out.leafAscii("nroItemAlterado", QByteArray::number(c.item));
        out.close("infCorrecao");
    }
    out.leaf("xCondUso", kConditionOfUse);
    out.close("evCCeCTe");
    return out.bytes();
}

LetterContent letterContent(const QByteArray &eventXml)
{
    LetterContent out;
    xmlDoc *doc = xmlReadMemory(eventXml.constData(), int(eventXml.size()), nullptr, "UTF-8",
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!doc)
        return out;
    const xmlNode *root = xmlDocGetRootElement(doc);
    out.eventAt
        = QDateTime::fromString(childText(findElement(root, "infEvento"), "dhEvento"), Qt::ISODate);
    const xmlNode *letter = findElement(root, "evCCeCTe");
    out.condition = childText(letter, "xCondUso");
    for (const xmlNode *n = letter ? letter->children : nullptr; n; n = n->next) {
        if (n->type == XML_ELEMENT_NODE
            && xmlStrcmp(n->name, reinterpret_cast<const xmlChar *>("infCorrecao")) == 0)
            out.corrections.append({childText(n, "grupoAlterado"), childText(n, "campoAlterado"),
                                    childText(n, "valorAlterado"),
                                    childText(n, "nroItemAlterado").toInt()});
    }
    xmlFreeDoc(doc);
    return out;
}

QList<QByteArray> correctionLetterXmls(const QSqlDatabase &db, qint64 key)
{
    QSqlQuery q = runSql(db,
                         u"SELECT DSXMLEVENTO FROM CTEEVENTO WHERE CDCTE = :K AND TPEVENTO = "
                         "'110110' ORDER BY NRSEQEVENTO"_s,
                         {{u":K", key}});
    QList<QByteArray> out;
    while (q.next())
        out.append(q.value(0).toString().toUtf8());
    return out;
}
