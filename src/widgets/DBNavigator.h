#pragma once

#include "data/Dataset.h"

#include <QIcon>
#include <QList>
#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>

class QHBoxLayout;
class QToolButton;

// A record navigator: ten buttons that move through and edit a Dataset.
//
// Use:
//     auto *nav = new TDBNavigator(this);
//     nav->setObjectName("DBNavigator1");
//     nav->setDataset(&dm.Zak_Query());
//     nav->setVisibleButtons({TDBNavigator::Insert, TDBNavigator::Delete, TDBNavigator::Edit,
//                             TDBNavigator::Post, TDBNavigator::Cancel});
//     nav->setHints({"", "", "", "", "Vložit - ctrl+ n", "Smazat", "Editovat", "Uložit - ctrl + s", "Storno", ""});
//     DecorateNavigator(nav, navigatorPictures(), "Nový žák", true);
//
// Each button calls the dataset's first/prior/next/last/insert/deleteRecord/edit/post/cancel/refresh.
// Buttons are enabled by the dataset's state: nothing while it is closed; moving by the position of the
// current row; insert, edit (a row needed), delete (a row needed) and refresh while browsing; post and
// cancel while inserting or editing. The navigator asks nothing before deleting (the data module's rules
// do); setDeleteConfirmation() adds a question when a window wants one. setBeforeAction() lets a window
// veto a button (return false); clicked() reports every button after its action ran.
// The buttons' objectNames are "First", "Prior", "Next", "Last", "Insert", "Delete", "Edit", "Post",
// "Cancel", "Refresh" (find them with navigator->findChild<QToolButton *>("Next")).
class TDBNavigator final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TDBNavigator)
public:
    enum Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh };
    Q_ENUM(Button)
    static constexpr int ButtonCount = 10;

    explicit TDBNavigator(QWidget *parent = nullptr);
    ~TDBNavigator() override;

    void setDataset(Dataset *dataset);
    Dataset *dataset() const { return m_dataset; }

    void setVisibleButtons(const QList<Button> &buttons);
    QList<Button> visibleButtons() const;
    // Hints (tooltips) of the ten buttons in button order; an empty text keeps the default hint.
    void setHints(const QStringList &hints);
    void setHint(Button button, const QString &hint);

    QToolButton *button(Button button) const { return m_buttons[std::size_t(button)]; }
    // Runs the button's action as a click does (nothing when the button is disabled).
    void click(Button button);

    void setBeforeAction(std::function<bool(Button)> beforeAction) { m_beforeAction = std::move(beforeAction); }
    void setDeleteConfirmation(std::function<bool()> confirm) { m_confirmDelete = std::move(confirm); }

    // Brings the enabled states up to date (also done on every change of the dataset).
    void updateButtons();

signals:
    void clicked(TDBNavigator::Button button);

private:
    void runAction(Button button);

    QPointer<Dataset> m_dataset;
    std::array<QToolButton *, ButtonCount> m_buttons{};
    QList<QMetaObject::Connection> m_connections;
    std::function<bool(Button)> m_beforeAction;
    std::function<bool()> m_confirmDelete;
    QHBoxLayout *m_layout = nullptr;
};

// Dresses the ten buttons of a navigator: captions "První", "Předchozí", "Další", "Poslední", "Nový" (or
// insertCaption when not empty), "Smazat", "Upravit", "Uložit", "Neukládat", "Obnovit"; with pictures, the
// picture at the button's index in images, placed above the caption, else no picture; and the fast move:
// releasing the mouse over "Předchozí" or "Další" with Ctrl held moves 5 rows further back or forward
// besides the button's own step.
void DecorateNavigator(TDBNavigator *navigator, const QList<QIcon> &images, const QString &insertCaption,
                       bool withPictures);

// The ten 22 × 22 pictures of the navigator buttons, drawn by the program, in button order.
QList<QIcon> navigatorPictures();
