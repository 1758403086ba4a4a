#include "AuthorityFixture.h"

#include "IssuerSigner.h"
#include "XmlDocument.h"

#include <QDir>
#include <QUrl>

#include <libxml/xmlschemas.h>

using namespace Qt::StringLiterals;

AuthorityFixture::AuthorityFixture(const QStringList &extraArgs)
{
    TestPki::LeafOptions options;
    options.cnpj = QString::fromLatin1(kIssuerCnpj);
    m_issuer = m_pki.issue(options);
    TestPki::writeFile(rootPem(), m_pki.root().certificatePem);
    AuthorityProcess::command(dataDir(),
                              {u"issuer"_s, u"--uf"_s, u"SP"_s, u"--ie"_s,
                               QString::fromLatin1(kIssuerIe), u"--cnpj"_s,
                               QString::fromLatin1(kIssuerCnpj)});
    restart(extraArgs);
}

void AuthorityFixture::restart(const QStringList &extraArgs)
{
    m_authority.reset();
    m_authority = std::make_unique<AuthorityProcess>(
        dataDir(), QStringList {u"--trusted-root"_s, rootPem()} + extraArgs);
}

QByteArray AuthorityFixture::sign(const QByteArray &xml, const char *element) const
{
    return sign(xml, m_issuer, element);
}

QByteArray AuthorityFixture::sign(const QByteArray &xml, const TestPki::Identity &identity,
                                  const char *element) const
{
    return issuersigner::sign(xml, element, identity.keyPem, identity.certificatePem);
}

AuthorityProcess::Reply AuthorityFixture::transmit(const SampleCte &cte)
{
    return m_authority->post(AuthorityProcess::Reception,
                             AuthorityProcess::receptionEnvelope(sign(cte.xml())));
}

AuthorityProcess::Reply AuthorityFixture::cancel(const SampleCancellation &event)
{
    return m_authority->send(AuthorityProcess::Event, sign(event.xml(), "infEvento"));
}

AuthorityProcess::Reply AuthorityFixture::voidRange(const SampleVoiding &request)
{
    return m_authority->send(AuthorityProcess::Voiding, sign(request.xml(), "infInut"));
}

AuthorityProcess::Reply AuthorityFixture::query(const QString &key)
{
    return m_authority->send(AuthorityProcess::Query, samples::situationQuery(key));
}

namespace {

void firstError(void *data, xmlError *error)
{
    auto *text = static_cast<QString *>(data);
    if (text->isEmpty() && error && error->message)
        *text = QString::fromUtf8(error->message).trimmed();
}

} // namespace

QString validateResult(const QByteArray &soapAnswer, const QString &xsdFile)
{
    return validateResult(soapAnswer, QStringList {xsdFile});
}

QString validateResult(const QByteArray &soapAnswer, const QStringList &xsdFiles)
{
    xml::Doc answer = xml::parse(soapAnswer);
    if (!answer)
        return u"the answer is not XML"_s;
    xmlNode *body = xml::child(xmlDocGetRootElement(answer.get()), "Body",
                               "http://www.w3.org/2003/05/soap-envelope");
    xmlNode *result = nullptr;
    for (xmlNode *c = body ? body->children : nullptr; c && !result; c = c->next)
        if (c->type == XML_ELEMENT_NODE)
            result = c;
    xmlNode *message = nullptr;
    for (xmlNode *c = result ? result->children : nullptr; c && !message; c = c->next)
        if (c->type == XML_ELEMENT_NODE)
            message = c;
    if (!message)
        return u"no result message in the answer"_s;
    xml::Doc own = xml::extract(message);

    // One schema over the official files, read in place: a wildcard in one of them may demand
    // an element declared in another.
    QByteArray wrapper = "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
                         "targetNamespace=\"http://www.portalfiscal.inf.br/cte\" "
                         "elementFormDefault=\"qualified\">";
    for (const QString &file : xsdFiles)
        wrapper += "<xs:include schemaLocation=\""
            + QUrl::fromLocalFile(QDir(AuthorityProcess::schemaDir()).filePath(file)).toEncoded()
            + "\"/>";
    wrapper += "</xs:schema>";
    xmlSchemaParserCtxtPtr pctx
        = xmlSchemaNewMemParserCtxt(wrapper.constData(), int(wrapper.size()));
    xmlSchemaPtr schema = xmlSchemaParse(pctx);
    xmlSchemaFreeParserCtxt(pctx);
    if (!schema)
        return u"schema %1 does not compile"_s.arg(xsdFiles.join(u", "_s));
    QString problem;
    xmlSchemaValidCtxtPtr vctx = xmlSchemaNewValidCtxt(schema);
    xmlSchemaSetValidStructuredErrors(vctx, firstError, &problem);
    const int rc = xmlSchemaValidateDoc(vctx, own.get());
    xmlSchemaFreeValidCtxt(vctx);
    xmlSchemaFree(schema);
    if (rc != 0 && problem.isEmpty())
        problem = u"invalid"_s;
    return problem;
}
