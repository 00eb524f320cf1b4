#include "mainwindow/form1.h"

// Opening files by their type is not built yet: these commands do nothing.
void Form1::PaneDblClick(int) {}
void Form1::RunPane(int) {}
void Form1::GraphicPane(int) {}
void Form1::ZipViewPane(int) {}
void Form1::mnuExecute0_Click() {}
void Form1::mnuBmp_Click() {}
