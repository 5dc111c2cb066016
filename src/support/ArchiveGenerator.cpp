#include "support/ArchiveGenerator.h"

#include "data/Database.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <QRandomGenerator>
#include <QStringList>
#include <algorithm>
#include <map>
#include <numeric>
#include <vector>

namespace {

const char *const kBoys[] = {"Adam",  "Jan",    "Petr",  "Tomáš",   "Jakub",
                             "Lukáš", "Ondřej", "Matěj", "Vojtěch", "Filip"};
const char *const kGirls[] = {"Eva",   "Tereza",   "Anna",    "Klára",  "Veronika",
                              "Lucie", "Kateřina", "Barbora", "Zuzana", "Adéla"};
const char *const kSurnames[] = {"Novák",     "Svoboda", "Dvořák", "Černý",
                                 "Procházka", "Kučera",  "Veselý", "Horák"};

struct Question {
    qint64 id;
    int typ;
    bool negative;
};

} // namespace

ArchiveSummary generateArchive(Database &db, const ArchiveSize &size,
                               const std::function<void(int done, int classes)> &progress) {
    ArchiveSummary summary;
    QRandomGenerator random(size.seed);
    Transaction transaction(db);

    SqlQuery insertTest(db, QStringLiteral("INSERT INTO testy (nazev_testu) VALUES (:n)"));
    SqlQuery insertQuestion(
        db, QStringLiteral("INSERT INTO otazky (id_testu, text_otazky, text_otazky_negativni, "
                           "poradi, poradi_vyhodnoceni, typ) VALUES (:t, :a, :b, :o, :o, :y)"));
    std::vector<std::vector<Question>> questionnaires;
    std::vector<qint64> testIds;
    for (int t = 0; t < size.questionnaires; ++t) {
        insertTest.bind(QStringLiteral("n"), QStringLiteral("Dotazník %1").arg(t + 1)).exec();
        const qint64 testId = db.lastInsertId();
        testIds.push_back(testId);
        std::vector<Question> questions;
        for (int q = 0; q < size.questionsPerQuestionnaire; ++q) {
            const bool last = q == size.questionsPerQuestionnaire - 1;
            const bool beforeLast = q == size.questionsPerQuestionnaire - 2;
            const int typ = last ? 4 : beforeLast ? 3 : 0;
            const bool negative = typ == 0;
            insertQuestion.bind(QStringLiteral("t"), testId)
                .bind(QStringLiteral("a"), QStringLiteral("Otázka %1 dotazníku %2").arg(q + 1).arg(t + 1))
                .bind(QStringLiteral("b"),
                      negative ? QVariant(QStringLiteral("Záporná otázka %1").arg(q + 1)) : QVariant())
                .bind(QStringLiteral("o"), q + 1)
                .bind(QStringLiteral("y"), typ)
                .exec();
            questions.push_back({db.lastInsertId(), typ, negative});
            ++summary.questions;
        }
        questionnaires.push_back(std::move(questions));
        ++summary.questionnaires;
    }

    SqlQuery insertClass(
        db, QStringLiteral("INSERT INTO trida (skola, stupen, tridni_ucitel, datum_zapisu) VALUES "
                           "(:s, :g, :u, :d)"));
    SqlQuery insertPupil(db,
                         QStringLiteral("INSERT INTO zak (id_tridy, jmeno, prijmeni, pohlavi, poradi) VALUES "
                                        "(:c, :j, :p, :k, :o)"));
    SqlQuery insertNote(
        db, QStringLiteral("INSERT INTO poznamky (id_zaka, datum, nazev, poznamka) VALUES (:z, :d, :n, :t)"));
    SqlQuery insertSession(
        db, QStringLiteral("INSERT INTO vyhodnoceni (id_tridy, id_testu, datum, poznamky) VALUES "
                           "(:c, :t, :d, :p)"));
    SqlQuery insertAnswer(
        db, QStringLiteral("INSERT INTO odpovedi (id_vyhodnoceni, id_otazky, id_zaka, id_partnera, "
                           "pozitivni, slovy) VALUES (:s, :q, :z, :p, :b, :w)"));
    const QDateTime start(QDate(2015, 9, 1), QTime(8, 0));

    for (int c = 0; c < size.classes; ++c) {
        insertClass.bind(QStringLiteral("s"), QStringLiteral("ZŠ %1").arg(c / 20 + 1))
            .bind(QStringLiteral("g"), QStringLiteral("%1.%2").arg(c % 9 + 1).arg(QChar(u'A' + c % 4)))
            .bind(QStringLiteral("u"), QStringLiteral("Učitel %1").arg(c + 1))
            .bind(QStringLiteral("d"), Database::dateTimeText(start.addDays(c * 30)))
            .exec();
        const qint64 classId = db.lastInsertId();
        ++summary.classes;

        std::vector<qint64> pupils;
        for (int p = 0; p < size.pupilsPerClass; ++p) {
            const bool girl = p % 2 == 1;
            const QString name = QString::fromUtf8(girl ? kGirls[p / 2 % 10] : kBoys[p / 2 % 10]);
            QString surname = QString::fromUtf8(kSurnames[(p + c) % 8]);
            if (girl)
                surname =
                    surname.endsWith(u'ý') ? surname.chopped(1) + u'á' : surname + QStringLiteral("ová");
            insertPupil.bind(QStringLiteral("c"), classId)
                .bind(QStringLiteral("j"), name)
                .bind(QStringLiteral("p"), surname)
                .bind(QStringLiteral("k"), girl ? QStringLiteral("žena") : QStringLiteral("muž"))
                .bind(QStringLiteral("o"), p + 1)
                .exec();
            pupils.push_back(db.lastInsertId());
            ++summary.pupils;
            if (p % 3 == 0) {
                insertNote.bind(QStringLiteral("z"), pupils.back())
                    .bind(QStringLiteral("d"), Database::dateTimeText(start.addDays(c * 30 + p)))
                    .bind(QStringLiteral("n"), QStringLiteral("Pohovor"))
                    .bind(QStringLiteral("t"), QStringLiteral("Poznámka k žákovi."))
                    .exec();
                ++summary.notes;
            }
        }
        std::vector<qint64> options;
        for (const char *text : {"ano", "ne"}) {
            insertPupil.bind(QStringLiteral("c"), classId)
                .bind(QStringLiteral("j"), QString::fromLatin1(text))
                .bind(QStringLiteral("p"), QVariant())
                .bind(QStringLiteral("k"), QStringLiteral("ano-ne"))
                .bind(QStringLiteral("o"), size.pupilsPerClass + int(options.size()) + 1)
                .exec();
            options.push_back(db.lastInsertId());
            ++summary.optionRows;
        }

        std::vector<int> order(pupils.size());
        for (int s = 0; s < size.sessionsPerClass; ++s) {
            const int testIndex = (c + s) % std::max(1, size.questionnaires);
            if (questionnaires.empty())
                break;
            insertSession.bind(QStringLiteral("c"), classId)
                .bind(QStringLiteral("t"), testIds[std::size_t(testIndex)])
                .bind(QStringLiteral("d"), Database::dateTimeText(start.addDays(c * 30 + s * 60)))
                .bind(QStringLiteral("p"), QStringLiteral("Textové poznámky k vyhodnocení:"));
            insertSession.exec();
            const qint64 sessionId = db.lastInsertId();
            ++summary.sessions;
            for (std::size_t r = 0; r < pupils.size(); ++r) {
                for (const Question &question : questionnaires[std::size_t(testIndex)]) {
                    const auto answer = [&](qint64 partner, bool positive, const QVariant &text) {
                        insertAnswer.bind(QStringLiteral("s"), sessionId)
                            .bind(QStringLiteral("q"), question.id)
                            .bind(QStringLiteral("z"), pupils[r])
                            .bind(QStringLiteral("p"), partner)
                            .bind(QStringLiteral("b"), positive ? 1 : 0)
                            .bind(QStringLiteral("w"), text)
                            .exec();
                        ++summary.answers;
                    };
                    if (question.typ == 4) {
                        answer(-1, true, QStringLiteral("Slovní odpověď"));
                        continue;
                    }
                    if (question.typ == 3) {
                        answer(options[random.bounded(2)], true, QVariant());
                        continue;
                    }
                    std::iota(order.begin(), order.end(), 0);
                    std::shuffle(order.begin(), order.end(), random);
                    int positive = size.positiveChoices;
                    int negative = question.negative ? size.negativeChoices : 0;
                    for (int index : order) {
                        if (std::size_t(index) == r)
                            continue;
                        if (positive > 0) {
                            answer(pupils[std::size_t(index)], true, QVariant());
                            --positive;
                        } else if (negative > 0) {
                            answer(pupils[std::size_t(index)], false, QVariant());
                            --negative;
                        } else {
                            break;
                        }
                    }
                }
            }
        }
        if (progress)
            progress(c + 1, size.classes);
    }
    transaction.commit();
    return summary;
}

const QString &benchmarkArchive() {
    static QTemporaryDir folder;
    static const QString path = [] {
        const QString file = folder.filePath(QStringLiteral("archiv.mdb"));
        QElapsedTimer timer;
        timer.start();
        Database db(QStringLiteral("archive-generator"));
        db.create(file);
        const ArchiveSummary summary = generateArchive(db);
        db.close();
        std::fprintf(stderr,
                     "archive: %d classes, %d pupils, %d questions, %d sessions, %lld answers, %.1f MB, "
                     "generated in %.1f s\n",
                     summary.classes, summary.pupils, summary.questions, summary.sessions,
                     static_cast<long long>(summary.answers), QFileInfo(file).size() / 1048576.0,
                     timer.elapsed() / 1000.0);
        return file;
    }();
    return path;
}

ArchiveSize classSize(int pupils, int questions, int negativeChoices) {
    ArchiveSize size;
    size.classes = 1;
    size.pupilsPerClass = pupils;
    size.questionnaires = 1;
    size.questionsPerQuestionnaire = questions;
    size.sessionsPerClass = 1;
    size.positiveChoices = 3;
    size.negativeChoices = negativeChoices;
    return size;
}

QString benchmarkClass(int pupils) {
    static QTemporaryDir folder;
    static std::map<int, QString> made;
    QString &file = made[pupils];
    if (file.isEmpty()) {
        const QString path = folder.filePath(QStringLiteral("trida%1.mdb").arg(pupils));
        Database db(QStringLiteral("class-generator"));
        db.create(path);
        generateArchive(db, classSize(pupils));
        db.close();
        file = path;
    }
    return file;
}
