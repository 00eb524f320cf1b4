#include "weblinks/alink.h"

#include "platform/colors.h"
#include "weblinks/webwindows.h"

ALink::ALink()
    : AddLinkDialog("ALink",
                    {"Quorbix Auction Add Link",
                     true,
                     true,
                     4680,
                     3195,
                     0xC00000,
                     plat::vbHighlightText,
                     "           Name For Link",
                     "              Website Address",
                     {960, 600, 2655, 255},
                     {1080, 840, 2535, 375},
                     {720, 1440, 3375, 375},
                     {720, 1680, 3375, 375},
                     {720, 2400, 1095, 375},
                     {2880, 2400, 1095, 375}},
                    weblinks::LinkFamily::Auction)
{
}
