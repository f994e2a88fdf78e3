#include "platform/streams.h"

namespace bardrill {

void PrepareStandardStreams() {}

}  // namespace bardrill
