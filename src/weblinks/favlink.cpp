#include "weblinks/favlink.h"

#include "platform/colors.h"
#include "weblinks/webwindows.h"

FavLink::FavLink()
    : AddLinkDialog("FavLink",
                    {"Quorbix Favorites Add Link",
                     false,
                     true,
                     4590,
                     2805,
                     0xFF8080,
                     plat::vbHighlightText,
                     "           Name For Link",
                     "              Website Address",
                     {840, 840, 2535, 255},
                     {840, 1080, 2535, 375},
                     {480, 1560, 3495, 375},
                     {600, 1800, 3375, 375},
                     {600, 2400, 1095, 375},
                     {2520, 2400, 1095, 375}},
                    weblinks::LinkFamily::Favorite)
{
}
