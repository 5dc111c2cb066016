#include "widgets/DBNavigator.h"

#include "data/Dataset.h"

#include <QHBoxLayout>
#include <QMetaEnum>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QToolButton>

namespace {

const char *const kDefaultHints[TDBNavigator::ButtonCount] = {
    "První záznam",   "Předchozí záznam", "Další záznam",  "Poslední záznam", "Vložit záznam",
    "Smazat záznam",  "Upravit záznam",   "Uložit změny",  "Zrušit změny",    "Obnovit data",
};

const char *const kCaptions[TDBNavigator::ButtonCount] = {
    "První", "Předchozí", "Další", "Poslední", "Nový", "Smazat", "Upravit", "Uložit", "Neukládat", "Obnovit",
};

// Releasing the mouse over the button with Ctrl held moves the dataset further by a fixed distance; the
// button's own click then makes its usual one-row step.
class FastMoveFilter final : public QObject
{
public:
    FastMoveFilter(TDBNavigator *navigator, int distance, QObject *parent)
        : QObject(parent), m_navigator(navigator), m_distance(distance)
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonRelease) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            auto *button = qobject_cast<QToolButton *>(watched);
            if (button && button->isEnabled() && mouse->button() == Qt::LeftButton &&
                mouse->modifiers().testFlag(Qt::ControlModifier) &&
                button->rect().contains(mouse->position().toPoint()) && m_navigator->dataset())
                m_navigator->dataset()->moveBy(m_distance);
        }
        return false;
    }

private:
    TDBNavigator *m_navigator;
    int m_distance;
};

QPixmap canvas()
{
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QIcon picture(int index)
{
    QPixmap pixmap = canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor navy(30, 60, 130);
    const QColor green(30, 140, 60);
    const QColor red(190, 40, 40);
    auto triangle = [&](bool left, qreal x) {
        QPainterPath path;
        if (left) {
            path.moveTo(x + 8, 4);
            path.lineTo(x, 11);
            path.lineTo(x + 8, 18);
        } else {
            path.moveTo(x, 4);
            path.lineTo(x + 8, 11);
            path.lineTo(x, 18);
        }
        path.closeSubpath();
        p.fillPath(path, navy);
    };
    switch (index) {
    case TDBNavigator::First:
        p.fillRect(QRectF(5, 4, 2.5, 14), navy);
        triangle(true, 9);
        break;
    case TDBNavigator::Prior:
        triangle(true, 7);
        break;
    case TDBNavigator::Next:
        triangle(false, 7);
        break;
    case TDBNavigator::Last:
        triangle(false, 5);
        p.fillRect(QRectF(14.5, 4, 2.5, 14), navy);
        break;
    case TDBNavigator::Insert:
        p.fillRect(QRectF(9.5, 4, 3, 14), green);
        p.fillRect(QRectF(4, 9.5, 14, 3), green);
        break;
    case TDBNavigator::Delete:
        p.fillRect(QRectF(4, 9.5, 14, 3), red);
        break;
    case TDBNavigator::Edit: {
        QPainterPath pencil;
        pencil.moveTo(5, 17);
        pencil.lineTo(6.5, 12.5);
        pencil.lineTo(14.5, 4.5);
        pencil.lineTo(17.5, 7.5);
        pencil.lineTo(9.5, 15.5);
        pencil.closeSubpath();
        p.fillPath(pencil, QColor(220, 150, 30));
        p.setPen(QPen(QColor(90, 60, 10), 1));
        p.drawPath(pencil);
        break;
    }
    case TDBNavigator::Post:
        p.setPen(QPen(green, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(4, 11), QPointF(9, 16), QPointF(18, 6)}));
        break;
    case TDBNavigator::Cancel:
        p.setPen(QPen(red, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5, 5), QPointF(17, 17));
        p.drawLine(QPointF(17, 5), QPointF(5, 17));
        break;
    case TDBNavigator::Refresh: {
        p.setPen(QPen(navy, 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(4, 4, 14, 14), 90 * 16, 270 * 16);
        QPainterPath head;
        head.moveTo(11, 1);
        head.lineTo(16, 4.5);
        head.lineTo(11, 8);
        head.closeSubpath();
        p.fillPath(head, navy);
        break;
    }
    default:
        break;
    }
    return QIcon(pixmap);
}

} // namespace

TDBNavigator::TDBNavigator(QWidget *parent) : QWidget(parent)
{
    m_layout = new QHBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(1);
    const QMetaEnum names = QMetaEnum::fromType<Button>();
    const QList<QIcon> pictures = navigatorPictures();
    for (int i = 0; i < ButtonCount; ++i) {
        auto *button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(names.valueToKey(i)));
        button->setIcon(pictures[i]);
        button->setIconSize(QSize(22, 22));
        button->setToolTip(QString::fromUtf8(kDefaultHints[i]));
        button->setAutoRaise(false);
        connect(button, &QToolButton::clicked, this, [this, i] { runAction(Button(i)); });
        m_buttons[std::size_t(i)] = button;
        m_layout->addWidget(button);
    }
    m_layout->addStretch(1);
    updateButtons();
}

TDBNavigator::~TDBNavigator() = default;

void TDBNavigator::setDataset(Dataset *dataset)
{
    for (const auto &connection : m_connections)
        disconnect(connection);
    m_connections.clear();
    m_dataset = dataset;
    if (dataset) {
        const auto update = [this] { updateButtons(); };
        m_connections << connect(dataset, &Dataset::stateChanged, this, update)
                      << connect(dataset, &Dataset::currentRowChanged, this, update)
                      << connect(dataset, &Dataset::resetDone, this, update)
                      << connect(dataset, &Dataset::rowInserted, this, update)
                      << connect(dataset, &Dataset::rowRemoved, this, update);
    }
    updateButtons();
}

void TDBNavigator::setVisibleButtons(const QList<Button> &buttons)
{
    for (int i = 0; i < ButtonCount; ++i)
        m_buttons[std::size_t(i)]->setVisible(buttons.contains(Button(i)));
}

QList<TDBNavigator::Button> TDBNavigator::visibleButtons() const
{
    QList<Button> buttons;
    for (int i = 0; i < ButtonCount; ++i)
        if (!m_buttons[std::size_t(i)]->isHidden())
            buttons << Button(i);
    return buttons;
}

void TDBNavigator::setHints(const QStringList &hints)
{
    for (int i = 0; i < ButtonCount && i < hints.size(); ++i)
        setHint(Button(i), hints[i]);
}

void TDBNavigator::setHint(Button button, const QString &hint)
{
    m_buttons[std::size_t(button)]->setToolTip(hint.isEmpty() ? QString::fromUtf8(kDefaultHints[button]) : hint);
}

void TDBNavigator::click(Button button)
{
    if (m_buttons[std::size_t(button)]->isEnabled())
        runAction(button);
}

void TDBNavigator::runAction(Button button)
{
    Dataset *dataset = m_dataset;
    if (!dataset)
        return;
    if (m_beforeAction && !m_beforeAction(button))
        return;
    switch (button) {
    case First:
        dataset->first();
        break;
    case Prior:
        dataset->prior();
        break;
    case Next:
        dataset->next();
        break;
    case Last:
        dataset->last();
        break;
    case Insert:
        dataset->insert();
        break;
    case Delete:
        if (!m_confirmDelete || m_confirmDelete())
            dataset->deleteRecord();
        break;
    case Edit:
        dataset->edit();
        break;
    case Post:
        dataset->post();
        break;
    case Cancel:
        dataset->cancel();
        break;
    case Refresh:
        dataset->refresh();
        break;
    }
    updateButtons();
    emit clicked(button);
}

void TDBNavigator::updateButtons()
{
    const Dataset *dataset = m_dataset;
    const bool open = dataset && dataset->isOpen();
    const bool editing = open && dataset->isEditing();
    const bool browsing = open && !editing;
    const int row = open ? dataset->currentRow() : -1;
    const int count = open ? dataset->recordCount() : 0;
    const bool hasRow = row >= 0 && count > 0;
    const bool canBack = hasRow && row > 0;
    const bool canForward = hasRow && row < count - 1;
    const bool enabled[ButtonCount] = {canBack,          canBack, canForward, canForward, browsing,
                                       browsing && hasRow, browsing && hasRow, editing, editing, browsing};
    for (int i = 0; i < ButtonCount; ++i)
        m_buttons[std::size_t(i)]->setEnabled(enabled[i]);
}

void DecorateNavigator(TDBNavigator *navigator, const QList<QIcon> &images, const QString &insertCaption,
                       bool withPictures)
{
    if (!navigator)
        return;
    for (int i = 0; i < TDBNavigator::ButtonCount; ++i) {
        QToolButton *button = navigator->button(TDBNavigator::Button(i));
        QString caption = QString::fromUtf8(kCaptions[i]);
        if (i == TDBNavigator::Insert && !insertCaption.isEmpty())
            caption = insertCaption;
        button->setText(caption);
        button->setIcon(withPictures ? images.value(i) : QIcon());
        button->setToolButtonStyle(withPictures ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonTextOnly);
    }
    // The fast move is attached once, however often the navigator is decorated.
    if (!navigator->property("orbelisFastMove").toBool()) {
        navigator->setProperty("orbelisFastMove", true);
        navigator->button(TDBNavigator::Prior)->installEventFilter(new FastMoveFilter(navigator, -5, navigator));
        navigator->button(TDBNavigator::Next)->installEventFilter(new FastMoveFilter(navigator, 5, navigator));
    }
}

QList<QIcon> navigatorPictures()
{
    QList<QIcon> pictures;
    for (int i = 0; i < TDBNavigator::ButtonCount; ++i)
        pictures << picture(i);
    return pictures;
}
