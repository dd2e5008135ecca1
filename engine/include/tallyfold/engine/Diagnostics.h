#pragma once

#include <ostream>

namespace engine {

// The engine reports bad input on the error stream and dumps layouts on the output
// stream. Both default to the process's standard streams; tests and the benchmark
// point them elsewhere so that the messages can be checked or kept out of a table.
std::ostream& DiagnosticOut();
std::ostream& DiagnosticErr();

// nullptr puts the standard stream back.
void RedirectDiagnostics(std::ostream* out, std::ostream* err);

}  // namespace engine
