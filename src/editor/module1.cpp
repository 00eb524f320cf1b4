#include "editor/module1.h"

#include "editor/module2.h"
#include "editor/textpad.h"
#include "platform/clipboard.h"
#include "platform/fileerror.h"
#include "platform/msgbox.h"

namespace Module1 {

bool TextChanged = false;
QString FindText;
int FindMatchCase = 0;
int FindDirection = 0;
qsizetype FindLastPos = 0;
bool FindRestart = false;

void CopySelection()
{
    plat::clipboard::SetText(Textpad::get().txtNote->SelText());
}

void CutSelection()
{
    NoteField* note = Textpad::get().txtNote;
    plat::clipboard::SetText(note->SelText());
    note->setSelText(QString());
}

void PasteText()
{
    Textpad::get().txtNote->setSelText(plat::clipboard::GetText());
}

void NewDocument()
{
    Textpad& pad = Textpad::get();
    if (TextChanged && !pad.Createfile()) return; // not saved: the text stays
    pad.txtNote->setText(QString());
    pad.setDocument(QStringLiteral("New"), QString(), Module2::FileFormat());
    TextChanged = false;
}

bool SaveDocument()
{
    Textpad& pad = Textpad::get();
    if (!pad.NeedsName()) return Module2::SaveTextFile(pad.DocumentPath());
    if (pad.ChooseFile(true) != Textpad::Choice::Chosen) return false;
    return Module2::SaveTextFile(pad.CMDialog1.FileName);
}

void FindInText()
{
    NoteField* note = Textpad::get().txtNote;
    const qsizetype k = note->SelStart();
    const qsizetype s = (FindLastPos == k && !FindRestart) ? k + 1 : k;
    // Case is ignored by folding each character, which keeps every position
    // where it is (an upper-cased copy can be longer than the text).
    const Qt::CaseSensitivity cs = FindMatchCase != 0 ? Qt::CaseSensitive : Qt::CaseInsensitive;
    // Searched where the text lies: an edit leaves it in spans, and joining
    // them first would cost a copy of the whole text.
    qsizetype q = -1;
    if (FindDirection == 1)
        q = s <= note->length() ? note->indexOf(FindText, s, cs) : -1;
    else if (s - 2 >= 0)
        q = note->lastIndexOf(FindText, s - 2, cs);
    if (q >= 0) {
        note->setSelStart(q);
        note->setSelLength(FindText.size());
    } else {
        plat::MsgBox("Cannot find \"" + FindText + "\"", plat::vbOKOnly);
    }
    FindLastPos = note->SelStart();
    FindRestart = false;
}

} // namespace Module1
