// Exports of the bar-chart window: pictures, PDF, class documents, print preview, clipboard, word processor
// and the pupil list. Every picture is the chart drawn for the chart's size (CreateMetafile), never a screen
// grab.
#include "graphics/BarChartForm.h"

#include "automation/ShowDocument.h"
#include "automation/WordProcessor.h"
#include "chart/ChartPanel.h"
#include "data/AppContext.h"
#include "data/DataModule.h"
#include "graphics/BarChartWord.h"
#include "graphics/PictureFiles.h"
#include "graphics/PrintPreview.h"
#include "picture/PagedDocument.h"
#include "picture/PictureExport.h"
#include "platform/Prompter.h"
#include "questionnaires/EditorForm.h"
#include "widgets/ShowInFront.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QPainter>
#include <QTextEdit>

// The name the last build proposes for files and documents (before any build, just "Graf").
QString TSloupcovy_Graf_Form::proposedName() const {
    return m_data.proposedName.isEmpty() ? QStringLiteral("Graf") : m_data.proposedName;
}

ChartMetafile TSloupcovy_Graf_Form::picture() {
    // The hover name is not part of a picture; it comes back when the mouse moves over the chart.
    m_chart->setAxisXTitle(QString());
    const QSize size = m_chart->contentsRect().size();
    return m_chart->CreateMetafile(size.width(), size.height());
}

void TSloupcovy_Graf_Form::savePictureToDisk(const QString &suffix) {
    m_chart->setAxisXTitle(QString());
    const QString fileName = PictureFiles::ask(*m_context.prompter, suffix, proposedName());
    if (fileName.isEmpty())
        return;
    QString error;
    if (!picture().save(fileName, &error, windowTitle())) {
        showError(error);
        return;
    }
    if (suffix == QLatin1String("pdf") ||
        !m_context.prompter->askYesNo(QStringLiteral("Přejete si graf poslat do wordu?"),
                                      QStringLiteral("Word"), Prompter::Icon::Question))
        return;
    WordProcessor word;
    if (!BarChartWord::placeSavedPicture(word, fileName, &error) || !showDocument(word, *m_context.shell, &error))
        showError(error);
}

void TSloupcovy_Graf_Form::savePictureToDocuments(const QString &suffix) {
    const QString path = PictureFiles::forDocuments(m_context.folders, suffix);
    QString error;
    if (!picture().save(path, &error, windowTitle())) {
        showError(error);
        return;
    }
    m_dm.addClassDocument(path, proposedName());
}

void TSloupcovy_Graf_Form::print() {
    const ChartMetafile chart = picture();
    PrintPreview::open(
        *m_context.prompter, this,
        PagedDocuments::pictures(windowTitle(), QPageLayout::Landscape,
                                 {PagePicture{chart.size(), [chart](QPainter &p) { chart.paint(p); }}}),
        QStringLiteral("SloupcovyGraf_Nahled"));
}

void TSloupcovy_Graf_Form::copyToClipboard() {
    const ChartMetafile chart = picture();
    QApplication::clipboard()->setMimeData(pictureMimeData(chart.toImage(), chart.toSvg(), chart.toEmf()));
}

void TSloupcovy_Graf_Form::chartsPerQuestionToWord() {
    if (!m_context.prompter->askYesNo(QStringLiteral("Přejete si grafy odeslat do Wordu?"), QStringLiteral("Word"),
                                      Prompter::Icon::Question))
        return;
    WordProcessor word;
    word.setLandscape(true);
    QString error;
    // Every item of "Konkrétní otázka" in turn, "Všechny otázky" first: the chart is rebuilt for it and
    // goes into the document. The menu is left on its last item.
    const QList<QAction *> items = m_questionMenu->actions();
    for (QAction *item : items) {
        if (item->isSeparator())
            continue;
        chooseItem(item);
        if (!BarChartWord::appendChart(word, picture(), &error)) {
            showError(error);
            break;
        }
    }
    if (!showDocument(word, *m_context.shell, &error))
        showError(error);
}

TEditor_Form *TSloupcovy_Graf_Form::editor() const {
    QWidget *main = parentWidget();
    return main ? main->findChild<TEditor_Form *>(QStringLiteral("TEditor_Form"), Qt::FindDirectChildrenOnly)
                : nullptr;
}

void TSloupcovy_Graf_Form::copyPupilList() {
    QApplication::clipboard()->setText(m_pupilList);
    if (TEditor_Form *form = editor())
        form->showPlainText(m_pupilList);
}

void TSloupcovy_Graf_Form::runTextualSummary() {
    // The session of the chart becomes the current one before the evaluation reads it.
    if (const QAction *session = m_sessionGroup->checkedAction())
        m_dm.Vyhodnoceni_Query().locate(QStringLiteral("ID"), session->property("Value"));
    emit textualSummaryRequested(m_anonymous->isChecked());
}
