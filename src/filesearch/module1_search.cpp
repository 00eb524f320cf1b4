#include "filesearch/module1_search.h"

namespace Module1 {

QString SearchPath;
QString SearchPattern;

} // namespace Module1
