#pragma once

#include <QByteArray>

#include <libxml/tree.h>

// Inclusive C14N 1.0 (without comments) of the subtree at `apex`, as an enveloped signature
// reference sees it: the namespaces in scope are rendered on the apex and `excluded` (the
// signature itself, when it lies inside) is left out.
namespace xml {

QByteArray canonicalSubtree(xmlDoc *doc, xmlNode *apex, xmlNode *excluded = nullptr);

} // namespace xml
