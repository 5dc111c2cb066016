#pragma once

#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QTest>
#include <QWidget>

// The page count of the print preview `name` that a window opened over `parent` (-1 when it opened none),
// read once the preview has painted its pages; the preview is closed.
inline int previewPageCount(QWidget *parent, const char *name) {
    auto *preview = parent->findChild<QPrintPreviewDialog *>(QString::fromLatin1(name));
    if (!preview || !preview->isVisible())
        return -1;
    auto *pages = preview->findChild<QPrintPreviewWidget *>();
    const bool painted = pages && QTest::qWaitFor([pages] { return pages->pageCount() > 0; }, 5000);
    const int count = painted ? pages->pageCount() : -1;
    preview->reject();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return count;
}
