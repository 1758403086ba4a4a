#include "CTeRecord.h"
#include "FieldDisplay.h"
#include "Messages.h"

#include <QTest>

using namespace Qt::StringLiterals;

// The editor's display table and label catalogue against the stored fields: a format or label
// for a field that does not exist (a typo) would silently show nothing.
class TestFieldDisplay : public QObject
{
    Q_OBJECT

private:
    TMessages m_labels;
    QHash<QString, QList<contracts::FieldDef>> m_datasets;

    const contracts::FieldDef *find(const QString &dataset, const QString &field) const
    {
        for (const auto &f : m_datasets[dataset]) {
            if (f.name == field)
                return &f;
        }
        return nullptr;
    }

private slots:
    void initTestCase()
    {
        const QString path = qEnvironmentVariable("CTE_SOURCE_DIR")
            + u"/module/catalogues/Cli_Dfs88000_msgRotulos.msg"_s;
        QVERIFY2(m_labels.LoadFromFile(path), qPrintable(path));
        m_datasets = {{u"cdsCTe"_s, contracts::cte::documentFields()},
                      {u"cdsCTeImpostos"_s, contracts::cte::taxFields()},
                      {u"cdsCTeCompValor"_s, contracts::cte::valueComponentFields()},
                      {u"cdsCTeDocFiscais"_s, contracts::cte::fiscalDocumentFields()},
                      {u"cdsCTeInfQtCarga"_s, contracts::cte::cargoQuantityFields()},
                      {u"cdsCTeDadosAdic"_s, contracts::cte::additionalDataFields()},
                      {u"cdsCompValorPrest"_s, contracts::cte::valueComponentRegisterFields()},
                      {u"cdsPesqCompValorPrest"_s, contracts::cte::valueComponentRegisterFields()}};
    }

    void displaysNameStoredFields()
    {
        for (const TFieldDisplay &d : EditorFieldDisplays()) {
            const contracts::FieldDef *f = find(d.dataset, d.field);
            QVERIFY2(f, qPrintable(d.dataset + u'.' + d.field));
            if (!d.displayFormat.isEmpty())
                QCOMPARE(f->type, contracts::FieldType::Float);
        }
    }

    void labelsNameStoredFields()
    {
        for (const QString &key : m_labels.Keys()) {
            const QString dataset = key.section(u'.', 0, 0);
            const QString field = key.section(u'.', 1);
            QVERIFY2(find(dataset, field), qPrintable(key));
        }
    }

    // Every column the document list shows has its caption.
    void visibleDocumentFieldsHaveLabels()
    {
        for (const auto &f : m_datasets[u"cdsCTe"_s]) {
            if (!f.hidden)
                QVERIFY2(!m_labels.Msg(FieldLabelKey(u"cdsCTe"_s, f.name)).isEmpty(),
                         qPrintable(f.name));
        }
        QCOMPARE(m_labels.Msg(FieldLabelKey(u"cdsCTeImpostos"_s, u"VRREDBASECALC"_s)),
                 u"Redução BC"_s);
    }
};

QTEST_GUILESS_MAIN(TestFieldDisplay)
#include "tst_fielddisplay.moc"
