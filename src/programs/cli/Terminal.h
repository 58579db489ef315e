#pragma once

#include <cstdio>

// Whether the stream goes to a terminal rather than to a file or a pipe.
bool IsTerminal(std::FILE* stream);
