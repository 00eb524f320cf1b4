#include "mainwindow/help1.h"

#include "platform/app.h"

#include <QStringList>

QString Help1::HelpText()
{
    static const char* const lines[] = {
        "",
        "                         QUORBIX HELP",
        "",
        "     Quorbix gathers many tools in one program: drive searches for files,",
        "     viewers for zip files, still images, movie clips and text files,",
        "     a sound player, an HTML viewer and editor, quick web links and",
        "     your own saved favourite links, a fast search-engine autosearch,",
        "     a program launcher and a multi-drive file browser.",
        "     Up to five drives can be shown at once, each in its own pane,",
        "     so files can be moved between drives and folders with ease.",
        "   Some tips for getting started:",
        "     Most functions are on the right mouse button: right click a file",
        "     in any pane for copy, paste, delete, rename, run and view.",
        "     If a file list is empty, no file of its pattern is in the folder;",
        "     type *.* in the pattern field and click Change Extension to show",
        "     all files. The line \"No files of this type in present directory.\"",
        "     tells you so when you change the pattern.",
        "     Deleted files go to the trash (the recycle bin), where they can be",
        "     restored. A large delete can take minutes: wait for the word",
        "     \"Deleting\" to disappear before you go on.",
        "     Right click a folder to rename it, delete it or create a new one.",
        "     A pattern is an asterisk, a full stop and an extension,",
        "     for example *.exe or *.*, then click Change Extension.",
        "     File > Search searches a whole drive, or one folder, for a file",
        "     name; the matches can be copied, run, printed or viewed.",
        "     Double click a folder to show its files in the box below it;",
        "     a single click on a folder only marks it.  ",
        "   Web links are not removeable that come with Quorbix",
        "   Notes:",
        "     Removing a web link compares its name exactly, capitals included,",
        "     so type the name as it shows in the menu.",
        "     Web pages open in your default web browser (x-www-browser or",
        "     xdg-open), so one of them must be installed.",
        "     Viewing zip files needs an archive program associated with them.",
        "     The last search-engine keywords are saved for the next search.",
        "     In the HTML editor, Show Changes shows each change in the browser;",
        "     the last change of an edited HTML file is saved as temp.html",
        "     in the same folder as the file.  ",
    };
    QString text;
    for (const char* line : lines)
        text += QString::fromLatin1(line) + "\r\n";
    return text;
}

Help1::Help1()
{
    setObjectName("Help1");
    setCaption(" Quorbix Help");
    setBorderStyle(ctl::BorderStyle::None, ctl::NoTitleButtons, false);
    setBackColor(12582912);
    setWindowState(Qt::WindowMaximized);

    mnuExit0 = topMenu("mnuExit0", "Exit");
    MnuExit1 = item(mnuExit0, "MnuExit1", "Exit", [this] { MnuExit1_Click(); });

    Text1 = new ctl::MultiLineTextBox(client(), "Text1");
    ctl::Move(Text1, 1080, 360, 10095, 8055);
    Text1->setFont(ctl::vbFont("MS Sans Serif", 12));
    Text1->setReadOnly(true);
    Text1->setAccessibleName("Help"); // no label heads the text
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The text box shows lines, not line ends.
    Text1->setText(HelpText().replace("\r\n", "\n"));
}

void Help1::Form_Load()
{
    resize(width(), plat::screenHeightTwips() / plat::twipsPerPixel);
    resize(plat::screenWidthTwips() / plat::twipsPerPixel, height());
}

void Help1::MnuExit1_Click()
{
    Unload();
}
