// The dataset's state machine: every operation from every state, the order of its handlers, and
// what Abort() or an error in a handler leaves behind.
#include "ClientDataSet.h"
#include "DataSetBuilder.h"
#include "DataSource.h"
#include "Exceptions.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(TDataSetState)

class TestDataSetStates : public QObject
{
    Q_OBJECT

    std::unique_ptr<TClientDataSet> ds;
    QStringList events;
    QString abortIn;

    // Attaches a recording handler to every event; the one named in `abortIn` calls Abort().
    void attachAll()
    {
        const auto rec = [this](const QString &name) {
            return [this, name](TClientDataSet *) {
                events.append(name);
                if (name == abortIn)
                    Abort();
            };
        };
        ds->BeforeInsert = rec(u"BeforeInsert"_s);
        ds->AfterInsert = rec(u"AfterInsert"_s);
        ds->BeforeEdit = rec(u"BeforeEdit"_s);
        ds->AfterEdit = rec(u"AfterEdit"_s);
        ds->BeforePost = rec(u"BeforePost"_s);
        ds->AfterPost = rec(u"AfterPost"_s);
        ds->BeforeCancel = rec(u"BeforeCancel"_s);
        ds->AfterCancel = rec(u"AfterCancel"_s);
        ds->BeforeDelete = rec(u"BeforeDelete"_s);
        ds->AfterDelete = rec(u"AfterDelete"_s);
        ds->BeforeScroll = rec(u"BeforeScroll"_s);
        ds->AfterScroll = rec(u"AfterScroll"_s);
        ds->OnNewRecord = rec(u"OnNewRecord"_s);
    }

    void act(const QString &action)
    {
        if (action == u"post")
            ds->Post();
        else if (action == u"cancel")
            ds->Cancel();
        else if (action == u"edit")
            ds->Edit();
        else if (action == u"append")
            ds->Append();
        else if (action == u"insert")
            ds->Insert();
        else if (action == u"delete")
            ds->Delete();
        else if (action == u"next")
            ds->Next();
        else if (action == u"prior")
            ds->Prior();
        else if (action == u"first")
            ds->First();
        else if (action == u"last")
            ds->Last();
        else
            QFAIL("unknown action");
    }

private slots:
    void init()
    {
        ds = std::make_unique<TClientDataSet>(nullptr, u"cdsTeste"_s);
        ds->LoadFromPacket(namesPacket({u"A"_s, u"B"_s, u"C"_s}));
        events.clear();
        abortIn.clear();
    }

    void operations_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("abortHandler");
        QTest::addColumn<TDataSetState>("state");
        QTest::addColumn<QStringList>("expectedEvents");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("current");

        const QStringList abc {u"A"_s, u"B"_s, u"C"_s};
        const QStringList xbc {u"X"_s, u"B"_s, u"C"_s};
        const QStringList insertEvents {u"BeforeInsert"_s, u"BeforeScroll"_s, u"OnNewRecord"_s,
                                        u"AfterInsert"_s, u"AfterScroll"_s};
        const QStringList deleteEvents {u"BeforeDelete"_s, u"BeforeScroll"_s, u"AfterDelete"_s,
                                        u"AfterScroll"_s};
        const QStringList scroll {u"BeforeScroll"_s, u"AfterScroll"_s};
        const QStringList post {u"BeforePost"_s, u"AfterPost"_s};
        const QStringList cancel {u"BeforeCancel"_s, u"AfterCancel"_s};

        // start: browse (on A), edit (A changed to X), clean-edit (A, nothing assigned),
        // insert (new row before A, NOME = X), empty (no rows).
        QTest::newRow("edit-post-ok")
            << u"edit"_s << u"post"_s << QString() << dsBrowse << post << xbc << u"X"_s;
        QTest::newRow("edit-post-aborted") << u"edit"_s << u"post"_s << u"BeforePost"_s << dsEdit
                                           << QStringList {u"BeforePost"_s} << xbc << u"X"_s;
        QTest::newRow("edit-cancel-restores")
            << u"edit"_s << u"cancel"_s << QString() << dsBrowse << cancel << abc << u"A"_s;
        QTest::newRow("edit-cancel-aborted")
            << u"edit"_s << u"cancel"_s << u"BeforeCancel"_s << dsEdit
            << QStringList {u"BeforeCancel"_s} << xbc << u"X"_s;
        QTest::newRow("insert-post-ok") << u"insert"_s << u"post"_s << QString() << dsBrowse << post
                                        << QStringList {u"X"_s, u"A"_s, u"B"_s, u"C"_s} << u"X"_s;
        QTest::newRow("insert-cancel-restores")
            << u"insert"_s << u"cancel"_s << QString() << dsBrowse << cancel << abc << u"A"_s;
        QTest::newRow("insert-delete-cancels")
            << u"insert"_s << u"delete"_s << QString() << dsBrowse << cancel << abc << u"A"_s;
        QTest::newRow("browse-edit")
            << u"browse"_s << u"edit"_s << QString() << dsEdit
            << QStringList {u"BeforeEdit"_s, u"AfterEdit"_s} << abc << u"A"_s;
        QTest::newRow("browse-edit-aborted")
            << u"browse"_s << u"edit"_s << u"BeforeEdit"_s << dsBrowse
            << QStringList {u"BeforeEdit"_s} << abc << u"A"_s;
        QTest::newRow("browse-append")
            << u"browse"_s << u"append"_s << QString() << dsInsert << insertEvents
            << QStringList {u"A"_s, u"B"_s, u"C"_s, QString()} << QString();
        QTest::newRow("browse-insert-before-current")
            << u"browse"_s << u"insert"_s << QString() << dsInsert << insertEvents
            << QStringList {QString(), u"A"_s, u"B"_s, u"C"_s} << QString();
        QTest::newRow("browse-append-aborted-before-insert")
            << u"browse"_s << u"append"_s << u"BeforeInsert"_s << dsBrowse
            << QStringList {u"BeforeInsert"_s} << abc << u"A"_s;
        QTest::newRow("browse-append-aborted-new-record")
            << u"browse"_s << u"append"_s << u"OnNewRecord"_s << dsBrowse << insertEvents.mid(0, 3)
            << abc << u"A"_s;
        QTest::newRow("browse-delete") << u"browse"_s << u"delete"_s << QString() << dsBrowse
                                       << deleteEvents << QStringList {u"B"_s, u"C"_s} << u"B"_s;
        QTest::newRow("browse-delete-aborted")
            << u"browse"_s << u"delete"_s << u"BeforeDelete"_s << dsBrowse
            << QStringList {u"BeforeDelete"_s} << abc << u"A"_s;
        QTest::newRow("browse-delete-aborted-scroll")
            << u"browse"_s << u"delete"_s << u"BeforeScroll"_s << dsBrowse
            << QStringList {u"BeforeDelete"_s, u"BeforeScroll"_s} << abc << u"A"_s;
        QTest::newRow("edit-delete-discards")
            << u"edit"_s << u"delete"_s << QString() << dsBrowse << deleteEvents
            << QStringList {u"B"_s, u"C"_s} << u"B"_s;
        QTest::newRow("browse-next")
            << u"browse"_s << u"next"_s << QString() << dsBrowse << scroll << abc << u"B"_s;
        QTest::newRow("browse-next-aborted")
            << u"browse"_s << u"next"_s << u"BeforeScroll"_s << dsBrowse
            << QStringList {u"BeforeScroll"_s} << abc << u"A"_s;
        QTest::newRow("browse-last")
            << u"browse"_s << u"last"_s << QString() << dsBrowse << scroll << abc << u"C"_s;
        QTest::newRow("browse-prior-at-top-nothing")
            << u"browse"_s << u"prior"_s << QString() << dsBrowse << QStringList() << abc << u"A"_s;
        QTest::newRow("edit-next-autoposts")
            << u"edit"_s << u"next"_s << QString() << dsBrowse << post + scroll << xbc << u"B"_s;
        QTest::newRow("edit-next-post-aborted-stays")
            << u"edit"_s << u"next"_s << u"BeforePost"_s << dsEdit << QStringList {u"BeforePost"_s}
            << xbc << u"X"_s;
        QTest::newRow("clean-edit-next-cancels") << u"clean-edit"_s << u"next"_s << QString()
                                                 << dsBrowse << cancel + scroll << abc << u"B"_s;
        QTest::newRow("insert-first-autoposts")
            << u"insert"_s << u"first"_s << QString() << dsBrowse << post + scroll
            << QStringList {u"X"_s, u"A"_s, u"B"_s, u"C"_s} << u"X"_s;
        QTest::newRow("edit-append-autoposts")
            << u"edit"_s << u"append"_s << QString() << dsInsert << post + insertEvents
            << QStringList {u"X"_s, u"B"_s, u"C"_s, QString()} << QString();
        QTest::newRow("browse-post-nothing")
            << u"browse"_s << u"post"_s << QString() << dsBrowse << QStringList() << abc << u"A"_s;
        QTest::newRow("browse-cancel-nothing") << u"browse"_s << u"cancel"_s << QString()
                                               << dsBrowse << QStringList() << abc << u"A"_s;
        QTest::newRow("empty-edit-inserts") << u"empty"_s << u"edit"_s << QString() << dsInsert
                                            << insertEvents << QStringList {QString()} << QString();
        QTest::newRow("empty-next-nothing") << u"empty"_s << u"next"_s << QString() << dsBrowse
                                            << QStringList() << QStringList() << QString();
    }

    void operations()
    {
        QFETCH(QString, start);
        QFETCH(QString, action);
        QFETCH(QString, abortHandler);
        QFETCH(TDataSetState, state);
        QFETCH(QStringList, expectedEvents);
        QFETCH(QStringList, rows);
        QFETCH(QString, current);

        TField *nome = ds->FieldByName(u"NOME"_s);
        if (start == u"edit" || start == u"clean-edit") {
            ds->Edit();
            if (start == u"edit")
                nome->SetAsString(u"X"_s);
        } else if (start == u"insert") {
            ds->Insert();
            nome->SetAsString(u"X"_s);
        } else if (start == u"empty") {
            ds->EmptyDataSet();
        }
        attachAll();
        abortIn = abortHandler;

        act(action);

        QCOMPARE(ds->State(), state);
        QCOMPARE(events, expectedEvents);
        QCOMPARE(visibleNames(*ds), rows);
        QCOMPARE(nome->AsString(), current);
    }

    void errorInBeforeHandlerReachesCallerAndKeepsState()
    {
        ds->Edit();
        ds->FieldByName(u"NOME"_s)->SetAsString(u"X"_s);
        ds->BeforePost = [](TClientDataSet *) {
            MensErro(u"Recusado"_s);
        };
        QVERIFY_THROWS_EXCEPTION(EMensErro, ds->Post());
        QCOMPARE(ds->State(), dsEdit);
        QCOMPARE(ds->FieldByName(u"NOME"_s)->AsString(), u"X"_s);
        QCOMPARE(ds->ChangeCount(), 0);
        // Moving tries to post: the error stops the move too.
        QVERIFY_THROWS_EXCEPTION(EMensErro, ds->Next());
        QCOMPARE(ds->RecNo(), 1);
    }

    void errorInAfterHandlerComesAfterTheOperation()
    {
        ds->AfterPost = [](TClientDataSet *) {
            MensErro(u"Falha depois"_s);
        };
        ds->Edit();
        ds->FieldByName(u"NOME"_s)->SetAsString(u"X"_s);
        QVERIFY_THROWS_EXCEPTION(EMensErro, ds->Post());
        QCOMPARE(ds->State(), dsBrowse);
        QCOMPARE(ds->ChangeCount(), 1);
    }

    void handlersDetachAndReattach()
    {
        int posts = 0;
        ds->BeforePost = [&](TClientDataSet *) {
            ++posts;
        };
        const TDataSetNotifyEvent saved = ds->BeforePost;
        ds->BeforePost = nullptr;
        ds->Edit();
        ds->FieldByName(u"NOME"_s)->SetAsString(u"X"_s);
        ds->Post();
        QCOMPARE(posts, 0);
        ds->BeforePost = saved;
        ds->Edit();
        ds->FieldByName(u"NOME"_s)->SetAsString(u"Y"_s);
        ds->Post();
        QCOMPARE(posts, 1);

        // A handler may detach itself while it runs.
        ds->AfterScroll = [this](TClientDataSet *) {
            events.append(u"once"_s);
            ds->AfterScroll = nullptr;
        };
        ds->Next();
        ds->Next();
        QCOMPARE(events, QStringList {u"once"_s});
    }

    void eofAndBofFollowTheHostLoop()
    {
        QStringList seen;
        ds->First();
        while (!ds->Eof()) {
            seen.append(ds->FieldByName(u"NOME"_s)->AsString());
            ds->Next();
        }
        QCOMPARE(seen, (QStringList {u"A"_s, u"B"_s, u"C"_s}));
        QVERIFY(ds->Eof());
        QCOMPARE(ds->RecNo(), 3);
        ds->Last();
        QVERIFY(ds->Eof());
        QVERIFY(!ds->Bof());
        seen.clear();
        while (!ds->Bof()) {
            seen.append(ds->FieldByName(u"NOME"_s)->AsString());
            ds->Prior();
        }
        QCOMPARE(seen, (QStringList {u"C"_s, u"B"_s, u"A"_s}));
        ds->SetRecNo(2);
        QCOMPARE(ds->FieldByName(u"NOME"_s)->AsString(), u"B"_s);
        QVERIFY(!ds->Eof() && !ds->Bof());
        QCOMPARE(ds->MoveBy(5), 1);
        QVERIFY(ds->Eof());
    }

    void loadRunsAfterScrollOnlyWithRows()
    {
        int scrolls = 0;
        ds->AfterScroll = [&](TClientDataSet *) {
            ++scrolls;
        };
        ds->LoadFromPacket(namesPacket({}));
        QCOMPARE(scrolls, 0);
        ds->LoadFromPacket(namesPacket({u"Z"_s}));
        QCOMPARE(scrolls, 1);
        QCOMPARE(ds->RecNo(), 1);
    }

    void bookmarksSurviveReordering()
    {
        ds->SetRecNo(2);
        const TBookmark b = ds->GetBookmark();
        ds->SetIndexFieldNames(u"VALOR"_s);
        ds->Last();
        ds->Edit();
        ds->FieldByName(u"VALOR"_s)->SetAsFloat(-1); // moves C to the top
        ds->Post();
        QCOMPARE(visibleNames(*ds), (QStringList {u"C"_s, u"A"_s, u"B"_s}));
        ds->GotoBookmark(b);
        QCOMPARE(ds->FieldByName(u"NOME"_s)->AsString(), u"B"_s);
        QCOMPARE(ds->RecNo(), 3);
        ds->Delete();
        QVERIFY(!ds->BookmarkValid(b));
        QVERIFY_THROWS_EXCEPTION(EMensErro, ds->GotoBookmark(b));
    }

    void locateFindsAndMoves_data()
    {
        QTest::addColumn<QString>("fields");
        QTest::addColumn<QVariant>("values");
        QTest::addColumn<int>("options");
        QTest::addColumn<int>("recNo"); // 0: not found, cursor stays on row 2

        QTest::newRow("exact") << u"NOME"_s << QVariant(u"Carla"_s) << 0 << 3;
        QTest::newRow("exact-case-differs") << u"NOME"_s << QVariant(u"carla"_s) << 0 << 0;
        QTest::newRow("case-insensitive")
            << u"NOME"_s << QVariant(u"carla"_s) << int(loCaseInsensitive) << 3;
        QTest::newRow("partial") << u"NOME"_s << QVariant(u"Ca"_s) << int(loPartialKey) << 3;
        QTest::newRow("partial-needs-option") << u"NOME"_s << QVariant(u"Ca"_s) << 0 << 0;
        QTest::newRow("two-fields")
            << u"NOME;VALOR"_s << QVariant(QVariantList {u"Ana"_s, 40.0}) << 0 << 4;
        QTest::newRow("number-as-text") << u"VALOR"_s << QVariant(u"20"_s) << 0 << 2;
        QTest::newRow("not-found") << u"NOME"_s << QVariant(u"Zeca"_s) << 0 << 0;
    }

    void locateFindsAndMoves()
    {
        QFETCH(QString, fields);
        QFETCH(QVariant, values);
        QFETCH(int, options);
        QFETCH(int, recNo);
        ds->LoadFromPacket(namesPacket({u"Ana"_s, u"Bia"_s, u"Carla"_s, u"Ana"_s}));
        ds->SetRecNo(2);
        QCOMPARE(ds->Locate(fields, values, options), recNo != 0);
        QCOMPARE(ds->RecNo(), recNo != 0 ? recNo : 2);
    }

    void locateUsesTheIndexAndPicksTheTopRow()
    {
        ds->LoadFromPacket(namesPacket({u"Ana"_s, u"Bia"_s, u"Ana"_s, u"Bia"_s}));
        ds->SetIndexFieldNames(u"NOME;VALOR"_s);
        QCOMPARE(visibleNames(*ds), (QStringList {u"Ana"_s, u"Ana"_s, u"Bia"_s, u"Bia"_s}));
        ds->Last();
        QVERIFY(ds->Locate(u"NOME"_s, u"Bia"_s));
        QCOMPARE(ds->RecNo(), 3);
        QCOMPARE(ds->FieldByName(u"ID"_s)->AsInteger(), 2);
    }

    void disableControlsDefersNotifications()
    {
        TDataSource dts(nullptr, u"dtsPadrao"_s);
        dts.SetDataSet(ds.get());
        QSignalSpy data(ds.get(), &TClientDataSet::dataSetChanged);
        QSignalSpy state(ds.get(), &TClientDataSet::stateChanged);
        QSignalSpy current(ds.get(), &TClientDataSet::currentChanged);
        QSignalSpy field(ds.get(), &TClientDataSet::fieldChanged);
        QSignalSpy sourceState(&dts, &TDataSource::StateChange);
        int handlerCalls = 0;
        dts.OnStateChange = [&](TDataSource *) {
            ++handlerCalls;
        };
        {
            ScopedDisableControls outer(ds.get());
            ds->DisableControls(); // counted
            ds->First();
            while (!ds->Eof()) {
                ds->Edit();
                ds->FieldByName(u"NOME"_s)->SetAsString(u"M"_s);
                ds->Post();
                ds->Next();
            }
            ds->EnableControls();
            QCOMPARE(data.count() + state.count() + current.count() + field.count(), 0);
            QCOMPARE(sourceState.count(), 0);
        }
        QCOMPARE(data.count(), 1);
        QCOMPARE(state.count(), 1);
        QCOMPARE(current.count(), 1);
        QCOMPARE(sourceState.count(), 1);
        QCOMPARE(handlerCalls, 1);
        QCOMPARE(visibleNames(*ds), (QStringList {u"M"_s, u"M"_s, u"M"_s}));

        // Without DisableControls each step notifies.
        ds->Edit();
        ds->FieldByName(u"NOME"_s)->SetAsString(u"N"_s);
        ds->Post();
        QCOMPARE(state.count(), 3);
        QCOMPARE(field.count(), 1);
        QCOMPARE(sourceState.count(), 3);
    }

    void dataSourceReportsEveryStateChange()
    {
        TDataSource dts(nullptr, u"dtsPadrao"_s);
        dts.SetDataSet(ds.get());
        QList<TDataSetState> seen;
        connect(&dts, &TDataSource::StateChange, this, [&] { seen.append(dts.State()); });
        QSignalSpy dataChange(&dts, &TDataSource::DataChange);
        QSignalSpy updateData(&dts, &TDataSource::UpdateData);
        QVERIFY(dts.Edit());
        ds->FieldByName(u"NOME"_s)->SetAsString(u"Q"_s);
        QCOMPARE(dataChange.last().at(0).value<TField *>(), ds->FieldByName(u"NOME"_s));
        ds->Post();
        QCOMPARE(updateData.count(), 1);
        ds->Append();
        ds->Cancel();
        ds->Close();
        QCOMPARE(seen, (QList<TDataSetState> {dsEdit, dsBrowse, dsInsert, dsBrowse, dsInactive}));
        dts.SetAutoEdit(false);
        ds->CreateDataSet();
        QVERIFY(!dts.Edit());
    }
};

QTEST_GUILESS_MAIN(TestDataSetStates)
#include "tst_datasetstates.moc"
