#include "weblinks/slink.h"

#include "platform/colors.h"
#include "weblinks/webwindows.h"

SLink::SLink()
    : AddLinkDialog("SLink",
                    {"Search Engine Add Link",
                     true,
                     true,
                     4680,
                     3195,
                     0xC00000,
                     plat::vbHighlightText,
                     "              Name For Link",
                     "              Website Address",
                     {720, 600, 2895, 375},
                     {720, 840, 2895, 375},
                     {720, 1440, 3375, 495},
                     {600, 1680, 3735, 405},
                     {720, 2400, 1095, 375},
                     {2880, 2400, 1095, 375}},
                    weblinks::LinkFamily::Engine)
{
}
