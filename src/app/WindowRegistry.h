#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class Prompter;
class QWidget;
struct AppContext;

// The windows and secondary data modules of the program, created once, hidden, in a fixed order, and
// kept until the program ends. A failure while creating one is shown and the next one is created.
class WindowRegistry final
{
public:
    using Factory = std::function<QObject *(AppContext &context, QWidget *mainWindow)>;
    struct Entry {
        QString name;
        Factory factory;
    };

    // The program's windows after the main window, in creation order.
    static QList<Entry> programWindows();
    // "Sociometrický rozbor" ("AnalysisForm"), made by the main window when it is first opened.
    static Entry analysisWindow();
    // "Srovnání vyhodnocení" ("ComparisonForm"), likewise.
    static Entry comparisonWindow();
    static Entry groupingWindow();

    void createAll(const QList<Entry> &entries, AppContext &context, QWidget *mainWindow);
    QObject *object(const QString &name) const;
    QWidget *window(const QString &name) const;
    template <class T> T *get(const QString &name) const { return qobject_cast<T *>(object(name)); }
    // Names of the objects created, in order.
    QStringList createdNames() const;

private:
    QList<QPair<QString, QPointer<QObject>>> m_objects;
};
