#include "mainwindow/regmodule.h"

#include "controls/controls.h"
#include "mainwindow/form1.h"
#include "mainwindow/module3.h"

namespace RegModule {

void SaveFormColor()
{
    Module3::WriteRegValue(Module3::HKEY_CURRENT_USER, kColorKey, kFormColor,
                           QString::number(Form1::get().BackColor()));
}

void SaveDirBoxColor()
{
    Module3::WriteRegValue(Module3::HKEY_CURRENT_USER, kColorKey, kDirBoxColor,
                           QString::number(ctl::backColor(Form1::get().DirBox)));
}

void SaveFileBoxColor()
{
    Module3::WriteRegValue(Module3::HKEY_CURRENT_USER, kColorKey, kFileBoxColor,
                           QString::number(ctl::backColor(Form1::get().FileBox)));
}

} // namespace RegModule
