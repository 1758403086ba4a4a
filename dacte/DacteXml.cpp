#include "DacteXml.h"

#include <QXmlStreamReader>

#include <memory>

using namespace Qt::StringLiterals;

namespace dacte {

namespace {

struct Node
{
    QString name;
    QString text;
    std::vector<std::unique_ptr<Node>> children;

    const Node *child(QStringView childName) const
    {
        for (const auto &c : children) {
            if (c->name == childName)
                return c.get();
        }
        return nullptr;
    }
    const Node *find(QStringView wanted) const
    {
        if (name == wanted)
            return this;
        for (const auto &c : children) {
            if (const Node *n = c->find(wanted))
                return n;
        }
        return nullptr;
    }
};

void parse(const QByteArray &xml, Node &root, QString *error)
{
    QXmlStreamReader reader(xml);
    std::vector<Node *> open {&root};
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement: {
            auto node = std::make_unique<Node>();
            node->name = reader.name().toString();
            Node *raw = node.get();
            open.back()->children.push_back(std::move(node));
            open.push_back(raw);
            break;
        }
        case QXmlStreamReader::EndElement:
            open.pop_back();
            break;
        case QXmlStreamReader::Characters:
            open.back()->text += reader.text();
            break;
        default:
            break;
        }
    }
    if (reader.hasError() && error && error->isEmpty())
        *error = reader.errorString();
}

void collect(const Node &node, const QStringList &path, qsizetype at, QList<const Node *> &out)
{
    if (at == path.size()) {
        out.append(&node);
        return;
    }
    for (const auto &c : node.children) {
        if (c->name == path.at(at))
            collect(*c, path, at + 1, out);
    }
}

} // namespace

DacteData readDacteXml(const QByteArray &cteXml, const QByteArray &protocolXml, double cdCte,
                       QString *error)
{
    Node cte, protocol;
    parse(cteXml, cte, error);
    if (!protocolXml.isEmpty())
        parse(protocolXml, protocol, error);
    const Node *infCte = cte.find(u"infCte");
    const Node *infProt = protocol.find(u"infProt");
    if (!infProt)
        infProt = cte.find(u"infProt");

    DacteData data;
    data.cdCte = cdCte;
    const QString key = QString::number(cdCte, 'f', 0);
    for (const SetDef &set : dacteSets()) {
        QList<const Node *> found;
        if (set.path == u"infProt") {
            if (infProt)
                found.append(infProt);
        } else if (infCte) {
            collect(*infCte, set.path.split(u'/'), 0, found);
        }
        QList<Row> &rows = data.sets[set.name];
        for (const Node *n : found) {
            Row row;
            row.insert(u"CDCTE"_s, key);
            if (set.numbered)
                row.insert(u"NRSEQ"_s, QString::number(rows.size() + 1));
            for (const SetField &f : set.fields) {
                if (const Node *c = n->child(f.name))
                    row.insert(f.name, c->text.trimmed().left(f.size));
            }
            rows.append(row);
        }
    }
    // The QR code's address is outside the identification group.
    QList<Row> &ide = data.sets[u"Ide"_s];
    const Node *supl = infCte ? cte.find(u"qrCodCTe") : nullptr;
    if (!ide.isEmpty() && supl)
        ide.first().insert(u"qrCodCTe"_s, supl->text.trimmed());
    return data;
}

} // namespace dacte
