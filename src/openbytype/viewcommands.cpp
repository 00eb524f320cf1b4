#include "mainwindow/form1.h"

void Form1::mnuOpenTextFile_Click() {}
void Form1::mnuHtm_0_Click() {}
