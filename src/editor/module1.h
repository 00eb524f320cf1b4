#pragma once
// The editor's shared state and the commands its menus, toolbar and find
// dialog share: the change flag, the find state, the clipboard commands,
// New, Save and the search.
#include <QString>

namespace Module1 {

// True when the document changed since it was last loaded or saved.
extern bool TextChanged;

// The find state; it lives as long as the program runs.
extern QString FindText;      // the text to search for, as typed
extern int FindMatchCase;     // 1: match case, 0: ignore case
extern int FindDirection;     // 1: down; any other value: up
extern qsizetype FindLastPos; // the caret position the last search left
extern bool FindRestart;      // the next search starts at the caret itself

void CopySelection();
void CutSelection();
void PasteText();

void NewDocument();
// Saves the document: false when the text is not in a file (the Save dialog
// was cancelled, or the save failed), so a caller about to drop it stops.
bool SaveDocument();

void FindInText();

} // namespace Module1
