#pragma once

namespace bardrill {

// Makes the standard output and error of a command-line tool carry its UTF-8 text byte for byte: on
// Windows they are switched out of text mode (which would write "\r\n" as "\r\r\n") and a console is
// told to show UTF-8. Nothing to do on Linux.
void PrepareStandardStreams();

}  // namespace bardrill
