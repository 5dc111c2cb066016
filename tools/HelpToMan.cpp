// Build tool: one help text gives both the program's --help output and its manual page.
//   orbelis-help-to-man HELP.txt PROGRAM SUMMARY VERSION FUNCTION OUT.cpp OUT.1
//
// OUT.cpp defines `QString FUNCTION()` returning the text as it stands. OUT.1 is the roff page:
// the line "Použití: …" becomes the synopsis, text before the first heading the description, a line ending
// in ":" at the margin a section, and the indented "term   explanation" lines its entries (a long term goes
// on over lines indented a little; the explanation may start or go on over lines indented further).
#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QTextStream>
#include <cstdio>

namespace {

// Lines indented this far explain the term above them; less (but more than the entries' two blanks)
// continue a long term.
constexpr qsizetype kExplanationColumn = 16;

QString roff(QString text)
{
    text.replace(u'\\', QStringLiteral("\\e"));
    text.replace(u'-', QStringLiteral("\\-"));
    if (text.startsWith(u'.') || text.startsWith(u'\''))
        text.prepend(QStringLiteral("\\&"));
    return text;
}

QString manPage(const QStringList &lines, const QString &program, const QString &summary, const QString &version)
{
    QStringList out;
    out << QStringLiteral(".\\\" -*- coding: UTF-8 -*-")
        << QStringLiteral(".\\\" Generated from the program's help text; edit that instead.")
        << QStringLiteral(".TH %1 1 \"\" \"Orbelis %2\" \"Příručka uživatele\"").arg(program.toUpper(), version)
        << QStringLiteral(".SH JMÉNO") << QStringLiteral("%1 \\- %2").arg(roff(program), roff(summary));
    static const QRegularExpression entry(QStringLiteral("^  (\\S.*?)(?:\\s{2,}(\\S.*))?$"));
    bool inSection = false;
    bool described = false;
    bool pendingParagraph = false;
    for (const QString &line : lines) {
        if (line.startsWith(QStringLiteral("Použití: "))) {
            out << QStringLiteral(".SH POUŽITÍ") << QStringLiteral(".B %1").arg(roff(program))
                << roff(line.mid(9 + program.size()).trimmed());
            continue;
        }
        if (line.trimmed().isEmpty()) {
            pendingParagraph = true;
            continue;
        }
        if (!line.startsWith(u' ') && line.endsWith(u':')) {
            out << QStringLiteral(".SH %1").arg(roff(line.chopped(1).toUpper()));
            inSection = true;
            pendingParagraph = false;
            continue;
        }
        if (!line.startsWith(u' ')) {
            if (!inSection && !described) {
                out << QStringLiteral(".SH POPIS");
                described = true;
            } else if (pendingParagraph) {
                out << QStringLiteral(".PP");
            }
            pendingParagraph = false;
            out << roff(line.trimmed());
            continue;
        }
        pendingParagraph = false;
        const QRegularExpressionMatch m = entry.match(line);
        qsizetype indent = 0;
        while (line.at(indent) == u' ')
            ++indent;
        if (indent >= kExplanationColumn) {
            out << roff(line.trimmed());
        } else if (indent > 2 && out.last().startsWith(QStringLiteral(".B "))) {
            out.last() += u' ' + roff(line.trimmed()); // a long term goes on
        } else if (!m.hasMatch()) {
            out << roff(line.trimmed());
        } else {
            out << QStringLiteral(".TP") << QStringLiteral(".B %1").arg(roff(m.captured(1)));
            if (!m.captured(2).isEmpty())
                out << roff(m.captured(2));
        }
    }
    return out.join(u'\n') + u'\n';
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.exists() && file.open(QIODevice::ReadOnly) && file.readAll() == bytes)
        return true; // unchanged: keep the time stamp, nothing rebuilds
    file.close();
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 8) {
        std::fprintf(stderr, "usage: %s HELP.txt PROGRAM SUMMARY VERSION FUNCTION OUT.cpp OUT.1\n", argv[0]);
        return 2;
    }
    const auto arg = [argv](int i) { return QString::fromUtf8(argv[i]); };
    QFile source(arg(1));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const QString text = QString::fromUtf8(source.readAll());
    const QString delimiter = QStringLiteral("orbelis_help");
    if (text.contains(QStringLiteral(")") + delimiter)) {
        std::fprintf(stderr, "%s contains the raw-string delimiter\n", argv[1]);
        return 1;
    }
    const QString cpp = QStringLiteral("// Generated from %1; edit that file.\n#include <QString>\n\n"
                                       "QString %2()\n{\n    return QString::fromUtf8(R\"%3(%4)%3\");\n}\n")
                            .arg(arg(1).section(u'/', -1), arg(5), delimiter, text);
    const QStringList lines = text.split(u'\n');
    if (!write(arg(6), cpp.toUtf8()) || !write(arg(7), manPage(lines, arg(2), arg(3), arg(4)).toUtf8())) {
        std::fprintf(stderr, "cannot write the outputs\n");
        return 1;
    }
    return 0;
}
