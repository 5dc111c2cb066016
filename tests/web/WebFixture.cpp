#include "web/WebFixture.h"

#include <QFile>
#include <QSaveFile>

void WebFixture::SetUp() {
    DataFixture::SetUp();
    m_class = addClass("ZŠ <Lipová>", "6.A", "Nováková");
    m_adam = addPupil(m_class, "Adam", "Velký & syn", "muž", 1);
    m_bara = addPupil(m_class, "Bára", "<b>Malá</b>", "žena", 2);
    m_cyril = addPupil(m_class, "Cyril", "Dlouhý", "muž", 3);
    m_dana = addPupil(m_class, "Dana", "Krátká", "žena", 4);
    m_nikdo = addPupil(m_class, "nikdo", QVariant(), "---", 5);
    m_a = addPupil(m_class, "a)", QVariant(), "abcde", 6);
    m_b = addPupil(m_class, "b)", QVariant(), "abcde", 7);
    m_other = addClass("ZŠ", "7.B", "Horák");
    m_stranger = addPupil(m_other, "Cizí", "Žák", "muž", 1);
    m_test = addTest("Vztahy");
    m_who = addQuestion(m_test, "S kým \"sedíš\"?", "S kým ne?", 0, 1);
    m_grade = addQuestion(m_test, "Známka?", QVariant(), 1, 2);
    m_text = addQuestion(m_test, "Co bys změnil?", QVariant(), 4, 3);
    m_db.exec(QStringLiteral("UPDATE otazky SET popis_pro_web = :d WHERE ID = :q"),
              {{"d", QStringLiteral("Vyber <nejvýš> tři.\nDěkujeme.")}, {"q", m_who}});
    m_session = addSession(m_class, m_test, "2024-03-01 00:00:00");
}

int WebFixture::startServer(QProcess &process, const QString &program, const QStringList &arguments,
                            const QProcessEnvironment &environment) {
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, arguments);
    if (!process.waitForStarted(10000))
        return 0;
    while (!process.canReadLine())
        if (!process.waitForReadyRead(10000))
            return 0;
    return process.readLine().trimmed().toInt();
}

QByteArray WebFixture::readFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WebFixture::writeFile(const QString &path, const QByteArray &content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    ASSERT_TRUE(file.commit());
}

QStringList WebFixture::answers(qint64 session) {
    QStringList rows;
    SqlQuery query(m_db,
                   QStringLiteral("SELECT id_otazky, pozitivni, id_zaka, id_partnera, coalesce(slovy, '') "
                                  "FROM odpovedi WHERE id_vyhodnoceni = :s"));
    query.bind(QStringLiteral("s"), session).exec();
    while (query.next())
        rows << QStringLiteral("%1|%2|%3|%4|")
                        .arg(query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
                             query.value(3).toString()) +
                    query.value(4).toString();
    rows.sort();
    return rows;
}
