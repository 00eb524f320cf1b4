#include "fileops/form6.h"

namespace {
constexpr int kHighlightText = static_cast<int>(0x8000000Eu);
} // namespace

Form6::Form6()
    : CopyToDialog<Form6, 3>(
          {" Send a copy of file to Path  (Example C:\\Temp)", 0, 8755, 6135, 4215, kHighlightText})
{
    setObjectName("Form6");
}
