#pragma once
// Opens a web address in the browser that Windows has registered for HTML documents.

#include <string>

// The maker's home page, opened by a click on the logo.
inline constexpr char HomePageAddress[] = "http://www.quillmoor.de/";

// Starts the program named in the registered HTML "open" command directly, with `url` as its
// whole command line. Reports nothing: without a usable registration nothing happens, and a failed
// start is ignored. Returns as soon as the shell call has returned.
void OpenWebPage(const std::string& url);
