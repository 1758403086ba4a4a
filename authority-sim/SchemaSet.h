#pragma once

#include <QHash>
#include <QString>

#include <libxml/tree.h>
#include <libxml/xmlschemas.h>

// The official XSDs of layout 4.00, compiled once from a folder at start-up and shared by every
// worker (a compiled schema is read-only; each validation gets its own context).
class SchemaSet
{
public:
    enum Kind {
        Cte,
        ConsSit,
        ConsStatServ,
        Evento,
        EvCanc,
        EvCCe,
        InutCTe,
        ModalRodo,
        ModalAereo,
        ModalAquav,
        ModalFerrov,
        ModalDuto,
        ModalMultimodal
    };

    SchemaSet() = default;
    ~SchemaSet();
    SchemaSet(const SchemaSet &) = delete;
    SchemaSet &operator=(const SchemaSet &) = delete;

    // False with `error` when a file is missing or does not compile.
    bool load(const QString &folder, QString *error);
    // Validates the whole document (kind of its root) or one element as the root of `kind`.
    bool validate(Kind kind, xmlDoc *doc, QString *error) const;
    bool validateElement(Kind kind, xmlNode *element, QString *error) const;
    // The modal schema for the code in ide/modal ("01" road … "06" multimodal); -1 if none.
    static int modalKind(const QString &modalCode);

private:
    QHash<int, xmlSchemaPtr> m_schemas;
};
