#pragma once

#include "A1Certificate.h"

#include <QByteArray>
#include <QString>

// The enveloped XML signature of a fiscal document: the element carrying the Id (infCte) is
// canonicalised (C14N 1.0, no comments) and digested with SHA-1, the SignedInfo signed with
// RSA-SHA1, and the Signature with the certificate appended as the last child of the root.
// The document's own bytes are kept as they are: nothing is re-serialised.
struct SignedXml
{
    QByteArray xml;
    QByteArray digestValue; // Base64, as the authority's protocol repeats it
};

// Signs the first child of the root that has an Id attribute; raises ServerError when the
// text is not well-formed XML or has no such element.
SignedXml signXml(const QByteArray &xml, const A1Certificate &certificate);

// The C14N 1.0 form of the element with attribute Id = `id` and its subtree, as a reference to
// "#id" digests it. Empty when the text does not parse or has no such element.
QByteArray canonicalElement(const QByteArray &xml, const QString &id);

// The text after its XML declaration, as a signed document travels inside another message.
QByteArray withoutDeclaration(const QByteArray &xml);
