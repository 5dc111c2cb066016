#include "data/DataModule.h"

#include "data/AggregationQueries.h"
#include "data/Database.h"
#include "data/TextOrder.h"
#include "platform/Prompter.h"

#include <QEvent>

namespace {

const QString kNoClass = QStringLiteral("Nemáte zadanou žádnou třídu. Nejprve nějakou přidejte. ");

bool isEmptyText(const QVariant &value) {
    return value.isNull() || !value.isValid() || value.toString().isEmpty();
}

QVariant idOrNull(const QVariant &value) {
    return value.isNull() || !value.isValid() ? QVariant() : QVariant(value.toLongLong());
}

// Jet's "+" on texts: NULL when either side is NULL.
QVariant joinOrNull(const QVariantList &parts) {
    QString result;
    for (const QVariant &part : parts) {
        if (part.isNull() || !part.isValid())
            return QVariant(QMetaType(QMetaType::QString));
        result += part.toString();
    }
    return result;
}

QVariant fullQuestion(const Dataset::RowView &row) {
    const QVariant negative = row.value(QStringLiteral("text_otazky_negativni"));
    const QVariant positive = row.value(QStringLiteral("text_otazky"));
    if (isEmptyText(negative))
        return positive;
    return joinOrNull({positive, QStringLiteral(" / "), negative});
}

QVariant fullName(const Dataset::RowView &row) {
    const QVariant surname = row.value(QStringLiteral("prijmeni"));
    QString name = row.value(QStringLiteral("jmeno")).toString();
    if (!surname.isNull() && surname.isValid())
        name += u' ' + surname.toString();
    return name;
}

} // namespace

TDM::TDM(Database &db, const AppFolders &folders, Prompter &prompter, QObject *parent)
    : QObject(parent), m_db(db), m_folders(folders), m_prompter(prompter), m_classRules(db, prompter),
      m_rosterRules(db, prompter), m_questionnaireRules(db, prompter), m_sessionRules(db, prompter),
      m_answerRules(db, prompter), m_documentRules(db, prompter, folders) {
    m_trida = makeDataset(QStringLiteral("Trida_Query"),
                          {QStringLiteral("SELECT trida.* FROM trida"), QStringLiteral("ORDER by ID desc")},
                          QStringLiteral("trida"));
    m_trida->addComputedField(QStringLiteral("cely_nazev"), [](const Dataset::RowView &row) {
        QString name;
        for (const char *field : {"skola", "stupen", "tridni_ucitel"}) {
            const QVariant value = row.value(QString::fromLatin1(field));
            if (!value.isNull() && value.isValid())
                name += value.toString() + QStringLiteral(", ");
        }
        return QVariant(name);
    });

    m_zak = makeDataset(
        QStringLiteral("Zak_Query"),
        {QStringLiteral("SELECT zak.* FROM zak WHERE ((id_tridy = :par_id_tridy) or (:par_vse = 1)) "),
         QStringLiteral("ORDER BY poradi, jmeno COLLATE czech ASC")},
        QStringLiteral("zak"));
    m_zak1 = makeDataset(
        QStringLiteral("Zak_Query_1"),
        {QStringLiteral("SELECT zak.* FROM zak WHERE ((id_tridy = :par_id_tridy) or (:par_vse = 1)) "
                        "and (pohlavi IS NULL or pohlavi LIKE 'muž' or pohlavi LIKE 'žena')"),
         QStringLiteral("ORDER BY poradi, jmeno COLLATE czech, prijmeni COLLATE czech")},
        QStringLiteral("zak"));
    const QStringList partners = {
        QStringLiteral("SELECT zak.* FROM zak WHERE ((id_tridy = :par_id_tridy and ID <> :par_idolu) or "
                       "(:par_vse = 1))"),
        QStringLiteral(
            "and ((:par_clovek = 1 and (pohlavi LIKE 'muž' or pohlavi LIKE 'žena')) "
            "or (:par_neurcite = 1 and pohlavi LIKE '---') or (:par_abcde = 1 and pohlavi LIKE 'abcde') "
            "or (:par_12345 = 1 and pohlavi LIKE '12345') or (:par_anone = 1 and pohlavi LIKE 'ano-ne'))"),
        QStringLiteral("ORDER BY poradi, jmeno COLLATE czech, prijmeni COLLATE czech")};
    m_zak2 = makeDataset(QStringLiteral("Zak_Query_2"), partners, QStringLiteral("zak"));
    m_zak3 = makeDataset(QStringLiteral("Zak_Query_3"), partners, QStringLiteral("zak"));
    for (Dataset *dataset : {m_zak1, m_zak2, m_zak3})
        dataset->addComputedField(QStringLiteral("cele_jmeno"), fullName);

    m_testy = makeDataset(QStringLiteral("Testy_Query"),
                          {QStringLiteral("SELECT * FROM testy"), QStringLiteral("ORDER BY nazev_testu COLLATE czech")},
                          QStringLiteral("testy"));
    m_otazky = makeDataset(QStringLiteral("Otazky_Query"),
                           {QStringLiteral("SELECT otazky.* FROM otazky WHERE id_testu = :par_id_testu"),
                            QStringLiteral("ORDER BY otazky.poradi")},
                           QStringLiteral("otazky"));
    m_otazky->addComputedField(QStringLiteral("cela_otazka"), fullQuestion);
    m_otazkyVyhodnoceni = makeDataset(
        QStringLiteral("OtazkyVyhodnoceni_Query"),
        {QStringLiteral("SELECT otazky.*, testy.nazev_testu AS nazev_Testu FROM otazky INNER JOIN testy ON "
                        "otazky.id_testu = testy.ID WHERE otazky.id_testu = :par_testy_id"),
         QStringLiteral("ORDER BY otazky.poradi")},
        QStringLiteral("otazky"));
    m_otazkyVyhodnoceni->addComputedField(QStringLiteral("cela_otazka"), [](const Dataset::RowView &row) {
        const QVariant order = row.value(QStringLiteral("poradi"));
        const QVariant question = fullQuestion(row);
        if (order.isNull() || !order.isValid())
            return question;
        return joinOrNull({order.toString(), QStringLiteral(". "), question});
    });

    m_vyhodnoceni = makeDataset(
        QStringLiteral("Vyhodnoceni_Query"),
        {QStringLiteral(
             "SELECT vyhodnoceni.*, testy.nazev_testu, trida.skola, trida.stupen, trida.tridni_ucitel"),
         QStringLiteral(
             "FROM (vyhodnoceni LEFT JOIN testy ON vyhodnoceni.id_testu = testy.ID) LEFT JOIN trida ON "
             "vyhodnoceni.id_tridy = trida.ID"),
         QStringLiteral("WHERE vyhodnoceni.id_tridy = :par_id_tridy"),
         QStringLiteral("ORDER BY vyhodnoceni.datum DESC")},
        QStringLiteral("vyhodnoceni"));
    m_vyhodnoceni->addComputedField(QStringLiteral("cely_nazev"), [](const Dataset::RowView &row) {
        const QVariant date = row.value(QStringLiteral("datum"));
        const QVariant dateText = date.isNull() || !date.isValid()
                                      ? QVariant()
                                      : QVariant(date.toDateTime().toString(QStringLiteral("dd-MM-yyyy")));
        return joinOrNull({dateText, QStringLiteral(" | "), row.value(QStringLiteral("nazev_testu"))});
    });
    m_vyhodnoceni->addComputedField(QStringLiteral("nazev_tridy"), [](const Dataset::RowView &row) {
        return joinOrNull({row.value(QStringLiteral("skola")), QStringLiteral(", "),
                           row.value(QStringLiteral("stupen")), QStringLiteral(", "),
                           row.value(QStringLiteral("tridni_ucitel"))});
    });

    m_poznamky = makeDataset(QStringLiteral("Poznamky_Query"),
                             {QStringLiteral("SELECT * FROM poznamky WHERE id_zaka = :par_id_zaka")},
                             QStringLiteral("poznamky"));
    m_sablony = makeDataset(QStringLiteral("Sablony_AdoQuery"), {QStringLiteral("SELECT * FROM sablony")},
                            QStringLiteral("sablony"), QStringLiteral("id"));
    m_listiny =
        makeDataset(QStringLiteral("Listiny_ADOQuery"),
                    {QStringLiteral("SELECT * FROM listiny"),
                     QStringLiteral("WHERE id_tridy = :par_id_tridy"), QStringLiteral("ORDER BY datum")},
                    QStringLiteral("listiny"));
    m_odpovedi = makeDataset(QStringLiteral("Odpovedi_Query"), AggregationQueries::answerCountsSql());
    m_adoQuery2 = makeDataset(QStringLiteral("ADOQuery2"), AggregationQueries::whoChoseWhomSql());

    installRules();
}

TDM::~TDM() = default;

Dataset *TDM::makeDataset(const QString &name, const QStringList &sql, const QString &table,
                          const QString &key) {
    auto *dataset = new Dataset(m_db, m_prompter, name, this);
    dataset->setSql(sql);
    if (!table.isEmpty())
        dataset->setBaseTable(table, key);
    return dataset;
}

QList<Dataset *> TDM::datasets() const {
    return {m_trida,       m_zak,      m_zak1,    m_zak2,
            m_zak3,        m_testy,    m_otazky,  m_otazkyVyhodnoceni,
            m_vyhodnoceni, m_poznamky, m_sablony, m_listiny,
            m_odpovedi,    m_adoQuery2};
}

void TDM::openDatasets() {
    for (Dataset *dataset : {m_odpovedi, m_otazky, m_zak, m_trida, m_poznamky, m_sablony, m_testy,
                             m_vyhodnoceni, m_otazkyVyhodnoceni}) {
        if (!dataset->sqlText().trimmed().isEmpty())
            dataset->open();
    }
}

void TDM::closeDatasets() {
    for (Dataset *dataset : datasets())
        dataset->close();
}

QVariant TDM::currentClassId() const {
    if (m_trida->state() != Dataset::State::Browse && m_trida->state() != Dataset::State::Edit)
        return QVariant();
    return idOrNull(m_trida->value(QStringLiteral("ID")));
}

void TDM::addClassDocument(const QString &path, const QString &title) {
    m_pendingListinaFile = path;
    m_pendingListinaName = title;
    if (!m_listiny->isOpen())
        RefreshDataset(*m_listiny);
    m_listiny->insert();
}

// --- Rules ----------------------------------------------------------------------------------------

void TDM::installRules() {
    using E = Dataset::Event;

    // Class register.
    m_trida->on(E::AfterInsert, [](Dataset &ds) {
        ds.setValue(QStringLiteral("datum_zapisu"), QDateTime::currentDateTime());
    });
    m_trida->on(E::BeforePost,
                [this](Dataset &ds) { m_newClassFlag = ds.state() == Dataset::State::Insert; });
    m_trida->on(E::AfterPost, [this](Dataset &ds) {
        const Dataset::Bookmark posted = ds.bookmark();
        RefreshDataset(ds);
        if (!m_newClassFlag) {
            ds.gotoBookmark(posted); // the edited class stays the current one
            return;
        }
        const QString id = MaxId(QStringLiteral("trida"), QStringLiteral("id"));
        ds.locate(QStringLiteral("ID"), id);
        if (CountPupils(id.toLongLong()) == 0 &&
            m_prompter.askYesNo(QStringLiteral("Přidali jste novou třídu. Chcete přidat žáky?"),
                                QStringLiteral("Přidání žáků"), Prompter::Icon::Question))
            emit addPupilsRequested();
    });
    m_trida->on(E::AfterScroll, [this](Dataset &) { runClassChange(); });
    m_trida->on(E::BeforeDelete, [this](Dataset &ds) {
        if (!m_classRules.deleteClass(ds.value(QStringLiteral("ID")).toLongLong()))
            throw SilentAbort();
        finishDelete(ds);
    });

    // Pupil roster.
    m_zak->on(E::AfterInsert, [this](Dataset &ds) {
        ds.setValue(QStringLiteral("id_tridy"), currentClassId());
        ds.setValue(QStringLiteral("pohlavi"), QStringLiteral("muž"));
        ds.setValue(QStringLiteral("poradi"), ds.recordCount() + 1);
    });
    m_zak->on(E::BeforePost, [this](Dataset &ds) {
        if (isEmptyText(ds.value(QStringLiteral("jmeno")))) {
            m_prompter.message(QStringLiteral("Je třeba zadat jméno žáka. "), QString(),
                               Prompter::Icon::Information);
            throw SilentAbort();
        }
        requireParent(ds, QStringLiteral("id_tridy"), QStringLiteral("trida"),
                      QStringLiteral("Žáka nelze uložit: jeho třída není uložena nebo už neexistuje. Nejprve "
                                     "uložte třídu v hlavním okně."));
    });
    m_zak->on(E::AfterPost, [this](Dataset &ds) {
        const Dataset::Bookmark posted = ds.bookmark();
        GenerovatPoradi();
        ds.gotoBookmark(posted); // the saved pupil stays the current, highlighted row
    });
    m_zak->on(E::BeforeDelete, [this](Dataset &ds) {
        QList<qint64> ids;
        for (const Dataset::Bookmark &mark : ds.selection()) {
            const int row = ds.rowOf(mark);
            if (row >= 0)
                ids << ds.value(row, ds.fieldIndex(QStringLiteral("ID"))).toLongLong();
        }
        if (!m_rosterRules.deletePupils(ids))
            throw SilentAbort();
        ds.clearSelection();
        finishDelete(ds);
    });

    // Respondents and questions of answer entry.
    m_zak1->on(E::AfterScroll, [this](Dataset &) { runRespondentChange(); });
    m_otazkyVyhodnoceni->on(E::AfterScroll, [this](Dataset &) { runQuestionChange(); });

    // Questions.
    m_otazky->on(E::AfterInsert, [this](Dataset &ds) {
        ds.setValue(QStringLiteral("id_testu"),
                    m_testy->isOpen() ? idOrNull(m_testy->value(QStringLiteral("ID"))) : QVariant());
        ds.setValue(QStringLiteral("typ"), 0);
        ds.setValue(QStringLiteral("poradi"), ds.recordCount() + 1);
        ds.setValue(QStringLiteral("poradi_vyhodnoceni"), ds.recordCount() + 1);
    });
    m_otazky->on(E::BeforePost, [this](Dataset &ds) {
        if (ds.isNull(QStringLiteral("id_testu"))) {
            m_prompter.message(QStringLiteral("Je třeba vybrat některý z testů."));
            throw SilentAbort();
        }
        requireParent(ds, QStringLiteral("id_testu"), QStringLiteral("testy"),
                      QStringLiteral("Otázku nelze uložit: její dotazník už neexistuje."));
    });
    m_otazky->on(E::AfterPost, [this](Dataset &ds) {
        const Dataset::Bookmark mark = ds.bookmark();
        RefreshDataset(ds);
        ds.gotoBookmark(mark);
    });
    m_otazky->on(E::BeforeDelete, [this](Dataset &ds) {
        if (!m_questionnaireRules.deleteQuestion(ds.value(QStringLiteral("ID")).toLongLong()))
            throw SilentAbort();
        finishDelete(ds);
    });

    // Questionnaires.
    m_testy->on(E::BeforeDelete, [this](Dataset &ds) {
        if (!m_questionnaireRules.deleteQuestionnaire(ds.value(QStringLiteral("ID")).toLongLong()))
            throw SilentAbort();
        finishDelete(ds);
    });

    // Sessions.
    m_vyhodnoceni->on(E::BeforeInsert, [this](Dataset &) {
        if (!m_testy->isOpen() || m_testy->isEmpty()) {
            m_prompter.message(
                QStringLiteral("Nemáte zadánu žádnou šablonu dotazníku. \r\nZ hlavní nabídky programu "
                               "nejprve vyberte Nastavení / Dotazníky a jejich otázky. Poté nějaký "
                               "dotazník přidejte nebo naimportujte."));
            throw SilentAbort();
        }
    });
    m_vyhodnoceni->on(E::AfterInsert, [this](Dataset &ds) {
        ds.setValue(QStringLiteral("id_tridy"), currentClassId());
        ds.setValue(QStringLiteral("datum"), QDateTime::currentDateTime());
        ds.setValue(QStringLiteral("poznamky"), QStringLiteral("Textové poznámky k vyhodnocení:"));
    });
    m_vyhodnoceni->on(E::BeforeEdit, [this](Dataset &ds) {
        m_testy->locate(QStringLiteral("ID"), ds.value(QStringLiteral("id_testu")));
    });
    m_vyhodnoceni->on(E::BeforePost, [this](Dataset &ds) {
        ds.setValue(QStringLiteral("id_testu"),
                    m_testy->isOpen() ? idOrNull(m_testy->value(QStringLiteral("ID"))) : QVariant());
        if (ds.isNull(QStringLiteral("datum"))) {
            m_prompter.message(QStringLiteral("Je třeba zadat datum vyhodnocení. "), QString(),
                               Prompter::Icon::Information);
            throw SilentAbort();
        }
        requireParent(ds, QStringLiteral("id_tridy"), QStringLiteral("trida"),
                      QStringLiteral("Vyhodnocení nelze uložit: jeho třída už neexistuje."));
    });
    m_vyhodnoceni->on(E::AfterPost, [this](Dataset &ds) {
        RefreshDataset(ds);
        runClassChange();
    });
    m_vyhodnoceni->on(E::BeforeDelete, [this](Dataset &ds) {
        if (!m_sessionRules.deleteSession(ds.value(QStringLiteral("ID")).toLongLong()))
            throw SilentAbort();
        finishDelete(ds);
    });

    // Notes.
    m_poznamky->on(E::AfterInsert, [this](Dataset &ds) {
        ds.setValue(QStringLiteral("id_zaka"),
                    m_zak->isOpen() ? idOrNull(m_zak->value(QStringLiteral("ID"))) : QVariant());
        ds.setValue(QStringLiteral("datum"), QDateTime::currentDateTime());
    });
    m_poznamky->on(E::BeforePost, [this](Dataset &ds) {
        requireParent(ds, QStringLiteral("id_zaka"), QStringLiteral("zak"),
                      QStringLiteral("Záznam nelze uložit: žák, ke kterému patří, už neexistuje."));
    });

    // Class documents.
    m_listiny->on(E::AfterScroll, [this](Dataset &) { emit documentPathChanged(currentDocumentPath()); });
    m_listiny->on(E::BeforeInsert, [this](Dataset &) { insertDocument(); });
    m_listiny->on(E::BeforeDelete, [this](Dataset &) {
        QVariant classId = m_listiny->value(QStringLiteral("id_tridy"));
        if (classId.isNull())
            classId = currentClassId();
        if (!m_documentRules.deleteDocumentFile(classId.toLongLong(), m_listiny->text(QStringLiteral("cesta"))))
            throw SilentAbort();
    });
}

void TDM::finishDelete(Dataset &dataset) {
    RefreshDataset(dataset);
    emit rowsDeleted();
    throw SilentAbort();
}

void TDM::requireParent(Dataset &dataset, const QString &field, const QString &table, const QString &message) {
    bool present = false;
    try {
        present = !dataset.isNull(field) &&
                  !m_db.scalar(QStringLiteral("SELECT ID FROM %1 WHERE ID = :id").arg(table),
                               {{QStringLiteral("id"), dataset.value(field)}})
                       .isNull();
    } catch (const DatabaseError &error) {
        m_prompter.message(error.message(), QString(), Prompter::Icon::Error);
        throw SilentAbort();
    }
    if (!present) {
        m_prompter.message(message, QString(), Prompter::Icon::Warning);
        throw SilentAbort();
    }
}

// --- Showing windows ----------------------------------------------------------------------------------

void TDM::watchWindow(QObject *window) {
    static const QStringList watched = {QStringLiteral("TDotaznik_Odpovedi_Form"), QStringLiteral("TDotazniky_Form"),
                                        QStringLiteral("TListiny_Form")};
    if (window && watched.contains(window->objectName()))
        window->installEventFilter(this);
}

bool TDM::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Show || event->type() == QEvent::Hide) {
        const bool showing = event->type() == QEvent::Show;
        const QString name = watched->objectName();
        if (name == QLatin1String("TDotaznik_Odpovedi_Form"))
            m_answerWindowShowing = showing;
        else if (name == QLatin1String("TDotazniky_Form"))
            m_sessionWindowShowing = showing;
        else if (name == QLatin1String("TListiny_Form"))
            m_documentWindowShowing = showing;
    }
    return QObject::eventFilter(watched, event);
}

// --- Current context changes -----------------------------------------------------------------------

void TDM::runClassChange() {
    const QVariant classId = currentClassId();
    m_vyhodnoceni->setParameter(QStringLiteral("par_id_tridy"), classId);
    RefreshDataset(*m_vyhodnoceni);
    m_vyhodnoceni->first();
    QList<SessionMenuItem> sessions;
    const int idColumn = m_vyhodnoceni->fieldIndex(QStringLiteral("ID"));
    const int nameColumn = m_vyhodnoceni->fieldIndex(QStringLiteral("cely_nazev"));
    for (int row = 0; row < m_vyhodnoceni->recordCount(); ++row)
        sessions.append({m_vyhodnoceni->value(row, idColumn).toLongLong(),
                         m_vyhodnoceni->value(row, nameColumn).toString()});
    emit classChanged(classId.isNull() ? -1 : classId.toLongLong(), sessions);
}

void TDM::runRespondentChange() {
    const QVariant respondent = m_zak1->isOpen() ? idOrNull(m_zak1->value(QStringLiteral("ID"))) : QVariant();
    // A NULL or missing kind counts as 0, as reading the field as an integer gives.
    const int typ = m_otazkyVyhodnoceni->isOpen() ? m_otazkyVyhodnoceni->intValue(QStringLiteral("typ")) : 0;
    const PartnerFilter filter = SessionRules::partnerFilter(typ);
    for (Dataset *list : {m_zak2, m_zak3}) {
        list->setParameter(QStringLiteral("par_idolu"), respondent);
        list->setParameter(QStringLiteral("par_clovek"), filter.clovek);
        list->setParameter(QStringLiteral("par_neurcite"), filter.neurcite);
        list->setParameter(QStringLiteral("par_12345"), filter.dvanact);
        list->setParameter(QStringLiteral("par_abcde"), filter.abcde);
        list->setParameter(QStringLiteral("par_anone"), filter.anone);
    }
    RefreshDataset(*m_zak2);
    RefreshDataset(*m_zak3);
    if (m_answerWindowShowing)
        emit partnerListsChanged();
}

void TDM::runQuestionChange() {
    if (m_answerWindowShowing) {
        runRespondentChange();
        AnswerPanels panels = SessionRules::answerPanels(m_otazkyVyhodnoceni->intValue(QStringLiteral("typ")),
                                                         m_otazkyVyhodnoceni->text(QStringLiteral("text_otazky")),
                                                         m_otazkyVyhodnoceni->text(QStringLiteral("text_otazky_negativni")));
        if (panels.showText)
            panels.freeText = m_sessionRules.loadFreeText(m_vyhodnoceni->value(QStringLiteral("ID")).toLongLong(),
                                                          m_otazkyVyhodnoceni->value(QStringLiteral("ID")).toLongLong(),
                                                          m_zak1->value(QStringLiteral("ID")).toLongLong());
        emit answerPanelsChanged(panels);
    } else if (m_sessionWindowShowing) {
        runRespondentChange();
    }
}

QString TDM::currentDocumentPath() const {
    const QVariant classId = currentClassId();
    return m_folders.listinyFolder() + (classId.isNull() ? QString() : QString::number(classId.toLongLong())) +
           u'/' + m_listiny->text(QStringLiteral("cesta"));
}

// --- Class documents ----------------------------------------------------------------------------------

void TDM::insertDocument() {
    QString file = m_pendingListinaFile;
    if (file.isEmpty())
        file = m_prompter.openFileName(QString(), QStringLiteral("Všechny soubory (*)"));
    m_pendingListinaFile.clear();
    if (file.isEmpty())
        throw SilentAbort();

    const QVariant classId = currentClassId();
    if (classId.isNull()) {
        // Without a class the document would have no folder and no owner.
        m_pendingListinaName.clear();
        m_prompter.message(kNoClass);
        throw SilentAbort();
    }
    const std::optional<QString> answer =
        m_prompter.inputText(QStringLiteral("Název nové listiny"),
                             QStringLiteral("Prosím zadejte název nové listiny"), m_pendingListinaName);
    const QString title = answer && !answer->isEmpty() ? *answer : QStringLiteral("-");
    m_pendingListinaName.clear();
    if (!m_documentRules.storeDocument(classId.toLongLong(), file, title))
        throw SilentAbort();
    RefreshDataset(*m_listiny);
    if (!m_documentWindowShowing && m_prompter.askYesNo(QStringLiteral("Zobrazit okno s Listinami?"),
                                                        QStringLiteral("Listiny"), Prompter::Icon::None)) {
        m_listiny->setParameter(QStringLiteral("par_id_tridy"), classId);
        RefreshDataset(*m_listiny);
        emit showDocumentsRequested();
    }
    throw SilentAbort();
}

// --- Service operations ---------------------------------------------------------------------------

bool TDM::RefreshDataset(Dataset &dataset) {
    return dataset.refresh();
}

qint64 TDM::LastIdentity() {
    return m_db.lastInsertId();
}

void TDM::SetFieldOnSelectedRows(Dataset &dataset, const QList<int> &rows, const QVariant &value,
                                 const QString &field) {
    dataset.setFieldOnRows(rows, field, value);
}

int TDM::CountPupils(qint64 classId) {
    return m_classRules.countPupils(classId);
}

QString TDM::MaxId(const QString &table, const QString &column) {
    if (!Database::isIdentifier(table) || !Database::isIdentifier(column))
        throw DatabaseError(QStringLiteral("Neplatný název tabulky nebo sloupce."));
    const QVariant value = m_db.scalar(
        QStringLiteral("SELECT %2 as max_id FROM %1 ORDER BY %2 DESC LIMIT 1").arg(table, column));
    return value.isNull() ? QString() : value.toString();
}

// --- Commands on the current class ----------------------------------------------------------------

void TDM::sortClassGrid(const QString &field) {
    const QString line = TextOrder::toggledOrderLine(m_trida->lastSqlLine(), field);
    if (line.isEmpty())
        return;
    m_trida->close();
    m_trida->setLastSqlLine(line);
    RefreshDataset(*m_trida);
}

void TDM::insertOptionRows(const QList<OptionSet::Kind> &sets) {
    const QVariant classId = currentClassId();
    if (classId.isNull()) {
        m_prompter.message(kNoClass);
        return;
    }
    m_rosterRules.appendOptionSets(classId.toLongLong(), sets);
    RefreshDataset(*m_zak);
}

void TDM::insertGeneralOptionRows() {
    insertOptionRows({OptionSet::Kind::General});
}

void TDM::insertYesNoOptionRows() {
    insertOptionRows({OptionSet::Kind::YesNo});
}

void TDM::insertLetterAndNumberOptionRows() {
    insertOptionRows({OptionSet::Kind::Letters, OptionSet::Kind::Numbers});
}

bool TDM::renumberClassRows() {
    const QVariant classId = currentClassId();
    if (classId.isNull()) {
        // Asked all the same, as the command always asks first.
        m_prompter.askYesNo(QStringLiteral("Opravdu přepsat pořadí žáků?"), QStringLiteral("Pořadí žáků"),
                            Prompter::Icon::Question);
        return false;
    }
    if (!m_rosterRules.renumberByName(classId.toLongLong()))
        return false;
    RefreshDataset(*m_zak);
    return true;
}

void TDM::GenerovatPoradi() {
    const QVariant classId = currentClassId();
    if (classId.isNull())
        return;
    m_rosterRules.GenerovatPoradi(classId.toLongLong());
    RefreshDataset(*m_zak);
}
