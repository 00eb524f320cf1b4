#include "mainwindow/form1.h"

#include "platform/app.h"

void Form1::Form_Load() {}

void Form1::LoadAuctionLinks() {}
void Form1::LoadFavoriteLinks() {}

void Form1::mnuExit_Click()
{
    plat::DoEvents();
    plat::End();
}

void Form1::mnuHelp1_Click() {}
