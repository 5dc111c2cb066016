#include "analysis/ResultWindowParts.h"

#include "data/AppContext.h"
#include "data/DataModule.h"
#include "data/SessionOutput.h"
#include "graphics/PictureFiles.h"
#include "platform/Prompter.h"

#include <QAction>
#include <QMenu>
#include <QStandardPaths>
#include <QStyle>
#include <QTreeWidget>
#include <QWidget>

namespace {

void showError(AppContext &context, const QString &text) {
    context.prompter->message(text, QString(), Prompter::Icon::Error);
}

bool saveTo(AppContext &context, const QString &path, const ResultWindowParts::SaveRoutine &save) {
    QString error;
    if (save(path, &error))
        return true;
    showError(context, error.isEmpty() ? QStringLiteral("Soubor „%1“ nelze uložit.").arg(path) : error);
    return false;
}

} // namespace

QList<QAction *> ResultWindowParts::addOutputItems(QMenu *file, QWidget *window,
                                                   const OutputHandlers &handlers) {
    struct Item {
        const char *name;
        QString caption;
        QStyle::StandardPixmap icon;
        const std::function<void()> &handler;
        QKeySequence shortcut;
    };
    const Item items[] = {{"Ulozit_Action", QStringLiteral("Uložit…"), QStyle::SP_DialogSaveButton,
                           handlers.save, QKeySequence::Save},
                          {"UlozitListiny_Action", QStringLiteral("Uložit do Listin"), QStyle::SP_DirHomeIcon,
                           handlers.saveToDocuments, QKeySequence()},
                          {"UlozitPdf_Action", QStringLiteral("Uložit jako PDF"), QStyle::SP_DriveFDIcon,
                           handlers.savePdf, QKeySequence()},
                          {"Tisk_Action", QStringLiteral("Tisk"), QStyle::SP_FileDialogContentsView,
                           handlers.print, QKeySequence::Print}};
    QList<QAction *> actions;
    for (const Item &item : items) {
        QAction *action =
            file->addAction(window->style()->standardIcon(item.icon), item.caption, window, item.handler);
        action->setObjectName(QString::fromLatin1(item.name));
        action->setShortcut(item.shortcut);
        actions << action;
    }
    return actions;
}

QString ResultWindowParts::proposedName(const QString &title, const OutputClass &trida, const QString &questionText) {
    QStringList parts;
    for (const QString &part : {trida.skola, trida.stupen, trida.tridniUcitel, questionText})
        if (!part.trimmed().isEmpty())
            parts << part.trimmed();
    return parts.isEmpty() ? title : title + u' ' + parts.join(QStringLiteral(", "));
}

void ResultWindowParts::fillSections(QTreeWidget *tree, const QList<AnalysisTexts::SubgroupSection> &sections) {
    tree->clear();
    for (const AnalysisTexts::SubgroupSection &section : sections) {
        auto *heading = new QTreeWidgetItem(tree, {section.heading});
        QFont bold = heading->font(0);
        bold.setBold(true);
        heading->setFont(0, bold);
        if (section.lines.isEmpty()) {
            auto *none = new QTreeWidgetItem(heading, {QStringLiteral("žádné")});
            QFont italic = none->font(0);
            italic.setItalic(true);
            none->setFont(0, italic);
        }
        for (const QString &line : section.lines)
            new QTreeWidgetItem(heading, {line});
    }
    tree->expandAll();
}

void ResultWindowParts::saveAs(AppContext &context, const QString &dialogTitle, const QString &filter,
                               const QString &name, const SaveRoutine &save) {
    const QString file = PictureFiles::askFile(*context.prompter, dialogTitle, filter, QStringLiteral("docx"), name,
                                               QStandardPaths::DocumentsLocation);
    if (!file.isEmpty())
        saveTo(context, file, save);
}

void ResultWindowParts::saveToDocuments(AppContext &context, TDM &dm, const QString &name, const SaveRoutine &save) {
    const QString path = PictureFiles::forDocuments(context.folders, QStringLiteral("docx"));
    if (saveTo(context, path, save))
        dm.addClassDocument(path, name);
}
