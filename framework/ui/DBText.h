#pragma once

#include <QLabel>

class TDataSource;
class TFieldDataLink;

// Read-only text of a field (its display text), following the current row.
class TDBText : public QLabel
{
    Q_OBJECT
public:
    explicit TDBText(QWidget *parent = nullptr, const QString &name = {});

    void SetDataSource(TDataSource *source);
    void SetDataField(const QString &fieldName);
    TFieldDataLink *DataLink() const { return m_link; }

private:
    TFieldDataLink *m_link;
};
