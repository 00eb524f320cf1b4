#include "fileops/form5.h"

#include "platform/colors.h"
Form5::Form5()
    : CopyToDialog<Form5, 2>({" Send a copy of file to Path  (Example C:\\Temp)", 0, 8775, 9015,
                              4095, plat::vbHighlightText})
{
    setObjectName("Form5");
}
