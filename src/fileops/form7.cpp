#include "fileops/form7.h"

#include "platform/colors.h"
Form7::Form7()
    : CopyToDialog<Form7, 4>({" Send a copy of file to Path  (Example C:\\Temp)", 0, 8775, 9015,
                              4095, plat::vbHighlightText})
{
    setObjectName("Form7");
}
