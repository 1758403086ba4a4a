#include "DataArea.h"

#include "GzipBase64.h"
#include "StatusCodes.h"

#include <cstring>

using namespace Qt::StringLiterals;

namespace dataarea {

namespace {

bool isBlank(const xmlChar *text)
{
    for (const xmlChar *c = text; c && *c; ++c)
        if (*c != ' ' && *c != '\n' && *c != '\r' && *c != '\t')
            return false;
    return true;
}

int checkNode(xmlNode *node, QString *detail)
{
    for (xmlNode *c = node->children; c; c = c->next) {
        if (c->type == XML_TEXT_NODE && isBlank(c->content) && (c->prev || c->next)) {
            *detail = u"blank text between tags inside %1"_s.arg(xml::localName(node));
            return cstat::EditingCharacters;
        }
        if (c->type != XML_ELEMENT_NODE)
            continue;
        const char *href = c->ns ? reinterpret_cast<const char *>(c->ns->href) : "";
        if (std::strcmp(href, xml::kCteNs) != 0 && std::strcmp(href, xml::kDsigNs) != 0) {
            *detail
                = u"element %1 in namespace '%2'"_s.arg(xml::localName(c), QString::fromUtf8(href));
            return cstat::NamespaceNotAllowed;
        }
        if (c->ns && c->ns->prefix) {
            *detail = u"prefixed element %1"_s.arg(xml::localName(c));
            return cstat::PrefixNotAllowed;
        }
        if (const int code = checkNode(c, detail))
            return code;
    }
    return 0;
}

// Anything but the root element after the XML declaration: a line break after the
// declaration, blanks around the root.
bool editedAroundRoot(const QByteArray &raw)
{
    qsizetype from = 0;
    if (raw.startsWith("<?xml")) {
        const qsizetype end = raw.indexOf("?>");
        from = end < 0 ? raw.size() : end + 2;
    }
    return from >= raw.size() || raw.at(from) != '<' || !raw.endsWith('>');
}

} // namespace

Area readCompressed(xmlNode *dadosMsg)
{
    Area a;
    for (xmlNode *c = dadosMsg->children; c; c = c->next) {
        if (c->type == XML_ELEMENT_NODE) {
            a.cstat = cstat::DecompressionFailure;
            a.detail = u"cteDadosMsg holds elements, not Base64 text"_s;
            return a;
        }
    }
    const auto gz = gzipbase64::decodeBase64(xml::content(dadosMsg).toLatin1());
    if (!gz) {
        a.cstat = cstat::DecompressionFailure;
        a.detail = u"not Base64"_s;
        return a;
    }
    QByteArray raw;
    switch (gzipbase64::gunzip(*gz, kMaxDataBytes, &raw)) {
    case gzipbase64::Inflate::NotGzip:
        a.cstat = cstat::DecompressionFailure;
        a.detail = u"not a gzip stream"_s;
        return a;
    case gzipbase64::Inflate::TooLarge:
        a.cstat = cstat::MessageTooLarge;
        a.detail = u"more than %1 bytes once inflated"_s.arg(kMaxDataBytes);
        return a;
    case gzipbase64::Inflate::Ok:
        break;
    }
    QString error;
    a.doc = xml::parse(raw, &error);
    if (!a.doc) {
        a.cstat = cstat::MalformedXml;
        a.detail = error;
        return a;
    }
    // Well-formed, yet with blanks the parser dropped around the root.
    if (editedAroundRoot(raw)) {
        a.doc.reset();
        a.cstat = cstat::EditingCharacters;
        a.detail = u"characters before or after the root element"_s;
        return a;
    }
    if (a.doc->encoding
        && QString::fromUtf8(reinterpret_cast<const char *>(a.doc->encoding)).toUpper()
            != u"UTF-8") {
        a.doc.reset();
        a.cstat = cstat::EncodingNotUtf8;
        a.detail = u"declared encoding is not UTF-8"_s;
    }
    return a;
}

Area readInline(xmlNode *dadosMsg)
{
    Area a;
    xmlNode *element = nullptr;
    int elements = 0;
    for (xmlNode *c = dadosMsg->children; c; c = c->next) {
        if (c->type == XML_ELEMENT_NODE) {
            element = c;
            ++elements;
        } else if (c->type == XML_TEXT_NODE && !isBlank(c->content)) {
            ++elements;
        }
    }
    if (elements != 1 || !element) {
        a.cstat = cstat::MalformedXml;
        a.detail = u"cteDadosMsg must hold exactly one element"_s;
        return a;
    }
    a.doc = xml::extract(element);
    if (!a.doc) {
        a.cstat = cstat::MalformedXml;
        a.detail = u"the message element cannot be copied"_s;
    }
    return a;
}

int checkForm(xmlDoc *doc, QString *detail)
{
    xmlNode *root = xmlDocGetRootElement(doc);
    const char *href = root->ns ? reinterpret_cast<const char *>(root->ns->href) : "";
    if (std::strcmp(href, xml::kCteNs) != 0) {
        *detail = u"root %1 in namespace '%2'"_s.arg(xml::localName(root), QString::fromUtf8(href));
        return cstat::NamespaceNotAllowed;
    }
    if (root->ns->prefix) {
        *detail = u"prefixed root"_s;
        return cstat::PrefixNotAllowed;
    }
    return checkNode(root, detail);
}

} // namespace dataarea
