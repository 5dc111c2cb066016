#pragma once

#include "graphics/BarChartBuilder.h"

#include <QDialog>

class ChartMetafile;
class QAction;
class QActionGroup;
class QMenu;
class QToolBar;
class QToolButton;
class TChartPanel;
class TDM;
class TEditor_Form;
struct AppContext;
struct ChartHit;

// "Sloupcový graf": the positive and negative choices every row of the class received in one session,
// one bar series per question (BarChartBuilder, shared with `orbelis-cli chart`), narrowed to one
// question or one pupil, in colour or black and white, with the name of the pupil under the mouse
// shown under the axis. Exports: pictures to disk (then offered to the word processor), to the class
// documents, the printer, the clipboard, one chart per question into the word processor, and the
// pupil list (BarChartFormExports.cpp). Created once; the main window prepares it before showing it.
class TSloupcovy_Graf_Form final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TSloupcovy_Graf_Form)
public:
    explicit TSloupcovy_Graf_Form(AppContext &context, QWidget *parent = nullptr);
    ~TSloupcovy_Graf_Form() override;

    TChartPanel *chart() const { return m_chart; }
    QMenu *sessionMenu() const { return m_sessionMenu; }
    QMenu *questionMenu() const { return m_questionMenu; }
    QMenu *pupilMenu() const { return m_pupilMenu; }
    QAction *action(const QString &objectName) const;
    // The last build that reached the chart (hover names, pupil list).
    const BarChartData &lastBuild() const { return m_data; }
    QString pupilList() const { return m_pupilList; }
    // Name in the hover table for a chart X value; empty when there is none.
    QString hoverName(double x) const;

    // The right click on "Vyhodnocení" opens this menu (the main window's answer-option rows).
    void setAnswerOptionMenu(QMenu *menu) { m_answerOptionMenu = menu; }

    // The main window's preparation: empty chart titled "Název grafu", pupil and question buttons off.
    void prepareOpening();
    // Refills the session and pupil menus (every show); no item is checked.
    void refillMenus();
    // A session item was clicked: checks it, fills the question menu, enables both buttons, builds.
    void chooseSession(QAction *item);
    // A question or pupil item was clicked: checks it and builds.
    void chooseItem(QAction *item);
    // Reads the checked items and charts them; with askTitle the teacher may change the title.
    // Database failures are shown; the chart then stays as it was.
    void BuildChart(bool askTitle = false);

    // Exports.
    QString proposedName() const;
    // The chart as a picture of the chart's size, without the hover name.
    ChartMetafile picture();
    void savePictureToDisk(const QString &suffix); // "Uložit do obrázku JPG|EMF na disk", "Uložit jako PDF"
    void savePictureToDocuments(const QString &suffix); // "Uložit do obrázku JPG|EMF do Listin", PDF likewise
    void print();                                       // "Tisk": the print preview
    void copyToClipboard();                    // "Kopírovat do schránky Windows"
    void chartsPerQuestionToWord();            // "Jednolivé grafy do Wordu"
    void copyPupilList();                      // "Zkopírovat do schránky seznam žáků"
    void runTextualSummary();                  // "Textový souhrn"

signals:
    // "Textový souhrn": the session window's textual evaluation, for the session located before.
    void textualSummaryRequested(bool anonymous);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus(class QMenuBar *menuBar);
    void buildToolBar(QToolBar *toolBar);
    void fillMenu(QMenu *menu, QActionGroup *group, const QList<BarChartMenuItem> &items);
    static QString checkedValue(const QActionGroup *group);
    void followHover(const ChartHit &hit);
    TEditor_Form *editor() const;
    void showError(const QString &text);

    AppContext &m_context;
    TDM &m_dm;
    TChartPanel *m_chart = nullptr;
    QMenu *m_sessionMenu = nullptr;
    QMenu *m_questionMenu = nullptr;
    QMenu *m_pupilMenu = nullptr;
    QActionGroup *m_sessionGroup = nullptr;
    QActionGroup *m_questionGroup = nullptr;
    QActionGroup *m_pupilGroup = nullptr;
    QToolButton *m_sessionButton = nullptr;
    QToolButton *m_questionButton = nullptr;
    QToolButton *m_pupilButton = nullptr;
    QAction *m_colour = nullptr;
    QAction *m_otherRows = nullptr;
    QAction *m_anonymous = nullptr;
    QMenu *m_answerOptionMenu = nullptr;
    BarChartData m_data;
    QVector<BarChartHoverEntry> m_hover;
    QString m_pupilList;
};
