#include "data/DataModule.h"

#include "app/Prompter.h"
#include "data/Database.h"
#include "pupils/ClassRoster.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSaveFile>
#include <algorithm>

namespace {

const QString kNoClass = QStringLiteral("Nemáte zadanou žádnou třídu. Nejprve nějakou přidejte. ");

const QStringList kOptionKinds = {QStringLiteral("---"), QStringLiteral("ano-ne"), QStringLiteral("abcde"),
                                  QStringLiteral("12345")};

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

bool isIdentifier(const QString &text) {
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return pattern.match(text).hasMatch();
}

bool isOptionKind(const QVariant &kind) {
    return !kind.isNull() && kOptionKinds.contains(kind.toString().toCaseFolded());
}

struct RowKey {
    qint64 id;
    QVariant jmeno;
    QString kind;
};

} // namespace

TDM::TDM(Database &db, const AppFolders &folders, Prompter &prompter, QObject *parent)
    : QObject(parent), m_db(db), m_folders(folders), m_prompter(prompter) {
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
         QStringLiteral("ORDER BY poradi, jmeno ASC")},
        QStringLiteral("zak"));
    m_zak1 = makeDataset(
        QStringLiteral("Zak_Query_1"),
        {QStringLiteral("SELECT zak.* FROM zak WHERE ((id_tridy = :par_id_tridy) or (:par_vse = 1)) "
                        "and (pohlavi IS NULL or pohlavi LIKE 'muž' or pohlavi LIKE 'žena')"),
         QStringLiteral("ORDER BY poradi, jmeno, prijmeni")},
        QStringLiteral("zak"));
    const QStringList partners = {
        QStringLiteral("SELECT zak.* FROM zak WHERE ((id_tridy = :par_id_tridy and ID <> :par_idolu) or "
                       "(:par_vse = 1))"),
        QStringLiteral(
            "and ((:par_clovek = 1 and (pohlavi LIKE 'muž' or pohlavi LIKE 'žena')) "
            "or (:par_neurcite = 1 and pohlavi LIKE '---') or (:par_abcde = 1 and pohlavi LIKE 'abcde') "
            "or (:par_12345 = 1 and pohlavi LIKE '12345') or (:par_anone = 1 and pohlavi LIKE 'ano-ne'))"),
        QStringLiteral("ORDER BY poradi, jmeno, prijmeni")};
    m_zak2 = makeDataset(QStringLiteral("Zak_Query_2"), partners, QStringLiteral("zak"));
    m_zak3 = makeDataset(QStringLiteral("Zak_Query_3"), partners, QStringLiteral("zak"));
    for (Dataset *dataset : {m_zak1, m_zak2, m_zak3})
        dataset->addComputedField(QStringLiteral("cele_jmeno"), fullName);

    m_testy = makeDataset(QStringLiteral("Testy_Query"),
                          {QStringLiteral("SELECT * FROM testy"), QStringLiteral("ORDER BY nazev_testu")},
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
    m_odpovedi = makeDataset(QStringLiteral("Odpovedi_Query"), {});
    m_adoQuery2 = makeDataset(QStringLiteral("ADOQuery2"), {});

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
        RefreshDataset(ds);
        if (!m_newClassFlag)
            return;
        const QString id = MaxId(QStringLiteral("trida"), QStringLiteral("id"));
        ds.locate(QStringLiteral("ID"), id);
        if (CountPupils(id.toLongLong()) == 0 &&
            m_prompter.askYesNo(QStringLiteral("Přidali jste novou třídu. Chcete přidat žáky?"),
                                QStringLiteral("Přidání žáků"), Prompter::Icon::Question))
            emit addPupilsRequested();
    });
    m_trida->on(E::AfterScroll, [this](Dataset &) { runClassChange(); });
    m_trida->on(E::BeforeDelete, [this](Dataset &ds) {
        if (!confirmTwice(
                QStringLiteral("Odstranění třídy"),
                QStringLiteral("Klikli jste, že si přejete odstranit třídu. Určitě to chcete udělat?"),
                QStringLiteral("Pokud odstraníte třídu, vymažou se všichni žáci, poznámky k nim, všechny "
                               "odpovědi na otázky a všechna vyhodnocení testu.")))
            throw SilentAbort();
        const QVariantMap c{{QStringLiteral("c"), ds.value(QStringLiteral("ID"))}};
        runCascade(ds, false, [&] {
            m_db.exec(QStringLiteral(
                          "DELETE FROM odpovedi WHERE id_zaka IN (SELECT ID FROM zak WHERE id_tridy = :c)"),
                      c);
            m_db.exec(
                QStringLiteral(
                    "DELETE FROM odpovedi WHERE id_partnera IN (SELECT ID FROM zak WHERE id_tridy = :c)"),
                c);
            m_db.exec(QStringLiteral(
                          "DELETE FROM poznamky WHERE id_zaka IN (SELECT ID FROM zak WHERE id_tridy = :c)"),
                      c);
            m_db.exec(QStringLiteral("DELETE FROM zak WHERE id_tridy = :c"), c);
            m_db.exec(QStringLiteral("DELETE FROM odpovedi WHERE id_vyhodnoceni IN (SELECT ID FROM "
                                     "vyhodnoceni WHERE id_tridy = :c)"),
                      c);
            m_db.exec(QStringLiteral("DELETE FROM vyhodnoceni WHERE id_tridy = :c"), c);
            m_db.exec(QStringLiteral("DELETE FROM trida WHERE ID = :c"), c);
        });
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
    });
    m_zak->on(E::AfterPost, [this](Dataset &) { GenerovatPoradi(); });
    m_zak->on(E::BeforeDelete, [this](Dataset &ds) {
        if (!confirmTwice(
                QStringLiteral("Odstranění žáka"),
                QStringLiteral("Klikli jste, že si přejete odstranit žáka. Určitě to chcete udělat?"),
                QStringLiteral("Pokud odstraníte žáka, vymažou se všechny odpovědi tohoto žáka i všechny "
                               "odpovědi, ve kterých byl někým označen. Budou odstraněny také poznámky. ")))
            throw SilentAbort();
        QVariantList ids;
        for (const Dataset::Bookmark &mark : ds.selection()) {
            const int row = ds.rowOf(mark);
            if (row >= 0)
                ids << ds.value(row, ds.fieldIndex(QStringLiteral("ID")));
        }
        ds.clearSelection();
        runCascade(ds, false, [&] {
            for (const QVariant &id : std::as_const(ids)) {
                const QVariantMap p{{QStringLiteral("p"), id}};
                m_db.exec(QStringLiteral("DELETE FROM odpovedi WHERE id_zaka = :p"), p);
                m_db.exec(QStringLiteral("DELETE FROM odpovedi WHERE id_partnera = :p"), p);
                m_db.exec(QStringLiteral("DELETE FROM poznamky WHERE id_zaka = :p"), p);
                m_db.exec(QStringLiteral("DELETE FROM zak WHERE ID = :p"), p);
            }
        });
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
    });
    m_otazky->on(E::AfterPost, [this](Dataset &ds) {
        const Dataset::Bookmark mark = ds.bookmark();
        RefreshDataset(ds);
        ds.gotoBookmark(mark);
    });
    m_otazky->on(E::BeforeDelete, [this](Dataset &ds) {
        if (!confirmTwice(
                QStringLiteral("Odstranění otázky"),
                QStringLiteral("Klikli jste, že si přejete odstranit otázku. Určitě to chcete udělat?"),
                QStringLiteral("Pokud odstraníte otázku, vymažou se všechny odpovědi všech žáků na tuto "
                               "otázku. \r\n\r\nUrčitě to chcete udělat?")))
            throw SilentAbort();
        const QVariantMap q{{QStringLiteral("q"), ds.value(QStringLiteral("ID"))}};
        runCascade(ds, true, [&] {
            m_db.exec(QStringLiteral("DELETE FROM odpovedi WHERE id_otazky = :q"), q);
            m_db.exec(QStringLiteral("DELETE FROM otazky WHERE ID = :q"), q);
        });
    });

    // Questionnaires.
    m_testy->on(E::BeforeDelete, [this](Dataset &ds) {
        if (!confirmTwice(
                QStringLiteral("Odstranění testu"),
                QStringLiteral("Klikli jste, že si přejete odstranit test. Určitě to chcete udělat?"),
                QStringLiteral("Pokud odstraníte test, vymažou se všechny otázky tohoto testu a vymažou se "
                               "i všechny odpovědi všech žáků k tomuto testu. \r\n\r\nUrčitě to chcete "
                               "udělat?")))
            throw SilentAbort();
        const QVariantMap t{{QStringLiteral("t"), ds.value(QStringLiteral("ID"))}};
        runCascade(ds, false, [&] {
            m_db.exec(
                QStringLiteral(
                    "DELETE FROM odpovedi WHERE id_otazky IN (SELECT ID FROM otazky WHERE id_testu = :t)"),
                t);
            m_db.exec(QStringLiteral("DELETE FROM otazky WHERE id_testu = :t"), t);
            m_db.exec(QStringLiteral("DELETE FROM vyhodnoceni WHERE id_testu = :t"), t);
            m_db.exec(QStringLiteral("DELETE FROM testy WHERE ID = :t"), t);
        });
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
    });
    m_vyhodnoceni->on(E::AfterPost, [this](Dataset &ds) {
        RefreshDataset(ds);
        runClassChange();
    });
    m_vyhodnoceni->on(E::BeforeDelete, [this](Dataset &ds) {
        if (!confirmTwice(
                QStringLiteral("Odstranění vyhodnocení"),
                QStringLiteral("Klikli jste, že si přejete odstranit vyhodnocení. Určitě to chcete udělat?"),
                QStringLiteral("Pokud odstraníte vyhodnocení, vymažou se všechny odpovědi všech žáků na "
                               "všechny otázky tohoto vyhodnocení. \r\n\r\nUrčitě to chcete udělat?")))
            throw SilentAbort();
        const QVariantMap s{{QStringLiteral("s"), ds.value(QStringLiteral("ID"))}};
        runCascade(ds, true, [&] {
            m_db.exec(QStringLiteral("DELETE FROM odpovedi WHERE id_vyhodnoceni = :s"), s);
            m_db.exec(QStringLiteral("DELETE FROM vyhodnoceni WHERE ID = :s"), s);
        });
    });

    // Notes.
    m_poznamky->on(E::AfterInsert, [this](Dataset &ds) {
        ds.setValue(QStringLiteral("id_zaka"),
                    m_zak->isOpen() ? idOrNull(m_zak->value(QStringLiteral("ID"))) : QVariant());
        ds.setValue(QStringLiteral("datum"), QDateTime::currentDateTime());
    });

    // Class documents.
    m_listiny->on(E::AfterScroll, [this](Dataset &) { emit documentPathChanged(currentDocumentPath()); });
    m_listiny->on(E::BeforeInsert, [this](Dataset &) { insertDocument(); });
    m_listiny->on(E::BeforeDelete, [this](Dataset &) { deleteDocumentFile(); });
}

bool TDM::confirmTwice(const QString &title, const QString &first, const QString &second) {
    return m_prompter.askYesNo(first, title, Prompter::Icon::Question) &&
           m_prompter.askYesNo(second, title, Prompter::Icon::Question);
}

void TDM::runCascade(Dataset &dataset, bool showError, const std::function<void()> &statements) {
    try {
        Transaction transaction(m_db);
        statements();
        transaction.commit();
    } catch (const DatabaseError &error) {
        // The transaction has rolled back: every row is as it was.
        if (showError)
            m_prompter.message(error.message(), QString(), Prompter::Icon::Error);
    }
    RefreshDataset(dataset);
    throw SilentAbort();
}

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
    for (Dataset *list : {m_zak2, m_zak3}) {
        list->setParameter(QStringLiteral("par_idolu"), respondent);
        list->setParameter(QStringLiteral("par_clovek"), typ == 0 ? 1 : 0);
        list->setParameter(QStringLiteral("par_neurcite"), typ == 0 ? 1 : 0);
        list->setParameter(QStringLiteral("par_12345"), typ == 2 ? 1 : 0);
        list->setParameter(QStringLiteral("par_abcde"), typ == 1 ? 1 : 0);
        list->setParameter(QStringLiteral("par_anone"), typ == 3 ? 1 : 0);
    }
    RefreshDataset(*m_zak2);
    RefreshDataset(*m_zak3);
    if (m_answerWindowShowing)
        emit partnerListsChanged();
}

void TDM::runQuestionChange() {
    if (m_answerWindowShowing) {
        runRespondentChange();
        AnswerPanels panels;
        panels.typ = m_otazkyVyhodnoceni->intValue(QStringLiteral("typ"));
        panels.positiveLabel = m_otazkyVyhodnoceni->text(QStringLiteral("text_otazky"));
        panels.negativeLabel = m_otazkyVyhodnoceni->text(QStringLiteral("text_otazky_negativni"));
        if (panels.typ == 4) {
            panels.showPositive = false;
            panels.showNegative = false;
            panels.showText = true;
            panels.freeText = loadFreeText(m_vyhodnoceni->value(QStringLiteral("ID")).toLongLong(),
                                           m_otazkyVyhodnoceni->value(QStringLiteral("ID")).toLongLong(),
                                           m_zak1->value(QStringLiteral("ID")).toLongLong());
        } else if (panels.typ <= 3) {
            panels.showPositive = true;
            panels.showNegative = !panels.negativeLabel.isEmpty();
            panels.showText = false;
        } else {
            panels.changePanels = false;
        }
        emit answerPanelsChanged(panels);
    } else if (m_sessionWindowShowing) {
        runRespondentChange();
    }
}

QString TDM::loadFreeText(qint64 sessionId, qint64 questionId, qint64 respondentId) {
    try {
        return m_db
            .scalar(QStringLiteral(
                        "SELECT slovy FROM odpovedi WHERE pozitivni = true and id_vyhodnoceni = :s and "
                        "id_otazky = :q and id_zaka = :r and slovy not like '' ORDER BY ID"),
                    {{QStringLiteral("s"), sessionId},
                     {QStringLiteral("q"), questionId},
                     {QStringLiteral("r"), respondentId}})
            .toString();
    } catch (const DatabaseError &error) {
        m_prompter.message(error.message(), QString(), Prompter::Icon::Error);
        return QString();
    }
}

QString TDM::currentDocumentPath() const {
    const QVariant classId = currentClassId();
    return m_folders.listinyFolder() +
           (classId.isNull() ? QString() : QString::number(classId.toLongLong())) + u'/' +
           m_listiny->text(QStringLiteral("cesta"));
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

    const QString folder = m_folders.classFolder(classId.toLongLong());
    QDir().mkpath(folder);
    try {
        const qint64 number =
            m_db.scalar(QStringLiteral("SELECT max(id) as nejvetsi FROM listiny")).toLongLong() + 1;
        const QString stored = QString::number(number) + u'_' + QFileInfo(file).fileName();
        DuplicateFile(folder + stored, file);
        m_db.exec(
            QStringLiteral("INSERT INTO listiny (id_tridy, nazev, cesta, datum) VALUES (:c, :n, :p, :d)"),
            {{QStringLiteral("c"), classId},
             {QStringLiteral("n"), title},
             {QStringLiteral("p"), stored},
             {QStringLiteral("d"), Database::dateTimeText(QDateTime(QDate::currentDate(), QTime(0, 0)))}});
    } catch (const DatabaseError &error) {
        m_prompter.message(error.message(), QString(), Prompter::Icon::Error);
        throw SilentAbort();
    }
    RefreshDataset(*m_listiny);
    if (!m_documentWindowShowing && m_prompter.askYesNo(QStringLiteral("Zobrazit okno s Listinami?"),
                                                        QStringLiteral("Listiny"), Prompter::Icon::None)) {
        m_listiny->setParameter(QStringLiteral("par_id_tridy"), classId);
        RefreshDataset(*m_listiny);
        emit showDocumentsRequested();
    }
    throw SilentAbort();
}

void TDM::deleteDocumentFile() {
    if (!m_prompter.askYesNo(QStringLiteral("Chcete opravdu smazat záznam spolu se souborem listiny?"),
                             QStringLiteral("Smazat listinu"), Prompter::Icon::Question))
        throw SilentAbort();
    QVariant classId = m_listiny->value(QStringLiteral("id_tridy"));
    if (classId.isNull())
        classId = currentClassId();
    const QString path = m_folders.listinyFolder() + QString::number(classId.toLongLong()) + u'/' +
                         m_listiny->text(QStringLiteral("cesta"));
    const QFileInfo info(path);
    if (info.isFile() && QFile::remove(path))
        m_prompter.message(QStringLiteral("Soubor listiny byl smazán."), QStringLiteral("Smazání listiny"),
                           Prompter::Icon::Information);
    else
        m_prompter.message(QStringLiteral("Neporařilo se vymazat soubor ") + path + u'.',
                           QStringLiteral("Smazání listiny"), Prompter::Icon::Warning);
}

// --- Service operations ---------------------------------------------------------------------------

bool TDM::RefreshDataset(Dataset &dataset) {
    return dataset.refresh();
}

bool TDM::DuplicateFile(const QString &target, const QString &source) {
    const QString otherError = QStringLiteral("Došlo k chybě. Soubor nelze duplikovat.");
    const QFileInfo sourceInfo(source);
    const QFileInfo targetInfo(target);
    if (targetInfo.exists() && sourceInfo.exists() &&
        sourceInfo.canonicalFilePath() == targetInfo.canonicalFilePath()) {
        // The source is open for reading while the target is created: the same file cannot be both.
        m_prompter.message(otherError);
        return false;
    }
    QFile in(source);
    if (!sourceInfo.isFile() || !in.open(QIODevice::ReadOnly)) {
        m_prompter.message(
            QStringLiteral("Nelze duplikovat soubor. Je zřejmě již některým programem otevřen a "
                           "používán. Zavřete takový program a zkuste to znovu. "));
        return false;
    }
    QSaveFile out(target);
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly)) {
        m_prompter.message(otherError);
        return false;
    }
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError) {
            out.cancelWriting();
            break;
        }
        if (out.write(chunk) != chunk.size()) {
            out.cancelWriting();
            break;
        }
    }
    if (!out.commit()) {
        m_prompter.message(otherError);
        return false;
    }
    return true;
}

QString TDM::JetDateLiteral(const QDateTime &value) {
    return u'#' + value.date().toString(QStringLiteral("yyyy-MM-dd")) + u'#';
}

qint64 TDM::LastIdentity() {
    return m_db.lastInsertId();
}

QString TDM::TempFolder() {
    QString folder = QDir::tempPath();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

void TDM::SetFieldOnSelectedRows(Dataset &dataset, const QList<int> &rows, const QVariant &value,
                                 const QString &field) {
    dataset.setFieldOnRows(rows, field, value);
}

int TDM::CountPupils(qint64 classId) {
    return m_db
        .scalar(QStringLiteral("SELECT count(*) as pocet_zaku FROM zak where id_tridy = :c"),
                {{QStringLiteral("c"), classId}})
        .toInt();
}

QString TDM::MaxId(const QString &table, const QString &column) {
    if (!isIdentifier(table) || !isIdentifier(column))
        throw DatabaseError(QStringLiteral("Neplatný název tabulky nebo sloupce."));
    const QVariant value = m_db.scalar(
        QStringLiteral("SELECT %2 as max_id FROM %1 ORDER BY %2 DESC LIMIT 1").arg(table, column));
    return value.isNull() ? QString() : value.toString();
}

// --- Class register services ----------------------------------------------------------------------

void TDM::sortClassGrid(const QString &field) {
    if (!isIdentifier(field))
        return;
    m_trida->close();
    const bool ascending = !m_trida->lastSqlLine().contains(QLatin1String("ASC"));
    m_trida->setLastSqlLine(QStringLiteral("ORDER BY ") + field +
                            (ascending ? QStringLiteral(" ASC") : QStringLiteral(" DESC")));
    RefreshDataset(*m_trida);
}

void TDM::insertOptionRows(const QList<QPair<QString, QString>> &rows) {
    const QVariant classId = currentClassId();
    if (classId.isNull()) {
        m_prompter.message(kNoClass);
        return;
    }
    try {
        Transaction transaction(m_db);
        SqlQuery insert(m_db,
                        QStringLiteral("INSERT INTO zak (id_tridy, jmeno, pohlavi) VALUES (:c, :j, :p)"));
        for (const auto &row : rows) {
            insert.bind(QStringLiteral("c"), classId)
                .bind(QStringLiteral("j"), row.first)
                .bind(QStringLiteral("p"), row.second);
            insert.exec();
        }
        transaction.commit();
    } catch (const DatabaseError &error) {
        m_prompter.message(error.message(), QString(), Prompter::Icon::Error);
    }
    RefreshDataset(*m_zak);
}

void TDM::insertGeneralOptionRows() {
    QList<QPair<QString, QString>> rows;
    for (const char *text :
         {"---", "všichni", "nikdo", "nevím", "já", "všichni ostatní", "většina", "kluci", "holky"})
        rows.append({QString::fromUtf8(text), QStringLiteral("---")});
    insertOptionRows(rows);
}

void TDM::insertYesNoOptionRows() {
    insertOptionRows({{QStringLiteral("ano"), QStringLiteral("ano-ne")},
                      {QStringLiteral("ne"), QStringLiteral("ano-ne")}});
}

void TDM::insertLetterAndNumberOptionRows() {
    QList<QPair<QString, QString>> rows;
    for (const char *text : {"a)", "b)", "c)", "d)", "e)"})
        rows.append({QString::fromLatin1(text), QStringLiteral("abcde")});
    for (const char *text : {"1", "2", "3", "4", "5"})
        rows.append({QString::fromLatin1(text), QStringLiteral("12345")});
    insertOptionRows(rows);
}

namespace {

// Rows of a class with their first name and kind.
QList<RowKey> classRows(Database &db, const QVariant &classId) {
    QList<RowKey> rows;
    SqlQuery query(db, QStringLiteral("SELECT ID, jmeno, pohlavi FROM zak WHERE id_tridy = :c ORDER BY ID"));
    query.bind(QStringLiteral("c"), classId);
    query.exec();
    while (query.next())
        rows.append({query.value(0).toLongLong(), query.value(1),
                     query.value(2).isNull() ? QString() : query.value(2).toString()});
    return rows;
}

// Names in the order of the Czech alphabet, ignoring case; NULL first.
void sortByName(QList<RowKey> &rows) {
    QCollator collator{QLocale(QLocale::Czech, QLocale::CzechRepublic)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(rows.begin(), rows.end(), [&](const RowKey &a, const RowKey &b) {
        if (a.jmeno.isNull() || b.jmeno.isNull())
            return a.jmeno.isNull() && !b.jmeno.isNull();
        return collator.compare(a.jmeno.toString(), b.jmeno.toString()) < 0;
    });
}

void writeOrder(Database &db, const QList<RowKey> &rows, int &counter) {
    SqlQuery update(db, QStringLiteral("UPDATE zak SET poradi = :n WHERE ID = :id"));
    for (const RowKey &row : rows) {
        update.bind(QStringLiteral("n"), counter++).bind(QStringLiteral("id"), row.id);
        update.exec();
    }
}

} // namespace

bool TDM::renumberClassRows() {
    const QVariant classId = currentClassId();
    if (!m_prompter.askYesNo(QStringLiteral("Opravdu přepsat pořadí žáků?"), QStringLiteral("Pořadí žáků"),
                             Prompter::Icon::Question))
        return false;
    if (classId.isNull())
        return false;
    try {
        Transaction transaction(m_db);
        QList<RowKey> pupils, options;
        for (const RowKey &row : classRows(m_db, classId)) {
            if (row.kind.isNull())
                continue; // rows without a kind keep their number
            (isOptionKind(row.kind) ? options : pupils) << row;
        }
        sortByName(pupils);
        sortByName(options);
        int counter = 1;
        writeOrder(m_db, pupils, counter);
        writeOrder(m_db, options, counter);
        transaction.commit();
    } catch (const DatabaseError &error) {
        m_prompter.message(error.message(), QString(), Prompter::Icon::Error);
    }
    RefreshDataset(*m_zak);
    return true;
}

void TDM::GenerovatPoradi() {
    const QVariant classId = currentClassId();
    if (classId.isNull())
        return;
    try {
        ClassRoster(m_db, classId.toLongLong()).GenerovatPoradi();
    } catch (const DatabaseError &error) {
        m_prompter.message(error.message(), QString(), Prompter::Icon::Error);
    }
    RefreshDataset(*m_zak);
}
