#include "fileops/form2.h"

#include "platform/colors.h"

Form2::Form2()
    : CopyToDialog<Form2, 1>({"      Send a copy of file to Path  (Example C:\\Temp)", -240, 8775,
                              9015, 4095, plat::vbWhite})
{
    setObjectName("Form2");
}
