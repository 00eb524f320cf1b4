#include "fileops/form8.h"

namespace {
constexpr int kHighlightText = static_cast<int>(0x8000000Eu);
} // namespace

Form8::Form8()
    : CopyToDialog<Form8, 5>(
          {" Send a copy of file to Path  (Example C:\\Temp)", 0, 8775, 9015, 4095, kHighlightText})
{
    setObjectName("Form8");
}
