#include "data/Cascade.h"
#include "platform/QtPrompter.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QMessageBox *openBox() { return qobject_cast<QMessageBox *>(QApplication::activeModalWidget()); }

QPushButton *button(QMessageBox *box, const QString &caption) {
    for (QAbstractButton *b : box->buttons())
        if (b->text() == caption)
            return qobject_cast<QPushButton *>(b);
    return nullptr;
}

// The same text twice, so that two equal boxes would stand on the same spot.
const QString kQuestion = QStringLiteral("Klikli jste, že si přejete odstranit žáka. Určitě to chcete udělat?");

TEST(ConfirmationBoxes, TheSecondHalfOfADoubleClickOrASecondEnterAnswersNothing) {
    QtPrompter prompter;
    QPoint spot;
    QString captionOnSpot;
    bool openAfterHastyInput = false;
    QTimer::singleShot(0, [&] {
        QMessageBox *first = openBox();
        ASSERT_NE(first, nullptr);
        QPushButton *yes = button(first, QStringLiteral("Ano"));
        spot = yes->mapToGlobal(yes->rect().center());
        QTest::mouseClick(yes, Qt::LeftButton);
        // The second click of the double-click lands where the first "Ano" was, on whatever stands there now.
        QTimer::singleShot(0, [&] {
            QMessageBox *second = openBox();
            ASSERT_NE(second, nullptr);
            ASSERT_NE(second, first);
            QWidget *target = second->childAt(second->mapFromGlobal(spot));
            if (auto *pushButton = qobject_cast<QPushButton *>(target))
                captionOnSpot = pushButton->text();
            QWidget *receiver = target ? target : second;
            QTest::mouseClick(receiver, Qt::LeftButton, {}, receiver->mapFromGlobal(spot));
            QTest::keyClick(second, Qt::Key_Return);
            QTest::keyClick(button(second, QStringLiteral("Ano")), Qt::Key_Space);
            openAfterHastyInput = second->isVisible();
            // Later, Enter takes the default answer.
            QTimer::singleShot(Prompter::kSecondQuestionGuardMs + 150, [box = QPointer<QMessageBox>(second)] {
                if (box)
                    QTest::keyClick(box, Qt::Key_Return);
            });
        });
    });
    EXPECT_FALSE(Cascade::confirmTwice(prompter, QStringLiteral("Odstranění žáka"), kQuestion, kQuestion));
    EXPECT_TRUE(openAfterHastyInput);
    EXPECT_NE(captionOnSpot, QStringLiteral("Ano"));
}

TEST(ConfirmationBoxes, ADeliberateAnoOnTheSecondQuestionConfirms) {
    QtPrompter prompter;
    QTimer::singleShot(0, [] {
        QTest::mouseClick(button(openBox(), QStringLiteral("Ano")), Qt::LeftButton);
        QTimer::singleShot(Prompter::kSecondQuestionGuardMs + 150,
                           [] { QTest::mouseClick(button(openBox(), QStringLiteral("Ano")), Qt::LeftButton); });
    });
    EXPECT_TRUE(Cascade::confirmTwice(prompter, QStringLiteral("Odstranění žáka"), kQuestion, kQuestion));
}

TEST(ConfirmationBoxes, ALongNameWrapsInsideTheScreen) {
    QtPrompter prompter;
    int width = 0, screenWidth = 0;
    QTimer::singleShot(0, [&] {
        QMessageBox *box = openBox();
        width = box->frameGeometry().width();
        screenWidth = box->screen()->availableGeometry().width();
        box->reject();
    });
    prompter.askYesNo(QStringLiteral("Klikli jste, že si přejete odstranit třídu %1. Určitě to chcete udělat?")
                          .arg(QString(250, QChar(u'Š'))),
                      QStringLiteral("Odstranění třídy"), Prompter::Icon::Question);
    EXPECT_GT(width, 0);
    EXPECT_LE(width, screenWidth);
}

} // namespace
