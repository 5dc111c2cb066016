#include "chart/ChartPanel.h"

#include "chart/ChartLayouter.h"
#include "chart/ChartPainter.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

TChartPanel::TChartPanel(QWidget *parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(300, 200);
    connect(&m_model, &ChartModel::changed, this, &TChartPanel::relayout);
    relayout();
}

TChartPanel::~TChartPanel() = default;

void TChartPanel::relayout()
{
    m_layout = ChartLayouter::layout(m_model, contentsRect().size(), logicalDpiY());
    update();
}

ChartMetafile TChartPanel::CreateMetafile(int width, int height) const
{
    return ChartMetafile::create(m_model, width, height);
}

void TChartPanel::PrintChart(QPainter &painter, const QRect &rect) const
{
    ChartMetafile::printChart(m_model, painter, rect);
}

bool TChartPanel::ClientToChart(int x, int y, double &xValue, double &yValue) const
{
    return m_layout.clientToChart(QPointF(x, y), xValue, yValue);
}

ChartHit TChartPanel::HitTest(QPoint client) const
{
    return m_layout.hitTest(QPointF(client));
}

QPoint TChartPanel::toClient(QPointF widgetPos) const
{
    return widgetPos.toPoint() - contentsRect().topLeft();
}

void TChartPanel::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setClipRect(contentsRect());
    painter.translate(contentsRect().topLeft());
    ChartPainter::paint(painter, m_layout);

    // The X-axis title (the name under the mouse) at the bottom, under the plot.
    const QString title = m_model.AxisXTitle();
    if (!title.isEmpty() && !m_layout.plot.isEmpty()) {
        painter.setFont(m_layout.font);
        const QFontMetrics fm(m_layout.font);
        const int height = fm.height() + 4;
        const int width = std::min(m_layout.plot.width(), fm.horizontalAdvance(title) + 8);
        const QRect box(m_layout.plot.x() + (m_layout.plot.width() - width) / 2,
                        m_layout.size.height() - height - 2, width, height);
        painter.fillRect(box, m_layout.background);
        painter.setPen(Qt::black);
        painter.drawText(box, Qt::AlignCenter, title);
    }
}

void TChartPanel::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    if (!m_model.IsUpdating())
        relayout();
}

void TChartPanel::mouseMoveEvent(QMouseEvent *event)
{
    emit chartHover(m_layout.hitTest(QPointF(toClient(event->position()))));
    QFrame::mouseMoveEvent(event);
}
