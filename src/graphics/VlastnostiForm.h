#pragma once

#include <QDialog>

class GraphDocument;
class QPlainTextEdit;
class TGraphObject;

// "Vlastnosti": edits the text of one object of a sociogram. OK writes the text back with every line, the
// last one included, ended by CR LF; any other way of closing changes nothing.
class TVlastnosti_Form final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TVlastnosti_Form)
public:
    explicit TVlastnosti_Form(QWidget *parent = nullptr);
    ~TVlastnosti_Form() override;

    // Copies the object's text into the edit box and remembers the graph and the object.
    void edit(GraphDocument *document, TGraphObject *object);
    QPlainTextEdit *textEdit() const { return m_text; }
    // "OK": the object (found again by its ID) takes the edit box's text; the window closes.
    void applyText();
    // The text an object gets from the edit box's text.
    static QString objectText(const QString &editText);

private:
    QPlainTextEdit *m_text = nullptr;
    GraphDocument *m_document = nullptr;
    quint32 m_objectId = 0;
};
