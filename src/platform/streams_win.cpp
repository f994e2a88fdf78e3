#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/streams.h"
#include "platform/win32.h"

namespace bardrill {

void PrepareStandardStreams() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  SetConsoleOutputCP(CP_UTF8);
}

}  // namespace bardrill
