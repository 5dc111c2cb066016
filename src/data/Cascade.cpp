#include "data/Cascade.h"

#include "data/Database.h"
#include "platform/Prompter.h"

bool Cascade::confirmTwice(Prompter &prompter, const QString &title, const QString &first,
                           const QString &second) {
    return prompter.askYesNo(first, title, Prompter::Icon::Question) &&
           prompter.askYesNoAgain(second, title);
}

bool Cascade::run(Database &db, Prompter &prompter, const std::function<void()> &statements) {
    try {
        Transaction transaction(db);
        statements();
        transaction.commit();
        return true;
    } catch (const DatabaseError &error) {
        prompter.message(error.message(), QString(), Prompter::Icon::Error);
        return false;
    }
}
