#include "analysis/StatusScatter.h"

#include "analysis/AnalysisTexts.h"
#include "analysis/SociometricAnalysis.h"
#include "chart/NiceTicks.h"
#include "picture/PictureExport.h"

#include <QBuffer>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

using Sociometry::Status;

// The picture is laid out in this logical size and scaled, with its proportions kept, into the area it
// is painted in, so that screen, bitmap, SVG, EMF and paper show the same picture.
constexpr double kBaseWidth = 800;
constexpr double kBaseHeight = 600;
constexpr double kPointRadius = 5;
constexpr double kLabelMaxWidth = 170;
// A bitmap larger than this is not made (4 bytes a pixel).
constexpr qint64 kMaxBitmapPixels = 20'000'000;
constexpr int kMaxSide = 131'072;

QFont arial(double pixels, bool bold = false) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(std::max(1, int(std::lround(pixels))));
    font.setBold(bold);
    return font;
}

// A colour moved towards white by `amount` (0 keeps it, 1 is white).
QColor lighter(const QColor &colour, double amount) {
    auto mix = [amount](int channel) { return int(std::lround(channel + (255 - channel) * amount)); };
    return QColor(mix(colour.red()), mix(colour.green()), mix(colour.blue()));
}

// One axis: its range and its ticks, chosen so that the ±1 lines and 0 always fall inside.
struct Axis {
    double min = -2;
    double max = 2;
    QList<double> ticks;
};

Axis axisFor(const QList<double> &values) {
    double extent = 0;
    for (double v : values)
        extent = std::max(extent, std::abs(v));
    const int reach = std::max(2, int(std::ceil(extent + 0.25)));
    const int count = reach <= 4 ? 2 * reach + 1 : 7;
    const NiceScale scale = niceTicks(count, -reach, reach);
    Axis axis;
    axis.min = scale.first;
    axis.max = scale.first + scale.step * (count - 1);
    for (int i = 0; i < count; ++i)
        axis.ticks.append(scale.first + scale.step * i);
    return axis;
}

double overlap(const QRectF &a, const QRectF &b) {
    const QRectF common = a.intersected(b);
    return common.isValid() ? common.width() * common.height() : 0.0;
}

// The part of `rect` outside `bounds`.
double outside(const QRectF &rect, const QRectF &bounds) {
    return rect.width() * rect.height() - overlap(rect, bounds);
}

// The distance from `point` to the nearest point of `rect`.
double distance(const QRectF &rect, const QPointF &point) {
    const double dx = std::max({rect.left() - point.x(), 0.0, point.x() - rect.right()});
    const double dy = std::max({rect.top() - point.y(), 0.0, point.y() - rect.bottom()});
    return std::hypot(dx, dy);
}

struct Dot {
    QPointF centre;
    QColor colour;
    QString name;
};

struct PlacedLabel {
    QRectF rect;
    QString text;
    bool leader = false; // far from its point: a thin line joins them
    QPointF point;
};

// Puts every name beside its point where it covers no other name, no point and no region label as far
// as a few candidate places allow; names of points in one spot go above and below each other. A first
// pass places the names one after another, two more move each name to its best place among the others.
QList<PlacedLabel> placeLabels(const QList<Dot> &dots, const QList<QRectF> &fixed, const QRectF &bounds,
                               const QFontMetricsF &metrics) {
    constexpr qsizetype kNear = 8;      // candidates touching the point; further ones are shifted by lines
    constexpr qsizetype kAdjacent = 12; // up to here a name still touches its point's row: no leader line
    const qsizetype n = dots.size();
    QList<QRectF> pointRects;
    QList<QList<QRectF>> candidates(n);
    QList<QString> texts(n);
    for (qsizetype i = 0; i < n; ++i) {
        const Dot &dot = dots[i];
        pointRects.append(QRectF(dot.centre - QPointF(kPointRadius + 1, kPointRadius + 1),
                                 QSizeF(2 * kPointRadius + 2, 2 * kPointRadius + 2)));
        texts[i] = metrics.elidedText(dot.name, Qt::ElideRight, kLabelMaxWidth);
        const double w = metrics.horizontalAdvance(texts[i]) + 2, h = metrics.height();
        const double r = kPointRadius + 3, d = (kPointRadius + 1) * 0.8;
        QList<QPointF> offsets = {{r, -h / 2}, {-r - w, -h / 2}, {-w / 2, -r - h}, {-w / 2, r},
                                  {d, -d - h}, {d, d},           {-d - w, -d - h}, {-d - w, d}};
        for (int k = 1; k <= 8; ++k)
            for (int sign : {-1, 1}) {
                offsets.append({r, -h / 2 + sign * k * h});
                offsets.append({-r - w, -h / 2 + sign * k * h});
            }
        for (const QPointF &offset : offsets)
            candidates[i].append(QRectF(dot.centre + offset, QSizeF(w, h)));
    }
    QList<qsizetype> chosen(n, -1);
    auto score = [&](qsizetype i, qsizetype c) {
        const QRectF &rect = candidates[i][c];
        double total = 20 * outside(rect, bounds);
        // Names keep a little space between them, so that two never read as one.
        for (qsizetype j = 0; j < n; ++j)
            if (j != i && chosen[j] >= 0)
                total += 10 * overlap(rect, candidates[j][chosen[j]]) +
                         2 * overlap(rect.adjusted(-4, -1, 4, 1), candidates[j][chosen[j]]);
        for (const QRectF &point : pointRects)
            total += 5 * overlap(rect, point);
        for (const QRectF &region : fixed)
            total += 2 * overlap(rect, region);
        // A name nearer to another point than to its own would be read as that point's name.
        const double own = distance(rect, dots[i].centre);
        for (const Dot &other : dots)
            if (other.centre != dots[i].centre && distance(rect, other.centre) < own)
                total += 400;
        // A place further away (with a leader line) is taken only when it is clearly better.
        return total + (c >= kNear ? 20.0 * double(c - kNear + 1) : 0.0);
    };
    auto place = [&](qsizetype i) {
        chosen[i] = -1;
        double best = -1;
        qsizetype bestCandidate = 0;
        for (qsizetype c = 0; c < candidates[i].size(); ++c) {
            const double s = score(i, c);
            if (best < 0 || s < best) {
                best = s;
                bestCandidate = c;
            }
            if (s == 0)
                break;
        }
        chosen[i] = bestCandidate;
    };
    for (int pass = 0; pass < 3; ++pass)
        for (qsizetype i = 0; i < n; ++i)
            place(i);
    QList<PlacedLabel> placed;
    for (qsizetype i = 0; i < n; ++i)
        placed.append({candidates[i][chosen[i]], texts[i], chosen[i] >= kAdjacent, dots[i].centre});
    return placed;
}

class ScatterPainter {
public:
    ScatterPainter(QPainter &painter, const SociometricAnalysis &analysis, const QSizeF &size)
        : m_p(painter), m_a(analysis), m_size(size) {}

    void paint();
    void paintReason(const QString &reason);

private:
    double toX(double v) const {
        return m_plot.left() + (v - m_x.min) / (m_x.max - m_x.min) * m_plot.width();
    }
    double toY(double v) const {
        return m_plot.bottom() - (v - m_y.min) / (m_y.max - m_y.min) * m_plot.height();
    }
    void legend(double top);
    void axes();
    QList<QRectF> regionLabels(const QList<Dot> &dots);

    QPainter &m_p;
    const SociometricAnalysis &m_a;
    QSizeF m_size;
    Axis m_x, m_y;
    QRectF m_plot;
};

void ScatterPainter::paintReason(const QString &reason) {
    m_p.setFont(arial(16));
    m_p.setPen(QColor(0x40, 0x40, 0x40));
    const QRectF box(40, 40, m_size.width() - 80, m_size.height() - 80);
    m_p.drawText(box, Qt::AlignCenter | Qt::TextWordWrap, reason);
}

void ScatterPainter::legend(double top) {
    const QFont font = arial(12);
    const QFontMetricsF metrics(font);
    m_p.setFont(font);
    const QList<Status> statuses = Sociometry::allStatuses();
    QStringList texts;
    double total = 0;
    for (int i = 0; i < statuses.size(); ++i) {
        const int count = m_a.group.statusCounts ? m_a.group.statusCounts->at(i) : 0;
        texts << QStringLiteral("%1 (%2)").arg(AnalysisTexts::groupName(statuses[i])).arg(count);
        total += 2 * kPointRadius + 5 + metrics.horizontalAdvance(texts.last()) +
                 (i + 1 < statuses.size() ? 18 : 0);
    }
    double x = std::max(m_plot.left(), m_plot.center().x() - total / 2);
    const double centre = top + metrics.height() / 2;
    for (int i = 0; i < statuses.size(); ++i) {
        const QColor colour = Sociometry::statusColour(statuses[i]);
        m_p.setPen(QPen(colour.darker(150), 1));
        m_p.setBrush(colour);
        m_p.drawEllipse(QPointF(x + kPointRadius, centre), kPointRadius, kPointRadius);
        x += 2 * kPointRadius + 5;
        m_p.setPen(Qt::black);
        m_p.drawText(QPointF(x, top + metrics.ascent()), texts[i]);
        x += metrics.horizontalAdvance(texts[i]) + 18;
    }
}

void ScatterPainter::axes() {
    const QFont tickFont = arial(12);
    const QFontMetricsF tickMetrics(tickFont);
    m_p.setFont(tickFont);
    m_p.setPen(QPen(Qt::black, 1));
    m_p.setBrush(Qt::NoBrush);
    for (double v : m_x.ticks) {
        const double x = toX(v);
        m_p.drawLine(QPointF(x, m_plot.bottom()), QPointF(x, m_plot.bottom() + 5));
        const QString label = AnalysisTexts::figure(v, 2);
        m_p.drawText(
            QPointF(x - tickMetrics.horizontalAdvance(label) / 2, m_plot.bottom() + 7 + tickMetrics.ascent()),
            label);
    }
    for (double v : m_y.ticks) {
        const double y = toY(v);
        m_p.drawLine(QPointF(m_plot.left() - 5, y), QPointF(m_plot.left(), y));
        const QString label = AnalysisTexts::figure(v, 2);
        m_p.drawText(QPointF(m_plot.left() - 8 - tickMetrics.horizontalAdvance(label),
                             y - tickMetrics.height() / 2 + tickMetrics.ascent()),
                     label);
    }
    const QFont titleFont = arial(14, true);
    const QFontMetricsF titleMetrics(titleFont);
    m_p.setFont(titleFont);
    const QString xTitle = QStringLiteral("Sociální preference");
    m_p.drawText(QPointF(m_plot.center().x() - titleMetrics.horizontalAdvance(xTitle) / 2,
                         m_plot.bottom() + 12 + tickMetrics.height() + titleMetrics.ascent()),
                 xTitle);
    const QString yTitle = QStringLiteral("Sociální vliv");
    m_p.save();
    m_p.translate(10, m_plot.center().y() + titleMetrics.horizontalAdvance(yTitle) / 2);
    m_p.rotate(-90);
    m_p.drawText(QPointF(0, titleMetrics.ascent()), yTitle);
    m_p.restore();
}

// The four regions' names, each inside its band (popular: sp > 1, right; rejected: sp < −1, left;
// neglected: si < −1, bottom; controversial: si > 1, top) at the place of its band's middle part that
// covers the fewest points.
QList<QRectF> ScatterPainter::regionLabels(const QList<Dot> &dots) {
    const QFont font = arial(17, true);
    const QFontMetricsF metrics(font);
    m_p.setFont(font);
    const double h = metrics.height();
    struct Region {
        Status status;
        bool vertical; // the band runs top to bottom (a left or right band)
        double edge;   // the pixel the label leans against
        bool before;   // the label lies left of / above its edge
    };
    const QList<Region> regions = {{Status::Popular, true, m_plot.right() - 6, true},
                                   {Status::Rejected, true, m_plot.left() + 6, false},
                                   {Status::Neglected, false, m_plot.bottom() - 4, true},
                                   {Status::Controversial, false, m_plot.top() + 4, false}};
    QList<QRectF> taken;
    for (const Region &region : regions) {
        const QString text = AnalysisTexts::groupName(region.status);
        const double w = metrics.horizontalAdvance(text);
        QRectF best;
        double bestScore = -1;
        for (double shift : {0.0, 0.35, -0.35, 0.7, -0.7}) {
            QRectF rect;
            if (region.vertical) {
                const double y = toY(shift);
                rect = QRectF(region.before ? region.edge - w : region.edge, y - h / 2, w, h);
            } else {
                const double x = toX(shift);
                rect = QRectF(x - w / 2, region.before ? region.edge - h : region.edge, w, h);
            }
            double score = 0;
            for (const Dot &dot : dots)
                score += overlap(rect.adjusted(-kPointRadius, -kPointRadius, kPointRadius, kPointRadius),
                                 QRectF(dot.centre, QSizeF(1, 1)));
            if (bestScore < 0 || score < bestScore) {
                bestScore = score;
                best = rect;
            }
        }
        m_p.setPen(lighter(Sociometry::statusColour(region.status), 0.25));
        m_p.drawText(QPointF(best.left(), best.top() + metrics.ascent()), text);
        taken.append(best);
    }
    return taken;
}

void ScatterPainter::paint() {
    QList<double> xs, ys;
    QList<Dot> dots;
    for (const AnalysisPupil &pupil : m_a.pupils) {
        if (!pupil.sp || !pupil.si)
            continue;
        xs.append(*pupil.sp);
        ys.append(*pupil.si);
    }
    m_x = axisFor(xs);
    m_y = axisFor(ys);

    const QFontMetricsF tickMetrics(arial(12));
    double tickWidth = 0;
    for (double v : m_y.ticks)
        tickWidth = std::max(tickWidth, tickMetrics.horizontalAdvance(AnalysisTexts::figure(v, 2)));
    const double legendHeight = QFontMetricsF(arial(12)).height();
    const double left = 10 + QFontMetricsF(arial(14, true)).height() + 8 + tickWidth + 8;
    const double bottom = 12 + tickMetrics.height() + QFontMetricsF(arial(14, true)).height() + 10;
    const double top = 12 + legendHeight + 12;
    m_plot = QRectF(left, top, std::max(10.0, m_size.width() - left - 20),
                    std::max(10.0, m_size.height() - top - bottom));

    for (const AnalysisPupil &pupil : m_a.pupils)
        if (pupil.sp && pupil.si)
            dots.append({QPointF(toX(*pupil.sp), toY(*pupil.si)),
                         Sociometry::statusColour(pupil.status.value_or(Status::Unclassified)), pupil.name});

    m_p.fillRect(m_plot, Qt::white);
    // The zero lines faintly, the ±1 lines of the groups dashed.
    m_p.setPen(QPen(QColor(0xd0, 0xd0, 0xd0), 1));
    m_p.drawLine(QPointF(toX(0), m_plot.top()), QPointF(toX(0), m_plot.bottom()));
    m_p.drawLine(QPointF(m_plot.left(), toY(0)), QPointF(m_plot.right(), toY(0)));
    m_p.setPen(QPen(QColor(0x70, 0x70, 0x70), 1.2, Qt::DashLine));
    for (double v : {-1.0, 1.0}) {
        m_p.drawLine(QPointF(toX(v), m_plot.top()), QPointF(toX(v), m_plot.bottom()));
        m_p.drawLine(QPointF(m_plot.left(), toY(v)), QPointF(m_plot.right(), toY(v)));
    }
    const QList<QRectF> regions = regionLabels(dots);

    m_p.setPen(QPen(Qt::black, 1));
    m_p.setBrush(Qt::NoBrush);
    m_p.drawRect(m_plot);
    axes();
    legend(12);

    const QFont nameFont = arial(12);
    const QFontMetricsF nameMetrics(nameFont);
    const QList<PlacedLabel> labels = placeLabels(dots, regions, m_plot.adjusted(2, 2, -2, -2), nameMetrics);
    m_p.setPen(QPen(QColor(0x90, 0x90, 0x90), 0.8));
    for (const PlacedLabel &label : labels)
        if (label.leader) {
            const QPointF end(std::clamp(label.point.x(), label.rect.left(), label.rect.right()),
                              std::clamp(label.point.y(), label.rect.top(), label.rect.bottom()));
            m_p.drawLine(label.point, end);
        }
    for (const Dot &dot : dots) {
        m_p.setPen(QPen(dot.colour.darker(150), 1));
        m_p.setBrush(dot.colour);
        m_p.drawEllipse(dot.centre, kPointRadius, kPointRadius);
    }
    m_p.setFont(nameFont);
    m_p.setPen(QColor(0x20, 0x20, 0x20));
    for (const PlacedLabel &label : labels)
        m_p.drawText(QPointF(label.rect.left() + 1, label.rect.top() + nameMetrics.ascent()), label.text);
}

QString tooLarge(const QSize &size) {
    return QStringLiteral("Obrázek %1 × %2 bodů je příliš velký: bitmapa smí mít nejvýše %3 bodů.")
        .arg(size.width())
        .arg(size.height())
        .arg(QLocale(QLocale::Czech).toString(kMaxBitmapPixels));
}

bool sizeFits(const QSize &size, bool bitmap, QString *error) {
    QString reason;
    if (size.width() < 1 || size.height() < 1)
        reason =
            QStringLiteral("Obrázek nemá žádnou plochu (%1 × %2 bodů).").arg(size.width()).arg(size.height());
    else if (size.width() > kMaxSide || size.height() > kMaxSide ||
             (bitmap && qint64(size.width()) * size.height() > kMaxBitmapPixels))
        reason = tooLarge(size);
    if (!reason.isEmpty() && error)
        *error = reason;
    return reason.isEmpty();
}

} // namespace

QSize StatusScatter::defaultSize() {
    return QSize(int(kBaseWidth), int(kBaseHeight));
}

void StatusScatter::paint(QPainter &painter, const QRectF &area, const SociometricAnalysis &analysis) {
    if (area.width() <= 0 || area.height() <= 0)
        return;
    const double scale = std::min(area.width() / kBaseWidth, area.height() / kBaseHeight);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.translate(area.topLeft());
    painter.scale(scale, scale);
    ScatterPainter scatter(painter, analysis, area.size() / scale);
    if (analysis.hasStatuses())
        scatter.paint();
    else
        scatter.paintReason(AnalysisTexts::missingStatusReason(analysis));
    painter.restore();
}

QByteArray StatusScatter::png(const SociometricAnalysis &analysis, QSize size) {
    if (!sizeFits(size, true, nullptr))
        return QByteArray();
    const QImage image =
        renderImage(size, [&](QPainter &p) { paint(p, QRectF(QPointF(0, 0), QSizeF(size)), analysis); });
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return QByteArray();
    return bytes;
}

bool StatusScatter::save(const SociometricAnalysis &analysis, const QString &path, QString *error,
                         QSize size) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("png") && suffix != QLatin1String("svg") && suffix != QLatin1String("emf")) {
        if (error)
            *error = QStringLiteral("Neznámý formát obrázku „%1“: použijte .png, .svg nebo .emf.")
                         .arg(QFileInfo(path).fileName());
        return false;
    }
    if (!sizeFits(size, suffix == QLatin1String("png"), error))
        return false;
    return savePicture(
        path, size, [&](QPainter &p) { paint(p, QRectF(QPointF(0, 0), QSizeF(size)), analysis); }, error);
}
