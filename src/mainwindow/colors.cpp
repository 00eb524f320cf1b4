#include "platform/colors.h"
#include "controls/controls.h"
#include "mainwindow/color1.h"
#include "mainwindow/form1.h"
#include "mainwindow/module3.h"
#include "mainwindow/regmodule.h"
#include "platform/app.h"
#include "platform/fileerror.h"

#include <optional>

namespace {

enum class Kind { Desktop, Folders, Files };

// The savers write only decimal colours; anything else in the store (typed
// by hand, or damaged) is left alone and the colour on screen stays.
std::optional<int> storedColor(const QString& valueName)
{
    const QString text =
        Module3::ReadRegValue(Module3::HKEY_CURRENT_USER, RegModule::kColorKey, valueName);
    if (text.isEmpty()) return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (!(ch >= '0' && ch <= '9') && !(i == 0 && ch == '-' && text.size() > 1))
            return std::nullopt;
    }
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok) return std::nullopt;
    const quint32 bits = static_cast<quint32>(value);
    const bool rgb = value >= 0 && value <= 0xFFFFFF;
    const bool system = bits >= 0x80000000u && bits <= 0x800000FFu;
    if (!rgb && !system) return std::nullopt;
    return value;
}

void recolor(Form1& f, Kind kind, int color)
{
    switch (kind) {
    case Kind::Desktop:
        f.setBackColor(color);
        break;
    case Kind::Folders:
        for (QWidget* w : {f.DirBox, f.DirBox2, f.DirBox3, f.DirBox4, f.DirBox5})
            ctl::setBackColor(w, color);
        break;
    case Kind::Files:
        for (QWidget* w : {f.FileBox, f.FileBox2, f.FileBox3, f.FileBox4, f.FileBox5})
            ctl::setBackColor(w, color);
        break;
    }
}

void loadColor(Form1& f, Kind kind, const QString& valueName)
{
    if (const std::optional<int> color = storedColor(valueName)) recolor(f, kind, *color);
}

// A colour command: the colour dialog, the new colour on screen at once, and
// the question whether to keep it. A cancelled dialog changes nothing.
void chooseColor(Form1& f, Kind kind, const QString& caption, const QString& question)
{
    try {
        f.CommonDialog1.CancelError = true;
        f.CommonDialog1.Flags = plat::cdlCCRGBInit;
        f.CommonDialog1.ShowColor();
        recolor(f, kind, f.CommonDialog1.Color);
        plat::DoEvents();
        Color1& ask = Color1::get();
        ask.setCaption(caption);
        ask.Label1->setCaption(question);
        ask.Show();
    } catch (const plat::FileError&) {
        // Cancel in the colour dialog (CancelError is set, so it raises
        // ErrCancel): the colours stay as they were and nobody is asked.
    }
}

} // namespace

void Form1::LoadFormColor()
{
    loadColor(*this, Kind::Desktop, RegModule::kFormColor);
}
void Form1::LoadDirBoxColor()
{
    loadColor(*this, Kind::Folders, RegModule::kDirBoxColor);
}
void Form1::LoadFileBoxColor()
{
    loadColor(*this, Kind::Files, RegModule::kFileBoxColor);
}

void Form1::mnuBackGround_Click()
{
    chooseColor(*this, Kind::Desktop, Color1::kDesktopCaption,
                "Keep the new desktop background color?");
}

void Form1::mnu_Folders_Click()
{
    chooseColor(*this, Kind::Folders, Color1::kFoldersCaption,
                "Keep the new folders background color?");
}

void Form1::mnu_Files_Click()
{
    chooseColor(*this, Kind::Files, Color1::kFilesCaption, "Keep the new files background color?");
}
