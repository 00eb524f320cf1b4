#include "weblinks/chlink.h"

#include "platform/colors.h"

ChLink::ChLink()
    : AddLinkDialog("ChLink",
                    {"Quorbix Add Christian Link",
                     true,
                     false,
                     4680,
                     3195,
                     0xC00000,
                     plat::vbWhite,
                     "  Name  For This Link",
                     " Web Address  ",
                     {960, 600, 2655, 255},
                     {1080, 840, 2535, 375},
                     {720, 1440, 3375, 375},
                     {720, 1680, 3375, 375},
                     {720, 2400, 1095, 375},
                     {2880, 2400, 1095, 375}},
                    weblinks::LinkFamily::None)
{
}
