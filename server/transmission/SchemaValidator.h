#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

struct _xmlSchema;

// An XML schema compiled once and shared by every thread; each validation has its own context.
class SchemaValidator
{
public:
    // Compiles the schema at `path` (its includes and imports are read beside it, never from the
    // network); raises ServerError when it cannot be read or compiled.
    explicit SchemaValidator(const QString &path);
    ~SchemaValidator();
    SchemaValidator(const SchemaValidator &) = delete;
    SchemaValidator &operator=(const SchemaValidator &) = delete;

    // Empty when `xml` is valid, else the first problem in words (element and reason).
    QString validate(const QByteArray &xml) const;
    // The same for the element inside the first `wrapper` element of `xml` (the modal's part,
    // which the main schema leaves open, is checked against the modal's own schema).
    QString validateContentOf(const QByteArray &xml, const char *wrapper) const;

    // The validator of the CT-e schema under `directory`, compiled on first use and kept for
    // the life of the process.
    static std::shared_ptr<const SchemaValidator> cteSchema(const QString &directory);
    // The same for the schema file `fileName` (the event's, the cancellation's) there.
    static std::shared_ptr<const SchemaValidator> named(const QString &directory,
                                                        const QString &fileName);
    // The schema of the modal with code `modal` ("01" road … "06" multimodal); raises
    // ServerError for an unknown code.
    static std::shared_ptr<const SchemaValidator> modalSchema(const QString &directory,
                                                              const QString &modal);

private:
    static std::shared_ptr<const SchemaValidator> compiled(const QString &path);

    _xmlSchema *m_schema = nullptr;
};
