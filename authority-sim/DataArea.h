#pragma once

#include "XmlDocument.h"

#include <QString>

// The data area of a request, as a document of its own, and the checks of its form that come
// before the schema: the only namespaces allowed, no prefixes, no editing characters between
// tags, UTF-8.
namespace dataarea {

inline constexpr qsizetype kMaxDataBytes = 512 * 1024;

struct Area
{
    xml::Doc doc;
    int cstat = 0; // the rejection when there is no usable document
    QString detail;
};

// CTeRecepcaoSincV4: the text of cteDadosMsg is Base64 of a gzip stream of the CT-e.
Area readCompressed(xmlNode *dadosMsg);
// The other services: the message is the single element inside cteDadosMsg.
Area readInline(xmlNode *dadosMsg);
// 0 when the form is acceptable, else the rejection code; `detail` says where.
int checkForm(xmlDoc *doc, QString *detail);

} // namespace dataarea
