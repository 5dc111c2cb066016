#pragma once

#include "support/ArchiveGenerator.h"

// One generated class of that many pupils: one questionnaire of 10 questions, one session, 3 positive and
// 3 negative choices per classmate question (as the analysis benchmarks take it).
inline ArchiveSize singleClass(int pupils) {
    ArchiveSize size;
    size.classes = 1;
    size.pupilsPerClass = pupils;
    size.questionnaires = 1;
    size.questionsPerQuestionnaire = 10;
    size.sessionsPerClass = 1;
    size.positiveChoices = 3;
    size.negativeChoices = 3;
    return size;
}
