#include "mainwindow/form1.h"
#include "platform/application.h"
#include "platform/filesys.h"

int main(int argc, char** argv)
{
    plat::Application app(argc, argv);
    QApplication::setApplicationName("Quorbix");
    QApplication::setOrganizationName("Quorbix");
    // The platform loads the main window first; it shows itself once its
    // load handler has returned.
    Form1& main = Form1::get();
    main.Show();
    // A save killed half-way leaves the old content in a kept copy: the
    // user is told where, once the window is there.
    plat::fs::reportUnfinishedSaves();
    return app.exec();
}
