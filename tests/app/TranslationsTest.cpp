// Qt's own texts (standard buttons, file dialogs) are Czech, also where the system's language is not.
#include "platform/Translations.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMimeDatabase>
#include <QPushButton>
#include <gtest/gtest.h>

TEST(Translations, StandardButtonsAndFileDialogsSpeakCzech) {
    ASSERT_TRUE(installQtTranslations(*qApp, QLocale(QLocale::English, QLocale::UnitedStates)));
    QDialogButtonBox box(QDialogButtonBox::Save | QDialogButtonBox::Cancel | QDialogButtonBox::Yes);
    EXPECT_EQ(box.button(QDialogButtonBox::Save)->text().remove(u'&'), QStringLiteral("Uložit"));
    EXPECT_EQ(box.button(QDialogButtonBox::Yes)->text().remove(u'&'), QStringLiteral("Ano"));

    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    const auto *fileName = dialog.findChild<QLabel *>(QStringLiteral("fileNameLabel"));
    ASSERT_NE(fileName, nullptr);
    EXPECT_FALSE(fileName->text().contains(QStringLiteral("File name"))) << fileName->text().toStdString();

    // The dialogs' dates and file kinds come from the default locale.
    EXPECT_EQ(QLocale().language(), QLocale::Czech);
    EXPECT_EQ(QLocale().toString(QDate(2026, 12, 9), QStringLiteral("d MMM")), QStringLiteral("9 pro"));
    const QString kind = QMimeDatabase().mimeTypeForName(QStringLiteral("image/jpeg")).comment();
    EXPECT_FALSE(kind.contains(QStringLiteral("image"))) << kind.toStdString();
}
