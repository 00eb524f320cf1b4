#include "mainwindow/regmodule.h"

#include "controls/controls.h"
#include "mainwindow/form1.h"
#include "mainwindow/module3.h"

namespace RegModule {

namespace {

// A colour confirmed but not stored would be gone at the next start: the
// user hears of it, by the setting's name.
void saveColor(const QString& name, int color)
{
    if (!Module3::WriteRegValue(Module3::HKEY_CURRENT_USER, kColorKey, name,
                                QString::number(color)))
        Module3::TellNotKept(QStringLiteral("The setting \"%1\"").arg(name));
}

} // namespace

void SaveFormColor()
{
    saveColor(kFormColor, Form1::get().BackColor());
}

void SaveDirBoxColor()
{
    saveColor(kDirBoxColor, ctl::backColor(Form1::get().DirBox));
}

void SaveFileBoxColor()
{
    saveColor(kFileBoxColor, ctl::backColor(Form1::get().FileBox));
}

} // namespace RegModule
