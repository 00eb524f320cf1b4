#include "mainwindow/form1.h"

void Form1::LoadFormColor() {}
void Form1::LoadDirBoxColor() {}
void Form1::LoadFileBoxColor() {}
void Form1::mnuBackGround_Click() {}
void Form1::mnu_Folders_Click() {}
void Form1::mnu_Files_Click() {}
