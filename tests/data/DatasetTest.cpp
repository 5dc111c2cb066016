#include "DataFixture.h"

#include "data/Dataset.h"
#include "data/DatasetTableModel.h"

#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QSize>

namespace {

class DatasetTest : public DataFixture {
protected:
    void SetUp() override {
        DataFixture::SetUp();
        m_classA = addClass("Škola A", "6.A", "Nová", "2021-09-01 10:30:00");
        m_classB = addClass("Škola B", QVariant(), "Starý");
        m_ds = std::make_unique<Dataset>(m_db, m_prompter, QStringLiteral("Trida_Query"));
        m_ds->setSql(
            {QStringLiteral("SELECT trida.* FROM trida WHERE ID >= :par_od"), QStringLiteral("ORDER BY ID")});
        m_ds->setBaseTable(QStringLiteral("trida"));
        m_ds->setParameter(QStringLiteral("par_od"), 0);
        m_ds->addComputedField(QStringLiteral("nazev"), [](const Dataset::RowView &row) {
            return QVariant(row.value("skola").toString() + u'/' + row.value("stupen").toString());
        });
    }
    qint64 m_classA = 0, m_classB = 0;
    std::unique_ptr<Dataset> m_ds;
};

TEST_F(DatasetTest, OpensWithRowsFieldsByAnyCaseComputedAndDateFields) {
    m_ds->open();
    EXPECT_EQ(m_ds->state(), Dataset::State::Browse);
    ASSERT_EQ(m_ds->recordCount(), 2);
    EXPECT_EQ(m_ds->currentRow(), 0);
    EXPECT_EQ(m_ds->value("ID").toLongLong(), m_classA);
    EXPECT_EQ(m_ds->value("id"), m_ds->value("Id"));
    EXPECT_EQ(m_ds->text("SKOLA"), QStringLiteral("Škola A"));
    EXPECT_EQ(m_ds->text("nazev"), QStringLiteral("Škola A/6.A"));
    const QVariant date = m_ds->value("datum_zapisu");
    EXPECT_EQ(date.typeId(), QMetaType::QDateTime);
    EXPECT_EQ(date.toDateTime(), QDateTime(QDate(2021, 9, 1), QTime(10, 30)));
    EXPECT_FALSE(m_ds->value("neni").isValid());
    m_ds->next();
    EXPECT_TRUE(m_ds->isNull("stupen"));
    EXPECT_FALSE(m_ds->isNull("skola"));
}

TEST_F(DatasetTest, ParametersFilterAndUnsetOnesAreNull) {
    m_ds->setParameter(":par_od", m_classB);
    m_ds->open();
    EXPECT_EQ(m_ds->recordCount(), 1);
    EXPECT_EQ(m_ds->parameterNames(), QStringList{"par_od"});
    Dataset other(m_db, m_prompter, "x");
    other.setSql({"SELECT * FROM trida WHERE ID = :par_neni OR :par_neni IS NULL"});
    other.open();
    EXPECT_EQ(other.recordCount(), 2);
}

TEST_F(DatasetTest, NavigationEofBofLocateAndBookmarksAcrossRequery) {
    addClass("Škola C", "9.C", "X");
    m_ds->open();
    QStringList seen;
    for (m_ds->first(); !m_ds->eof(); m_ds->next())
        seen << m_ds->text("skola");
    EXPECT_EQ(seen, (QStringList{"Škola A", "Škola B", "Škola C"}));
    EXPECT_EQ(m_ds->currentRow(), 2);
    m_ds->prior();
    m_ds->prior();
    EXPECT_FALSE(m_ds->prior());
    EXPECT_TRUE(m_ds->bof());
    EXPECT_TRUE(m_ds->moveBy(5)); // a fast move stops at the last row
    EXPECT_EQ(m_ds->currentRow(), 2);
    EXPECT_TRUE(m_ds->eof());
    EXPECT_TRUE(m_ds->moveBy(-1));
    EXPECT_FALSE(m_ds->eof());
    EXPECT_TRUE(m_ds->locate("SKOLA", "Škola C"));
    EXPECT_EQ(m_ds->currentRow(), 2);
    EXPECT_FALSE(m_ds->locate("skola", "nikde"));
    EXPECT_EQ(m_ds->currentRow(), 2);
    EXPECT_TRUE(m_ds->locate("id", QString::number(m_classB))); // numbers match their text
    const Dataset::Bookmark mark = m_ds->bookmark();
    m_ds->setLastSqlLine("ORDER BY ID DESC");
    m_ds->requery();
    EXPECT_EQ(m_ds->currentRow(), 0);
    EXPECT_EQ(m_ds->text("skola"), QStringLiteral("Škola C"));
    ASSERT_TRUE(m_ds->gotoBookmark(mark));
    EXPECT_EQ(m_ds->value("ID").toLongLong(), m_classB);
    EXPECT_EQ(m_ds->currentRow(), 1);
}

TEST_F(DatasetTest, AfterScrollRunsOnOpenAndOnMovesOnly) {
    int scrolls = 0;
    m_ds->on(Dataset::Event::AfterScroll, [&](Dataset &) { ++scrolls; });
    m_ds->open();
    EXPECT_EQ(scrolls, 1);
    m_ds->setCurrentRow(0);
    EXPECT_EQ(scrolls, 1);
    m_ds->next();
    EXPECT_EQ(scrolls, 2);
    m_ds->refresh();
    EXPECT_EQ(scrolls, 3);
}

TEST_F(DatasetTest, InsertPostWritesRowTakesNewKeyAndRereadsIt) {
    m_ds->open();
    m_ds->last(); // the posted row takes the cursor's place, as the dataset is not re-read
    QSignalSpy inserted(m_ds.get(), &Dataset::rowInserted);
    QSignalSpy states(m_ds.get(), &Dataset::stateChanged);
    ASSERT_TRUE(m_ds->insert());
    EXPECT_EQ(m_ds->state(), Dataset::State::Insert);
    EXPECT_TRUE(m_ds->isNull("skola"));
    m_ds->setValue("skola", "Nová škola");
    m_ds->setValue("datum_zapisu", QDate(2022, 1, 2));
    EXPECT_EQ(m_ds->text("skola"), QStringLiteral("Nová škola")); // the buffer is read while inserting
    EXPECT_EQ(m_ds->recordCount(), 2);
    ASSERT_TRUE(m_ds->post());
    EXPECT_EQ(m_ds->state(), Dataset::State::Browse);
    EXPECT_EQ(m_ds->recordCount(), 3);
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(states.count(), 2);
    const qint64 id = m_ds->value("ID").toLongLong();
    EXPECT_GT(id, m_classB);
    EXPECT_EQ(m_ds->currentRow(), 1);
    EXPECT_EQ(m_ds->value(1, m_ds->fieldIndex("ID")).toLongLong(), id);
    EXPECT_EQ(m_ds->value(2, m_ds->fieldIndex("ID")).toLongLong(), m_classB);
    EXPECT_EQ(m_ds->text("nazev"), QStringLiteral("Nová škola/"));
    EXPECT_EQ(m_db.scalar("SELECT datum_zapisu FROM trida WHERE ID = :i", {{"i", id}}).toString(),
              QStringLiteral("2022-01-02 00:00:00"));
    EXPECT_TRUE(m_db.scalar("SELECT stupen FROM trida WHERE ID = :i", {{"i", id}}).isNull());
}

TEST_F(DatasetTest, EditCancelRestoresAndEditPostUpdatesOnlyThatRow) {
    m_ds->open();
    ASSERT_TRUE(m_ds->edit());
    m_ds->setValue("skola", "Jiná");
    EXPECT_EQ(m_ds->value(0, m_ds->fieldIndex("skola")).toString(), QStringLiteral("Jiná"));
    ASSERT_TRUE(m_ds->cancel());
    EXPECT_EQ(m_ds->text("skola"), QStringLiteral("Škola A"));
    EXPECT_EQ(count("SELECT count(*) FROM trida WHERE skola = 'Jiná'"), 0);

    QSignalSpy changed(m_ds.get(), &Dataset::rowChanged);
    ASSERT_TRUE(m_ds->edit());
    m_ds->setValue("stupen", "7.A");
    ASSERT_TRUE(m_ds->post());
    EXPECT_GE(changed.count(), 1);
    EXPECT_EQ(m_ds->text("nazev"), QStringLiteral("Škola A/7.A"));
    EXPECT_EQ(m_db.scalar("SELECT stupen FROM trida WHERE ID = :i", {{"i", m_classA}}).toString(),
              QStringLiteral("7.A"));
    EXPECT_EQ(m_db.scalar("SELECT skola FROM trida WHERE ID = :i", {{"i", m_classA}}).toString(),
              QStringLiteral("Škola A"));
    EXPECT_TRUE(m_db.scalar("SELECT stupen FROM trida WHERE ID = :i", {{"i", m_classB}}).isNull());
}

TEST_F(DatasetTest, RefreshWhileEditingPostsTheEditAndComputedFieldsAreNotWritable) {
    m_ds->open();
    ASSERT_TRUE(m_ds->edit());
    EXPECT_FALSE(m_ds->setValue("nazev", "x"));
    ASSERT_TRUE(m_ds->setValue("skola", "Přepsaná"));
    ASSERT_TRUE(m_ds->refresh());
    EXPECT_EQ(m_ds->state(), Dataset::State::Browse);
    EXPECT_EQ(m_db.scalar("SELECT skola FROM trida WHERE ID = :i", {{"i", m_classA}}).toString(),
              QStringLiteral("Přepsaná"));
}

TEST_F(DatasetTest, EditOfEmptyDatasetInsertsAndSetValueOutsideEditingIsRefused) {
    m_ds->setParameter("par_od", 1000);
    m_ds->open();
    EXPECT_FALSE(m_ds->setValue("skola", "x"));
    ASSERT_TRUE(m_ds->edit());
    EXPECT_EQ(m_ds->state(), Dataset::State::Insert);
}

TEST_F(DatasetTest, DeleteOfAMiddleRowMakesTheNextOneCurrent) {
    const qint64 classC = addClass("Škola C", "9.C", "Třetí");
    m_ds->open();
    ASSERT_TRUE(m_ds->setCurrentRow(1));
    ASSERT_TRUE(m_ds->deleteRecord());
    EXPECT_EQ(m_ds->currentRow(), 1);
    EXPECT_EQ(m_ds->value("ID").toLongLong(), classC);
}

TEST_F(DatasetTest, DeleteRemovesRowFromTableAndCache) {
    m_ds->open();
    QSignalSpy removed(m_ds.get(), &Dataset::rowRemoved);
    m_ds->last();
    ASSERT_TRUE(m_ds->deleteRecord());
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(m_ds->recordCount(), 1);
    EXPECT_EQ(m_ds->currentRow(), 0);
    EXPECT_EQ(count("SELECT count(*) FROM trida"), 1);
    EXPECT_EQ(count("SELECT count(*) FROM trida WHERE ID = :i", {{"i", m_classB}}), 0);
}

TEST_F(DatasetTest, SilentAbortCancelsEachOperationWithoutMessage) {
    m_ds->open();
    bool refuse = true;
    for (auto event : {Dataset::Event::BeforeInsert, Dataset::Event::BeforeEdit, Dataset::Event::BeforePost,
                       Dataset::Event::BeforeDelete, Dataset::Event::BeforeCancel})
        m_ds->on(event, [&](Dataset &) {
            if (refuse)
                throw SilentAbort();
        });
    const QStringList before = snapshot();
    EXPECT_FALSE(m_ds->insert());
    EXPECT_EQ(m_ds->state(), Dataset::State::Browse);
    EXPECT_FALSE(m_ds->edit());
    EXPECT_FALSE(m_ds->deleteRecord());
    EXPECT_EQ(m_ds->recordCount(), 2);

    refuse = false;
    ASSERT_TRUE(m_ds->insert());
    m_ds->setValue("skola", "x");
    refuse = true;
    EXPECT_FALSE(m_ds->post());
    EXPECT_EQ(m_ds->state(), Dataset::State::Insert); // still editable
    EXPECT_FALSE(m_ds->cancel());
    refuse = false;
    EXPECT_TRUE(m_ds->cancel());
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(m_prompter.prompts().isEmpty());
}

TEST_F(DatasetTest, RefreshShowsTheErrorTextAndDoesNotThrow) {
    m_ds->open();
    m_ds->setSql({"SELECT * FROM neexistuje"});
    EXPECT_FALSE(m_ds->refresh());
    ASSERT_EQ(m_prompter.messages().size(), 1);
    EXPECT_EQ(m_prompter.messages().first(),
              QStringLiteral("Došlo k chybě. \r\nException class name = EOleException\r\nException message = "
                             "no such table: neexistuje"));
    EXPECT_FALSE(m_ds->isOpen());
    EXPECT_THROW(m_ds->open(), DatabaseError);
}

TEST_F(DatasetTest, FailedPostShowsEngineMessageAndKeepsBuffer) {
    m_db.exec("CREATE TRIGGER no_x BEFORE INSERT ON trida WHEN NEW.skola = 'x' BEGIN SELECT RAISE(ABORT, "
              "'zakázáno'); END");
    m_ds->open();
    m_ds->insert();
    m_ds->setValue("skola", "x");
    EXPECT_FALSE(m_ds->post());
    EXPECT_EQ(m_ds->state(), Dataset::State::Insert);
    EXPECT_EQ(m_prompter.messages(), QStringList{"zakázáno"});
    m_ds->setValue("skola", "y");
    EXPECT_TRUE(m_ds->post());
    EXPECT_EQ(m_ds->recordCount(), 3);
}

TEST_F(DatasetTest, MovingWhileEditingPostsFirst) {
    m_ds->open();
    m_ds->edit();
    m_ds->setValue("tridni_ucitel", "Nový");
    EXPECT_TRUE(m_ds->next());
    EXPECT_EQ(m_ds->state(), Dataset::State::Browse);
    EXPECT_EQ(m_db.scalar("SELECT tridni_ucitel FROM trida WHERE ID = :i", {{"i", m_classA}}).toString(),
              QStringLiteral("Nový"));
}

TEST_F(DatasetTest, ModelShowsColumnsFormatsDatesAndFollowsChanges) {
    m_ds->open();
    DatasetTableModel model(m_ds.get(), {{"Škola", "skola", 188, {}},
                                         {"Datum zápisu", "datum_zapisu", 100, {}},
                                         {"Čas", "DATUM_ZAPISU", 50, "yyyy/MM/dd HH:mm"}});
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Škola"));
    EXPECT_EQ(model.columns()[0].width, 188);
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), QStringLiteral("01.09.2021"));
    EXPECT_EQ(model.data(model.index(0, 2)).toString(), QStringLiteral("2021/09/01 10:30"));

    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    m_ds->insert();
    m_ds->setValue("skola", "Třetí");
    m_ds->post();
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(model.rowCount(), 3);
    m_ds->edit();
    m_ds->setValue("skola", "Čtvrtá");
    m_ds->post();
    EXPECT_GE(changed.count(), 1);
    EXPECT_EQ(model.data(model.index(m_ds->currentRow(), 0)).toString(), QStringLiteral("Čtvrtá"));
    m_ds->deleteRecord();
    EXPECT_EQ(removed.count(), 1);
    m_ds->refresh();
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(model.rowCount(), 2);
}

TEST_F(DatasetTest, SelectionModelAndDatasetFollowEachOther) {
    addClass("Škola C", "9.C", "X");
    m_ds->open();
    DatasetTableModel model(m_ds.get(), {{"Škola", "skola", 100, {}}});
    QItemSelectionModel selection(&model);
    model.attachSelectionModel(&selection);
    EXPECT_EQ(selection.currentIndex().row(), 0);
    selection.setCurrentIndex(model.index(2, 0), QItemSelectionModel::NoUpdate);
    EXPECT_EQ(m_ds->currentRow(), 2);
    m_ds->first();
    EXPECT_EQ(selection.currentIndex().row(), 0);

    selection.select(model.index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selection.select(model.index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(model.selectedRows(), (QList<int>{2, 0}));
    ASSERT_EQ(m_ds->selection().size(), 2);
    EXPECT_EQ(m_ds->rowOf(m_ds->selection()[0]), 2);
    m_ds->clearSelection();
    EXPECT_FALSE(selection.hasSelection());
}

TEST_F(DatasetTest, BulkFieldChangeOnSelectedRowsSurvivesReorderingRules) {
    addClass("Škola C", "9.C", "X");
    m_ds->open();
    // Every save reverses the order, as a renumbering rule with a refresh might.
    m_ds->on(Dataset::Event::AfterPost, [](Dataset &ds) {
        ds.setLastSqlLine(ds.lastSqlLine().endsWith("DESC") ? "ORDER BY ID" : "ORDER BY ID DESC");
        ds.refresh();
    });
    DatasetTableModel model(m_ds.get(), {{"Škola", "skola", 100, {}}});
    QItemSelectionModel selection(&model);
    model.attachSelectionModel(&selection);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    selection.select(model.index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selection.select(model.index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(model.setFieldOnSelectedRows("tridni_ucitel", "Hromadně"), 2);
    EXPECT_EQ(count("SELECT count(*) FROM trida WHERE tridni_ucitel = 'Hromadně' AND skola IN ('Škola A', "
                    "'Škola C')"),
              2);
    EXPECT_EQ(count("SELECT count(*) FROM trida WHERE tridni_ucitel = 'Hromadně'"), 2);
    EXPECT_EQ(resets.count(), 1); // one announcement for the whole burst
}

} // namespace
