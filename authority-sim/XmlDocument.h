#pragma once

#include <QByteArray>
#include <QString>

#include <libxml/tree.h>

#include <memory>

// Owned libxml2 documents and the few look-ups the services need. Parsing never touches the
// network, never substitutes entities and refuses documents that declare a DTD.
namespace xml {

inline constexpr char kCteNs[] = "http://www.portalfiscal.inf.br/cte";
inline constexpr char kDsigNs[] = "http://www.w3.org/2000/09/xmldsig#";

struct DocFree
{
    void operator()(xmlDoc *doc) const { xmlFreeDoc(doc); }
};
using Doc = std::unique_ptr<xmlDoc, DocFree>;

// Null when `bytes` is not well-formed XML (or declares a DTD); `error` says why.
Doc parse(const QByteArray &bytes, QString *error = nullptr);
// A document of its own holding a deep copy of `node`, with the namespaces it uses declared.
Doc extract(xmlNode *node);
QByteArray serialize(xmlDoc *doc);
// The element alone, without an XML declaration, as it stands in its document.
QByteArray serializeElement(xmlDoc *doc, xmlNode *node);

bool is(const xmlNode *node, const char *localName, const char *ns = kCteNs);
xmlNode *child(const xmlNode *parent, const char *localName, const char *ns = kCteNs);
// The first descendant element with that name, depth first.
xmlNode *find(const xmlNode *parent, const char *localName, const char *ns = kCteNs);
// Text of a child element; empty when missing.
QString text(const xmlNode *parent, const char *localName, const char *ns = kCteNs);
QString content(const xmlNode *node);
QString attribute(const xmlNode *node, const char *name);
QString localName(const xmlNode *node);

} // namespace xml
