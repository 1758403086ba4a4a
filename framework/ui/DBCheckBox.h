#pragma once

#include <QCheckBox>

class TDataSource;
class TFieldDataLink;

// A data-aware check box: checked when the field holds ValueChecked ("S"); a click puts the
// dataset in edit state and stores ValueChecked or ValueUnchecked ("N").
class TDBCheckBox : public QCheckBox
{
    Q_OBJECT
public:
    explicit TDBCheckBox(QWidget *parent = nullptr, const QString &name = {});

    void SetDataSource(TDataSource *source);
    void SetDataField(const QString &fieldName);
    TFieldDataLink *DataLink() const { return m_link; }

    QString ValueChecked = QStringLiteral("S");
    QString ValueUnchecked = QStringLiteral("N");

private:
    void userToggled(bool checked);

    TFieldDataLink *m_link;
    bool m_loading = false;
};
