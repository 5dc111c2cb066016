#include "app/WindowRegistry.h"

#include "data/AppContext.h"
#include "data/DataModule.h"
#include "platform/Prompter.h"
#include "pupils/ImportZakaForm.h"
#include "questionnaires/EditorForm.h"
#include "questionnaires/QuestionnairesForm.h"
#include "questionnaires/QuestionsForm.h"
#include "pupils/ZaciForm.h"
#include "pupils/ZakForm.h"

#include <QDialog>
#include <QLabel>
#include <QVBoxLayout>
#include <exception>

namespace {

// A window whose content is not built yet: it exists, has its name and caption, and says so when shown.
QObject *pendingWindow(const QString &name, const QString &caption, QWidget *mainWindow)
{
    auto *dialog = new QDialog(mainWindow);
    dialog->setObjectName(name);
    dialog->setWindowTitle(caption);
    auto *layout = new QVBoxLayout(dialog);
    layout->addWidget(new QLabel(QStringLiteral("Tato část programu se teprve připravuje."), dialog));
    dialog->resize(420, 120);
    return dialog;
}

QObject *pendingModule(const QString &name, QWidget *mainWindow)
{
    auto *module = new QObject(mainWindow);
    module->setObjectName(name);
    return module;
}

WindowRegistry::Entry pending(const char *name, const char *caption)
{
    const QString n = QString::fromLatin1(name);
    const QString c = QString::fromUtf8(caption);
    return {n, [n, c](AppContext &, QWidget *main) { return pendingWindow(n, c, main); }};
}

WindowRegistry::Entry pendingDataModule(const char *name)
{
    const QString n = QString::fromLatin1(name);
    return {n, [n](AppContext &, QWidget *main) { return pendingModule(n, main); }};
}

} // namespace

QList<WindowRegistry::Entry> WindowRegistry::programWindows()
{
    return {
        {QStringLiteral("TZak_Form"), [](AppContext &c, QWidget *main) { return new TZak_Form(c, main); }},
        pending("TVlastnosti_Form", "Vlastnosti"),
        {QStringLiteral("TEditor_Form"), [](AppContext &c, QWidget *main) { return new TEditor_Form(c, main); }},
        pendingDataModule("TImport_DM"),
        {QStringLiteral("TNastaveniDotazniku_Form"),
         [](AppContext &c, QWidget *main) { return new TNastaveniDotazniku_Form(c, main); }},
        pending("TDotazniky_Form", "Dotazníky"),
        pending("TSociogram_Form", "Sociogram"),
        pending("TSloupcovy_Graf_Form", "Sloupcový graf"),
        {QStringLiteral("TZaci_Form"), [](AppContext &c, QWidget *main) { return new TZaci_Form(c, main); }},
        pending("TDotaznik_Odpovedi_Form", "Odpovědi"),
        {QStringLiteral("TNastaveni_Otazek_Form"),
         [](AppContext &c, QWidget *main) { return new TNastaveni_Otazek_Form(c, main); }},
        pending("TVycisteni_Form", "Vyčištění databáze"),
        pending("TFtp_Form", "FTP"),
        pending("TUpload_Form", "Nahrání na FTP"),
        pendingDataModule("TDM_IE"),
        {QStringLiteral("TImport_Zaka_Form"), [](AppContext &c, QWidget *main) { return new TImport_Zaka_Form(c, main); }},
        pending("TListiny_Form", "Listiny"),
    };
}

void WindowRegistry::createAll(const QList<Entry> &entries, AppContext &context, QWidget *mainWindow)
{
    for (const Entry &entry : entries) {
        try {
            QObject *object = entry.factory(context, mainWindow);
            if (auto *widget = qobject_cast<QWidget *>(object))
                widget->hide();
            if (context.dm)
                context.dm->watchWindow(object);
            m_objects.append({entry.name, object});
        } catch (const std::exception &e) {
            context.prompter->message(QString::fromUtf8(e.what()), QString(), Prompter::Icon::Error);
        }
    }
}

QObject *WindowRegistry::object(const QString &name) const
{
    for (const auto &[n, object] : m_objects)
        if (n == name)
            return object;
    return nullptr;
}

QWidget *WindowRegistry::window(const QString &name) const { return qobject_cast<QWidget *>(object(name)); }

QStringList WindowRegistry::createdNames() const
{
    QStringList names;
    for (const auto &entry : m_objects)
        names << entry.first;
    return names;
}
