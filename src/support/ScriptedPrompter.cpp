#include "support/ScriptedPrompter.h"

ScriptedPrompter &ScriptedPrompter::answer(const QVariant &value)
{
    m_answers.append({value, false});
    return *this;
}

ScriptedPrompter &ScriptedPrompter::hastyYes()
{
    m_answers.append({true, true});
    return *this;
}

QStringList ScriptedPrompter::messages() const
{
    QStringList texts;
    for (const Prompt &prompt : m_prompts)
        if (prompt.kind == QLatin1String("message"))
            texts << prompt.text;
    return texts;
}

QStringList ScriptedPrompter::questions() const
{
    QStringList texts;
    for (const Prompt &prompt : m_prompts)
        if (prompt.kind == QLatin1String("yesno") || prompt.kind == QLatin1String("yesnoAgain"))
            texts << prompt.text;
    return texts;
}

void ScriptedPrompter::clear()
{
    m_answers.clear();
    m_prompts.clear();
}

QVariant ScriptedPrompter::take(const QString &kind, const QString &title, const QString &text, Icon icon)
{
    m_prompts.append({kind, title, text, icon});
    return m_answers.isEmpty() ? m_fallback : m_answers.takeFirst().value;
}

void ScriptedPrompter::message(const QString &text, const QString &title, Icon icon)
{
    m_prompts.append({QStringLiteral("message"), title, text, icon});
}

bool ScriptedPrompter::askYesNo(const QString &text, const QString &title, Icon icon)
{
    return take(QStringLiteral("yesno"), title, text, icon).toBool();
}

bool ScriptedPrompter::askYesNoAgain(const QString &text, const QString &title)
{
    while (!m_answers.isEmpty() && m_answers.constFirst().hasty)
        m_answers.removeFirst();
    return take(QStringLiteral("yesnoAgain"), title, text, Icon::Warning).toBool();
}

Prompter::Answer ScriptedPrompter::askYesNoCancel(const QString &text, const QString &title)
{
    const QVariant value = take(QStringLiteral("yesnocancel"), title, text, Icon::Question);
    if (value.typeId() != QMetaType::Bool)
        return Answer::Cancel;
    return value.toBool() ? Answer::Yes : Answer::No;
}

int ScriptedPrompter::askChoice(const QString &text, const QString &title, const QStringList &buttons)
{
    const QVariant value = take(QStringLiteral("choice"), title, text, Icon::Information);
    bool ok = false;
    const int index = value.typeId() == QMetaType::Int ? value.toInt(&ok) : -1;
    return ok && index >= 0 && index < buttons.size() ? index : -1;
}

std::optional<QString> ScriptedPrompter::inputText(const QString &title, const QString &label, const QString &)
{
    const QVariant value = take(QStringLiteral("input"), title, label);
    if (!value.isValid() || value.isNull())
        return std::nullopt;
    return value.toString();
}

QString ScriptedPrompter::openFileName(const QString &title, const QString &filter, const QString &)
{
    return take(QStringLiteral("open"), title, filter).toString();
}

QStringList ScriptedPrompter::openFileNames(const QString &title, const QString &filter, const QString &)
{
    return take(QStringLiteral("openMany"), title, filter).toStringList();
}

QString ScriptedPrompter::saveFileName(const QString &title, const QString &filter, const QString &,
                                       const QString &folder)
{
    const QVariant value = take(QStringLiteral("save"), title, filter);
    m_prompts.last().folder = folder;
    return value.toString();
}

std::optional<QColor> ScriptedPrompter::chooseColor(const QColor &)
{
    const QVariant value = take(QStringLiteral("color"), QString(), QString());
    if (!value.isValid() || !value.canConvert<QColor>())
        return std::nullopt;
    return value.value<QColor>();
}

bool ScriptedPrompter::setupPrinter()
{
    return take(QStringLiteral("printer"), QString(), QString()).toBool();
}
