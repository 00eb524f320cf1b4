#include "mainwindow/form1.h"

#include "editor/module2.h"
#include "editor/textpad.h"
#include "openbytype/suffixes.h"
#include "textview/textsuffixes.h"

// The text view of pane n: a file whose name ends in a text-like ending
// opens in the editor; any other name is passed over without a word.
void Form1::OpenTextFile(int n)
{
    const QString path = FullPath(n);
    if (!suffixes::EndsInAny(Pane(n).file->FileName(), suffixes::TextSuffixes)) return;
    Textpad::get();
    QString reason;
    if (!Module2::LoadTextFile(path, &reason)) Module2::ReportLoadFailure(path, reason);
}
