#include "app/WindowRegistry.h"

#include "app/VycisteniForm.h"
#include "questionnaires/ExchangeFile.h"

#include "analysis/AnalysisForm.h"
#include "analysis/ComparisonForm.h"
#include "analysis/grouping/GroupingForm.h"
#include "app/MainForm.h"
#include "data/AppContext.h"
#include "data/DataModule.h"
#include "documents/ListinyForm.h"
#include "graphics/BarChartForm.h"
#include "graphics/SociogramForm.h"
#include "graphics/VlastnostiForm.h"
#include "platform/Prompter.h"
#include "pupils/ImportZakaForm.h"
#include "pupils/ZaciForm.h"
#include "pupils/ZakForm.h"
#include "questionnaires/AnswersForm.h"
#include "questionnaires/EditorForm.h"
#include "questionnaires/QuestionnairesForm.h"
#include "questionnaires/QuestionsForm.h"
#include "questionnaires/SessionsForm.h"
#include "web/FtpForm.h"
#include "web/UploadForm.h"

#include <exception>

namespace {

// The import data module keeps its place in the creation order; it holds nothing of its own, since the
// result import runs through ResultImport on the data module's connection.
WindowRegistry::Entry importDataModule()
{
    return {QStringLiteral("TImport_DM"), [](AppContext &, QWidget *main) {
                auto *module = new QObject(main);
                module->setObjectName(QStringLiteral("TImport_DM"));
                return module;
            }};
}

} // namespace

QList<WindowRegistry::Entry> WindowRegistry::programWindows()
{
    return {
        {QStringLiteral("TZak_Form"), [](AppContext &c, QWidget *main) { return new TZak_Form(c, main); }},
        {QStringLiteral("TVlastnosti_Form"),
         [](AppContext &, QWidget *main) { return new TVlastnosti_Form(main); }},
        {QStringLiteral("TEditor_Form"), [](AppContext &c, QWidget *main) { return new TEditor_Form(c, main); }},
        importDataModule(),
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
        {QStringLiteral("TSloupcovy_Graf_Form"),
         [](AppContext &c, QWidget *main) {
             auto *form = new TSloupcovy_Graf_Form(c, main);
             if (auto *mainForm = qobject_cast<TMain_form *>(main)) {
                 QObject::connect(mainForm, &TMain_form::barChartOpening, form,
                                  &TSloupcovy_Graf_Form::prepareOpening);
                 form->setAnswerOptionMenu(mainForm->answerOptionMenu());
             }
             // "Textový souhrn" runs the session window's textual evaluation (that window is made earlier),
             // anonymously when the chart is.
             if (auto *sessions = main ? main->findChild<TDotazniky_Form *>() : nullptr)
                 QObject::connect(form, &TSloupcovy_Graf_Form::textualSummaryRequested, sessions,
                                  &TDotazniky_Form::runTextualSummary);
             return form;
         }},
        {QStringLiteral("TZaci_Form"), [](AppContext &c, QWidget *main) { return new TZaci_Form(c, main); }},
        {QStringLiteral("TDotaznik_Odpovedi_Form"),
         [](AppContext &c, QWidget *main) { return new TDotaznik_Odpovedi_Form(c, main); }},
        {QStringLiteral("TNastaveni_Otazek_Form"),
         [](AppContext &c, QWidget *main) { return new TNastaveni_Otazek_Form(c, main); }},
        {QStringLiteral("TVycisteni_Form"),
         [](AppContext &c, QWidget *main) { return new TVycisteni_Form(c, main); }},
        {QStringLiteral("TFtp_Form"), [](AppContext &c, QWidget *main) { return new TFtp_Form(c, main); }},
        {QStringLiteral("TUpload_Form"), [](AppContext &c, QWidget *main) { return new TUpload_Form(c, main); }},
        {QStringLiteral("TDM_IE"),
         [](AppContext &c, QWidget *main) { return new TDM_IE(*c.database, c.folders, main); }},
        {QStringLiteral("TImport_Zaka_Form"), [](AppContext &c, QWidget *main) { return new TImport_Zaka_Form(c, main); }},
        {QStringLiteral("TListiny_Form"),
         [](AppContext &c, QWidget *main) {
             auto *form = new TListiny_Form(c, main);
             // Sociogram documents open in the program's own sociogram window (made earlier).
             form->setSociogramOpener([main](const QString &path) {
                 auto *sociogram = main ? main->findChild<TSociogram_Form *>() : nullptr;
                 return sociogram && sociogram->openGraphFile(path);
             });
             return form;
         }},
    };
}

WindowRegistry::Entry WindowRegistry::analysisWindow()
{
    return {QStringLiteral("AnalysisForm"), [](AppContext &c, QWidget *main) { return new AnalysisForm(c, main); }};
}

WindowRegistry::Entry WindowRegistry::groupingWindow() {
    return {QStringLiteral("GroupingForm"),
            [](AppContext &c, QWidget *main) { return new GroupingForm(c, main); }};
}

WindowRegistry::Entry WindowRegistry::comparisonWindow()
{
    return {QStringLiteral("ComparisonForm"), [](AppContext &c, QWidget *main) { return new ComparisonForm(c, main); }};
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
