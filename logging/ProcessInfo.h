// What the library tells about the process it runs in: the executable's path for the message
// box title and the command line that the open and close banners name.
#pragma once

#include <string>

namespace orvlog {

std::wstring ExecutablePath();
/// The arguments joined by single blanks; an argument holding a blank is put in double quotes.
std::wstring CommandLine();

}  // namespace orvlog
