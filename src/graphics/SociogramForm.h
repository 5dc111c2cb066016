#pragma once

#include "graphics/SociogramBuilder.h"

#include <QDialog>
#include <QPointer>
#include <functional>

class GraphDocument;
class QAction;
class QActionGroup;
class QMenu;
class QToolBar;
class QToolButton;
class SessionQuestionMenus;
class TGraphCanvas;
class TGraphObject;
class TDM;
class TVlastnosti_Form;
struct AppContext;

// "Sociogram": builds the sociogram of one question of one session (SociogramBuilder), lets the teacher
// edit it by hand, saves and opens graph files, exports JPEG and EMF pictures to disk or to the class
// documents, prints and copies it. Created once, shown modally by the main window, which fills the canvas
// with the instruction boxes first (showInstructions).
//
// Hand edits (colour, new object, deletion, relations, text, arrangement) are steps of the canvas's undo
// stack next to its own moves and resizes; Ctrl+Z undoes them. Building a sociogram or opening a file
// starts a new history.
class TSociogram_Form final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TSociogram_Form)
public:
    TSociogram_Form(AppContext &context, QWidget *parent = nullptr);
    ~TSociogram_Form() override;

    TGraphCanvas *canvas() const { return m_canvas; }
    GraphDocument &document() const;
    SociogramBuilder &builder() { return m_builder; }
    QMenu *sessionMenu() const;
    QMenu *questionMenu() const;
    QMenu *relationMenu() const { return m_relationMenu; }
    QMenu *koeficientMenu() const { return m_koeficientMenu; }
    // "Zachovat rozmístění podle…" ("ZachovatRozmisteni_Popup"): the other sessions of the class and
    // "Nezachovávat".
    QMenu *keptLayoutMenu() const { return m_keptLayoutMenu; }
    QAction *action(const QString &objectName) const;

    // Empties the canvas and puts the instruction boxes in (the main window's opening).
    void showInstructions();
    // Empties both choice menus and fills the session menu again (every show).
    void refillSessionMenu();
    // A session item was clicked: checks it and fills the question menu.
    void chooseSession(QAction *item);
    // A question item was clicked: checks it and builds the sociogram; database failures are shown.
    void chooseQuestion(QAction *item);
    // A koeficient item was clicked: checks it and, when the user agrees, arranges again.
    void chooseKoeficient(QAction *item);
    // "Obarvit podle sociometrického statusu" was clicked: later builds colour the bubble frames by status or
    // not, and the sociogram on the canvas gets or loses the colouring as one undoable step. On a graph that
    // is no built sociogram (read from a file) only taking it off works; turning it on says so.
    void showStatusColours(bool on);
    // "Obarvit podle skupin": the same with the frames in the colours of the groups last shown for the
    // session in "Rozdělení do skupin".
    void showGroupColours(bool on);
    // Fills "Zachovat rozmístění podle…" with the sessions of the class other than the one chosen in
    // "Vyhodnocení" (every show, every session click, every opening of the menu); a kept session that is no
    // longer listed is let go ("Nezachovávat" is checked).
    void refillKeptLayoutMenu();
    // An item of "Zachovat rozmístění podle…" was clicked: later builds keep the layout of that session (or
    // none), and the sociogram on the canvas is built again so.
    void keepLayoutOf(QAction *item);
    // "Zapamatovat rozmístění": stores the places of the built sociogram's bubbles for later sociograms that
    // keep its layout; on a graph that is no built sociogram, says so.
    void rememberLayout();
    // "Ukázat zaniklé vazby": later builds that keep a layout draw the lost ties or not, and the sociogram on
    // the canvas gets or loses them as one undoable step.
    void showLostTies(bool on);
    // "Uspořádat náhodně" and "Uspořádat přehledně": one undoable step each, after which the window shows the
    // whole sociogram; later builds use the arrangement last chosen.
    void arrange();
    void arrangeClearly();
    // "Přizpůsobit oknu" (Ctrl+0), also after every build and arrangement: the whole sociogram in view.
    void fitToWindow();
    void recolourSelection();                     // "Barva"
    void addObject();                             // "Nový objekt"
    void deleteSelection();                       // "Smazat objekt", Delete
    void addRelation(SociogramRelation relation); // "Vztahy"
    void zoomBy(int delta);                       // "Přiblížit" +10, "Oddálit" -10
    void editText(TGraphObject *object);          // double click: text of the first selected object
    void openGraph();                             // "Otevřít zdrojová data"
    // Loads a graph file into the canvas at zoom 100 in select mode, for the next save too, and names the
    // window after it; a failure is shown and leaves the canvas as it was. (Also the class documents'
    // way of opening a ".sgp" document before they show this window.)
    bool loadGraphFile(const QString &fileName);
    // Loads a graph file and shows the window with it over the main window (a ".sgp" class document, a
    // file given on the command line); false when the file could not be read (shown to the user).
    bool openGraphFile(const QString &fileName);
    void saveGraph();                                   // "Uložit zdrojová data na disk"
    void saveGraphToDocuments();                        // "Uložit zdrojová data do Listin"
    void savePicture(const QString &suffix);            // "Uložit do obrázku JPG|EMF na disk"
    void savePictureToDocuments(const QString &suffix); // "… do Listin"
    void print();                                       // "Tisk"
    void copyToClipboard();                             // canvas menu "Kopírovat do schránky Windows"
    // True when the graph may be replaced or the window closed: no hand edits since the last build, load or
    // save, or the teacher saved them ("Ano") or let them go ("Ne"); false for "Zrušit" or a failed save.
    bool mayDiscardEdits();
    // Esc and the window's close button ask first about unsaved hand edits.
    void reject() override;
    // "Sociogram " + school, grade, teacher and the question text of the last build.
    QString proposedPictureName() const;
    TVlastnosti_Form *propertiesForm();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildToolBar(QToolBar *toolBar);
    void buildMenus(class QMenuBar *menuBar);
    // Runs a change of the graph by hand as one undoable step.
    void handEdit(const QString &text, const std::function<void()> &change);
    void setFileCaption(const QString &fileName);
    void showError(const QString &text);
    // After an undo or redo the status item tells whether the built sociogram shows the colouring.
    void followStatusColours();
    // Saves the graph to a file the teacher picks; false when cancelled or failed (shown).
    bool saveGraphAs();
    // A sociogram saved to the class documents remembers its layout; a failure is shown, the save stands.
    void rememberSavedLayout();

    AppContext &m_context;
    TDM &m_dm;
    SociogramBuilder m_builder;
    TGraphCanvas *m_canvas = nullptr;
    SessionQuestionMenus *m_menus = nullptr; // "Vyhodnocení" and "Otázka"
    QMenu *m_relationMenu = nullptr;
    QMenu *m_koeficientMenu = nullptr;
    QActionGroup *m_koeficientGroup = nullptr;
    QAction *m_statusItem = nullptr; // "Obarvit podle sociometrického statusu"
    QAction *m_groupItem = nullptr;  // "Obarvit podle skupin"
    void showFrames(SociogramStatusColours::Kind kind, bool on);
    QMenu *m_keptLayoutMenu = nullptr;
    QActionGroup *m_keptLayoutGroup = nullptr;
    QAction *m_lostTiesItem = nullptr; // "Ukázat zaniklé vazby"
    QString m_graphFileName = QStringLiteral("Untitled");
    TVlastnosti_Form *m_properties = nullptr;
    QPointer<QAction> m_shownQuestion; // the question item of the sociogram on the canvas
};
