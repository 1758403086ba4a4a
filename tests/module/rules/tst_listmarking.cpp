// Marking documents of the list for the batch actions: one at a time with the limit, all at once,
// and the handlers that must not see a mark.
#include "ClientDataSet.h"
#include "Exceptions.h"
#include "ListMarking.h"

#include <QTest>

using namespace Qt::StringLiterals;
using contracts::FieldType;

class TestListMarking : public QObject
{
    Q_OBJECT

    std::unique_ptr<TClientDataSet> m_cds;
    qint32 m_count = 0;
    int m_detached = 0; // detach calls not yet matched by a re-attach
    int m_posts = 0; // before-post runs while attached
    TMarkHandlers m_handlers;

    // A list whose statuses follow `statuses`, every row unmarked.
    void makeList(const QString &statuses)
    {
        m_cds = std::make_unique<TClientDataSet>(nullptr, u"cdsCTe"_s);
        m_cds->AddField(u"IDCHECK"_s, FieldType::FixedString, 1);
        m_cds->AddField(u"CDCTE"_s, FieldType::Float);
        m_cds->AddField(u"IDSTATUSCTE"_s, FieldType::String, 1);
        m_cds->CreateDataSet();
        for (int i = 0; i < statuses.size(); ++i) {
            m_cds->Append();
            m_cds->FieldByName(u"IDCHECK"_s)->SetAsString(u"N"_s);
            m_cds->FieldByName(u"CDCTE"_s)->SetAsFloat(i + 1);
            m_cds->FieldByName(u"IDSTATUSCTE"_s)->SetAsString(QString(statuses.at(i)));
            m_cds->Post();
        }
        m_cds->MergeChangeLog();
        m_cds->First();
        // The window's validation: a mark must never reach it.
        const TDataSetNotifyEvent beforePost = [this](TClientDataSet *) {
            ++m_posts;
            MensErro(u"validação"_s);
        };
        m_cds->BeforePost = beforePost;
        m_handlers.detach = [this] {
            ++m_detached;
            m_cds->BeforePost = nullptr;
        };
        m_handlers.reattach = [this, beforePost] {
            --m_detached;
            m_cds->BeforePost = beforePost;
        };
    }

    QString marks() const
    {
        QString out;
        const TField *check = m_cds->FieldByName(u"IDCHECK"_s);
        for (int row = 0; row < m_cds->RecordCount(); ++row)
            out += m_cds->ValueAt(row, check).toString();
        return out;
    }

    TMarkOutcome toggleAt(int recNo)
    {
        m_cds->SetRecNo(recNo);
        return ToggleMark(m_cds.get(), m_count, m_handlers);
    }

private slots:
    void init()
    {
        m_count = 0;
        m_detached = 0;
        m_posts = 0;
    }

    void toggle_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("mark");
        QTest::addColumn<int>("count");
        QTest::newRow("pending-marks") << u"P"_s << int(TMarkOutcome::Marked) << u"S"_s << 1;
        QTest::newRow("rejected-marks") << u"R"_s << int(TMarkOutcome::Marked) << u"S"_s << 1;
        QTest::newRow("accepted-ignored") << u"A"_s << int(TMarkOutcome::Ignored) << u"N"_s << 0;
        QTest::newRow("transmitted-marks") << u"T"_s << int(TMarkOutcome::Marked) << u"S"_s << 1;
        QTest::newRow("cancelled-ignored") << u"C"_s << int(TMarkOutcome::Ignored) << u"N"_s << 0;
        QTest::newRow("denied-ignored") << u"D"_s << int(TMarkOutcome::Ignored) << u"N"_s << 0;
    }

    void toggle()
    {
        QFETCH(QString, status);
        QFETCH(int, outcome);
        QFETCH(QString, mark);
        QFETCH(int, count);
        makeList(status);
        QCOMPARE(int(toggleAt(1)), outcome);
        QCOMPARE(marks(), mark);
        QCOMPARE(m_count, count);
        QCOMPARE(m_posts, 0);
        QCOMPARE(m_detached, 0);
        QVERIFY(m_cds->BeforePost);
        QCOMPARE(m_cds->State(), dsBrowse);
    }

    void toggleTwiceUnmarks()
    {
        makeList(u"PR"_s);
        toggleAt(2);
        QCOMPARE(int(toggleAt(2)), int(TMarkOutcome::Unmarked));
        QCOMPARE(marks(), u"NN"_s);
        QCOMPARE(m_count, 0);
    }

    void limitThenUnmarkAndMarkAgain()
    {
        makeList(QString(51, u'P'));
        for (int i = 1; i <= 50; ++i)
            QCOMPARE(int(toggleAt(i)), int(TMarkOutcome::Marked));
        QCOMPARE(m_count, kSelecaoMax);
        QCOMPARE(int(toggleAt(51)), int(TMarkOutcome::LimitReached));
        QCOMPARE(m_count, 50);
        QCOMPARE(marks(), QString(50, u'S') + u'N');
        QCOMPARE(m_detached, 0);
        QCOMPARE(m_cds->State(), dsBrowse);

        QCOMPARE(int(toggleAt(7)), int(TMarkOutcome::Unmarked));
        QCOMPARE(m_count, 49);
        QCOMPARE(int(toggleAt(51)), int(TMarkOutcome::Marked));
        QCOMPARE(m_count, 50);
        QCOMPARE(marks().count(u'S'), 50);
        QCOMPARE(marks().at(6), u'N');
        QCOMPARE(m_posts, 0);
    }

    void nothingWhileEditingOrEmpty()
    {
        makeList(QString());
        QCOMPARE(int(ToggleMark(m_cds.get(), m_count, m_handlers)), int(TMarkOutcome::Ignored));
        makeList(u"P"_s);
        m_cds->Edit();
        QCOMPARE(int(ToggleMark(m_cds.get(), m_count, m_handlers)), int(TMarkOutcome::Ignored));
        QCOMPARE(m_cds->State(), dsEdit);
        QCOMPARE(m_detached, 0);
    }

    void handlersComeBackAfterAnError()
    {
        makeList(u"P"_s);
        m_cds->BeforeEdit = [](TClientDataSet *) {
            MensErro(u"bloqueado"_s);
        };
        QVERIFY_THROWS_EXCEPTION(EMensErro, toggleAt(1));
        QCOMPARE(m_detached, 0);
        QVERIFY(m_cds->BeforePost);
        QCOMPARE(m_count, 0);
        QCOMPARE(marks(), u"N"_s);
    }

    // A mark lives in the rows (the batch actions send the packet with it) but never in the
    // change log, marked or unmarked, one by one or all at once.
    void marksStayOutOfTheChangeLog()
    {
        makeList(u"PPRP"_s);
        toggleAt(2);
        QCOMPARE(marks(), u"NSNN"_s);
        QCOMPARE(m_cds->ChangeCount(), 0);
        QVERIFY(m_cds->Delta().isNull());
        // A batch action sends the marked rows alone, however long the list.
        const contracts::DataPacket sent = MarkedRowsPacket(m_cds.get());
        QCOMPARE(sent.rows.size(), 1);
        QCOMPARE(sent.rows.first().value(sent.indexOf(u"IDCHECK"_s)).toString(), u"S"_s);
        QCOMPARE(sent.fields.size(), m_cds->DataPacket().fields.size());
        toggleAt(2);
        QCOMPARE(m_cds->ChangeCount(), 0);
        ToggleAllMarks(m_cds.get(), m_count, m_handlers);
        QCOMPARE(marks(), u"SSSS"_s);
        QCOMPARE(m_cds->ChangeCount(), 0);
        ToggleAllMarks(m_cds.get(), m_count, m_handlers);
        QCOMPARE(m_cds->ChangeCount(), 0);
        QVERIFY(m_cds->LogChanges());
    }

    void markAllTakesTheFirstFiftyEligible()
    {
        // 75 documents, every fifth accepted: the first 50 eligible ones in list order are marked,
        // wherever the cursor was.
        QString statuses;
        for (int i = 0; i < 75; ++i)
            statuses += i % 5 == 4 ? u'A' : (i % 2 ? u'R' : u'P');
        makeList(statuses);
        m_cds->SetRecNo(30);
        ToggleAllMarks(m_cds.get(), m_count, m_handlers);
        QCOMPARE(m_count, 50);
        QString expected;
        int taken = 0;
        for (QChar s : statuses) {
            const bool take = s != u'A' && taken < 50;
            taken += take;
            expected += take ? u'S' : u'N';
        }
        QCOMPARE(marks(), expected);
        QCOMPARE(m_cds->RecNo(), 1);
        QCOMPARE(m_detached, 0);
        QCOMPARE(m_posts, 0);
        QVERIFY(!m_cds->ControlsDisabled());

        ToggleAllMarks(m_cds.get(), m_count, m_handlers);
        QCOMPARE(m_count, 0);
        QCOMPARE(marks(), QString(75, u'N'));
        QCOMPARE(m_cds->RecNo(), 1);
    }

    void markAllWithOneMarkClearsAll()
    {
        makeList(u"PPAP"_s);
        toggleAt(4);
        ToggleAllMarks(m_cds.get(), m_count, m_handlers);
        QCOMPARE(marks(), u"NNNN"_s);
        QCOMPARE(m_count, 0);
    }

    void markAllOnFewerThanTheLimit()
    {
        makeList(u"APTRCD"_s);
        ToggleAllMarks(m_cds.get(), m_count, m_handlers);
        QCOMPARE(marks(), u"NSSSNN"_s);
        QCOMPARE(m_count, 3);
    }
};

QTEST_GUILESS_MAIN(TestListMarking)
#include "tst_listmarking.moc"
