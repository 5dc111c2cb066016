#pragma once

#include <QList>
#include <QString>

// One instruction box that an empty sociogram canvas shows: a rectangle with left-aligned text.
struct SociogramInstruction {
    int left = 25;
    int top = 0;
    int width = 0;
    int height = 0;
    QString text;
};

// The instruction boxes shown when the sociogram window opens from the main window, top to bottom.
QList<SociogramInstruction> sociogramInstructions();
