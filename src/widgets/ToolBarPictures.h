#pragma once

#include <QIcon>

// The 16 × 16 pictures of the main window's tool bar, drawn by the program.
enum class ToolBarPicture {
    Pupils,
    Questionnaires,
    Documents,
    TextEvaluation,
    Sociogram,
    BarChart,
    Analysis,
    Groups,
    Database
};

QIcon toolBarPicture(ToolBarPicture picture);
