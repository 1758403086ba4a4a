#include "SchemaValidator.h"

#include "ServerError.h"
#include "TransmissionMessages.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <QRegularExpression>

#include <libxml/parser.h>
#include <libxml/xmlschemas.h>

using namespace Qt::StringLiterals;

namespace {

struct Problems
{
    QString first;
};

// Schema messages name elements with their namespace in braces: the name alone reads better.
QString readable(const char *message)
{
    static const QRegularExpression ns(u"\\{[^}]*\\}"_s);
    QString text = QString::fromUtf8(message).trimmed();
    text.replace(ns, QString());
    return text;
}

void collect(void *context, xmlErrorPtr error)
{
    auto *problems = static_cast<Problems *>(context);
    if (problems->first.isEmpty() && error && error->message)
        problems->first = readable(error->message);
}

} // namespace

SchemaValidator::SchemaValidator(const QString &path)
{
    xmlInitParser();
    Problems problems;
    xmlSchemaParserCtxt *parser = xmlSchemaNewParserCtxt(QFile::encodeName(path).constData());
    if (parser) {
        xmlSchemaSetParserStructuredErrors(parser, collect, &problems);
        m_schema = xmlSchemaParse(parser);
        xmlSchemaFreeParserCtxt(parser);
    }
    if (!m_schema)
        throw ServerError(txMsg("SCHEMA_XSD_FALHA").arg(path, problems.first));
}

SchemaValidator::~SchemaValidator()
{
    xmlSchemaFree(m_schema);
}

namespace {

xmlNode *firstElement(xmlNode *from)
{
    while (from && from->type != XML_ELEMENT_NODE)
        from = from->next;
    return from;
}

xmlNode *findElement(xmlNode *from, const char *localName)
{
    for (xmlNode *n = firstElement(from); n; n = firstElement(n->next)) {
        if (xmlStrcmp(n->name, reinterpret_cast<const xmlChar *>(localName)) == 0)
            return n;
        if (xmlNode *inner = findElement(n->children, localName))
            return inner;
    }
    return nullptr;
}

} // namespace

QString SchemaValidator::validate(const QByteArray &xml) const
{
    return validateContentOf(xml, nullptr);
}

QString SchemaValidator::validateContentOf(const QByteArray &xml, const char *wrapper) const
{
    Problems problems;
    xmlDoc *doc = xmlReadMemory(xml.constData(), int(xml.size()), nullptr, "UTF-8",
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!doc)
        return txMsg("SCHEMA_XML_MAL_FORMADO");
    xmlNode *part = nullptr;
    if (wrapper) {
        xmlNode *outer = findElement(xmlDocGetRootElement(doc), wrapper);
        part = outer ? firstElement(outer->children) : nullptr;
        if (!part) {
            xmlFreeDoc(doc);
            return txMsg("SCHEMA_SEM_ELEMENTO").arg(QString::fromLatin1(wrapper));
        }
    }
    xmlSchemaValidCtxt *context = xmlSchemaNewValidCtxt(m_schema);
    xmlSchemaSetValidStructuredErrors(context, collect, &problems);
    const int rc
        = part ? xmlSchemaValidateOneElement(context, part) : xmlSchemaValidateDoc(context, doc);
    xmlSchemaFreeValidCtxt(context);
    xmlFreeDoc(doc);
    if (rc == 0)
        return {};
    return problems.first.isEmpty() ? txMsg("SCHEMA_INVALIDO_SEM_DETALHE") : problems.first;
}

std::shared_ptr<const SchemaValidator> SchemaValidator::compiled(const QString &path)
{
    static QMutex mutex;
    static QHash<QString, std::shared_ptr<const SchemaValidator>> schemas;
    QMutexLocker lock(&mutex);
    auto &slot = schemas[path];
    if (!slot)
        slot = std::make_shared<const SchemaValidator>(path);
    return slot;
}

std::shared_ptr<const SchemaValidator> SchemaValidator::named(const QString &directory,
                                                              const QString &fileName)
{
    return compiled(QDir(directory).filePath(fileName));
}

std::shared_ptr<const SchemaValidator> SchemaValidator::cteSchema(const QString &directory)
{
    return named(directory, u"cte_v4.00.xsd"_s);
}

std::shared_ptr<const SchemaValidator> SchemaValidator::modalSchema(const QString &directory,
                                                                    const QString &modal)
{
    static const QHash<QString, QString> files {
        {u"01"_s, u"cteModalRodoviario_v4.00.xsd"_s}, {u"02"_s, u"cteModalAereo_v4.00.xsd"_s},
        {u"03"_s, u"cteModalAquaviario_v4.00.xsd"_s}, {u"04"_s, u"cteModalFerroviario_v4.00.xsd"_s},
        {u"05"_s, u"cteModalDutoviario_v4.00.xsd"_s}, {u"06"_s, u"cteMultiModal_v4.00.xsd"_s},
    };
    const QString file = files.value(modal.trimmed());
    if (file.isEmpty())
        throw ServerError(txMsg("SCHEMA_MODAL_DESCONHECIDO").arg(modal));
    return named(directory, file);
}
