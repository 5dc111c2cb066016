#pragma once

#include "data/DataFixture.h"

#include <QProcess>
#include <QStandardPaths>
#include <memory>

// A class with a questionnaire of every kind and a session, for the web forms; helpers for the outside
// peers the tests talk to.
class WebFixture : public DataFixture {
protected:
    void SetUp() override;

    // A program the test needs, or empty: the test then skips.
    static QString tool(const QString &path) { return QFileInfo(path).isExecutable() ? path : QString(); }
    // Starts a process that prints its port on the first line; the port, or 0.
    static int startServer(QProcess &process, const QString &program, const QStringList &arguments,
                           const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
    static QByteArray readFile(const QString &path);
    static void writeFile(const QString &path, const QByteArray &content);
    // The answers of a session as "question|polarity|respondent|partner|text" lines, sorted.
    QStringList answers(qint64 session);

    qint64 m_class = 0, m_other = 0, m_test = 0, m_session = 0;
    qint64 m_adam = 0, m_bara = 0, m_cyril = 0, m_dana = 0, m_nikdo = 0, m_a = 0, m_b = 0, m_stranger = 0;
    qint64 m_who = 0, m_grade = 0, m_text = 0;
};
