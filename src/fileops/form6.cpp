#include "fileops/form6.h"

#include "platform/colors.h"
Form6::Form6()
    : CopyToDialog<Form6, 3>({" Send a copy of file to Path  (Example C:\\Temp)", 0, 8755, 6135,
                              4215, plat::vbHighlightText})
{
    setObjectName("Form6");
}
