#include "fileops/form8.h"

#include "platform/colors.h"
Form8::Form8()
    : CopyToDialog<Form8, 5>({" Send a copy of file to Path  (Example C:\\Temp)", 0, 8775, 9015,
                              4095, plat::vbHighlightText})
{
    setObjectName("Form8");
}
