#include "graphics/BarChartBuilder.h"

#include "chart/ChartModel.h"
#include "chart/ChartSeries.h"
#include "data/DataModule.h"
#include "data/Database.h"
#include "files/CsvCell.h"

#include <QDate>
#include <QDateTime>

namespace {

constexpr int kSeriesNameWidth = 50;

// A menu value as a record id; 0 for "all", for an empty value and for text that is not a number.
qint64 idOf(const QString &value) {
    bool ok = false;
    const qint64 id = value.trimmed().toLongLong(&ok);
    return ok && id > 0 ? id : 0;
}

QString text(const QVariant &value) {
    return value.isNull() || !value.isValid() ? QString() : value.toString();
}

// A session date as "dd. mm. yyyy" (empty when there is none).
QString dateText(const QVariant &value) {
    if (value.isNull() || !value.isValid())
        return QString();
    QDate date;
    if (value.metaType().id() == QMetaType::QDateTime || value.metaType().id() == QMetaType::QDate)
        date = value.toDate();
    else
        date = QDate::fromString(value.toString().left(10), QStringLiteral("yyyy-MM-dd"));
    return date.isValid() ? date.toString(QStringLiteral("dd. MM. yyyy")) : QString();
}

// The kind of answer-option rows a question of kind 1 to 3 charts instead of pupils.
QString optionKindOf(const QVariant &typ) {
    if (typ.isNull())
        return QString();
    switch (typ.toInt()) {
    case 1: return QStringLiteral("abcde");
    case 2: return QStringLiteral("12345");
    case 3: return QStringLiteral("ano-ne");
    default: return QString();
    }
}

QString csvField(const QString &value) {
    return CsvCell::of(value, u',');
}

} // namespace

QString BarChartData::noDataMessage() const {
    switch (noData) {
    case NoData::TryOtherRows:
        return QStringLiteral("Nebyla nalezena žádná data. Možná pomůže zvolit v nabídce \"Volby zobrazení\" / "
                              "\"Ukázat i záznamy jiné než osoby\".");
    case NoData::Nothing:
        return QStringLiteral("Nebyla bohužel nalezena žádná data. ");
    case NoData::None:
        break;
    }
    return QString();
}

namespace BarChartBuilder {

QList<BarChartMenuItem> sessionItems(const TDM &dm) {
    QList<BarChartMenuItem> items;
    const Dataset &sessions = dm.Vyhodnoceni_Query();
    if (!sessions.isOpen())
        return items;
    const int id = sessions.fieldIndex(QStringLiteral("ID"));
    const int caption = sessions.fieldIndex(QStringLiteral("cely_nazev"));
    for (int row = 0; row < sessions.recordCount(); ++row)
        items.append({text(sessions.value(row, caption)), text(sessions.value(row, id))});
    return items;
}

QList<BarChartMenuItem> pupilItems(const TDM &dm) {
    QList<BarChartMenuItem> items{{QStringLiteral("Všichni žáci"), QStringLiteral("-1")}};
    const Dataset &pupils = dm.Zak_Query();
    if (!pupils.isOpen())
        return items;
    const int id = pupils.fieldIndex(QStringLiteral("ID"));
    const int kind = pupils.fieldIndex(QStringLiteral("pohlavi"));
    const int name = pupils.fieldIndex(QStringLiteral("jmeno"));
    const int surname = pupils.fieldIndex(QStringLiteral("prijmeni"));
    for (int row = 0; row < pupils.recordCount(); ++row) {
        const QString k = text(pupils.value(row, kind));
        if (k != QStringLiteral("muž") && k != QStringLiteral("žena"))
            continue;
        items.append({text(pupils.value(row, name)) + u' ' + text(pupils.value(row, surname)),
                      text(pupils.value(row, id))});
    }
    return items;
}

QString questionPrefix(int typ) {
    switch (typ) {
    case 0: return QStringLiteral("základ __ ");
    case 1: return QStringLiteral("abcde  __ ");
    case 2: return QStringLiteral("12345  __ ");
    case 3: return QStringLiteral("ano-ne __ ");
    default: return QString();
    }
}

QList<BarChartMenuItem> questionItems(TDM &dm, const QString &sessionValue) {
    QList<BarChartMenuItem> items{{QStringLiteral("Všechny otázky"), QStringLiteral("-1")}};
    const qint64 session = idOf(sessionValue);
    if (session == 0)
        return items;
    const QVariant test = dm.database().scalar(QStringLiteral("SELECT id_testu FROM vyhodnoceni WHERE ID = :s"),
                                               {{QStringLiteral("s"), session}});
    if (test.isNull())
        return items;
    Dataset &questions = dm.Otazky_Query();
    questions.setParameter(QStringLiteral("par_id_testu"), test);
    if (!dm.RefreshDataset(questions))
        return items;
    const int id = questions.fieldIndex(QStringLiteral("ID"));
    const int typ = questions.fieldIndex(QStringLiteral("typ"));
    const int question = questions.fieldIndex(QStringLiteral("cela_otazka"));
    for (int row = 0; row < questions.recordCount(); ++row) {
        const QVariant kind = questions.value(row, typ);
        // A kind outside 0 to 3 gets the question text without a prefix.
        const QString prefix = kind.isNull() ? QString() : questionPrefix(kind.toInt());
        items.append({prefix + text(questions.value(row, question)), text(questions.value(row, id)), true});
    }
    return items;
}

QString countsSql(bool question, bool pupil, bool optionKind, bool otherRows) {
    // One row per charted question and row of the class, with the choices the row received in the
    // session; rows by `poradi` and id, questions by id within a row, so every row of the class comes
    // as a group of exactly n rows. Choices of other sessions and free texts (partner -1) never count.
    // A question of kind 1 to 3 charts the option rows of its kind; otherwise, unless the teacher asks
    // for all rows, only rows that are not option rows (a row without a kind counts as a pupil).
    QString sql = QStringLiteral(
        "SELECT coalesce(zak.jmeno, '') || coalesce(' ' || zak.prijmeni, '') AS cele_jmeno, "
        "otazky.ID AS id_otazky, zak.ID AS id_partnera, otazky.text_otazky AS text_otazky, "
        "coalesce(pocty.pocet_pozitivni, 0) AS pocet_pozitivni, "
        "coalesce(pocty.pocet_negativni, 0) AS pocet_negativni "
        "FROM zak CROSS JOIN otazky "
        "LEFT JOIN (SELECT id_otazky, id_partnera, sum(pozitivni = 1) AS pocet_pozitivni, "
        "sum(pozitivni = 0) AS pocet_negativni FROM odpovedi WHERE id_vyhodnoceni = :s "
        "GROUP BY id_otazky, id_partnera) AS pocty "
        "ON pocty.id_otazky = otazky.ID AND pocty.id_partnera = zak.ID "
        "WHERE zak.id_tridy = :c AND otazky.id_testu = :t");
    if (question)
        sql += QStringLiteral(" AND otazky.ID = :q");
    if (pupil)
        sql += QStringLiteral(" AND zak.ID = :p");
    if (optionKind)
        sql += QStringLiteral(" AND zak.pohlavi LIKE :kind");
    else if (!otherRows)
        sql += QStringLiteral(" AND NOT (coalesce(zak.pohlavi, '') LIKE '---' OR coalesce(zak.pohlavi, '') LIKE "
                              "'ano-ne' OR coalesce(zak.pohlavi, '') LIKE 'abcde' OR coalesce(zak.pohlavi, '') "
                              "LIKE '12345')");
    sql += QStringLiteral(" ORDER BY zak.poradi, zak.ID, otazky.ID");
    return sql;
}

BarChartData read(Database &db, const BarChartFilter &filter) {
    BarChartData data;
    const qint64 session = idOf(filter.session);
    if (session == 0)
        return data;
    SqlQuery sessionRow(db, QStringLiteral("SELECT vyhodnoceni.id_testu, vyhodnoceni.datum, vyhodnoceni.id_tridy, "
                                           "trida.skola, trida.stupen, trida.tridni_ucitel FROM vyhodnoceni "
                                           "LEFT JOIN trida ON vyhodnoceni.id_tridy = trida.ID "
                                           "WHERE vyhodnoceni.ID = :s"));
    sessionRow.bind(QStringLiteral("s"), session).exec();
    if (!sessionRow.next() || sessionRow.value(0).isNull() || sessionRow.value(2).isNull())
        return data;
    data.sessionId = session;
    data.questionnaireId = sessionRow.value(0).toLongLong();
    data.classId = sessionRow.value(2).toLongLong();
    const QString date = dateText(sessionRow.value(1));
    const QString school = text(sessionRow.value(3));
    const QString grade = text(sessionRow.value(4));
    const QString teacher = text(sessionRow.value(5));
    data.defaultTitle = QStringLiteral("Preferenční volby ") + school + QStringLiteral(", ") + grade +
                        QStringLiteral(", třídní učitel: ") + teacher + QStringLiteral(", datum ") + date;
    data.proposedName = QStringLiteral("Graf ") + school + QStringLiteral(", ") + grade + QStringLiteral(", ") +
                        teacher + QStringLiteral(", zadání ") + date;

    // The charted questions: the chosen one, or all of the questionnaire by id.
    const qint64 question = idOf(filter.question);
    QString optionKind;
    if (question != 0) {
        optionKind = optionKindOf(
            db.scalar(QStringLiteral("SELECT typ FROM otazky WHERE ID = :q"), {{QStringLiteral("q"), question}}));
        data.questionIds = {question};
    } else {
        SqlQuery ids(db, QStringLiteral("SELECT ID FROM otazky WHERE id_testu = :t ORDER BY ID"));
        ids.bind(QStringLiteral("t"), data.questionnaireId).exec();
        while (ids.next())
            data.questionIds.append(ids.value(0).toLongLong());
    }
    const int n = int(data.questionIds.size());
    data.totals.fill(0, n);
    data.built = true;
    if (n == 0) {
        data.noData = filter.otherRows ? BarChartData::NoData::Nothing : BarChartData::NoData::TryOtherRows;
        return data;
    }

    const qint64 pupil = idOf(filter.pupil);
    const QString sql = countsSql(question != 0, pupil != 0, !optionKind.isEmpty(), filter.otherRows);

    SqlQuery rows(db, sql);
    rows.bind(QStringLiteral("s"), session)
        .bind(QStringLiteral("c"), data.classId)
        .bind(QStringLiteral("t"), data.questionnaireId);
    if (question != 0)
        rows.bind(QStringLiteral("q"), question);
    if (pupil != 0)
        rows.bind(QStringLiteral("p"), pupil);
    if (!optionKind.isEmpty())
        rows.bind(QStringLiteral("kind"), optionKind);
    rows.exec();

    struct Row {
        QString name;
        qint64 partner = 0;
        qint64 positive = 0;
        qint64 negative = 0;
    };
    std::vector<Row> cells; // group after group, n per charted row
    QVector<QString> questionTexts(n);
    while (rows.next()) {
        const int k = int(cells.size() % size_t(n));
        if (cells.size() < size_t(n))
            questionTexts[k] = text(rows.value(3));
        Row row{rows.value(0).toString(), rows.value(2).toLongLong(), rows.value(4).toLongLong(),
                rows.value(5).toLongLong()};
        data.totals[k] += row.positive + row.negative;
        cells.push_back(std::move(row));
    }

    // Series of the questions that received any choice, named after the question, padded for the legend.
    QVector<int> seriesOf(n, -1);
    for (int k = 0; k < n; ++k) {
        if (data.totals[k] <= 0)
            continue;
        seriesOf[k] = int(data.series.size());
        data.series.append({data.questionIds[k], questionTexts[k].leftJustified(kSeriesNameWidth, u' '), {}});
    }
    if (data.series.isEmpty())
        data.noData = filter.otherRows ? BarChartData::NoData::Nothing : BarChartData::NoData::TryOtherRows;

    const int groups = int(cells.size() / size_t(n));
    for (int g = 0; g < groups; ++g) {
        const int number = g + 1;
        const Row &first = cells[size_t(g) * size_t(n)];
        data.pupilList += QString::number(number) + QStringLiteral(". ") + first.name + QStringLiteral("\t\t");
        if (data.series.isEmpty())
            continue;
        data.hover.append({first.partner, number, first.name});
        for (int k = 0; k < n; ++k) {
            if (seriesOf[k] < 0)
                continue;
            const Row &cell = cells[size_t(g) * size_t(n) + size_t(k)];
            QVector<TXYInfo> &points = data.series[seriesOf[k]].points;
            points.append({double(number), double(cell.positive), cell.name});
            points.append({double(number), cell.negative ? -double(cell.negative) : 0.0, cell.name}); // no -0
        }
    }
    return data;
}

void setUp(ChartModel &chart) {
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPixelSize(19);
    chart.BeginUpdate();
    chart.setShowLegend(true);
    chart.setShowTitle(true);
    chart.setShowXGrid(true);
    chart.setShowYGrid(true);
    chart.setTitleFont(titleFont);
    chart.setTitle(QStringLiteral("Název grafu"));
    chart.setAxisYTitle(QStringLiteral("Počet pozitivních či negativních odpovědí"));
    // The X-axis title is where the name under the mouse goes; the component's English default never shows.
    chart.setAxisXTitle(QString());
    chart.setAxisXOnePerValue(false);
    chart.setAxisXScale(1.0);
    chart.setAxisYScale(1.0);
    chart.setMonochrome(false);
    chart.setSoftColors(false);
    chart.EndUpdate();
}

void fill(ChartModel &chart, const BarChartData &data, const QString &title, bool monochrome) {
    chart.BeginUpdate();
    chart.setAxisXTitle(QString());
    chart.setTitle(title);
    chart.Clear();
    chart.setShowXLabel(true);
    chart.setMonochrome(monochrome);
    for (const BarChartSeriesData &series : data.series) {
        TChartSeries *target = chart.AddSeries(ChartSeriesKind::Bar);
        target->setCaption(series.name);
        for (const TXYInfo &point : series.points)
            target->AddXY(point.Name, point.X, point.Y);
    }
    chart.EndUpdate();
}

QString pointsCsv(const BarChartData &data) {
    QString csv = QStringLiteral("otazka,x,jmeno,pozitivni,negativni\r\n");
    for (const BarChartSeriesData &series : data.series) {
        // Points come in pairs per row: the positive count, then the negative one as a negative value.
        for (qsizetype i = 0; i + 1 < series.points.size(); i += 2) {
            const TXYInfo &up = series.points[i];
            const TXYInfo &down = series.points[i + 1];
            csv += QString::number(series.questionId) + u',' + QString::number(qint64(up.X)) + u',' +
                   csvField(up.Name) + u',' + QString::number(qint64(up.Y)) + u',' +
                   QString::number(qint64(-down.Y)) + QStringLiteral("\r\n");
        }
    }
    return csv;
}

} // namespace BarChartBuilder
