#include "app/WindowRegistry.h"

#include "app/VycisteniForm.h"
#include "questionnaires/ExchangeFile.h"

#include "app/MainForm.h"
#include "data/AppContext.h"
#include "graphics/SociogramForm.h"
#include "graphics/VlastnostiForm.h"
#include "data/DataModule.h"
#include "documents/ListinyForm.h"
#include "platform/Prompter.h"
#include "pupils/ImportZakaForm.h"
#include "questionnaires/AnswersForm.h"
#include "questionnaires/EditorForm.h"
#include "questionnaires/SessionsForm.h"
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
        {QStringLiteral("TVlastnosti_Form"),
         [](AppContext &, QWidget *main) { return new TVlastnosti_Form(main); }},
        {QStringLiteral("TEditor_Form"), [](AppContext &c, QWidget *main) { return new TEditor_Form(c, main); }},
        pendingDataModule("TImport_DM"),
        {QStringLiteral("TNastaveniDotazniku_Form"),
         [](AppContext &c, QWidget *main) { return new TNastaveniDotazniku_Form(c, main); }},
        {QStringLiteral("TDotazniky_Form"),
         [](AppContext &c, QWidget *main) {
             auto *form = new TDotazniky_Form(c, main);
             if (auto *mainForm = qobject_cast<TMain_form *>(main))
                 QObject::connect(mainForm, &TMain_form::textualEvaluationRequested, form,
                                  &TDotazniky_Form::runTextualEvaluation);
             return form;
         }},
        {QStringLiteral("TSociogram_Form"),
         [](AppContext &c, QWidget *main) {
             auto *form = new TSociogram_Form(c, main);
             if (auto *mainForm = qobject_cast<TMain_form *>(main))
                 QObject::connect(mainForm, &TMain_form::sociogramOpening, form,
                                  &TSociogram_Form::showInstructions);
             return form;
         }},
        pending("TSloupcovy_Graf_Form", "Sloupcový graf"),
        {QStringLiteral("TZaci_Form"), [](AppContext &c, QWidget *main) { return new TZaci_Form(c, main); }},
        {QStringLiteral("TDotaznik_Odpovedi_Form"),
         [](AppContext &c, QWidget *main) { return new TDotaznik_Odpovedi_Form(c, main); }},
        {QStringLiteral("TNastaveni_Otazek_Form"),
         [](AppContext &c, QWidget *main) { return new TNastaveni_Otazek_Form(c, main); }},
        {QStringLiteral("TVycisteni_Form"),
         [](AppContext &c, QWidget *main) { return new TVycisteni_Form(c, main); }},
        pending("TFtp_Form", "FTP"),
        pending("TUpload_Form", "Nahrání na FTP"),
        {QStringLiteral("TDM_IE"),
         [](AppContext &c, QWidget *main) { return new TDM_IE(*c.database, c.folders, main); }},
        {QStringLiteral("TImport_Zaka_Form"), [](AppContext &c, QWidget *main) { return new TImport_Zaka_Form(c, main); }},
        {QStringLiteral("TListiny_Form"),
         [](AppContext &c, QWidget *main) {
             auto *form = new TListiny_Form(c, main);
             // Sociogram documents open in the program's own sociogram window (made earlier).
             form->setSociogramOpener([main](const QString &path) {
                 auto *sociogram = main ? main->findChild<TSociogram_Form *>() : nullptr;
                 if (!sociogram || !sociogram->loadGraphFile(path))
                     return false;
                 sociogram->setWindowModality(Qt::ApplicationModal);
                 sociogram->show();
                 sociogram->raise();
                 return true;
             });
             return form;
         }},
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
