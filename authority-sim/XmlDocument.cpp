#include "XmlDocument.h"

#include <libxml/parser.h>
#include <libxml/xmlsave.h>

#include <cstring>

namespace xml {

Doc parse(const QByteArray &bytes, QString *error)
{
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (!ctxt)
        return nullptr;
    Doc doc(xmlCtxtReadMemory(ctxt, bytes.constData(), int(bytes.size()), nullptr, nullptr,
                              XML_PARSE_NONET | XML_PARSE_NOWARNING | XML_PARSE_NOERROR));
    if (!doc && error) {
        const xmlError *e = xmlCtxtGetLastError(ctxt);
        *error
            = e && e->message ? QString::fromUtf8(e->message).trimmed() : QStringLiteral("not XML");
    }
    xmlFreeParserCtxt(ctxt);
    if (doc && (doc->intSubset || doc->extSubset)) {
        if (error)
            *error = QStringLiteral("DTD not allowed");
        return nullptr;
    }
    if (doc && !xmlDocGetRootElement(doc.get())) {
        if (error)
            *error = QStringLiteral("no root element");
        return nullptr;
    }
    return doc;
}

Doc extract(xmlNode *node)
{
    Doc doc(xmlNewDoc(BAD_CAST "1.0"));
    xmlNode *copy = xmlDocCopyNode(node, doc.get(), 1);
    if (!copy)
        return nullptr;
    xmlDocSetRootElement(doc.get(), copy);
    return doc;
}

QByteArray serialize(xmlDoc *doc)
{
    xmlChar *mem = nullptr;
    int size = 0;
    xmlDocDumpMemoryEnc(doc, &mem, &size, "UTF-8");
    QByteArray out(reinterpret_cast<const char *>(mem), size);
    xmlFree(mem);
    return out;
}

QByteArray serializeElement(xmlDoc *doc, xmlNode *node)
{
    xmlBufferPtr buffer = xmlBufferCreate();
    xmlNodeDump(buffer, doc, node, 0, 0);
    QByteArray out(reinterpret_cast<const char *>(xmlBufferContent(buffer)),
                   xmlBufferLength(buffer));
    xmlBufferFree(buffer);
    return out;
}

bool is(const xmlNode *node, const char *name, const char *ns)
{
    return node && node->type == XML_ELEMENT_NODE
        && std::strcmp(reinterpret_cast<const char *>(node->name), name) == 0
        && (ns == nullptr
            || (node->ns && std::strcmp(reinterpret_cast<const char *>(node->ns->href), ns) == 0));
}

xmlNode *child(const xmlNode *parent, const char *name, const char *ns)
{
    if (!parent)
        return nullptr;
    for (xmlNode *c = parent->children; c; c = c->next)
        if (is(c, name, ns))
            return c;
    return nullptr;
}

xmlNode *find(const xmlNode *parent, const char *name, const char *ns)
{
    if (!parent)
        return nullptr;
    for (xmlNode *c = parent->children; c; c = c->next) {
        if (c->type != XML_ELEMENT_NODE)
            continue;
        if (is(c, name, ns))
            return c;
        if (xmlNode *found = find(c, name, ns))
            return found;
    }
    return nullptr;
}

QString content(const xmlNode *node)
{
    if (!node)
        return {};
    xmlChar *value = xmlNodeGetContent(node);
    const QString s = QString::fromUtf8(reinterpret_cast<const char *>(value));
    xmlFree(value);
    return s;
}

QString text(const xmlNode *parent, const char *name, const char *ns)
{
    return content(child(parent, name, ns));
}

QString attribute(const xmlNode *node, const char *name)
{
    if (!node)
        return {};
    xmlChar *value = xmlGetNoNsProp(node, BAD_CAST name);
    if (!value)
        return {};
    const QString s = QString::fromUtf8(reinterpret_cast<const char *>(value));
    xmlFree(value);
    return s;
}

QString localName(const xmlNode *node)
{
    return node ? QString::fromUtf8(reinterpret_cast<const char *>(node->name)) : QString();
}

} // namespace xml
