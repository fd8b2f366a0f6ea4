#include "runtime/value.h"

namespace rt {

const Bytes EmptyBytes{1, 0};

}  // namespace rt
