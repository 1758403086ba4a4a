#include "SchemaSet.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

void collect(void *data, const xmlError *error)
{
    auto *text = static_cast<QString *>(data);
    if (!text->isEmpty() || !error || !error->message)
        return;
    *text = u"line %1: %2"_s.arg(error->line).arg(QString::fromUtf8(error->message).trimmed());
}

// libxml2 2.9 declares the structured handler with a non-const error pointer.
void collectMutable(void *data, xmlError *error)
{
    collect(data, error);
}

} // namespace

SchemaSet::~SchemaSet()
{
    for (xmlSchemaPtr s : std::as_const(m_schemas))
        xmlSchemaFree(s);
}

bool SchemaSet::load(const QString &folder, QString *error)
{
    static const QHash<int, QString> files = {
        {Cte, u"cte_v4.00.xsd"_s},
        {ConsSit, u"consSitCTe_v4.00.xsd"_s},
        {ConsStatServ, u"consStatServCTe_v4.00.xsd"_s},
        {Evento, u"eventoCTe_v4.00.xsd"_s},
        {EvCanc, u"evCancCTe_v4.00.xsd"_s},
        {EvCCe, u"evCCeCTe_v4.00.xsd"_s},
        {InutCTe, u"inutCTe_v4.00.xsd"_s},
        {ModalRodo, u"cteModalRodoviario_v4.00.xsd"_s},
        {ModalAereo, u"cteModalAereo_v4.00.xsd"_s},
        {ModalAquav, u"cteModalAquaviario_v4.00.xsd"_s},
        {ModalFerrov, u"cteModalFerroviario_v4.00.xsd"_s},
        {ModalDuto, u"cteModalDutoviario_v4.00.xsd"_s},
        {ModalMultimodal, u"cteMultiModal_v4.00.xsd"_s},
    };
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        const QString path = QDir(folder).filePath(it.value());
        if (!QFileInfo::exists(path)) {
            *error = u"schema file not found: %1"_s.arg(path);
            return false;
        }
        QString problem;
        xmlSchemaParserCtxtPtr pctx = xmlSchemaNewParserCtxt(QFile::encodeName(path).constData());
        xmlSchemaSetParserStructuredErrors(pctx, collectMutable, &problem);
        xmlSchemaPtr schema = xmlSchemaParse(pctx);
        xmlSchemaFreeParserCtxt(pctx);
        if (!schema) {
            *error = u"schema %1 does not compile: %2"_s.arg(path, problem);
            return false;
        }
        m_schemas.insert(it.key(), schema);
    }
    return true;
}

bool SchemaSet::validate(Kind kind, xmlDoc *doc, QString *error) const
{
    xmlSchemaPtr schema = m_schemas.value(kind);
    if (!schema)
        return false;
    QString problem;
    xmlSchemaValidCtxtPtr vctx = xmlSchemaNewValidCtxt(schema);
    xmlSchemaSetValidStructuredErrors(vctx, collectMutable, &problem);
    const int rc = xmlSchemaValidateDoc(vctx, doc);
    xmlSchemaFreeValidCtxt(vctx);
    if (error)
        *error = problem;
    return rc == 0;
}

bool SchemaSet::validateElement(Kind kind, xmlNode *element, QString *error) const
{
    xmlSchemaPtr schema = m_schemas.value(kind);
    if (!schema || !element)
        return false;
    QString problem;
    xmlSchemaValidCtxtPtr vctx = xmlSchemaNewValidCtxt(schema);
    xmlSchemaSetValidStructuredErrors(vctx, collectMutable, &problem);
    const int rc = xmlSchemaValidateOneElement(vctx, element);
    xmlSchemaFreeValidCtxt(vctx);
    if (error)
        *error = problem;
    return rc == 0;
}

int SchemaSet::modalKind(const QString &code)
{
    static const QHash<QString, int> kinds
        = {{u"01"_s, ModalRodo},   {u"02"_s, ModalAereo}, {u"03"_s, ModalAquav},
           {u"04"_s, ModalFerrov}, {u"05"_s, ModalDuto},  {u"06"_s, ModalMultimodal}};
    return kinds.value(code, -1);
}
