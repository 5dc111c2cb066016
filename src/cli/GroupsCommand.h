#pragma once

#include <QStringList>

class Database;
class QTextStream;

// `orbelis-cli groups`: groups, desk pairs or a split of the class from a session's choices.
int runGroupsCommand(const QStringList &args, Database &db, QTextStream &out, QTextStream &err);
