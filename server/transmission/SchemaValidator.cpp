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

QString SchemaValidator::validate(const QByteArray &xml) const
{
    Problems problems;
    xmlDoc *doc = xmlReadMemory(xml.constData(), int(xml.size()), nullptr, "UTF-8",
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!doc)
        return txMsg("SCHEMA_XML_MAL_FORMADO");
    xmlSchemaValidCtxt *context = xmlSchemaNewValidCtxt(m_schema);
    xmlSchemaSetValidStructuredErrors(context, collect, &problems);
    const int rc = xmlSchemaValidateDoc(context, doc);
    xmlSchemaFreeValidCtxt(context);
    xmlFreeDoc(doc);
    if (rc == 0)
        return {};
    return problems.first.isEmpty() ? txMsg("SCHEMA_INVALIDO_SEM_DETALHE") : problems.first;
}

std::shared_ptr<const SchemaValidator> SchemaValidator::cteSchema(const QString &directory)
{
    return named(directory, u"cte_v4.00.xsd"_s);
}

std::shared_ptr<const SchemaValidator> SchemaValidator::named(const QString &directory,
                                                              const QString &fileName)
{
    static QMutex mutex;
    static QHash<QString, std::shared_ptr<const SchemaValidator>> compiled;
    const QString path = QDir(directory).filePath(fileName);
    QMutexLocker lock(&mutex);
    auto &slot = compiled[path];
    if (!slot)
        slot = std::make_shared<const SchemaValidator>(path);
    return slot;
}
