#include "mainwindow/form1.h"

QString Form1::ParseFileName(const QString& sFileIn)
{
    return sFileIn.mid(sFileIn.lastIndexOf('\\') + 1);
}
void Form1::Recycle(const QString&) {}
void Form1::Replicate(const QString&, const QString&) {}
void Form1::ListCopy() {}
void Form1::mnuRefresh_Click() {}
void Form1::mnuCopy_Click() {}
void Form1::mnuSendFileTo_Click() {}
void Form1::mnuDelete0_Click() {}
void Form1::mnuPaste0_Click() {}
void Form1::mnuSearchFor_Click() {}
void Form1::CopyPane(int) {}
void Form1::CopyFileToPane(int) {}
void Form1::DeletePane(int) {}
void Form1::PastePane(int) {}
void Form1::RefreshPane(int) {}
void Form1::RenameFilePane(int) {}
void Form1::AddNewFolderPane(int) {}
void Form1::RenameFolderPane(int) {}
void Form1::RemoveFolderPane(int) {}
