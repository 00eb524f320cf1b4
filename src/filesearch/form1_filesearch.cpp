#include "mainwindow/form1.h"

#include "filesearch/form3.h"

void Form1::ShowDeepSearch()
{
    Form3::get().Show();
}
