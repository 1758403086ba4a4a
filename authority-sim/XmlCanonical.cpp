#include "XmlCanonical.h"

#include <libxml/c14n.h>
#include <libxml/xmlIO.h>

namespace xml {

namespace {

struct Scope
{
    xmlNode *apex;
    xmlNode *excluded;
};

int visible(void *data, xmlNodePtr node, xmlNodePtr parent)
{
    const auto *scope = static_cast<const Scope *>(data);
    // Namespace nodes carry no usable parent of their own: judge them by their element.
    xmlNode *n = (node && node->type != XML_NAMESPACE_DECL) ? node : parent;
    bool inside = false;
    for (; n; n = n->parent) {
        if (scope->excluded && n == scope->excluded)
            return 0;
        if (n == scope->apex) {
            inside = true;
            break;
        }
    }
    return inside ? 1 : 0;
}

} // namespace

QByteArray canonicalSubtree(xmlDoc *doc, xmlNode *apex, xmlNode *excluded)
{
    Scope scope {apex, excluded};
    xmlOutputBufferPtr out = xmlAllocOutputBuffer(nullptr);
    if (!out)
        return {};
    const int rc = xmlC14NExecute(doc, visible, &scope, XML_C14N_1_0, nullptr, 0, out);
    QByteArray result;
    if (rc >= 0)
        result = QByteArray(reinterpret_cast<const char *>(xmlOutputBufferGetContent(out)),
                            qsizetype(xmlOutputBufferGetSize(out)));
    xmlOutputBufferClose(out);
    return result;
}

} // namespace xml
