#include "fileops/form5.h"

namespace {
constexpr int kHighlightText = static_cast<int>(0x8000000Eu);
} // namespace

Form5::Form5()
    : CopyToDialog<Form5, 2>(
          {" Send a copy of file to Path  (Example C:\\Temp)", 0, 8775, 9015, 4095, kHighlightText})
{
    setObjectName("Form5");
}
