#include "fileops/form7.h"

namespace {
constexpr int kHighlightText = static_cast<int>(0x8000000Eu);
} // namespace

Form7::Form7()
    : CopyToDialog<Form7, 4>(
          {" Send a copy of file to Path  (Example C:\\Temp)", 0, 8775, 9015, 4095, kHighlightText})
{
    setObjectName("Form7");
}
