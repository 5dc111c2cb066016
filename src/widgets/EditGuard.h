#pragma once

class Dataset;
class Prompter;
class QWidget;

// What every edit panel does so that typed text is never lost without a word.
namespace EditGuard {

// While the dataset is being inserted or edited, asks "Nemáte uloženou databázi. Chcete uložit?":
// "Ano" saves (the window stays when a rule refuses the save), "Ne" drops the change, "Zrušit" keeps
// editing. True when the window may close.
bool mayClose(Dataset &dataset, Prompter &prompter);

// Enter in the panel's one-line fields and Ctrl+S anywhere in the panel save the row being edited.
void installPostKeys(QWidget *panel, Dataset &dataset);

} // namespace EditGuard
