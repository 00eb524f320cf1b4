#include "mainwindow/form1.h"

#include "editor/module2.h"
#include "editor/textpad.h"
#include "openbytype/suffixes.h"
#include "platform/msgbox.h"
#include "textview/textsuffixes.h"

// The text view of pane n: a file whose name ends in a text-like ending
// opens in the editor; any other name is passed over without a word.
void Form1::OpenTextFile(int n)
{
    const QString path = FullPath(n);
    if (!suffixes::EndsInAny(Pane(n).file->FileName(), suffixes::TextSuffixes)) return;
    Textpad::get();
    Module2::LoadAndReport(path);
}

// The single-file text view of pane n: with exactly one file selected there,
// the file a mouse button was last released over opens in the editor.
void Form1::ViewSingleText(int n)
{
    ctl::FileListBox* list = Pane(n).file;
    int selected = 0;
    for (int i = 0; i < list->ListCount(); ++i)
        if (list->Selected(i)) ++selected;
    if (selected == 0) return;
    if (selected > 1) {
        plat::MsgBox("Please select one file at a time.");
        return;
    }
    Textpad::get().setVisible(true);
    Module2::LoadAndReport(LastFilePath);
}
